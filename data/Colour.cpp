#include "data/Colour.h"

void ColorRefToRGB(COLORREF c, CVector3& out)
{
    out.x = float(c & 0xFF) * kByteToUnit;
    out.y = float((c >> 8) & 0xFF) * kByteToUnit;
    out.z = float((c >> 16) & 0xFF) * kByteToUnit;
}
