#include "ui/theme/FaceColours.h"

NRFaceColours ChooseFaceColours(const NRFaceState& state)
{
    if (!state.enabled || !state.active)
        return kInactiveFace;
    if (state.pressed && (state.hovered || state.focused))
        return kPressedFace;
    if (state.focused)
        return kFocusedFace;
    if (state.hovered)
        return state.hoverLooksFocused ? kFocusedFace : kHoveredFace;
    return kNormalFace;
}

namespace {

constexpr NRSystemFace kLitSystemFace = {COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHTTEXT};

bool Lit(const NRFaceState& state)
{
    // A press shows only while the pointer or the focus is on the face, as in the palette.
    return state.enabled && state.active && (state.focused || state.hovered);
}

}  // namespace

NRSystemFace CaptionSystemFace(bool active)
{
    return active ? NRSystemFace{COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT, COLOR_CAPTIONTEXT}
                  : NRSystemFace{COLOR_INACTIVECAPTION, COLOR_INACTIVECAPTIONTEXT, COLOR_INACTIVECAPTIONTEXT};
}

NRSystemFace ChooseSystemFace(const NRFaceState& state, NRFacePlace place)
{
    const int text = state.enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT;
    switch (place) {
    case NRFacePlace::Window:
        return NRSystemFace{COLOR_WINDOW, text, text};
    case NRFacePlace::Row:
        return NRSystemFace{COLOR_WINDOW, text, COLOR_WINDOW};
    case NRFacePlace::SelectedRow:
        return state.enabled ? kLitSystemFace : NRSystemFace{COLOR_WINDOW, COLOR_GRAYTEXT, COLOR_GRAYTEXT};
    case NRFacePlace::Caption:
        return Lit(state) ? kLitSystemFace : CaptionSystemFace(state.enabled && state.active);
    case NRFacePlace::Control:
        break;
    }
    if (!state.enabled)
        return NRSystemFace{COLOR_BTNFACE, COLOR_GRAYTEXT, COLOR_GRAYTEXT};
    return Lit(state) ? kLitSystemFace : NRSystemFace{COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_BTNTEXT};
}
