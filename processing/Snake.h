#pragma once

#include "data/ContourParameters.h"

class CSliceImage;

// A node of a contour; positions are pixel coordinates (x column, y row).
class CSnakeNode {
public:
    virtual ~CSnakeNode() = default;
    virtual float* GetPosition() = 0;

    float m_afPosition[2] = {0.0f, 0.0f}; // x, y
    CSnakeNode* m_pPrev = nullptr;
    CSnakeNode* m_pNext = nullptr;
};

// A closed contour on a slice image: a circular doubly linked list of nodes
// (head's previous is the tail) with the contour parameters copied from the
// settings when it is made.
class CSnake {
public:
    CSnake(CSliceImage* image, int width, int height);
    virtual ~CSnake();
    CSnake(const CSnake&) = delete;
    CSnake& operator=(const CSnake&) = delete;

    virtual void AddPoint(float x, float y) = 0;
    virtual void Step() = 0;

    void Clear();
    // Mean node position; (0, 0) for an empty contour.
    void GetCentroid(float& meanY, float& meanX);

    CSliceImage* m_pImage = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
    CSnakeNode* m_pHead = nullptr;
    CSnakeNode* m_pTail = nullptr;
    int m_nCount = 0;
    ContourParameters m_contour;

protected:
    // Links `node` (owned from now on) after `after`; null `after` appends
    // after the tail. Inserting after the tail makes the node the new tail.
    void LinkAfter(CSnakeNode* after, CSnakeNode* node);
};
