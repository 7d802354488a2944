#pragma once

// The six parameters of an active contour: held by the settings, edited by
// the settings dialog and copied into every contour when it is built.
struct ContourParameters {
    float m_fSegmentLength = 10.0f;
    float m_fExternalWeight = 3.0f;
    float m_fInternalWeight = 4.0f;
    float m_fDampingWeight = -1.0f;
    float m_fPointMass = 1.0f;
    float m_fDelta = 0.005f;

    bool operator==(const ContourParameters&) const = default;
};

// The range each contour parameter keeps to: a shorter segment makes the
// contour resample into ever more points, a smaller mass or step and larger
// weights let it blow up to values that are not finite.
struct ContourParameterRange {
    float min = 0.0f, max = 0.0f;
};
inline constexpr ContourParameterRange kSegmentLengthRange{0.5f, 1000.0f};
inline constexpr ContourParameterRange kPointMassRange{0.001f, 1e6f};
inline constexpr ContourParameterRange kDeltaRange{1e-6f, 10.0f};
inline constexpr ContourParameterRange kContourWeightRange{-1e6f, 1e6f};

// Every field moved onto the nearer bound of its range when it lies outside;
// a field that is not a number gets its default.
ContourParameters ClampContourParameters(const ContourParameters& p);
