#include "processing/ActiveContour.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "processing/SliceImage.h"

namespace {

CContourNode* Next(CContourNode* n)
{
    return static_cast<CContourNode*>(n->m_pNext);
}

CContourNode* Prev(CContourNode* n)
{
    return static_cast<CContourNode*>(n->m_pPrev);
}

float Distance(const CContourNode* a, const CContourNode* b)
{
    const float dx = b->m_afPosition[0] - a->m_afPosition[0];
    const float dy = b->m_afPosition[1] - a->m_afPosition[1];
    return std::sqrt(dx * dx + dy * dy);
}

void Unit(float x, float y, float* out)
{
    const float len = std::sqrt(x * x + y * y);
    if (len > 0.0f) {
        out[0] = x / len;
        out[1] = y / len;
    } else {
        out[0] = out[1] = 0.0f;
    }
}

// Keeps one coordinate inside [0, hi]; a coordinate that is not finite
// (zero point mass, runaway forces) lands on the bound it ran towards.
void ClampAxis(float& pos, float& vel, float hi)
{
    if (!std::isfinite(vel))
        vel = 0.0f;
    if (std::isnan(pos)) {
        pos = 0.0f;
        vel = 0.0f;
    } else if (pos < 0.0f) {
        pos = 0.0f;
        vel = 0.0f;
    } else if (pos > hi) {
        pos = hi;
        vel = 0.0f;
    }
}

// The truncated coordinate of the energy cell, kept in 0..hi.
int Cell(float v, int hi)
{
    if (!(v >= 0.0f))
        return 0;
    return v >= float(hi) ? hi : int(v);
}

} // namespace

void CActiveContour::AddPoint(float x, float y)
{
    InsertAfter(static_cast<CContourNode*>(m_pTail), x, y);
}

CContourNode* CActiveContour::InsertAfter(CContourNode* node, float x, float y)
{
    auto* n = new CContourNode;
    n->m_afPosition[0] = x;
    n->m_afPosition[1] = y;
    LinkAfter(node, n);
    return n;
}

void CActiveContour::RemoveNode(CContourNode* node)
{
    if (m_nCount <= 1) {
        Clear();
        return;
    }
    node->m_pPrev->m_pNext = node->m_pNext;
    node->m_pNext->m_pPrev = node->m_pPrev;
    if (node == m_pHead)
        m_pHead = node->m_pNext;
    if (node == m_pTail)
        m_pTail = node->m_pPrev;
    delete node;
    --m_nCount;
}

void CActiveContour::Resample()
{
    const float len = m_contour.m_fSegmentLength;
    // A length that is not positive would split gaps for ever.
    if (!m_pHead || !(len > 0.0f))
        return;

    // Merge pass: the merged node is not compared again with its new
    // successor; the scan goes on after the removed node.
    CContourNode* node = Head();
    for (;;) {
        CContourNode* next = Next(node);
        const bool last = next == m_pHead;
        if (Distance(node, next) < 0.5f * len) {
            float* p = node->m_afPosition;
            p[0] = (p[0] + next->m_afPosition[0]) * 0.5f;
            p[1] = (p[1] + next->m_afPosition[1]) * 0.5f;
            float* v = node->m_afVelocity;
            v[0] = (v[0] + next->m_afVelocity[0]) * 0.5f;
            v[1] = (v[1] + next->m_afVelocity[1]) * 0.5f;
            if (m_nCount <= 2)
                break;
            RemoveNode(next);
            if (last)
                break;
            node = Next(node);
            // Removing the tail brings the scan back to the head.
            if (node == m_pHead)
                break;
        } else {
            if (last)
                break;
            node = next;
        }
    }

    // Insert pass: a long gap is halved until no piece exceeds 1.5 lengths;
    // the closing gap (tail to head) is split once. Unstable settings make a
    // contour zig-zag across the image and double its nodes at every step;
    // no region boundary of the image is longer than 2 x width x height, so
    // splitting stops at that many lengths' worth of nodes.
    const int maxNodes = MaxNodes();
    node = Head();
    for (;;) {
        CContourNode* next = Next(node);
        const bool last = next == m_pHead;
        if (m_nCount < maxNodes && Distance(node, next) > 1.5f * len) {
            CContourNode* mid = InsertAfter(node, (node->m_afPosition[0] + next->m_afPosition[0]) * 0.5f,
                                            (node->m_afPosition[1] + next->m_afPosition[1]) * 0.5f);
            mid->m_afVelocity[0] = (node->m_afVelocity[0] + next->m_afVelocity[0]) * 0.5f;
            mid->m_afVelocity[1] = (node->m_afVelocity[1] + next->m_afVelocity[1]) * 0.5f;
            if (last)
                break;
            continue; // look at (node, mid) again
        }
        if (last)
            break;
        node = next;
    }
}

int CActiveContour::MaxNodes() const
{
    const double bound =
        2.0 * double(std::max(m_nWidth, 1)) * double(std::max(m_nHeight, 1)) / double(m_contour.m_fSegmentLength);
    return int(std::clamp(bound, 16.0, double(kMaxNodes)));
}

void CActiveContour::Step()
{
    Resample();
    if (m_nCount < 3)
        return;

    CContourNode* head = Head();
    CContourNode* n = head;
    do {
        CContourNode* next = Next(n);
        Unit(next->m_afPosition[0] - n->m_afPosition[0], next->m_afPosition[1] - n->m_afPosition[1],
             n->m_afTangent);
        n = next;
    } while (n != head);

    float sum = 0.0f;
    do {
        const float* pt = Prev(n)->m_afTangent;
        const float* t = n->m_afTangent;
        Unit(pt[1] + t[1], -(pt[0] + t[0]), n->m_afNormal);
        n->m_fCurvature = (t[0] - pt[0]) * n->m_afNormal[0] + (t[1] - pt[1]) * n->m_afNormal[1];
        sum += n->m_fCurvature;
        n = Next(n);
    } while (n != head);
    const float mean = sum / float(m_nCount);

    do {
        const float k = n->m_fCurvature - mean;
        n->m_afInternalForce[0] = k * n->m_afNormal[0];
        n->m_afInternalForce[1] = k * n->m_afNormal[1];
        n = Next(n);
    } while (n != head);

    // A 2 x 2 lookup needs an image of at least 2 x 2; traced points may sit
    // on the last column or row, so the cell is clamped inside.
    const int w = m_nWidth;
    const int h = m_nHeight;
    const std::uint8_t* energy = nullptr;
    if (m_pImage && w >= 2 && h >= 2 && m_pImage->m_nWidth == w && m_pImage->m_nHeight == h) {
        if (!m_pImage->m_pEnergy)
            m_pImage->ComputeInverseGradient();
        energy = m_pImage->m_pEnergy.get();
    }
    do {
        float* f = n->m_afImageForce;
        if (energy) {
            const int c = Cell(n->m_afPosition[0], w - 2);
            const int r = Cell(n->m_afPosition[1], h - 2);
            const std::uint8_t* e0 = energy + std::size_t(r) * w + c;
            const std::uint8_t* e1 = e0 + w;
            const float a = float(e1[1]) - float(e0[0]);
            const float b = float(e0[1]) - float(e1[0]);
            const float* nv = n->m_afNormal;
            const float d = -0.5f * (a * (nv[0] + nv[1]) + b * (nv[0] - nv[1]));
            f[0] = d * nv[0];
            f[1] = d * nv[1];
        } else {
            f[0] = f[1] = 0.0f;
        }
        n = Next(n);
    } while (n != head);

    const float hiX = float(std::max(0, w - 2));
    const float hiY = float(std::max(0, h - 2));
    const ContourParameters& cp = m_contour;
    do {
        float* p = n->m_afPosition;
        float* v = n->m_afVelocity;
        p[0] += cp.m_fDelta * v[0];
        p[1] += cp.m_fDelta * v[1];
        for (int i = 0; i < 2; ++i)
            v[i] += (cp.m_fInternalWeight * n->m_afInternalForce[i] + cp.m_fExternalWeight * n->m_afImageForce[i] +
                     cp.m_fDampingWeight * v[i]) /
                    cp.m_fPointMass * cp.m_fDelta;
        ClampAxis(p[0], v[0], hiX);
        ClampAxis(p[1], v[1], hiY);
        n = Next(n);
    } while (n != head);
}
