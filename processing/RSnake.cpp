#include "processing/RSnake.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "processing/SliceImage.h"

CRSnakeNode::CRSnakeNode(int column, int row)
{
    m_afA[0] = float(column);
    m_afA[1] = float(row + 1);
    m_afB[0] = float(column + 1);
    m_afB[1] = float(row + 1);
}

float* CRSnakeNode::GetPosition()
{
    if (m_bStale) {
        m_afPosition[0] = m_afA[0] + m_fT * (m_afB[0] - m_afA[0]);
        m_afPosition[1] = m_afA[1] + m_fT * (m_afB[1] - m_afA[1]);
        m_bStale = false;
    }
    return m_afPosition;
}

void CRSnake::AddPoint(float x, float y)
{
    LinkAfter(m_pTail, new CRSnakeNode(int(x), int(y)));
}

void CRSnake::Step()
{
    if (!m_pHead)
        return;
    const float hiX = float(std::max(0, m_nWidth - 2));
    const float hiY = float(std::max(0, m_nHeight - 2));
    const std::uint8_t* energy = nullptr;
    if (m_pImage && m_nWidth > 0 && m_nHeight > 0 && m_pImage->m_nWidth == m_nWidth &&
        m_pImage->m_nHeight == m_nHeight) {
        if (!m_pImage->m_pEnergy)
            m_pImage->ComputeInverseGradient();
        energy = m_pImage->m_pEnergy.get();
    }
    auto energyAt = [&](const float* g) {
        const int c = std::clamp(int(g[0]), 0, m_nWidth - 1);
        const int r = std::clamp(int(g[1]), 0, m_nHeight - 1);
        return float(energy[std::size_t(r) * m_nWidth + c]) / 255.0f;
    };
    CSnakeNode* n = m_pHead;
    for (int i = 0; i < m_nCount; ++i, n = n->m_pNext) {
        auto* node = static_cast<CRSnakeNode*>(n);
        for (float* g : {node->m_afA, node->m_afB}) {
            g[0] = std::clamp(g[0], 0.0f, hiX);
            g[1] = std::clamp(g[1], 0.0f, hiY);
        }
        if (energy) {
            const float step = m_contour.m_fExternalWeight * m_contour.m_fDelta;
            const float t = node->m_fT - step * (energyAt(node->m_afB) - energyAt(node->m_afA));
            node->m_fT = std::isfinite(t) ? std::clamp(t, 0.0f, 1.0f) : 0.5f;
        }
        node->m_bStale = true;
    }
}
