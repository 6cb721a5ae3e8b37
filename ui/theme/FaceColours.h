#pragma once
// Which palette entries a control's face takes in its state: the one choice that buttons, scroll
// bars, list frames and current list rows share. And the same choice in High Contrast, where every
// surface takes system colours as a standard dialog's would.
#include <windows.h>

// Palette indices of a face: its gradient's top and bottom, and its frame.
struct NRFaceColours
{
    int top, bottom, frame;
};

constexpr NRFaceColours kInactiveFace = {20, 21, 22};
constexpr NRFaceColours kNormalFace = {23, 24, 25};
constexpr NRFaceColours kHoveredFace = {26, 27, 28};
constexpr NRFaceColours kFocusedFace = {29, 30, 31};
constexpr NRFaceColours kPressedFace = {32, 33, 34};

struct NRFaceState
{
    bool enabled;
    bool active;  // the window that holds the control is active
    bool hovered;
    bool focused;
    bool pressed;
    bool hoverLooksFocused;  // the pointer alone lights the face as the focus does
};

// Disabled or in an inactive window: inactive; pressed while hovered or focused: pressed; then
// focused, hovered (or focused, see `hoverLooksFocused`), normal.
NRFaceColours ChooseFaceColours(const NRFaceState& state);

inline bool operator==(const NRFaceColours& a, const NRFaceColours& b)
{
    return a.top == b.top && a.bottom == b.bottom && a.frame == b.frame;
}

// System colours (COLOR_... indices) of a surface in High Contrast: its flat fill, its text and its
// frame.
struct NRSystemFace
{
    int fill, text, frame;
};

// What a surface is, for its system colours.
enum class NRFacePlace
{
    Window,       // a window's or box's body, a list's background and outline
    Control,      // a button, a scroll bar's thumb and track
    Caption,      // a button standing in the main window's caption
    Row,          // a list row that is neither current nor marked
    SelectedRow,  // the current row, or a marked one
};

// A window is window colours, its text and frames window text. A control is button face with button
// text and frame; lit (pressed, focused or hovered, in an active window) it is highlight with
// highlight text, as a caption button is; otherwise a caption button takes the caption's colours. A
// selected row is highlight, other rows window colours without a visible frame. Disabled, the text
// (and a control's or window's frame) is grey text.
NRSystemFace ChooseSystemFace(const NRFaceState& state, NRFacePlace place);

// The active or inactive caption's colours: the main window's caption band and a box's title band.
NRSystemFace CaptionSystemFace(bool active);

inline bool operator==(const NRSystemFace& a, const NRSystemFace& b)
{
    return a.fill == b.fill && a.text == b.text && a.frame == b.frame;
}
