#include "ui/theme/Scale.h"

namespace {

NRScale g_screenScale;

}  // namespace

NRScale ScreenScale() { return g_screenScale; }

void SetScreenScale(NRScale scale)
{
    // A DPI no display reports would make every size nonsense.
    if (scale.dpi >= 24 && scale.dpi <= 960)
        g_screenScale = scale;
}
