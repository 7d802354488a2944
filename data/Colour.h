#pragma once
#include "data/Vector3.h"
#include "platform/Types.h"

constexpr float kByteToUnit = 0.003921569f; // single-precision 1/255

// (red, green, blue) of a COLORREF in 0..1; the top byte is ignored.
void ColorRefToRGB(COLORREF c, CVector3& out);
