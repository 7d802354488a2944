#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/Mesh.h"

// One frame of an endoscope capture: a chain of up to 16 sensor points with
// directions, the segment lengths between them and a target point. Its mesh
// is a closed octagonal tube of quads along a Hermite curve through the
// points, from the first point up to the sample nearest the target; it is
// rebuilt whenever the model is dirty and its bounds are asked for.
class CEndoscopeModel : public CMesh {
public:
    static constexpr int kMaxPoints = 16;
    static constexpr int kRingVertices = 8;
    // More samples along one tube than this add nothing visible; without a
    // bound one very short segment (the step is a third of the shortest)
    // would give every other segment thousands of rings.
    static constexpr int kMaxSamplesPerTube = 4096;
    // Built tubes of all models together are kept within this many bytes: a
    // capture of thousands of frames would otherwise keep every tube the
    // frame slider ever showed (up to 1.3 MB each). The tubes built longest
    // ago are released first and built again when next asked for.
    static constexpr std::size_t kTubeBudgetBytes = std::size_t(64) << 20;

    CEndoscopeModel();
    ~CEndoscopeModel() override;

    void UpdateBounds() override;
    // Bytes the built tube holds: vertices, normals, indices, centre line.
    std::size_t TubeBytes() const;
    // Frees the built tube; the model is dirty, so it is built again when
    // its bounds are next asked for (before it is drawn).
    void ReleaseTube();
    // Sets the point count and the first `count` lengths; dirty on a change.
    void SetSegmentLengths(int count, const float* lengths);

    // Direction of the angles (theta, phi).
    static CVector3 Direction(double theta, double phi);
    // The ring around c1 that follows the ring `prev` around c0 when the path
    // goes on to c2: each vertex slides along c1 - c0 into the mitre plane.
    static void SweepRing(const CVector3* prev, const CVector3& c0, const CVector3& c1, const CVector3& c2,
                          CVector3* next);

    std::int32_t m_nPoints = 0;
    float m_fSegmentLength[kMaxPoints] = {};
    CVector3 m_vPoint[kMaxPoints];
    double m_dAngle[kMaxPoints][2] = {};
    std::int32_t m_bPointValid[kMaxPoints] = {};
    CVector3 m_vTarget;
    float m_fTubeRadius = 1.0f;
    std::int32_t m_nSamplesPerShortest = 3;
    std::int32_t m_nRings = 0;
    std::unique_ptr<CVector3[]> m_pCentreline;
    std::vector<CVector3> m_lstSamples;

private:
    // Fills m_pCentreline (a points plus one extrapolated) and returns a.
    int BuildCentreline();
    void FillIndices(int rings);
    void PlaceRings(int rings);
};
