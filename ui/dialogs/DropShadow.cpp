#include "ui/dialogs/DropShadow.h"

#include <algorithm>
#include <vector>

#include "platform/SystemLibrary.h"
#include "ui/theme/GdiObjects.h"
#include "ui/theme/HighContrast.h"
#include "ui/theme/Scale.h"

NRDropShadow::UpdateLayeredWindowFn NRDropShadow::s_updateLayeredWindow = nullptr;
NRDropShadow::DwmIsCompositionEnabledFn NRDropShadow::s_dwmIsCompositionEnabled = nullptr;
HMODULE NRDropShadow::s_dwmapi = nullptr;
HINSTANCE NRDropShadow::s_instance = nullptr;
std::map<HWND, NRDropShadow*> NRDropShadow::s_shadows;

namespace {

constexpr UINT kCompositionChanged = 0x031E;  // WM_DWMCOMPOSITIONCHANGED

// The owner's outline row by row: its window region where it has one, else its rectangle.
std::vector<NRSpan> OwnerSpans(HWND owner, int width, int height)
{
    NRGdiObject<HRGN> region(CreateRectRgn(0, 0, width, height));
    if (!region || GetWindowRgn(owner, region.Get()) == ERROR)
        return RectangleSpans(width, height);
    return RegionSpans(region.Get(), width, height);
}

}  // namespace

bool NRDropShadow::Initialize(HINSTANCE instance)
{
    if (s_updateLayeredWindow)
        return false;
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    auto updateLayeredWindow = user32 ? reinterpret_cast<UpdateLayeredWindowFn>(
                                            reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")))
                                      : nullptr;
    if (!updateLayeredWindow)
        return false;

    // Desktop composition (Vista and later) draws shadows of its own.
    s_dwmapi = LoadLibraryByFullPath(SystemLibraryPath("dwmapi.dll"));
    if (s_dwmapi)
        s_dwmIsCompositionEnabled = reinterpret_cast<DwmIsCompositionEnabledFn>(
            reinterpret_cast<void*>(GetProcAddress(s_dwmapi, "DwmIsCompositionEnabled")));

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClassName;
    RegisterClassExA(&wc);

    s_instance = instance;
    s_updateLayeredWindow = updateLayeredWindow;
    return true;
}

void NRDropShadow::Shutdown()
{
    if (!s_updateLayeredWindow)
        return;
    UnregisterClassA(kWindowClassName, s_instance);
    if (s_dwmapi)
        FreeLibrary(s_dwmapi);
    s_dwmapi = nullptr;
    s_dwmIsCompositionEnabled = nullptr;
    s_updateLayeredWindow = nullptr;
    s_instance = nullptr;
}

NRDropShadow::~NRDropShadow()
{
    // An owner that outlives its shadow object gets its own procedure back.
    const auto found = s_shadows.find(m_owner);
    if (found == s_shadows.end() || found->second != this)
        return;
    if (IsWindow(m_owner) &&
        GetWindowLongPtrA(m_owner, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&NRDropShadow::SubclassProc))
        SetWindowLongPtrA(m_owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    if (IsWindow(m_shadow))
        DestroyWindow(m_shadow);
    s_shadows.erase(found);
}

void NRDropShadow::Create(HWND owner)
{
    if (!s_updateLayeredWindow || Created() || !owner)
        return;
    m_shadow = CreateWindowExA(WS_EX_LAYERED | WS_EX_TRANSPARENT, kWindowClassName, "", WS_POPUPWINDOW, CW_USEDEFAULT,
                               0, 0, 0, owner, nullptr, s_instance, nullptr);
    if (!m_shadow) {
        m_shadow = kNotCreated;
        return;
    }
    m_owner = owner;
    s_shadows[owner] = this;
    m_status = kEnabled;
    ReadHighContrast();
    Show(owner);
    m_previousProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(owner, GWLP_WNDPROC));
    SetWindowLongPtrA(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NRDropShadow::SubclassProc));
}

bool NRDropShadow::SetColor(COLORREF colour)
{
    m_style.colour = colour;
    if (ShadowVisible())
        Update(GetParent(m_shadow) ? GetParent(m_shadow) : m_owner);
    return true;
}

bool NRDropShadow::SetSize(int size)
{
    if (size > kMaxSize || size < -kMaxSize)
        return false;
    m_style.size = size;
    if (ShadowVisible())
        Update(m_owner);
    return true;
}

void NRDropShadow::ReadHighContrast()
{
    if (HighContrastOn())
        m_status |= kHighContrast;
    else
        m_status &= ~kHighContrast;
}

void NRDropShadow::Show(HWND owner)
{
    m_status &= kEnabled | kCompositionDisabled | kHighContrast;
    const LONG style = GetWindowLongA(owner, GWL_STYLE);
    if (Working() && (style & WS_VISIBLE)) {
        m_status |= kOwnerVisible;
        if (!(style & (WS_MINIMIZE | WS_MAXIMIZE)))
            m_status |= kShadowVisible;
    }
    if (!Created())
        return;
    if (ShadowVisible()) {
        ShowWindow(m_shadow, SW_SHOWNA);
        Update(owner);
    } else {
        ShowWindow(m_shadow, SW_HIDE);
    }
}

NRShadowStyle NRDropShadow::ScaledStyle(HWND owner) const
{
    const NRScale scale = WindowScale(owner);
    NRShadowStyle scaled = m_style;
    scaled.sharpness = scale.Px(m_style.sharpness);
    scaled.size = scale.Px(m_style.size);
    scaled.xOffset = scale.Px(m_style.xOffset);
    scaled.yOffset = scale.Px(m_style.yOffset);
    return scaled;
}

void NRDropShadow::PlaceShadow(HWND owner)
{
    const NRShadowStyle style = ScaledStyle(owner);
    RECT rect = {};
    GetWindowRect(owner, &rect);
    SetWindowPos(m_shadow, nullptr, rect.left + style.xOffset - style.size, rect.top + style.yOffset - style.size, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
}

void NRDropShadow::Update(HWND owner)
{
    if (!Created() || !s_updateLayeredWindow)
        return;
    RECT rect = {};
    GetWindowRect(owner, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    const NRShadowStyle style = ScaledStyle(owner);
    const int shadowWidth = width + 2 * style.size, shadowHeight = height + 2 * style.size;
    if (shadowWidth <= 0 || shadowHeight <= 0)
        return;

    if (!m_image || m_imageWidth != shadowWidth || m_imageHeight != shadowHeight) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = shadowWidth;
        info.bmiHeader.biHeight = -shadowHeight;  // rows from the top, as the image is computed
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        info.bmiHeader.biSizeImage = static_cast<DWORD>(shadowWidth) * shadowHeight * 4;
        void* bits = nullptr;
        m_image.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<std::uint32_t*>(bits);
        m_imageWidth = m_image && m_bits ? shadowWidth : 0;
        m_imageHeight = m_image && m_bits ? shadowHeight : 0;
        if (!m_imageWidth)
            return;
    }
    std::fill(m_bits, m_bits + static_cast<std::size_t>(shadowWidth) * shadowHeight, 0u);
    MakeShadowImage(OwnerSpans(owner, width, height), width, style, m_bits);

    NRMemoryDC memory(nullptr);
    NRSelection selection(memory.Get(), m_image.Get());
    POINT position = {rect.left + style.xOffset - style.size, rect.top + style.yOffset - style.size};
    SIZE size = {shadowWidth, shadowHeight};
    SetWindowPos(m_shadow, nullptr, position.x, position.y, shadowWidth, shadowHeight,
                 SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOZORDER);
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    s_updateLayeredWindow(m_shadow, nullptr, &position, &size, memory.Get(), &source, 0, &blend, ULW_ALPHA);
}

LRESULT CALLBACK NRDropShadow::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto found = s_shadows.find(hwnd);
    if (found == s_shadows.end())
        return DefWindowProcA(hwnd, message, wParam, lParam);
    return found->second->OnOwnerMessage(hwnd, message, wParam, lParam);
}

LRESULT NRDropShadow::OnOwnerMessage(HWND owner, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC previous = m_previousProc;
    switch (message) {
    case WM_MOVE:
        if (ShadowVisible())
            PlaceShadow(owner);
        break;
    case WM_SIZE:
        if (!Working())
            break;
        if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED) {
            ShowWindow(m_shadow, SW_HIDE);
            m_status &= ~kShadowVisible;
        } else if (GetWindowLongA(owner, GWL_STYLE) & WS_VISIBLE) {
            m_status |= kOwnerVisible;
            const int width = LOWORD(lParam), height = HIWORD(lParam);
            if (!ShadowVisible()) {
                m_status |= kShadowVisible;
                Update(owner);
                ShowWindow(m_shadow, SW_SHOWNA);
                m_updatePending = true;
            } else if (width > m_lastWidth || height > m_lastHeight) {
                m_updatePending = true;  // rebuilt once, at the owner's next repaint
            } else {
                Update(owner);
            }
        }
        m_lastWidth = LOWORD(lParam);
        m_lastHeight = HIWORD(lParam);
        break;
    case WM_PAINT:
        if (m_updatePending) {
            Update(owner);
            m_updatePending = false;
        }
        break;
    case WM_EXITSIZEMOVE:
        if (ShadowVisible())
            Update(owner);
        break;
    case WM_SHOWWINDOW:
        if (Working()) {
            const LRESULT result = CallWindowProcA(previous, owner, message, wParam, lParam);
            if (wParam) {
                m_status |= kShadowVisible | kOwnerVisible;
                ShowWindow(m_shadow, SW_SHOWNA);
                Update(owner);
            } else {
                ShowWindow(m_shadow, SW_HIDE);
                m_status &= ~(kShadowVisible | kOwnerVisible);
            }
            return result;
        }
        break;
    case kCompositionChanged: {
        BOOL composition = FALSE;
        if (!s_dwmIsCompositionEnabled || FAILED(s_dwmIsCompositionEnabled(&composition)))
            composition = FALSE;
        if (composition)
            m_status |= kCompositionDisabled;
        else
            m_status &= ~kCompositionDisabled;
        Show(owner);
        break;
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        if (TakeColourChange(message, wParam)) {
            ReadHighContrast();
            Show(owner);
        }
        break;
    case WM_DESTROY:
        if (IsWindow(m_shadow))
            DestroyWindow(m_shadow);
        break;
    case WM_NCDESTROY:
        s_shadows.erase(owner);
        m_owner = nullptr;
        break;
    default:
        break;
    }
    return CallWindowProcA(previous, owner, message, wParam, lParam);
}
