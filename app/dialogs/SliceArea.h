#pragma once
#include <cstdint>
#include <vector>

class CVolume;

// The slice dialogs (surface generation, segmentation, trajectory planner)
// show one slice of the volume along X, Y or Z in the same fixed area of
// their client area: 512 x 512 pixels with its corner at (11, 11), whatever
// size the dialog units give the controls around it. This is that area's
// arithmetic and picture, without any window: the slice state per axis, the
// fit of a slice into the area, the voxel under a pointer position, and the
// area drawn into an RGB buffer pixel for pixel.
//
// Slices are column-major as the plane views give them: pixel (column c,
// row r) of a slice with h rows is byte c * h + r, row 0 at the top. The
// columns and rows are z and y for an X slice, x and z for a Y slice, x and
// y for a Z slice.

inline constexpr int kSliceAreaLeft = 11;
inline constexpr int kSliceAreaTop = 11;
inline constexpr int kSliceAreaSize = 512;

// Where the slice image lies, in client pixels.
struct SlicePlacement {
    int left = kSliceAreaLeft, top = kSliceAreaTop;
    int width = 0, height = 0;
    bool operator==(const SlicePlacement&) const = default;
};

// How the shorter side of a fitted slice is rounded: truncated (surface
// dialog, trajectory planner) or to the nearest pixel (segmentation dialog).
enum class SliceRounding { kTruncate, kNearest };

// Fits an image of the physical size (width, height) into the area keeping
// its aspect: when it is taller than wide it is 512 high and centred
// horizontally, otherwise 512 wide and centred vertically (integer halves).
// A side that is not positive (a voxel size of 0) makes the voxel counts
// stand for the physical size, so nothing divides by zero; a side is never
// narrower than one pixel.
SlicePlacement FitSlice(double width, double height, int voxelsWide, int voxelsHigh, SliceRounding rounding);

// The voxel index along one axis of `dim` voxels under pointer coordinate
// `p` of an image starting at `from` and `span` pixels long:
// trunc((p - from) / span * dim + 0.5), lowered to dim - 1 where it reaches
// dim. 0 for a span that is not positive.
int PickIndex(int p, int from, int span, int dim);

// RGB bytes of the whole area, rows top down.
inline constexpr int kSliceAreaBytes = kSliceAreaSize * kSliceAreaSize * 3;

// Draws the area into `rgb` (kSliceAreaBytes): black, with the slice of
// `columns` x `rows` bytes as grey (the same byte in red, green and blue)
// stretched into `placement` by nearest sample: image pixel (i, j) shows
// slice column i * columns / width and row j * rows / height.
void DrawSliceArea(const std::uint8_t* slice, int columns, int rows, const SlicePlacement& placement,
                   std::uint8_t* rgb);

// The slice state of a slice dialog: the volume's dimensions and physical
// extents, the shown axis, the current slice of each axis, and one plane
// buffer per axis holding the slice last read for it, so that switching
// back to an axis reads nothing again.
class CSliceArea {
public:
    // Takes the dimensions and extents (trunc(dimension x voxel size + 0.5))
    // of `volume`, the middle slice of each axis (integer halves), axis X and
    // empty plane buffers. Without a volume everything stays 0 and nothing
    // is shown.
    void Init(CVolume* volume);
    // Allocates one buffer per axis (dimY x dimZ, dimX x dimZ, dimX x dimY
    // bytes), each holding no slice yet.
    void AllocPlaneBuffers();
    void FreePlaneBuffers();
    // Marks every buffer as holding no slice, so that the next Plane reads.
    void ForgetPlanes();

    int Axis() const { return m_nAxis; }
    void SetAxis(int axis);
    int Dim(int axis) const { return m_nDim[axis]; }
    int Extent(int axis) const { return m_nExtent[axis]; }
    int Slice(int axis) const { return m_nSlice[axis]; }
    // The shown axis' current slice, kept within 0 .. dimension - 1.
    int CurrentSlice() const { return m_nSlice[m_nAxis]; }
    void SetCurrentSlice(int slice);

    // The volume axes along the image's columns and rows for the shown axis:
    // X: z and y; Y: x and z; Z: x and y.
    int ColumnAxis() const;
    int RowAxis() const;

    // The fit of the shown axis' slice by its physical extents.
    SlicePlacement Fit(SliceRounding rounding) const;
    // The voxel under client pixel (x, y) of the shown slice at `placement`:
    // the current slice on the shown axis, PickIndex on the other two, where
    // a span is the pixel length that stands for a whole axis (the surface
    // dialog uses the image's width and height, the segmentation dialog one
    // less).
    void PickVoxel(int x, int y, const SlicePlacement& placement, int spanX, int spanY, int voxel[3]) const;
    // The voxel where the three current slices cross.
    void Crossing(int voxel[3]) const;

    // The shown axis' plane buffer holding its current slice, read through
    // the volume's plane views (their cache file, or the voxels when there is
    // none) when it holds another; all zero when nothing can be read. Null
    // without buffers.
    const std::uint8_t* Plane();
    // Draws the area for the shown axis' current slice at `placement`.
    void Draw(const SlicePlacement& placement, std::uint8_t* rgb);

    CVolume* m_pVolume = nullptr;
    int m_nAxis = 0;
    int m_nDim[3] = {0, 0, 0};
    int m_nExtent[3] = {0, 0, 0};
    int m_nSlice[3] = {0, 0, 0};
    int m_nLoaded[3] = {-1, -1, -1};
    std::vector<std::uint8_t> m_pPlane[3];
    std::int64_t m_nPlaneSize[3] = {0, 0, 0};
};
