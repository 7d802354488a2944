#include "platform/GlDispatch.h"

#include <type_traits>

namespace {
template <typename F>
struct NullStub;
template <typename R, typename... A>
struct NullStub<R (*)(A...)> {
    static R Call(A...)
    {
        if constexpr (!std::is_void_v<R>)
            return R{};
    }
};

CGlDispatch MakeNullDispatch()
{
    CGlDispatch d;
#define VX_GL_NULL(name) d.name = &NullStub<decltype(d.name)>::Call;
    VX_GL_CORE_FUNCTIONS(VX_GL_NULL)
#undef VX_GL_NULL
    return d;
}
} // namespace

bool CGlDispatch::Load(IGlSurface& surface)
{
    bool complete = true;
#define VX_GL_LOAD(name)                                                                                               \
    name = reinterpret_cast<decltype(name)>(surface.GetProcAddress("gl" #name));                                      \
    complete = complete && name != nullptr;
    VX_GL_CORE_FUNCTIONS(VX_GL_LOAD)
#undef VX_GL_LOAD
    return complete;
}

const CGlDispatch& Gl()
{
    static const CGlDispatch s_null = MakeNullDispatch();
    IGlSurface* s = GlGetCurrentSurface();
    return s ? s->Dispatch() : s_null;
}
