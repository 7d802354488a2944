#pragma once
// One frame of the stereo window: the renderer draws its model twice on the
// window's surface, once per eye with that eye's frustum and look-at, into
// two viewports side by side or into one viewport through the colour masks
// of the glasses. The renderer's viewport and matrices are put back after,
// so the 3D view's next frame sees its own camera.
#include "platform/Types.h"
#include "render/StereoGeometry.h"

class CRenderer;
class IGlSurface;

struct StereoPairRequest {
    const StereoGeometry* geometry = nullptr;
    int method = kStereoDualViewports;
    int glasses = kGlassesRedBlue;
    COLORREF background = 0;
    // Swap after the second eye. The clipboard copy reads the back buffer
    // before it swaps.
    bool swap = true;
};

// Draws the pair on `dc` with the renderer's own context; nothing without a
// renderer, a surface or a geometry.
void RenderStereoPair(CRenderer* renderer, IGlSurface* dc, const StereoPairRequest& request);
