#pragma once
#include <cstdint>
#include <vector>

// The restricted-snake diagnostics view: one image of a slice image shown in
// a 511 x 511 pixel square whose top left is at (10, 10) of the dialog's
// client area, zoomed by dragging the right button and panned by dragging
// the left one while zoomed. This is its arithmetic and its picture, without
// any window.
//
// - Fit: an image of w x h pixels is drawn 511 pixels along its longer side
//   from the square's top left, the shorter side trunc(511 / aspect + 0.5)
//   (or aspect x 511) pixels; the pixel scale is view pixels per image pixel.
// - Zoom: a right press sets the anchor to x - round((zoom - 1) x 100), so a
//   new drag goes on from the zoom shown; each move gives zoom = 1 + 0.01 d
//   with d = x - anchor kept within 0 .. 4000 by moving the anchor along.
// - Pan: centre = centre at the press - trunc(pointer moved / zoom).
// - Source: trunc(w / zoom + 0.5) x trunc(h / zoom + 0.5) image pixels about
//   the centre (integer halves), pushed back inside the image with the
//   centre following; no side shorter than one pixel.
// - Picture: the source rectangle stretched into the fitted part of the
//   square by nearest sample (view pixel X shows source column
//   left + X * sw / view width), the rest of the square black; grid lines in
//   blue every zoom x pixel scale view pixels, rounded, across the square.
inline constexpr int kRSnakeViewLeft = 10;
inline constexpr int kRSnakeViewTop = 10;
inline constexpr int kRSnakeViewSize = 511;
inline constexpr int kRSnakeViewBytes = kRSnakeViewSize * kRSnakeViewSize * 3;

struct RSnakeSource {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const RSnakeSource&) const = default;
};

class CRSnakeView {
public:
    // Fits an image of width x height and starts at zoom 1 on the whole
    // image. An empty image leaves nothing to show.
    void Fit(int width, int height);
    bool HasImage() const { return m_nWidth > 0 && m_nHeight > 0; }

    // Whether client pixel (x, y) lies in the square (right and bottom
    // edges outside).
    static bool InView(int x, int y);

    // A right press inside the square: zooming from here on.
    void BeginZoom(int x);
    // A left press inside the square pans from here on, but only while
    // zoomed in; false (nothing changes) at zoom 1.
    bool BeginPan(int x, int y);
    void EndZoom() { m_bZooming = false; }
    void EndPan() { m_bPanning = false; }
    // A pointer move; true when it zoomed or panned (the view must be drawn).
    bool MoveTo(int x, int y);

    // The image pixels shown, for the current zoom.
    RSnakeSource Source() const;
    // View pixel offsets of the grid lines from the square's left (and top):
    // trunc(k x spacing + 0.5) below 511 for k = 0, 1, ...
    std::vector<int> GridLines() const;

    // The square as RGB bytes (kRSnakeViewBytes), top row first, from the
    // image as RGB bytes (width x height x 3, top row first). Without an
    // image (or without its bytes) it is all black.
    void Draw(const std::uint8_t* imageRgb, bool gridLines, std::uint8_t* viewRgb) const;

    // A slice image's plane-layout bytes (pixel (c, r) at c * height + r) as
    // grey RGB bytes, top row first.
    static std::vector<std::uint8_t> GreyImage(const std::uint8_t* plane, int width, int height);

    int m_nWidth = 0, m_nHeight = 0;
    float m_fAspect = 1.0f;
    float m_fPixelScale = 0.0f;
    int m_nViewWidth = 0, m_nViewHeight = 0;
    bool m_bPanning = false, m_bZooming = false;
    int m_nPanMouseX = 0, m_nPanMouseY = 0;
    int m_nPanCentreX = 0, m_nPanCentreY = 0;
    int m_nZoomAnchor = 0;
    float m_fZoom = 1.0f;
    int m_nSourceLeft = 0, m_nSourceTop = 0;
    int m_nCentreX = 0, m_nCentreY = 0;

private:
    void KeepSourceInside();
};
