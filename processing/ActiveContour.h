#pragma once
#include "processing/Snake.h"

class CContourNode : public CSnakeNode {
public:
    float* GetPosition() override { return m_afPosition; }

    float m_afTangent[2] = {0.0f, 0.0f}; // unit vector to the next node
    float m_fCurvature = 0.0f;
    float m_afVelocity[2] = {0.0f, 0.0f};
    float m_afImageForce[2] = {0.0f, 0.0f};
    float m_afInternalForce[2] = {0.0f, 0.0f};
    float m_afNormal[2] = {0.0f, 0.0f};
};

// A closed polygon moved by curvature, the slice image's energy and damping,
// integrated explicitly, and resampled towards the target segment length.
// Positions stay in [0, width - 2] x [0, height - 2] so the 2 x 2 energy
// lookup stays inside the image.
class CActiveContour : public CSnake {
public:
    using CSnake::CSnake;

    void AddPoint(float x, float y) override;
    void Step() override;
    // Merges nodes closer than half the segment length and splits gaps
    // longer than 1.5 segment lengths at their midpoints.
    void Resample();
    // The most nodes the insert pass makes for this image and length.
    int MaxNodes() const;
    static constexpr int kMaxNodes = 1 << 22;
    CContourNode* InsertAfter(CContourNode* node, float x, float y);
    void RemoveNode(CContourNode* node);

    CContourNode* Head() const { return static_cast<CContourNode*>(m_pHead); }
};
