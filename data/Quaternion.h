#pragma once
#include "data/Vector3.h"

// Rotation quaternion, vector part first: (x, y, z, w); identity (0, 0, 0, 1).
struct Quaternion {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
    bool operator==(const Quaternion& o) const = default;
};

// q = q * r (Hamilton product, q on the left). Every 98th call in the process
// rescales q by 1 / (sum of squares), which keeps a long chain of
// compositions near unit length.
void AddQuats(Quaternion& q, const Quaternion& r);
// Rotation matrix of q, not normalised first.
void QuatToMatrix(const Quaternion& q, float m[16]);
// Rotation by `angle` radians about `axis` (a normalised copy when it is not
// of unit length).
void AxisAngleToMatrix(const CVector3& axis, float angle, float m[16]);
// p = m * (p, 1), first three rows only.
void TransformPoint(const float m[16], CVector3& p);
// The quaternion of an axis and an angle in radians: (sin(-a/2) axis, cos(-a/2)).
Quaternion AxisAngleToQuat(const CVector3& axis, float angle);

// Degrees to radians as the program converts them.
constexpr float kDegToRad = 0.017453292f;
