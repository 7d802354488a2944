#include "data/DialogRunner.h"

#include "platform/Installed.h"

namespace {
class CCancellingRunner : public IDialogRunner {
public:
    bool RunRawDialog(CRawDialogValues&) override { return false; }
    bool RunDcmDialog(CDcmDialogValues&) override { return false; }
    bool RunRgbDialog(CRgbDialogValues&) override { return false; }
};
CCancellingRunner g_cancel;
constinit TInstalled<IDialogRunner> g_runner{g_cancel};
} // namespace

IDialogRunner& DialogRunner() { return g_runner.Get(); }
IDialogRunner* SetDialogRunner(IDialogRunner* runner) { return g_runner.Set(runner); }
