#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "render/Renderer.h"

class CModel;
struct CHistogram;

// One control point: input value x and output value y, both 0..255.
struct TfPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const TfPoint&) const = default;
};

// A point's place in its channel's list; kNoPoint for none.
using TfPosition = int;
constexpr TfPosition kNoPoint = -1;

// Maps the 256 input values of a volume to red, green, blue and alpha: four
// channels of control points sorted by x, each filling one column of the
// renderer's RGBA table by straight lines or a natural cubic spline. Whoever
// changes it asks the renderer to take the new table.
//
// File (.tfn), little-endian: one spline-flag byte, then for red, green,
// blue and alpha a signed 32-bit count and that many (x, y) pairs of signed
// 32-bit values.
class CTransferFunction {
public:
    enum Channel { kRed = 0, kGreen = 1, kBlue = 2, kAlpha = 3 };

    CTransferFunction(CRenderer* renderer, CModel* model);
    ~CTransferFunction();
    // Follows the histogram of `model` (none unless it is a volume); the
    // points stay as they are.
    void SetModel(CModel* model);
    CTransferFunction(const CTransferFunction&) = delete;
    CTransferFunction& operator=(const CTransferFunction&) = delete;

    void FreeSplineArrays(int channel);
    void MakeNegative();
    void ResetCurrent();
    void ResetAll();
    void Stretch();
    void Equalise();
    void LinkChannels();
    TfPosition AddPoint(int x, int y);
    TfPosition FindPoint(int x, int y) const;
    // Clamps (x, y) to where the point may go, moves it there and writes the
    // clamped values back.
    void MovePoint(TfPosition position, int& x, int& y);
    void BuildChannel(int channel, bool reallocate);
    double EvalSpline(double t, int channel) const;
    bool Save(const std::string& path) const;
    // Changes nothing unless the whole file is sound.
    bool Load(const std::string& path);

    std::uint8_t m_bSpline = 1; // kept as read: any non-zero value is spline
    std::vector<TfPoint> m_aPoints[4];
    CHistogram* m_pHistogram = nullptr;
    struct SplineArrays {
        std::vector<std::int32_t> x, y;
        std::vector<double> y2, u;
    };
    SplineArrays m_spline[4];
    std::int32_t m_nCurrent = kRed;
    bool m_bLinked = true;
    RgbaLookupTable* m_pTable = nullptr;

private:
    // Column build of the current channel, then the linked copy.
    void Finish(bool reallocate);
    void BuildLinear(int channel);
    void BuildSpline(int channel, bool reallocate);
    void SetColumn(int channel, int index, std::uint8_t value);
};
