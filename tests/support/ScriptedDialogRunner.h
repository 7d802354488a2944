#pragma once
#include <vector>

#include "data/DialogRunner.h"

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
    // The next answer of rgbAnswers: OK with its values, or Cancel.
    bool RunRgbDialog(CRgbDialogValues& values) override;

    std::vector<RawAnswer> rawAnswers;
    struct RgbAnswer {
        bool ok;
        CRgbDialogValues values;
    };
    std::vector<RgbAnswer> rgbAnswers;
    int rgbShown = 0;
    std::vector<DcmAnswer> dcmAnswers;
    std::vector<CRawDialogValues> rawShown;
    std::vector<CDcmDialogValues> dcmShown;
};
