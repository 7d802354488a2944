#pragma once
#include <GL/gl.h>

// The GLU calls the renderers make, computed here and issued through the
// GL dispatch: GLU itself calls the window system's GL directly and would
// miss the offscreen and recording surfaces.

// Multiplies the current matrix by a perspective projection (gluPerspective).
void GluPerspective(double fovyDegrees, double aspect, double zNear, double zFar);
// Multiplies the current matrix by a viewing transform (gluLookAt).
void GluLookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
               double upY, double upZ);
// Object to window coordinates (gluProject); false when w is 0.
bool GluProject(double objX, double objY, double objZ, const double model[16], const double proj[16],
                const int viewport[4], double* winX, double* winY, double* winZ);
// Window to object coordinates (gluUnProject); false for a singular matrix.
bool GluUnProject(double winX, double winY, double winZ, const double model[16], const double proj[16],
                  const int viewport[4], double* objX, double* objY, double* objZ);
// The text of a GL error code (gluErrorString).
const char* GluErrorString(GLenum error);
