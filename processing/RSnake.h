#pragma once
#include "processing/Snake.h"

// A node on a pixel edge: the fraction t of the way from grid point A to
// grid point B. A node made for pixel (c, r) lies on its lower edge.
class CRSnakeNode : public CSnakeNode {
public:
    CRSnakeNode(int column, int row);
    float* GetPosition() override;

    float m_fT = 0.5f;
    float m_afA[2] = {0.0f, 0.0f};
    float m_afB[2] = {0.0f, 0.0f};
    bool m_bStale = true; // position to be recomputed from A, B and t
};

// A restricted snake: its nodes move only along their pixel edges.
class CRSnake : public CSnake {
public:
    using CSnake::CSnake;

    void AddPoint(float x, float y) override;
    // Slides every node along its edge towards the lower energy and keeps
    // every position inside [0, width - 2] x [0, height - 2].
    void Step() override;
};
