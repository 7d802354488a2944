#include "render/RendererDialogRunner.h"

namespace {
class CCancellingRunner : public IRendererDialogRunner {
public:
    bool RunRendererDialog(CRendererDialogValues&) override { return false; }
};
CCancellingRunner g_cancel;
IRendererDialogRunner* g_runner = nullptr;
} // namespace

IRendererDialogRunner& RendererDialogRunner() { return g_runner ? *g_runner : g_cancel; }
IRendererDialogRunner* SetRendererDialogRunner(IRendererDialogRunner* runner)
{
    IRendererDialogRunner* previous = g_runner;
    g_runner = runner;
    return previous;
}
