#pragma once
#include <cstddef>

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/GlSurface.h"

// The GL 1.1 entry points the renderers call, as a table filled from a
// surface's entry-point lookup. Renderers never call gl* symbols directly:
// the offscreen library and the window system's library both export them,
// and the test recorder must see every call.
#define VX_GL_CORE_FUNCTIONS(X)                                                                                        \
    X(Accum)                                                                                                           \
    X(AlphaFunc)                                                                                                       \
    X(Begin)                                                                                                           \
    X(BindTexture)                                                                                                     \
    X(BlendFunc)                                                                                                       \
    X(CallList)                                                                                                        \
    X(Clear)                                                                                                           \
    X(ClearAccum)                                                                                                      \
    X(ClearColor)                                                                                                      \
    X(ClearDepth)                                                                                                      \
    X(ClipPlane)                                                                                                       \
    X(Color3f)                                                                                                         \
    X(Color3fv)                                                                                                        \
    X(Color4f)                                                                                                         \
    X(Color4ub)                                                                                                        \
    X(ColorMask)                                                                                                       \
    X(ColorMaterial)                                                                                                   \
    X(ColorPointer)                                                                                                    \
    X(CullFace)                                                                                                        \
    X(DeleteLists)                                                                                                     \
    X(DeleteTextures)                                                                                                  \
    X(DepthFunc)                                                                                                       \
    X(DepthMask)                                                                                                       \
    X(Disable)                                                                                                         \
    X(DisableClientState)                                                                                              \
    X(DrawArrays)                                                                                                      \
    X(DrawBuffer)                                                                                                      \
    X(DrawElements)                                                                                                    \
    X(Enable)                                                                                                          \
    X(EnableClientState)                                                                                               \
    X(End)                                                                                                             \
    X(EndList)                                                                                                         \
    X(Finish)                                                                                                          \
    X(Flush)                                                                                                           \
    X(FrontFace)                                                                                                       \
    X(Frustum)                                                                                                         \
    X(GenLists)                                                                                                        \
    X(GenTextures)                                                                                                     \
    X(GetDoublev)                                                                                                      \
    X(GetError)                                                                                                        \
    X(GetFloatv)                                                                                                       \
    X(GetIntegerv)                                                                                                     \
    X(GetString)                                                                                                       \
    X(GetTexImage)                                                                                                     \
    X(GetTexLevelParameteriv)                                                                                          \
    X(Hint)                                                                                                            \
    X(IsEnabled)                                                                                                       \
    X(IsList)                                                                                                          \
    X(IsTexture)                                                                                                       \
    X(Lightfv)                                                                                                         \
    X(LightModeli)                                                                                                     \
    X(LineWidth)                                                                                                       \
    X(LoadIdentity)                                                                                                    \
    X(LoadMatrixd)                                                                                                     \
    X(LoadMatrixf)                                                                                                     \
    X(Materialfv)                                                                                                      \
    X(Materiali)                                                                                                       \
    X(MatrixMode)                                                                                                      \
    X(MultMatrixd)                                                                                                     \
    X(MultMatrixf)                                                                                                     \
    X(NewList)                                                                                                         \
    X(Normal3f)                                                                                                        \
    X(NormalPointer)                                                                                                   \
    X(Ortho)                                                                                                           \
    X(PixelMapfv)                                                                                                      \
    X(PixelStorei)                                                                                                     \
    X(PixelTransferf)                                                                                                  \
    X(PixelTransferi)                                                                                                  \
    X(PointSize)                                                                                                       \
    X(PolygonMode)                                                                                                     \
    X(PopAttrib)                                                                                                       \
    X(PopMatrix)                                                                                                       \
    X(PushAttrib)                                                                                                      \
    X(PushMatrix)                                                                                                      \
    X(ReadBuffer)                                                                                                      \
    X(ReadPixels)                                                                                                      \
    X(Rotatef)                                                                                                         \
    X(Scalef)                                                                                                          \
    X(ShadeModel)                                                                                                      \
    X(TexCoord2f)                                                                                                      \
    X(TexCoord3f)                                                                                                      \
    X(TexEnvf)                                                                                                         \
    X(TexEnvi)                                                                                                         \
    X(TexGenfv)                                                                                                        \
    X(TexGeni)                                                                                                         \
    X(TexImage1D)                                                                                                      \
    X(TexImage2D)                                                                                                      \
    X(TexParameterf)                                                                                                   \
    X(TexParameterfv)                                                                                                  \
    X(TexParameteri)                                                                                                   \
    X(TexSubImage1D)                                                                                                   \
    X(TexSubImage2D)                                                                                                   \
    X(Translated)                                                                                                      \
    X(Translatef)                                                                                                      \
    X(Vertex2f)                                                                                                        \
    X(Vertex3d)                                                                                                        \
    X(Vertex3f)                                                                                                        \
    X(Vertex3fv)                                                                                                       \
    X(VertexPointer)                                                                                                   \
    X(Viewport)

// Extension entry points that renderers fetch by name after the extension
// test; listed so that the recorder can stand in for them.
#define VX_GL_EXT_FUNCTIONS(X)                                                                                         \
    X(BlendEquationEXT, PFNGLBLENDEQUATIONEXTPROC)                                                                     \
    X(TexImage3D, PFNGLTEXIMAGE3DPROC)                                                                                 \
    X(TexImage3DEXT, PFNGLTEXIMAGE3DEXTPROC)                                                                           \
    X(TexSubImage3DEXT, PFNGLTEXSUBIMAGE3DEXTPROC)                                                                     \
    X(ColorTableEXT, PFNGLCOLORTABLEEXTPROC)                                                                           \
    X(ActiveTextureARB, PFNGLACTIVETEXTUREARBPROC)                                                                     \
    X(MultiTexCoord3fARB, PFNGLMULTITEXCOORD3FARBPROC)                                                                 \
    X(GenProgramsARB, PFNGLGENPROGRAMSARBPROC)                                                                         \
    X(BindProgramARB, PFNGLBINDPROGRAMARBPROC)                                                                         \
    X(ProgramStringARB, PFNGLPROGRAMSTRINGARBPROC)                                                                     \
    X(DeleteProgramsARB, PFNGLDELETEPROGRAMSARBPROC)                                                                   \
    X(ProgramLocalParameter4fARB, PFNGLPROGRAMLOCALPARAMETER4FARBPROC)                                                 \
    X(GenFragmentShadersATI, PFNGLGENFRAGMENTSHADERSATIPROC)                                                           \
    X(BindFragmentShaderATI, PFNGLBINDFRAGMENTSHADERATIPROC)                                                           \
    X(DeleteFragmentShaderATI, PFNGLDELETEFRAGMENTSHADERATIPROC)                                                       \
    X(BeginFragmentShaderATI, PFNGLBEGINFRAGMENTSHADERATIPROC)                                                         \
    X(EndFragmentShaderATI, PFNGLENDFRAGMENTSHADERATIPROC)                                                             \
    X(PassTexCoordATI, PFNGLPASSTEXCOORDATIPROC)                                                                       \
    X(SampleMapATI, PFNGLSAMPLEMAPATIPROC)                                                                             \
    X(ColorFragmentOp1ATI, PFNGLCOLORFRAGMENTOP1ATIPROC)                                                               \
    X(ColorFragmentOp2ATI, PFNGLCOLORFRAGMENTOP2ATIPROC)                                                               \
    X(ColorFragmentOp3ATI, PFNGLCOLORFRAGMENTOP3ATIPROC)                                                               \
    X(AlphaFragmentOp1ATI, PFNGLALPHAFRAGMENTOP1ATIPROC)                                                               \
    X(AlphaFragmentOp2ATI, PFNGLALPHAFRAGMENTOP2ATIPROC)                                                               \
    X(AlphaFragmentOp3ATI, PFNGLALPHAFRAGMENTOP3ATIPROC)                                                               \
    X(SetFragmentShaderConstantATI, PFNGLSETFRAGMENTSHADERCONSTANTATIPROC)

class CGlDispatch {
public:
#define VX_GL_MEMBER(name) decltype(&::gl##name) name = nullptr;
    VX_GL_CORE_FUNCTIONS(VX_GL_MEMBER)
#undef VX_GL_MEMBER

    // Fills every entry from the surface's lookup; false when any is missing.
    bool Load(IGlSurface& surface);
    static CGlDispatch LoadedFrom(IGlSurface& surface)
    {
        CGlDispatch d;
        d.Load(surface);
        return d;
    }
};

// The table of the current surface; when nothing is current every entry is a
// no-op returning zero, as GL calls without a context are.
const CGlDispatch& Gl();
