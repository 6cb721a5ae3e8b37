#pragma once
// Which palette entries a control's face takes in its state: the one choice that buttons, scroll
// bars, list frames and current list rows share.

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
