#pragma once
#include "platform/DialogRunner.h"

// The dialogs that the loader and renderer factories run, as the program's
// own windows over the top window.
class CAppDialogRunner : public IDialogRunner {
public:
    // The import dialogs are not part of the program yet: cancelled.
    bool RunRawDialog(CRawDialogValues&) override { return false; }
    bool RunDcmDialog(CDcmDialogValues&) override { return false; }
    bool RunRendererDialog(CRendererDialogValues& values) override;
    // The view's import dialog is not part of the program yet: cancelled.
    bool RunRgbDialog(CRgbDialogValues&) override { return false; }
};
