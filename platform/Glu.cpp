#include "platform/Glu.h"

#include <cmath>

#include "platform/GlDispatch.h"

namespace {
// Column-major 4x4 helpers, as GL stores matrices.
void MultMatrixVec(const double m[16], const double in[4], double out[4])
{
    for (int r = 0; r < 4; ++r)
        out[r] = m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r] * in[3];
}

void MultMatrices(const double a[16], const double b[16], double out[16])
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            out[c * 4 + r] = a[r] * b[c * 4] + a[4 + r] * b[c * 4 + 1] + a[8 + r] * b[c * 4 + 2] + a[12 + r] * b[c * 4 + 3];
}

bool InvertMatrix(const double m[16], double inv[16])
{
    double t[16];
    t[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    t[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
           m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    t[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    t[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
            m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    t[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
           m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    t[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    t[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    t[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    t[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
           m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    t[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    t[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    t[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    t[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
           m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    t[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
           m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    t[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
            m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    t[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
            m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    double det = m[0] * t[0] + m[1] * t[4] + m[2] * t[8] + m[3] * t[12];
    if (det == 0.0)
        return false;
    for (int i = 0; i < 16; ++i)
        inv[i] = t[i] / det;
    return true;
}

void Normalise(double v[3])
{
    double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len == 0.0)
        return;
    for (int i = 0; i < 3; ++i)
        v[i] /= len;
}

void Cross(const double a[3], const double b[3], double out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
} // namespace

void GluPerspective(double fovyDegrees, double aspect, double zNear, double zFar)
{
    double radians = fovyDegrees / 2.0 * M_PI / 180.0;
    double deltaZ = zFar - zNear;
    double sine = std::sin(radians);
    // GLU leaves the matrix alone for a degenerate frustum.
    if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0)
        return;
    double cotangent = std::cos(radians) / sine;
    double m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1.0;
    m[14] = -2.0 * zNear * zFar / deltaZ;
    Gl().MultMatrixd(m);
}

void GluLookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
               double upY, double upZ)
{
    double forward[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    Normalise(forward);
    double side[3];
    Cross(forward, up, side);
    Normalise(side);
    Cross(side, forward, up);
    double m[16] = {};
    m[0] = side[0];
    m[4] = side[1];
    m[8] = side[2];
    m[1] = up[0];
    m[5] = up[1];
    m[9] = up[2];
    m[2] = -forward[0];
    m[6] = -forward[1];
    m[10] = -forward[2];
    m[15] = 1.0;
    const CGlDispatch& gl = Gl();
    gl.MultMatrixd(m);
    gl.Translated(-eyeX, -eyeY, -eyeZ);
}

bool GluProject(double objX, double objY, double objZ, const double model[16], const double proj[16],
                const int viewport[4], double* winX, double* winY, double* winZ)
{
    double in[4] = {objX, objY, objZ, 1.0}, eye[4], clip[4];
    MultMatrixVec(model, in, eye);
    MultMatrixVec(proj, eye, clip);
    if (clip[3] == 0.0)
        return false;
    for (int i = 0; i < 3; ++i)
        clip[i] = clip[i] / clip[3] * 0.5 + 0.5;
    *winX = clip[0] * viewport[2] + viewport[0];
    *winY = clip[1] * viewport[3] + viewport[1];
    *winZ = clip[2];
    return true;
}

bool GluUnProject(double winX, double winY, double winZ, const double model[16], const double proj[16],
                  const int viewport[4], double* objX, double* objY, double* objZ)
{
    double both[16], inv[16];
    MultMatrices(proj, model, both);
    if (!InvertMatrix(both, inv) || viewport[2] == 0 || viewport[3] == 0)
        return false;
    double in[4] = {(winX - viewport[0]) / viewport[2] * 2.0 - 1.0, (winY - viewport[1]) / viewport[3] * 2.0 - 1.0,
                    winZ * 2.0 - 1.0, 1.0};
    double out[4];
    MultMatrixVec(inv, in, out);
    if (out[3] == 0.0)
        return false;
    *objX = out[0] / out[3];
    *objY = out[1] / out[3];
    *objZ = out[2] / out[3];
    return true;
}

const char* GluErrorString(GLenum error)
{
    switch (error) {
    case GL_NO_ERROR:
        return "no error";
    case GL_INVALID_ENUM:
        return "invalid enumerant";
    case GL_INVALID_VALUE:
        return "invalid value";
    case GL_INVALID_OPERATION:
        return "invalid operation";
    case GL_STACK_OVERFLOW:
        return "stack overflow";
    case GL_STACK_UNDERFLOW:
        return "stack underflow";
    case GL_OUT_OF_MEMORY:
        return "out of memory";
    default:
        return nullptr;
    }
}
