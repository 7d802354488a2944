#pragma once
#include "data/DialogRunner.h"
#include "render/RendererDialogRunner.h"

// The dialogs that the loader factory, the renderer factory and the view's
// import run, as the program's own modal windows.
class CAppDialogRunner : public IDialogRunner, public IRendererDialogRunner {
public:
    bool RunRawDialog(CRawDialogValues& values) override;
    bool RunDcmDialog(CDcmDialogValues& values) override;
    bool RunRendererDialog(CRendererDialogValues& values) override;
    bool RunRgbDialog(CRgbDialogValues& values) override;
};
