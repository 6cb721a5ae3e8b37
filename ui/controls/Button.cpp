#include "ui/controls/Button.h"

#include <windowsx.h>

#include <cctype>

#include "platform/Accessibility.h"
#include "platform/Registry.h"
#include "ui/framework/AppModule.h"
#include "ui/framework/AppState.h"
#include "ui/theme/DrawContext.h"
#include "ui/theme/FaceColours.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Painting.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Scale.h"

namespace {

constexpr int kDisabledText = 1;

constexpr NRFaceColours kAlternateFace = {13, 13, 13};
constexpr NRFaceColours kAlternateInactiveFace = {10, 10, 10};

}  // namespace

int Luminance(COLORREF colour)
{
    return GetRValue(colour) * 299 / 1000 + GetGValue(colour) * 587 / 1000 + GetBValue(colour) * 114 / 1000;
}

NRButtonColours ChooseButtonColours(const NRButtonState& state, COLORREF flashColour, int textColourIndex,
                                    bool lightPalette, bool colorBlind)
{
    const auto colourOf = [&](int index) { return PaletteColour(index, lightPalette, colorBlind); };
    const COLORREF text = state.enabled ? colourOf(textColourIndex) : colourOf(kDisabledText);
    if (state.flashShowing) {
        if (!state.enabled)
            return NRButtonColours{flashColour, flashColour, colourOf(2), colourOf(kDisabledText)};
        const COLORREF contrast = Luminance(flashColour) <= 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
        return NRButtonColours{flashColour, flashColour, contrast, contrast};
    }
    // In a dialog the pointer has a look of its own, unless the focus floats with the pointer.
    NRFaceColours face = ChooseFaceColours({state.enabled, state.active, state.hovered, state.focused, state.pressed,
                                            !state.inDialog || state.floatingFocus});
    if (state.alternate && state.enabled)
        face = !state.active ? kAlternateInactiveFace : face == kNormalFace ? kAlternateFace : face;
    return NRButtonColours{colourOf(face.top), colourOf(face.bottom), colourOf(face.frame), text};
}

NRButtonColours ChooseContrastButtonColours(const NRButtonState& state, bool onCaption)
{
    // The flash lights the face as the pointer would, in an inactive window too. In a box the face
    // under the pointer stays as it is, as in the classic scheme, unless the focus follows the
    // pointer or it is pressed: only the focused button lights, and the two never look alike.
    const bool flash = state.flashShowing && state.enabled;
    const bool hoverLights = !state.inDialog || state.floatingFocus || state.pressed;
    const NRSystemFace face =
        ChooseSystemFace({state.enabled, state.active || flash, (state.hovered && hoverLights) || flash, state.focused,
                          state.pressed, true},
                         onCaption ? NRFacePlace::Caption : NRFacePlace::Control);
    const COLORREF fill = GetSysColor(face.fill);
    return NRButtonColours{fill, fill, GetSysColor(face.frame), GetSysColor(face.text)};
}

NRButton::NRButton() : m_caption("NOT SET UP") {}

NRButton::NRButton(int bitmapId, char accelerator) : m_bitmapId(bitmapId) { m_accelerator = accelerator; }

NRWndClassInfo& NRButton::GetWndClassInfo()
{
    static NRWndClassInfo info = {"NRButton", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1), IDC_ARROW, 0};
    return info;
}

void NRButton::SetCaption(const std::string& caption, char accelerator)
{
    m_caption = caption;
    m_accelerator = accelerator;
    if (!Handle())
        return;
    // Readable from outside, as a standard button's caption is.
    SetWindowText(caption.c_str());
    MeasureCaption();
    Invalidate(true);
}

void NRButton::MeasureCaption()
{
    NRWindowDC dc(Handle());
    NRDrawContext context(dc.Get(), Handle());
    NRSelection font(dc.Get(), context.Fonts().Normal().handle);
    SIZE extent = {};
    GetTextExtentPoint32A(dc.Get(), m_caption.c_str(), static_cast<int>(m_caption.size()), &extent);
    m_size = SIZE{extent.cx + context.ScaleX().Px(10), extent.cy + context.ScaleY().Px(5)};
}

void NRButton::MeasureBitmap()
{
    if (m_glyph != NRCaptionGlyph::None) {
        const NRScale scale = WindowScale(Handle());
        const int side = CaptionGlyphSide(scale) + 2 * scale.Px(1);
        m_size = SIZE{side, side};
        return;
    }
    NRBitmapHandle bitmap(LoadBitmapA(g_module.Instance(), MAKEINTRESOURCEA(m_bitmapId)));
    BITMAP info = {};
    if (bitmap && GetObjectA(bitmap.Get(), sizeof(info), &info))
        m_size = SIZE{info.bmWidth + 2, info.bmHeight + 2};
}

void NRButton::Remeasure()
{
    if (!Handle())
        return;
    if (m_bitmapId)
        MeasureBitmap();
    else
        MeasureCaption();
    Invalidate(true);
}

HBITMAP NRButton::CreateGlyphBitmap(HDC compatibleWith, COLORREF ink, COLORREF paper) const
{
    const NRScale scale = WindowScale(Handle());
    const int side = CaptionGlyphSide(scale);
    HBITMAP bitmap = CreateCompatibleBitmap(compatibleWith, side, side);
    NRMemoryDC memory(compatibleWith);
    if (!bitmap || !memory.Get())
        return bitmap;
    NRSelection selection(memory.Get(), bitmap);
    const RECT all = {0, 0, side, side};
    const NRBrushHandle background(CreateSolidBrush(paper));
    FillRect(memory.Get(), &all, background.Get());
    DrawCaptionGlyph(memory.Get(), m_glyph, 0, 0, scale, ink, paper);
    return bitmap;
}

void NRButton::SetFocused(int focused)
{
    const bool gained = focused && !m_focused;
    m_focused = focused;
    Invalidate(true);
    if (gained)
        NotifyAccessibilityEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

long NRButton::AccessibleState() const
{
    long state = Focusable() ? STATE_SYSTEM_FOCUSABLE : 0;
    if (HasFocus())
        state |= STATE_SYSTEM_FOCUSED;
    if (IsDefault())
        state |= STATE_SYSTEM_DEFAULT;
    if (m_pressedLook)
        state |= STATE_SYSTEM_PRESSED;
    if (m_hovered)
        state |= STATE_SYSTEM_HOTTRACKED;
    if (!m_enabled)
        state |= STATE_SYSTEM_UNAVAILABLE;
    return state;
}

std::string NRButton::AccessibleShortcut() const
{
    if (!m_shortcut.empty())
        return m_shortcut;
    const unsigned char letter = static_cast<unsigned char>(m_accelerator);
    return letter > ' ' && letter < 127 ? "Alt+" + std::string(1, static_cast<char>(std::toupper(letter)))
                                        : std::string();
}

bool NRButton::DoAccessibleDefaultAction()
{
    // A hidden button (the please-wait box's Cancel when it is not offered) cannot be pressed.
    if (!m_enabled || !::IsWindowVisible(Handle()))
        return false;
    Activate();
    return true;
}

int NRButton::Character(UINT code, UINT /*repeatCount*/, UINT /*flags*/)
{
    if (code != ' ')
        return 0;
    Activate();
    return 1;
}

void NRButton::Activate()
{
    if (!m_enabled)
        return;
    m_hovered = 1;
    m_pressedLook = 1;
    PaintNow();
    SetTimer(Handle(), kKeyboardPressTimerId, kKeyboardPressMs, nullptr);
    Notify(WM_NR_PRESSED);
    Notify(WM_NR_CLICKED);
}

void NRButton::SetFlashing(bool flashing)
{
    m_flashing = flashing ? 1 : 0;
    m_flashPhase = m_flashing;
    // Without a window a timer would belong to the thread and never be killed: the window starts
    // flashing when it is made.
    if (!Handle())
        return;
    KillTimer(Handle(), kFlashOffTimerId);
    KillTimer(Handle(), kFlashOnTimerId);
    if (m_flashing)
        SetTimer(Handle(), kFlashOffTimerId, kFlashOnMs, nullptr);
    Invalidate(true);
}

void NRButton::PaintNow()
{
    Invalidate(false);
    UpdateWindow();
}

void NRButton::KillRepeatTimers()
{
    KillTimer(Handle(), kRepeatStartTimerId);
    KillTimer(Handle(), kRepeatReleaseTimerId);
    KillTimer(Handle(), kRepeatPressTimerId);
}

void NRButton::Paint(NRDrawContext& context)
{
    HDC dc = context.Dc();
    const RECT client = GetClientRect();
    const NRWindowKind holder = FindWindowKind(Handle());
    const NRButtonState state = {m_enabled != 0,
                                 IsWindowActive(holder.window, holder.kind),
                                 holder.kind >= 1 && holder.kind <= 3,
                                 m_hovered != 0,
                                 HasFocus(),
                                 m_pressedLook != 0,
                                 m_alternateLook != 0,
                                 FlashShowing(),
                                 g_guiSettings.floatingFocus != 0};
    const bool contrast = HighContrastOn();
    const NRButtonColours colours =
        contrast ? ChooseContrastButtonColours(state, m_glyph != NRCaptionGlyph::None)
                 : ChooseButtonColours(state, context.Colour(m_flashColourIndex), m_textColourIndex,
                                       context.LightPalette(), g_guiSettings.colorBlind != 0);
    VerticalGradient(context, client.left, client.top, client.right, client.bottom, colours.top, colours.bottom);
    NRBrushHandle frame(CreateSolidBrush(colours.frame));
    FrameScaled(context, client, frame.Get());
    // The default button's second frame, as a standard dialog marks the one Enter presses.
    if (IsDefault()) {
        const int x = context.ScaleX().Px(1), y = context.ScaleY().Px(1);
        FrameScaled(context, RECT{client.left + x, client.top + y, client.right - x, client.bottom - y}, frame.Get());
    }

    if (m_bitmapId) {
        // In High Contrast the glyph is drawn in the face's own colours and copied as it is.
        const bool glyphInFaceColours = contrast && m_glyph != NRCaptionGlyph::None;
        NRBitmapHandle bitmap(m_glyph == NRCaptionGlyph::None
                                  ? LoadBitmapA(g_module.Instance(), MAKEINTRESOURCEA(m_bitmapId))
                              : glyphInFaceColours ? CreateGlyphBitmap(dc, colours.text, colours.top)
                                                   : CreateGlyphBitmap(dc, RGB(255, 255, 255), RGB(0, 0, 0)));
        BITMAP info = {};
        if (!bitmap || !GetObjectA(bitmap.Get(), sizeof(info), &info))
            return;
        NRMemoryDC memory(dc);
        NRSelection selection(memory.Get(), bitmap.Get());
        const int x = context.ScaleX().Px(1), y = context.ScaleY().Px(1);
        if (glyphInFaceColours) {
            BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory.Get(), 0, 0, SRCCOPY);
        } else if (g_guiSettings.newGui) {
            BitBlt(memory.Get(), 0, 0, info.bmWidth, info.bmHeight, nullptr, 0, 0, DSTINVERT);
            BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory.Get(), 0, 0, SRCAND);
        } else {
            BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory.Get(), 0, 0, SRCPAINT);
        }
        return;
    }
    NRSelection font(dc, context.Fonts().Normal().handle);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    CaptionText(context, context.ScaleX().Px(4), context.ScaleY().Px(2), m_caption.c_str(), m_accelerator, colours.text,
                colours.text);
    SetBkMode(dc, previousMode);
    if (Focusable() && HasFocus())
        FocusMark(context, client, colours.text);
}

bool NRButton::ProcessWindowMessage(HWND /*hwnd*/, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_CREATE:
        if (m_bitmapId) {
            MeasureBitmap();
        } else {
            SetCaption(m_caption, m_accelerator);
        }
        if (m_flashing)
            SetTimer(Handle(), kFlashOffTimerId, kFlashOnMs, nullptr);
        return true;
    case WM_PAINT: {
        NRPaintCycle cycle(Handle());
        NRDrawContext context(cycle.Dc(), Handle());
        Paint(context);
        return true;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The focus follows the system's, so readers and the face always say where it is: in the
        // button's row when it has one. The system raises the focus event for a window that takes
        // the focus: no second one here.
        if (m_group)
            m_group->ButtonFocusChanged(*this, message == WM_SETFOCUS);
        else
            m_focused = message == WM_SETFOCUS;
        Invalidate(true);
        return true;
    case WM_MOUSEMOVE: {
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (m_enabled) {
            if (!m_hovered) {
                m_hovered = 1;
                Invalidate(true);
            }
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, Handle(), HOVER_DEFAULT};
            TrackMouseEvent(&track);
            if (g_guiSettings.floatingFocus && !HasFocus() && (x != m_lastMouseX || y != m_lastMouseY))
                Notify(WM_NR_FOCUS_REQUEST);
        }
        m_lastMouseX = x;
        m_lastMouseY = y;
        return true;
    }
    case WM_LBUTTONDBLCLK:
        // The second press of a double-click: the first one has clicked already.
        return true;
    case WM_LBUTTONDOWN:
        if (m_enabled) {
            m_hovered = m_armed = m_pressedLook = 1;
            Invalidate(true);
            if (m_autoRepeat)
                SetTimer(Handle(), kRepeatStartTimerId, kRepeatStartDelayMs, nullptr);
            if (!HasFocus())
                Notify(WM_NR_FOCUS_REQUEST);
            Notify(WM_NR_PRESSED);
        }
        return true;
    case WM_LBUTTONUP:
        if (m_enabled && m_armed) {
            m_armed = m_pressedLook = 0;
            Invalidate(true);
            Notify(WM_NR_PRESS_ENDED);
            Notify(WM_NR_CLICKED);
        }
        KillRepeatTimers();
        return true;
    case WM_MOUSELEAVE:
        if (m_enabled) {
            m_hovered = m_armed = m_pressedLook = 0;
            Invalidate(true);
            Notify(WM_NR_PRESS_ENDED);
        }
        KillRepeatTimers();
        return true;
    case WM_RBUTTONUP:
        NotifyWithId(WM_NR_RIGHT_CLICKED, 0);
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    default:
        return false;
    }
}

void NRButton::OnTimer(UINT_PTR id)
{
    KillTimer(Handle(), id);
    switch (id) {
    case kRepeatStartTimerId:
    case kRepeatReleaseTimerId:
        if (m_enabled && m_hovered) {
            m_pressedLook = 0;
            PaintNow();
            SetTimer(Handle(), kRepeatPressTimerId, kRepeatHalfDelayMs, nullptr);
            Notify(WM_NR_CLICKED);
        }
        break;
    case kRepeatPressTimerId:
        if (m_enabled && m_hovered) {
            m_pressedLook = 1;
            PaintNow();
            SetTimer(Handle(), kRepeatReleaseTimerId, kRepeatHalfDelayMs, nullptr);
        }
        break;
    case kKeyboardPressTimerId:
        m_hovered = m_pressedLook = 0;
        Notify(WM_NR_PRESS_ENDED);
        break;
    case kFlashOffTimerId:
        m_flashPhase = 0;
        SetTimer(Handle(), kFlashOnTimerId, kFlashOffMs, nullptr);
        break;
    case kFlashOnTimerId:
        m_flashPhase = 1;
        SetTimer(Handle(), kFlashOffTimerId, kFlashOnMs, nullptr);
        break;
    default:
        break;
    }
    Invalidate(true);
}
