#include "data/DialogRunner.h"

namespace {
class CCancellingRunner : public IDialogRunner {
public:
    bool RunRawDialog(CRawDialogValues&) override { return false; }
    bool RunDcmDialog(CDcmDialogValues&) override { return false; }
    bool RunRgbDialog(CRgbDialogValues&) override { return false; }
};
CCancellingRunner g_cancel;
IDialogRunner* g_runner = nullptr;
} // namespace

IDialogRunner& DialogRunner() { return g_runner ? *g_runner : g_cancel; }
IDialogRunner* SetDialogRunner(IDialogRunner* runner)
{
    IDialogRunner* previous = g_runner;
    g_runner = runner;
    return previous;
}
