#pragma once
#include <vector>

#include "platform/DialogRunner.h"

// Test runner: each call takes the next scripted answer (OK with the given
// values, or Cancel) and records what it was shown.
class CScriptedDialogRunner : public IDialogRunner {
public:
    struct RawAnswer {
        bool ok;
        CRawDialogValues values;
    };
    struct DcmAnswer {
        bool ok;
        // Applied to the shown values when set.
        bool changeValues = false;
        CDcmDialogValues values;
    };
    bool RunRawDialog(CRawDialogValues& values) override;
    bool RunDcmDialog(CDcmDialogValues& values) override;
    bool RunRendererDialog(CRendererDialogValues& values) override;

    std::vector<RawAnswer> rawAnswers;
    std::vector<DcmAnswer> dcmAnswers;
    std::vector<CRawDialogValues> rawShown;
    std::vector<CDcmDialogValues> dcmShown;
    std::vector<CRendererDialogValues> rendererShown;
};
