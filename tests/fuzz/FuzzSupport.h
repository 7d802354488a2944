#pragma once
// What every fuzz target shares: a private temporary folder for the input's
// files (and, through TMPDIR, for the cache files the models make), the
// seams the loaders reach (prompter, dialog runner, message log), the
// touches the view makes on each model it gets, and the checks that nothing
// outlives one input: no "~vx" cache file, no file descriptor.
//
// Each target defines LLVMFuzzerTestOneInput; libFuzzer drives it in the
// fuzz build (VEXILO_FUZZ=ON), ReplayMain.cpp replays a corpus in the tests.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Model.h"
#include "support/RecordingLogOwner.h"
#include "support/ScriptedDialogRunner.h"
#include "support/ScriptedPrompter.h"

namespace fuzz {

// Cuts a multi-file input into its files: the pieces between the marks.
inline constexpr std::string_view kCut = "#VXCUT#\n";
std::vector<std::string_view> Cut(std::string_view input);

// The DICOM review dialog as a user may end it: closed, OK as shown, OK
// with Auto window, or OK with Auto at half the size. Other dialogs follow
// the scripted answers.
class ReviewRunner : public CScriptedDialogRunner {
public:
    enum Review { kClose, kOk, kOkAuto, kOkAutoHalf };
    bool RunDcmDialog(CDcmDialogValues& values) override;
    // From an input byte that the reader never looks at.
    void ChooseReview(std::uint8_t byte) { review = Review(byte & 3); }
    Review review = kClose;
};

// One input's run: a fresh folder for its files, the scripted seams
// installed, and on destruction everything checked and removed. Aborts when
// anything is left in the temporary folder besides the input folder (the
// "~vx" cache files, the toolkit's copies) or a descriptor is left open.
class Run {
public:
    Run();
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Writes `bytes` as `name` inside the input folder and returns its path.
    std::string Write(const std::string& name, std::string_view bytes) const;
    const std::string& Folder() const { return m_folder; }

    CScriptedPrompter prompter;
    ReviewRunner dialogs;
    CRecordingLogOwner owner;

private:
    std::vector<std::string> m_fdsBefore;
    std::string m_folder;
    IPrompter* m_pPreviousPrompter;
    IDialogRunner* m_pPreviousRunner;
};

// What the view does with a series it opens: every model's bounds, centre,
// size and information text.
void TouchSeries(CModelSeries& series);

// The process's private temporary folder (TMPDIR points there).
const std::string& ScratchRoot();

// Prints what was left behind and aborts.
[[noreturn]] void Fail(const std::string& what);

} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
