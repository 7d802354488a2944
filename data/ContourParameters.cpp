#include "data/ContourParameters.h"

#include <algorithm>
#include <cmath>

namespace {
float Clamp(float value, ContourParameterRange range, float fallback)
{
    if (std::isnan(value))
        return fallback;
    return std::clamp(value, range.min, range.max);
}
} // namespace

ContourParameters ClampContourParameters(const ContourParameters& p)
{
    const ContourParameters d;
    ContourParameters c;
    c.m_fSegmentLength = Clamp(p.m_fSegmentLength, kSegmentLengthRange, d.m_fSegmentLength);
    c.m_fExternalWeight = Clamp(p.m_fExternalWeight, kContourWeightRange, d.m_fExternalWeight);
    c.m_fInternalWeight = Clamp(p.m_fInternalWeight, kContourWeightRange, d.m_fInternalWeight);
    c.m_fDampingWeight = Clamp(p.m_fDampingWeight, kContourWeightRange, d.m_fDampingWeight);
    c.m_fPointMass = Clamp(p.m_fPointMass, kPointMassRange, d.m_fPointMass);
    c.m_fDelta = Clamp(p.m_fDelta, kDeltaRange, d.m_fDelta);
    return c;
}
