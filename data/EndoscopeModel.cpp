#include "data/EndoscopeModel.h"

#include <algorithm>
#include <cmath>

#include "data/Quaternion.h"

namespace {
CVector3 Unit(CVector3 v)
{
    v.Normalize();
    return v;
}

double Distance(const CVector3& a, const CVector3& b)
{
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// C(t) of the cubic Hermite curve from p0 to p1 with tangents t0 and t1.
CVector3 Hermite(const CVector3& p0, const CVector3& p1, const CVector3& t0, const CVector3& t1, double t)
{
    const auto axis = [t](float a, float b, float ta, float tb) {
        const double c2 = 3.0 * (double(b) - a) - 2.0 * ta - tb;
        const double c3 = 2.0 * (double(a) - b) + ta + tb;
        return float(a + ta * t + c2 * t * t + c3 * t * t * t);
    };
    return {axis(p0.x, p1.x, t0.x, t1.x), axis(p0.y, p1.y, t0.y, t1.y), axis(p0.z, p1.z, t0.z, t1.z)};
}

// The models whose tubes are built, the one built longest ago first. Models
// are built and drawn on the one thread that runs the view.
std::vector<CEndoscopeModel*>& BuiltTubes()
{
    static std::vector<CEndoscopeModel*> built;
    return built;
}

void Forget(const CEndoscopeModel* model)
{
    auto& built = BuiltTubes();
    built.erase(std::remove(built.begin(), built.end(), model), built.end());
}

// Records `model` as built last and releases the oldest tubes until all fit
// in the budget; the one just built stays, whatever its size.
void Remember(CEndoscopeModel* model)
{
    Forget(model);
    auto& built = BuiltTubes();
    built.push_back(model);
    std::size_t total = 0;
    for (const CEndoscopeModel* m : built)
        total += m->TubeBytes();
    while (total > CEndoscopeModel::kTubeBudgetBytes && built.front() != model) {
        CEndoscopeModel* oldest = built.front();
        total -= oldest->TubeBytes();
        oldest->ReleaseTube(); // forgets it
    }
}

constexpr CVector3 kTemplate[CEndoscopeModel::kRingVertices] = {
    {-1, -1, 0}, {-1, 0, 0}, {-1, 1, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {1, -1, 0}, {0, -1, 0},
};
} // namespace

CEndoscopeModel::CEndoscopeModel()
{
    SetDescription("Endoscope model built with a mesh from Quellin data capture.");
    m_bDirty = true;
}

CEndoscopeModel::~CEndoscopeModel()
{
    Forget(this);
    m_pCentreline.reset();
    m_lstSamples.clear();
}

CVector3 CEndoscopeModel::Direction(double theta, double phi)
{
    return {float(std::sin(theta) * std::cos(phi)), float(std::sin(theta) * std::sin(phi)), float(std::cos(theta))};
}

void CEndoscopeModel::SetSegmentLengths(int count, const float* lengths)
{
    count = std::clamp(count, 0, kMaxPoints);
    if (m_nPoints != count) {
        m_nPoints = count;
        m_bDirty = true;
    }
    for (int i = 0; i < count; ++i) {
        if (m_fSegmentLength[i] != lengths[i]) {
            m_fSegmentLength[i] = lengths[i];
            m_bDirty = true;
        }
    }
}

int CEndoscopeModel::BuildCentreline()
{
    const int n = std::clamp(int(m_nPoints), 0, kMaxPoints);
    if (n == 0)
        return 0;
    float shortest = 0.0f;
    for (int i = 0; i < n; ++i) {
        const float g = m_fSegmentLength[i];
        if (g > 0.0f && std::isfinite(g) && (shortest == 0.0f || g < shortest))
            shortest = g;
    }
    double h = double(shortest) / m_nSamplesPerShortest;
    // Without a usable step there is no curve to sample.
    if (!(h > 0.0) || !std::isfinite(h))
        return 0;
    // A step that would take more samples than the tube may have grows, so
    // the samples spread over the segments by their lengths as before.
    double length = 0.0;
    for (int i = 0; i < n - 1 && m_bPointValid[i + 1]; ++i)
        if (std::isfinite(m_fSegmentLength[i]))
            length += std::fabs(double(m_fSegmentLength[i]));
    if (length / h > kMaxSamplesPerTube)
        h = length / kMaxSamplesPerTube;

    int budget = kMaxSamplesPerTube; // an infinite length still takes no more
    m_lstSamples.clear();
    m_lstSamples.push_back(m_vPoint[0]);
    for (int i = 0; i < n - 1 && m_bPointValid[i + 1]; ++i) {
        const float g = m_fSegmentLength[i];
        const CVector3& p0 = m_vPoint[i];
        const CVector3& p1 = m_vPoint[i + 1];
        const CVector3 t0 = Direction(m_dAngle[i][0], m_dAngle[i][1]) * -g;
        const CVector3 t1 = Direction(m_dAngle[i + 1][0], m_dAngle[i + 1][1]) * -g;
        const double steps = std::fabs(double(g) / h);
        const int m = std::isnan(steps) ? 0 : int(std::min(steps, double(budget)));
        budget -= m;
        for (int j = 1; j <= m; ++j)
            m_lstSamples.push_back(Hermite(p0, p1, t0, t1, double(j) / m));
    }

    // The tube ends at the candidate nearest the target among those strictly
    // closer than the start; the first of equals wins.
    const int count = int(m_lstSamples.size());
    double best = Distance(m_lstSamples[0], m_vTarget);
    int k = -1;
    for (int i = 1; i <= count - 2; ++i) {
        const double d = Distance(m_lstSamples[i], m_vTarget);
        if (d < best) {
            best = d;
            k = i;
        }
    }
    int a = 0;
    if (k > 0) {
        a = k + 2;
        m_pCentreline.reset(new CVector3[std::size_t(a) + 1]);
        std::copy(m_lstSamples.begin(), m_lstSamples.begin() + a, m_pCentreline.get());
        const CVector3& last = m_pCentreline[a - 1];
        m_pCentreline[a] = last + (last - m_pCentreline[a - 2]);
    }
    // Emptied with its storage: kept, it would stay with every frame once
    // built (up to 96 KB).
    std::vector<CVector3>().swap(m_lstSamples);
    return a;
}

void CEndoscopeModel::FillIndices(int rings)
{
    std::int32_t* p = m_pIndices.get();
    const std::int32_t V = kRingVertices * rings;
    const std::int32_t caps[24] = {0,     1,     2,     3,     4,     5,     6,     7,     0,     3,     4,     7,
                                   V - 1, V - 2, V - 3, V - 4, V - 5, V - 6, V - 7, V - 8, V - 1, V - 4, V - 5, V - 8};
    p = std::copy(std::begin(caps), std::end(caps), p);
    static constexpr std::int32_t kSide[32] = {0, 8, 9,  1, 1, 9,  10, 2, 2, 10, 11, 3,  3, 11, 12, 4,
                                               5, 4, 12, 13, 6, 5, 13, 14, 7, 6,  14, 15, 0, 7,  15, 8};
    for (int r = 0; r + 1 < rings; ++r) {
        const std::int32_t o = kRingVertices * r;
        for (std::int32_t v : kSide)
            *p++ = o + v;
    }
}

void CEndoscopeModel::SweepRing(const CVector3* prev, const CVector3& c0, const CVector3& c1, const CVector3& c2,
                                CVector3* next)
{
    const CVector3 s = c1 - c0;
    const CVector3 q = Unit(s) + Unit(c2 - c1);
    const float sq = Dot(s, q);
    for (int v = 0; v < kRingVertices; ++v) {
        const CVector3 o = prev[v] - c0;
        const float f = sq != 0.0f ? Dot(o, q) / sq : 0.0f;
        // A path folding back on itself has no mitre plane: the ring is moved
        // along the segment unchanged.
        next[v] = c1 + o - s * (std::isfinite(f) ? f : 0.0f);
    }
}

void CEndoscopeModel::PlaceRings(int rings)
{
    const CVector3* c = m_pCentreline.get();
    const CVector3 v = c[1] - c[0];
    const float theta = std::atan2(std::sqrt(v.x * v.x + v.y * v.y), v.z);
    const float phi = std::atan2(v.y, v.x);
    float m1[16], m2[16];
    AxisAngleToMatrix({0, -1, 0}, theta, m1);
    AxisAngleToMatrix({0, 0, -1}, phi, m2);
    CVector3* ring = m_pVertices.get();
    for (int i = 0; i < kRingVertices; ++i) {
        CVector3 p = Unit(kTemplate[i]) * m_fTubeRadius;
        TransformPoint(m1, p);
        TransformPoint(m2, p);
        ring[i] = p + c[0];
    }
    for (int r = 1; r < rings; ++r, ring += kRingVertices)
        SweepRing(ring, c[r - 1], c[r], c[r + 1], ring + kRingVertices);
}

std::size_t CEndoscopeModel::TubeBytes() const
{
    const std::size_t centre = m_pCentreline ? std::size_t(m_nRings) + 1 : 0;
    return (2 * std::size_t(m_nVertices) + centre) * sizeof(CVector3) + std::size_t(m_nIndices) * sizeof(std::int32_t);
}

void CEndoscopeModel::ReleaseTube()
{
    Forget(this);
    SetVertexCount(0);
    SetIndexCount(0);
    m_pCentreline.reset();
    m_nRings = 0;
    m_nPolygons = 0;
    m_bDirty = true;
}

void CEndoscopeModel::UpdateBounds()
{
    m_bDirty = false;
    m_pCentreline.reset();
    const int a = BuildCentreline();
    m_nRings = a;
    if (a == 0) {
        Forget(this);
        SetVertexCount(0);
        SetIndexCount(0);
        m_nPolygons = 0;
        m_vMin = m_vMax = CVector3();
        m_fDiagonal = 0.0f;
        return;
    }
    m_nPrimitive = kGlQuads;
    SetVertexCount(kRingVertices * a);
    m_nPolygons = kRingVertices * a - 2;
    SetIndexCount(32 * a - 8);
    FillIndices(a);
    PlaceRings(a);
    ComputeNormals();
    // Bounds from the tube itself, so the view centres on it and sees it.
    BoundsFromVertices();
    m_fDiagonal = (m_vMax - m_vMin).Length();
    Remember(this);
}
