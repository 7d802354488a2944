#include "support/GlRecorder.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {
enum GlEntry : std::size_t {
#define VX_GL_ENUM(name) kEntry##name,
#define VX_GL_EXT_ENUM(name, type) kEntry##name,
    VX_GL_CORE_FUNCTIONS(VX_GL_ENUM) VX_GL_EXT_FUNCTIONS(VX_GL_EXT_ENUM) kEntryCount
#undef VX_GL_ENUM
#undef VX_GL_EXT_ENUM
};

const char* const kEntryNames[] = {
#define VX_GL_NAME(name) "gl" #name,
#define VX_GL_EXT_NAME(name, type) "gl" #name,
    VX_GL_CORE_FUNCTIONS(VX_GL_NAME) VX_GL_EXT_FUNCTIONS(VX_GL_EXT_NAME)
#undef VX_GL_NAME
#undef VX_GL_EXT_NAME
};

CRecordingSurface* Current() { return dynamic_cast<CRecordingSurface*>(GlGetCurrentSurface()); }

template <typename T>
double ArgValue(T v)
{
    if constexpr (std::is_pointer_v<T>)
        return double(reinterpret_cast<std::uintptr_t>(v));
    else
        return double(v);
}

template <std::size_t I, typename F>
struct RecStub;
template <std::size_t I, typename R, typename... A>
struct RecStub<I, R (*)(A...)> {
    static R Call(A... a)
    {
        if (CRecordingSurface* r = Current())
            r->Record(kEntryNames[I], {ArgValue(a)...});
        if constexpr (!std::is_void_v<R>)
            return R{};
    }
};

template <typename T>
std::vector<double> Values(const T* p, int n)
{
    std::vector<double> v;
    for (int i = 0; p && i < n; ++i)
        v.push_back(double(p[i]));
    return v;
}

std::vector<double> With(std::vector<double> head, const std::vector<double>& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

bool IsMatrix(GLenum pname)
{
    return pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX || pname == GL_TEXTURE_MATRIX;
}

template <typename T>
void Answer(GLenum pname, T* out)
{
    CRecordingSurface* r = Current();
    if (!out)
        return;
    if (pname == GL_MODELVIEW_MATRIX && r && r->m_modelview.size() == 16) {
        for (int i = 0; i < 16; ++i)
            out[i] = T(r->m_modelview[i]);
    } else if (IsMatrix(pname)) {
        for (int i = 0; i < 16; ++i)
            out[i] = T(i % 5 == 0 ? 1 : 0);
    } else if (pname == GL_VIEWPORT) {
        for (int i = 0; i < 4; ++i)
            out[i] = T(r ? r->m_nViewport[i] : 0);
    } else if (pname == GL_MAX_TEXTURE_SIZE || pname == GL_MAX_3D_TEXTURE_SIZE) {
        out[0] = T(2048);
    } else if (pname == GL_MAX_PIXEL_MAP_TABLE) {
        out[0] = T(256);
    } else {
        out[0] = T(0);
    }
}

// Parameter counts of the vector forms the renderers use.
int LightValueCount(GLenum pname)
{
    switch (pname) {
    case GL_SHININESS:
    case GL_SPOT_EXPONENT:
    case GL_SPOT_CUTOFF:
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION:
        return 1;
    case GL_SPOT_DIRECTION:
        return 3;
    default:
        return 4;
    }
}

void RecordVector(const char* name, std::vector<double> head, std::vector<double> values)
{
    if (CRecordingSurface* r = Current())
        r->Record(name, With(std::move(head), values));
}

// Stubs that answer queries or copy what their pointers point to.
const GLubyte* RecGetString(GLenum name)
{
    RecordVector("glGetString", {double(name)}, {});
    static std::string s_answer;
    CRecordingSurface* r = Current();
    s_answer = name == GL_EXTENSIONS ? (r ? r->m_strExtensions : std::string()) : std::string("Recorder");
    return reinterpret_cast<const GLubyte*>(s_answer.c_str());
}
void RecGetIntegerv(GLenum pname, GLint* out)
{
    RecordVector("glGetIntegerv", {double(pname)}, {});
    Answer(pname, out);
}
void RecGetFloatv(GLenum pname, GLfloat* out)
{
    RecordVector("glGetFloatv", {double(pname)}, {});
    Answer(pname, out);
}
void RecGetDoublev(GLenum pname, GLdouble* out)
{
    RecordVector("glGetDoublev", {double(pname)}, {});
    Answer(pname, out);
}
GLboolean RecIsEnabled(GLenum cap)
{
    RecordVector("glIsEnabled", {double(cap)}, {});
    CRecordingSurface* r = Current();
    return r && r->m_enabled.count(cap) ? GL_TRUE : GL_FALSE;
}
void RecEnable(GLenum cap)
{
    RecordVector("glEnable", {double(cap)}, {});
    if (CRecordingSurface* r = Current())
        r->m_enabled.insert(cap);
}
void RecDisable(GLenum cap)
{
    RecordVector("glDisable", {double(cap)}, {});
    if (CRecordingSurface* r = Current())
        r->m_enabled.erase(cap);
}
void RecViewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    RecordVector("glViewport", {double(x), double(y), double(w), double(h)}, {});
    if (CRecordingSurface* r = Current()) {
        r->m_nViewport[0] = x;
        r->m_nViewport[1] = y;
        r->m_nViewport[2] = w;
        r->m_nViewport[3] = h;
    }
}
void RecReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* data)
{
    RecordVector("glReadPixels", {double(x), double(y), double(w), double(h), double(format), double(type)}, {});
    CRecordingSurface* r = Current();
    if (!r || !data || w <= 0 || h <= 0)
        return;
    int channels = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1;
    for (long i = 0; i < long(w) * h; ++i)
        for (int c = 0; c < channels; ++c) {
            float v = r->m_fPixel[c];
            if (type == GL_FLOAT)
                static_cast<GLfloat*>(data)[i * channels + c] = v;
            else
                static_cast<GLubyte*>(data)[i * channels + c] = GLubyte(v * 255.0f + 0.5f);
        }
}
void RecGenTextures(GLsizei n, GLuint* names)
{
    RecordVector("glGenTextures", {double(n)}, {});
    CRecordingSurface* r = Current();
    for (GLsizei i = 0; r && names && i < n; ++i)
        names[i] = r->m_nNextName++;
}
GLuint RecGenLists(GLsizei range)
{
    RecordVector("glGenLists", {double(range)}, {});
    CRecordingSurface* r = Current();
    if (!r || range <= 0)
        return 0;
    GLuint first = r->m_nNextName;
    r->m_nNextName += GLuint(range);
    return first;
}
void RecBindTexture(GLenum target, GLuint name)
{
    RecordVector("glBindTexture", {double(target), double(name)}, {});
    if (CRecordingSurface* r = Current(); r && name)
        r->m_textures.insert(name);
}
void RecDeleteTextures(GLsizei n, const GLuint* names)
{
    RecordVector("glDeleteTextures", {double(n)}, Values(names, n));
    for (GLsizei i = 0; names && i < n; ++i)
        if (CRecordingSurface* r = Current())
            r->m_textures.erase(names[i]);
}
GLboolean RecIsTexture(GLuint name)
{
    RecordVector("glIsTexture", {double(name)}, {});
    CRecordingSurface* r = Current();
    return r && r->m_textures.count(name) ? GL_TRUE : GL_FALSE;
}
void RecNewList(GLuint list, GLenum mode)
{
    RecordVector("glNewList", {double(list), double(mode)}, {});
    if (CRecordingSurface* r = Current(); r && list)
        r->m_lists.insert(list);
}
void RecDeleteLists(GLuint list, GLsizei range)
{
    RecordVector("glDeleteLists", {double(list), double(range)}, {});
    for (GLsizei i = 0; i < range; ++i)
        if (CRecordingSurface* r = Current())
            r->m_lists.erase(list + GLuint(i));
}
GLboolean RecIsList(GLuint list)
{
    RecordVector("glIsList", {double(list)}, {});
    CRecordingSurface* r = Current();
    return r && r->m_lists.count(list) ? GL_TRUE : GL_FALSE;
}
void RecGenProgramsARB(GLsizei n, GLuint* names)
{
    RecordVector("glGenProgramsARB", {double(n)}, {});
    CRecordingSurface* r = Current();
    for (GLsizei i = 0; r && names && i < n; ++i)
        names[i] = r->m_nNextName++;
}
void RecDeleteProgramsARB(GLsizei n, const GLuint* names)
{
    RecordVector("glDeleteProgramsARB", {double(n)}, Values(names, n));
}
GLuint RecGenFragmentShadersATI(GLuint range)
{
    RecordVector("glGenFragmentShadersATI", {double(range)}, {});
    CRecordingSurface* r = Current();
    if (!r || range == 0)
        return 0;
    const GLuint first = r->m_nNextName;
    r->m_nNextName += range;
    return first;
}
void RecGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* out)
{
    RecordVector("glGetTexLevelParameteriv", {double(target), double(level), double(pname)}, {});
    CRecordingSurface* r = Current();
    if (out)
        *out = r && pname == GL_TEXTURE_WIDTH ? r->m_nTextureWidth : 0;
}
void RecLoadMatrixf(const GLfloat* m) { RecordVector("glLoadMatrixf", {}, Values(m, 16)); }
void RecLoadMatrixd(const GLdouble* m) { RecordVector("glLoadMatrixd", {}, Values(m, 16)); }
void RecMultMatrixf(const GLfloat* m) { RecordVector("glMultMatrixf", {}, Values(m, 16)); }
void RecMultMatrixd(const GLdouble* m) { RecordVector("glMultMatrixd", {}, Values(m, 16)); }
void RecClipPlane(GLenum plane, const GLdouble* eq) { RecordVector("glClipPlane", {double(plane)}, Values(eq, 4)); }
void RecColor3fv(const GLfloat* v) { RecordVector("glColor3fv", {}, Values(v, 3)); }
void RecVertex3fv(const GLfloat* v) { RecordVector("glVertex3fv", {}, Values(v, 3)); }
void RecLightfv(GLenum light, GLenum pname, const GLfloat* v)
{
    RecordVector("glLightfv", {double(light), double(pname)}, Values(v, LightValueCount(pname)));
}
void RecMaterialfv(GLenum face, GLenum pname, const GLfloat* v)
{
    RecordVector("glMaterialfv", {double(face), double(pname)}, Values(v, LightValueCount(pname)));
}
void RecTexGenfv(GLenum coord, GLenum pname, const GLfloat* v)
{
    RecordVector("glTexGenfv", {double(coord), double(pname)}, Values(v, pname == GL_TEXTURE_GEN_MODE ? 1 : 4));
}
void RecTexParameterfv(GLenum target, GLenum pname, const GLfloat* v)
{
    RecordVector("glTexParameterfv", {double(target), double(pname)}, Values(v, pname == GL_TEXTURE_BORDER_COLOR ? 4 : 1));
}
void RecPixelMapfv(GLenum map, GLsizei size, const GLfloat* v)
{
    RecordVector("glPixelMapfv", {double(map), double(size)}, Values(v, size));
}

CGlDispatch MakeRecordingDispatch()
{
    CGlDispatch d;
#define VX_GL_REC(name) d.name = &RecStub<kEntry##name, decltype(d.name)>::Call;
    VX_GL_CORE_FUNCTIONS(VX_GL_REC)
#undef VX_GL_REC
    d.GetString = &RecGetString;
    d.GetIntegerv = &RecGetIntegerv;
    d.GetFloatv = &RecGetFloatv;
    d.GetDoublev = &RecGetDoublev;
    d.IsEnabled = &RecIsEnabled;
    d.Enable = &RecEnable;
    d.Disable = &RecDisable;
    d.Viewport = &RecViewport;
    d.ReadPixels = &RecReadPixels;
    d.GenTextures = &RecGenTextures;
    d.GenLists = &RecGenLists;
    d.BindTexture = &RecBindTexture;
    d.DeleteTextures = &RecDeleteTextures;
    d.IsTexture = &RecIsTexture;
    d.NewList = &RecNewList;
    d.DeleteLists = &RecDeleteLists;
    d.IsList = &RecIsList;
    d.LoadMatrixf = &RecLoadMatrixf;
    d.LoadMatrixd = &RecLoadMatrixd;
    d.MultMatrixf = &RecMultMatrixf;
    d.MultMatrixd = &RecMultMatrixd;
    d.ClipPlane = &RecClipPlane;
    d.Color3fv = &RecColor3fv;
    d.Vertex3fv = &RecVertex3fv;
    d.Lightfv = &RecLightfv;
    d.Materialfv = &RecMaterialfv;
    d.TexGenfv = &RecTexGenfv;
    d.TexParameterfv = &RecTexParameterfv;
    d.PixelMapfv = &RecPixelMapfv;
    d.GetTexLevelParameteriv = &RecGetTexLevelParameteriv;
    return d;
}

const CGlDispatch& RecordingDispatch()
{
    static const CGlDispatch s_dispatch = MakeRecordingDispatch();
    return s_dispatch;
}

class CRecordingContext : public IGlContext {
public:
    explicit CRecordingContext(CRecordingSurface& owner) : m_owner(owner)
    {
        ++m_owner.m_nLiveContexts;
        m_owner.Record("CreateContext");
    }
    ~CRecordingContext() override
    {
        GlForgetContext(this);
        --m_owner.m_nLiveContexts;
        m_owner.Record("DeleteContext");
    }

private:
    CRecordingSurface& m_owner;
};
} // namespace

CRecordingSurface::CRecordingSurface(int width, int height) : m_nViewport{0, 0, width, height} {}

CRecordingSurface::~CRecordingSurface()
{
    if (GlGetCurrentSurface() == this)
        GlMakeCurrent(nullptr, nullptr);
}

bool CRecordingSurface::SetPixelFormat(const GlPixelFormat& format)
{
    m_format = format;
    m_bFormatSet = true;
    Record("SetPixelFormat", {double(format.doubleBuffer), double(format.colourBits), double(format.accumBits),
                              double(format.depthBits)});
    return true;
}

std::unique_ptr<IGlContext> CRecordingSurface::CreateContext()
{
    if (!m_bFormatSet)
        return nullptr;
    return std::make_unique<CRecordingContext>(*this);
}

bool CRecordingSurface::MakeCurrent(IGlContext*)
{
    Record("MakeCurrent");
    return true;
}

void CRecordingSurface::ReleaseCurrent() { Record("ReleaseCurrent"); }

void CRecordingSurface::SwapBuffers()
{
    ++m_nSwaps;
    Record("SwapBuffers");
}

GlProc CRecordingSurface::GetProcAddress(const char* name)
{
    if (!name)
        return nullptr;
#define VX_GL_CORE_PROC(n)                                                                                             \
    if (std::strcmp(name, "gl" #n) == 0)                                                                               \
        return reinterpret_cast<GlProc>(RecordingDispatch().n);
    VX_GL_CORE_FUNCTIONS(VX_GL_CORE_PROC)
#undef VX_GL_CORE_PROC
    // Extension stubs that hand out or read names.
    if (std::strcmp(name, "glGenProgramsARB") == 0)
        return reinterpret_cast<GlProc>(&RecGenProgramsARB);
    if (std::strcmp(name, "glDeleteProgramsARB") == 0)
        return reinterpret_cast<GlProc>(&RecDeleteProgramsARB);
    if (std::strcmp(name, "glGenFragmentShadersATI") == 0)
        return reinterpret_cast<GlProc>(&RecGenFragmentShadersATI);
#define VX_GL_EXT_PROC(n, type)                                                                                        \
    if (std::strcmp(name, "gl" #n) == 0)                                                                               \
        return reinterpret_cast<GlProc>(&RecStub<kEntry##n, type>::Call);
    VX_GL_EXT_FUNCTIONS(VX_GL_EXT_PROC)
#undef VX_GL_EXT_PROC
    return nullptr;
}

const CGlDispatch& CRecordingSurface::Dispatch() { return RecordingDispatch(); }

void CRecordingSurface::Record(const char* name, std::vector<double> args)
{
    m_aCalls.push_back({name, std::move(args)});
}

std::vector<std::string> CRecordingSurface::Names() const
{
    std::vector<std::string> n;
    for (const auto& c : m_aCalls)
        n.push_back(c.name);
    return n;
}

std::vector<GlCall> CRecordingSurface::CallsOf(const std::string& name) const
{
    std::vector<GlCall> out;
    for (const auto& c : m_aCalls)
        if (c.name == name)
            out.push_back(c);
    return out;
}

int CRecordingSurface::CountOf(const std::string& name) const { return int(CallsOf(name).size()); }
