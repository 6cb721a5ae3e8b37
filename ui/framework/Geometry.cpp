#include "ui/framework/Geometry.h"

POINT CenteredTopLeft(const RECT& window, const RECT& centreOn, const RECT& area)
{
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG left = (centreOn.left + centreOn.right) / 2 - width / 2;
    LONG top = (centreOn.top + centreOn.bottom) / 2 - height / 2;

    if (left + width > area.right)
        left = area.right - width;
    if (top + height > area.bottom)
        top = area.bottom - height;
    if (left < area.left)
        left = area.left;
    if (top < area.top)
        top = area.top;
    return POINT{left, top};
}
