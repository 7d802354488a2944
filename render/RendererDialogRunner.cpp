#include "render/RendererDialogRunner.h"

#include "platform/Installed.h"

namespace {
class CCancellingRunner : public IRendererDialogRunner {
public:
    bool RunRendererDialog(CRendererDialogValues&) override { return false; }
};
CCancellingRunner g_cancel;
constinit TInstalled<IRendererDialogRunner> g_runner{g_cancel};
} // namespace

IRendererDialogRunner& RendererDialogRunner() { return g_runner.Get(); }
IRendererDialogRunner* SetRendererDialogRunner(IRendererDialogRunner* runner) { return g_runner.Set(runner); }
