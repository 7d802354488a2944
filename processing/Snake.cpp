#include "processing/Snake.h"

#include "data/AppSettings.h"

// The settings' fields can be written by anyone, not only through the
// settings dialog's checked fields; a contour takes only values it can run
// with. Out of range goes to the nearer bound, NaN to the default.
CSnake::CSnake(CSliceImage* image, int width, int height)
    : m_pImage(image), m_nWidth(width), m_nHeight(height),
      m_contour(ClampContourParameters(CAppSettings::GetInstance()->m_contour))
{
}

CSnake::~CSnake()
{
    Clear();
}

void CSnake::Clear()
{
    CSnakeNode* node = m_pHead;
    for (int i = 0; i < m_nCount && node; ++i) {
        CSnakeNode* next = node->m_pNext;
        delete node;
        node = next;
    }
    m_pHead = m_pTail = nullptr;
    m_nCount = 0;
}

void CSnake::GetCentroid(float& meanY, float& meanX)
{
    meanX = meanY = 0.0f;
    if (m_nCount <= 0)
        return;
    CSnakeNode* node = m_pHead;
    for (int i = 0; i < m_nCount; ++i, node = node->m_pNext) {
        const float* p = node->GetPosition();
        meanX += p[0];
        meanY += p[1];
    }
    meanX /= float(m_nCount);
    meanY /= float(m_nCount);
}

void CSnake::LinkAfter(CSnakeNode* after, CSnakeNode* node)
{
    if (!m_pHead) {
        node->m_pPrev = node->m_pNext = node;
        m_pHead = m_pTail = node;
        m_nCount = 1;
        return;
    }
    if (!after)
        after = m_pTail;
    node->m_pPrev = after;
    node->m_pNext = after->m_pNext;
    after->m_pNext->m_pPrev = node;
    after->m_pNext = node;
    if (after == m_pTail)
        m_pTail = node;
    ++m_nCount;
}
