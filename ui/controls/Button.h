#pragma once
// NRButton, the toolkit's push button: a gradient face with a frame and a caption (accelerator
// underlined) or a bitmap. It tells its parent of presses and clicks, can repeat its click while held,
// can flash, and can be pressed from the keyboard by its owner (Activate).
#include <windows.h>

#include <string>

#include "ui/controls/ButtonGroup.h"
#include "ui/controls/CaptionGlyph.h"
#include "ui/controls/Control.h"
#include "ui/controls/DoubleBuffer.h"
#include "ui/framework/Accessible.h"

class NRDrawContext;

// What decides a button's colours.
struct NRButtonState
{
    bool enabled;
    bool active;    // the window that holds it is active
    bool inDialog;  // that window is a dialog (kind 1 to 3), not the main window
    bool hovered;
    bool focused;
    bool pressed;
    bool alternate;
    bool flashShowing;  // flashing and in the flash phase
    bool floatingFocus;
};

struct NRButtonColours
{
    COLORREF top, bottom, frame, text;
};

// The face, frame and text colours from the palette given; `flashColour` and `textColourIndex` are
// the button's own settings.
NRButtonColours ChooseButtonColours(const NRButtonState& state, COLORREF flashColour, int textColourIndex,
                                    bool lightPalette, bool colorBlind);

// The same in High Contrast: system colours only, one for the whole face. A glyph button stands in
// the main window's caption and takes its colours; a flash lights the face. In a box the pointer
// alone does not light a face: the focused button is the one lit.
NRButtonColours ChooseContrastButtonColours(const NRButtonState& state, bool onCaption);

// R x 299 / 1000 + G x 587 / 1000 + B x 114 / 1000, each term truncated.
int Luminance(COLORREF colour);

class NRButton : public NRControl, public NRWindowImpl<NRButton>, public NRAccessibleSource
{
public:
    static constexpr UINT_PTR kRepeatStartTimerId = 6;
    static constexpr UINT kRepeatStartDelayMs = 500;
    static constexpr UINT_PTR kRepeatReleaseTimerId = 7;
    static constexpr UINT_PTR kRepeatPressTimerId = 8;
    static constexpr UINT kRepeatHalfDelayMs = 50;
    static constexpr UINT_PTR kKeyboardPressTimerId = 9;
    static constexpr UINT kKeyboardPressMs = 500;
    static constexpr UINT_PTR kFlashOffTimerId = 10;
    static constexpr UINT_PTR kFlashOnTimerId = 11;
    static constexpr UINT kFlashOffMs = 300;
    static constexpr UINT kFlashOnMs = 700;
    static constexpr int kDefaultFlashColourIndex = 38;

    NRButton();
    // A bitmap button: the bitmap resource `bitmapId` of the program.
    NRButton(int bitmapId, char accelerator);
    // A bitmap button whose bitmap is a caption glyph drawn at the screen's scale instead of the
    // resource, which would blur when stretched. Set before the window is made.
    void SetGlyph(NRCaptionGlyph glyph) { m_glyph = glyph; }
    // Measures the caption or the glyph again: after the screen's scale changed.
    void Remeasure();

    static NRWndClassInfo& GetWndClassInfo();

    virtual void Paint(NRDrawContext& context);
    // Stores the caption; once the window exists, measures it and repaints.
    virtual void SetCaption(const std::string& caption, char accelerator);

    const std::string& Caption() const { return m_caption; }
    SIZE Size() const { return m_size; }
    bool PressedLook() const { return m_pressedLook != 0; }
    void SetAlternateLook(bool alternate) { m_alternateLook = alternate ? 1 : 0; }
    void SetAutoRepeat(bool repeat) { m_autoRepeat = repeat ? 1 : 0; }
    void SetTextColourIndex(int index) { m_textColourIndex = index; }
    void SetFlashColourIndex(int index) { m_flashColourIndex = index; }
    // Starts or stops flashing: the flash colour for 700 ms, the normal face for 300 ms, in turn.
    void SetFlashing(bool flashing);
    bool FlashShowing() const { return m_flashing && m_flashPhase; }
    // What a screen reader is told: the key that presses the button ("Alt+Y", "Enter"; by default
    // Alt with its accelerator letter).
    void SetShortcut(const std::string& shortcut) { m_shortcut = shortcut; }
    // The row it belongs to (a box's), which the keyboard focuses: readers are told so, its focus
    // shows as a dotted mark, and the row says whether it holds the focus and is the default.
    void SetGroup(NRButtonGroup* group) { m_group = group; }
    bool Focusable() const { return m_group != nullptr; }
    // Whether Enter presses it, as its row says; drawn with a second frame inside the first.
    bool IsDefault() const { return m_group && m_group->IsDefaultButton(*this); }
    // Whether it holds the keyboard focus: as its row says, or for a button of no row, its own flag.
    bool HasFocus() const { return m_group ? m_group->IsFocusedButton(*this) : m_focused != 0; }

    // NRAccessibleSource: a push button named by its window text (the caption), pressed by its
    // default action.
    NRAccessibleSource* AccessibleSource() override { return this; }
    long AccessibleRole() const override { return ROLE_SYSTEM_PUSHBUTTON; }
    std::string AccessibleName() const override { return GetWindowText(); }
    long AccessibleState() const override;
    std::string AccessibleShortcut() const override;
    std::string AccessibleDefaultAction() const override { return "Press"; }
    bool DoAccessibleDefaultAction() override;
    bool AccessibleChildWindows() const override { return false; }

    // NRControl
    void SetFocused(int focused) override;
    int KeyDown(UINT, UINT, UINT) override { return 0; }
    // A space presses the button.
    int Character(UINT code, UINT repeatCount, UINT flags) override;
    HWND WindowHandle() const override { return Handle(); }
    // A keyboard press: the pressed look for half a second, and the click at once.
    void Activate() override;

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void MeasureCaption();
    void MeasureBitmap();
    // The glyph, `ink` on `paper`, in a bitmap of its size at the screen's scale.
    HBITMAP CreateGlyphBitmap(HDC compatibleWith, COLORREF ink, COLORREF paper) const;
    void PaintNow();
    void OnTimer(UINT_PTR id);
    void KillRepeatTimers();

    std::string m_caption;
    int m_bitmapId = 0;
    NRCaptionGlyph m_glyph = NRCaptionGlyph::None;
    SIZE m_size = {0, 0};
    int m_pressedLook = 0;
    int m_armed = 0;
    int m_alternateLook = 0;
    int m_flashing = 0;
    int m_flashPhase = 0;
    int m_autoRepeat = 0;
    int m_textColourIndex = 0;
    int m_flashColourIndex = kDefaultFlashColourIndex;
    std::string m_shortcut;
    NRButtonGroup* m_group = nullptr;
};
