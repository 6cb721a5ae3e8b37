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
