#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DicomTestImages.h"
#include "data/AppSettings.h"
#include "data/DialogRunner.h"
#include "data/DicomLoader.h"
#include "data/LoaderFactory.h"
#include "data/MessageLog.h"
#include "data/Volume.h"
#include "platform/Prompter.h"
#include "support/RecordingLogOwner.h"
#include "support/ScriptedDialogRunner.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {
const char* kQuestion = "Do you wish to scan for matching DICOM files in the same folder?\n\n"
                        "If you click No, only the selected file will be loaded";

// Scripted review dialog that also looks at the preview while it is shown.
class CPreviewRunner : public CScriptedDialogRunner {
public:
    bool RunDcmDialog(CDcmDialogValues& values) override
    {
        const DicomImage* p = values.m_pPreviewImage;
        previews.push_back(p ? std::to_string(p->getWidth()) + "x" + std::to_string(p->getHeight()) : "none");
        return CScriptedDialogRunner::RunDcmDialog(values);
    }
    std::vector<std::string> previews;
};

// One factory call with the scan answer and review answer given; the log
// owner records the busy box.
struct Opened {
    std::unique_ptr<CModelSeries> series;
    CScriptedPrompter prompter;
    CPreviewRunner dialogs;
    CRecordingLogOwner owner;
    std::vector<std::string> lines; // of the message log

    Opened(const std::string& path, const std::string& ext, bool yes, std::vector<CScriptedDialogRunner::DcmAnswer> review)
    {
        Open(path, ext, yes, std::move(review), owner);
    }
    Opened() = default;
    void Open(const std::string& path, const std::string& ext, bool yes,
              std::vector<CScriptedDialogRunner::DcmAnswer> review, ILogOwner& logOwner)
    {
        prompter.answers = {yes ? IDYES : IDNO};
        dialogs.dcmAnswers = std::move(review);
        CPrompterScope scope(&prompter);
        SetDialogRunner(&dialogs);
        CMessageLog* log = CMessageLog::GetInstance(&logOwner);
        series = LoadModelFile(path, ext);
        lines = log->m_lines;
        delete log;
        SetDialogRunner(nullptr);
    }
    CDicomVolume* Volume() const
    {
        return series && series->size() == 1 ? dynamic_cast<CDicomVolume*>((*series)[0].get()) : nullptr;
    }
    bool Shown(const std::string& text) const
    {
        for (const std::string& t : owner.ShownTexts())
            if (t == text)
                return true;
        return false;
    }
};

class DicomBranchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 1; i <= 3; ++i) {
            ImageSpec s;
            s.instance = i;
            s.rows = 16;
            s.columns = 12;
            s.stored = 12;
            s.base = 100 * i;
            s.slope = 1;
            s.pixelSpacing = "0.5\\0.7";
            s.thickness = "2";
            WriteImage(dir.File(FormatName(i)), s);
        }
        path = dir.File(FormatName(2));
    }
    void TearDown() override { CAppSettings::GetInstance()->m_bScanDicomFolder = false; }
    TempDir dir;
    std::string path;
};
} // namespace

TEST_F(DicomBranchTest, ScanAnswerChoosesFolderOrFile)
{
    struct Case {
        bool yes;
        int slices;
    };
    for (Case c : {Case{true, 3}, Case{false, 1}}) {
        SCOPED_TRACE(c.yes ? "Yes" : "No");
        Opened o(path, "dcm", c.yes, {});
        ASSERT_EQ(o.prompter.asked.size(), 1u);
        EXPECT_EQ(o.prompter.asked[0].text, kQuestion);
        EXPECT_EQ(o.prompter.asked[0].style, unsigned(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(CAppSettings::GetInstance()->m_bScanDicomFolder, c.yes);
        EXPECT_EQ(o.Shown("Scanning for DICOM images ..."), c.yes);

        ASSERT_EQ(o.dialogs.dcmShown.size(), 1u);
        const CDcmDialogValues& shown = o.dialogs.dcmShown[0];
        EXPECT_EQ(shown.m_strMessage, "Found " + std::to_string(c.slices) +
                                          " files at 12 x 16 with 12 bits per voxel\n\nEnter changes below:");
        EXPECT_EQ(shown.m_nNewX, 12);
        EXPECT_EQ(shown.m_nNewY, 16);
        EXPECT_FLOAT_EQ(shown.m_fScaleX, 0.7f);
        EXPECT_FLOAT_EQ(shown.m_fScaleY, 0.5f);
        EXPECT_FLOAT_EQ(shown.m_fScaleZ, 2.0f);
        EXPECT_EQ(o.dialogs.previews, std::vector<std::string>{"128x128"});

        // Closed without OK: loaded with the probed values; 12 bits load as 16.
        CDicomVolume* v = o.Volume();
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->m_nDimX, 12);
        EXPECT_EQ(v->m_nDimY, 16);
        EXPECT_EQ(v->m_nDimZ, c.slices);
        EXPECT_EQ(v->m_nBits, 16);
        EXPECT_FLOAT_EQ(v->m_fScaleX, 0.7f);
        EXPECT_TRUE(o.Shown("Loading data ... please wait"));
    }
}

TEST_F(DicomBranchTest, ReviewedValuesAreAppliedOnOk)
{
    CScriptedDialogRunner::DcmAnswer ok{true, true, {}};
    ok.values.m_nNewX = 6;
    ok.values.m_nNewY = 8;
    ok.values.m_fScaleX = 0.7f;
    ok.values.m_fScaleY = 0.5f;
    ok.values.m_fScaleZ = 3.0f;
    ok.values.m_nWindowLevel = 150;
    ok.values.m_nWindowWidth = 90;
    Opened o(path, "dcm", true, {ok});
    CDicomVolume* v = o.Volume();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->m_nDimX, 6);
    EXPECT_EQ(v->m_nDimY, 8);
    EXPECT_EQ(v->m_nBits, 16) << "the dialog passes the depth of the 8-or-16 rule";
    EXPECT_FLOAT_EQ(v->m_fScaleX, 1.4f);
    EXPECT_FLOAT_EQ(v->m_fScaleY, 1.0f);
    EXPECT_FLOAT_EQ(v->m_fScaleZ, 3.0f);
}

TEST_F(DicomBranchTest, UnreadableSlicesAreToldOnceAfterTheLoad)
{
    // Files cut short inside their pixels still join the series by their
    // headers; their slices stay black, and the user hears of it once.
    struct Case {
        std::vector<int> cut;
        std::string message;
    };
    const Case cases[] = {
        {{}, ""},
        {{3}, "1 slice could not be read and is left black!\n\nUnreadable file: im3.dcm"},
        {{1, 3}, "2 slices could not be read and are left black!\n\nFirst unreadable file: im1.dcm"},
    };
    const std::string whole = TempDir::Read(dir.File(FormatName(1)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TempDir folder;
        for (int i = 1; i <= 3; ++i) {
            std::filesystem::copy_file(dir.File(FormatName(i)), folder.File(FormatName(i)));
            if (std::find(c.cut.begin(), c.cut.end(), i) != c.cut.end())
                folder.Write(FormatName(i), TempDir::Read(folder.File(FormatName(i))).substr(0, whole.size() - 100));
        }
        Opened o(folder.File(FormatName(2)), "dcm", true, {});
        CDicomVolume* v = o.Volume();
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->m_nDimZ, 3);
        std::vector<std::string> expectedLines;
        for (int i : c.cut)
            expectedLines.push_back("Slice " + std::to_string(i) + " of 3 could not be read: " + FormatName(i));
        EXPECT_EQ(o.lines, expectedLines);
        if (c.message.empty()) {
            EXPECT_EQ(o.prompter.asked.size(), 1u) << "only the scan question";
            continue;
        }
        ASSERT_EQ(o.prompter.asked.size(), 2u);
        EXPECT_EQ(o.prompter.asked[1].text, c.message);
        EXPECT_EQ(o.prompter.asked[1].style, unsigned(MB_OK | MB_ICONEXCLAMATION));
    }
}

TEST_F(DicomBranchTest, WhatIsNotDicomEndsWithoutDialog)
{
    // A raw file whose dialog is cancelled never comes here: the open ends
    // at the cancel.
    dir.Write("plain.jpg", std::string(400, 'x'));
    struct Case {
        std::string file, ext;
    };
    const Case cases[] = {
        {dir.File("plain.jpg"), "jpg"},
        {dir.File("plain.jpg"), ""},
        {dir.File("missing.dcm"), "dcm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " ." + c.ext);
        Opened o(c.file, c.ext, true, {});
        EXPECT_EQ(o.series, nullptr);
        ASSERT_EQ(o.prompter.asked.size(), 1u);
        EXPECT_EQ(o.prompter.asked[0].text, kQuestion);
        EXPECT_TRUE(o.dialogs.dcmShown.empty());
        ASSERT_FALSE(o.owner.statuses.empty());
        EXPECT_TRUE(o.owner.statuses.back().show) << "the busy box stays for the view to close";
    }
}

TEST_F(DicomBranchTest, EightBitSeriesLoadsAsEightBit)
{
    for (int i = 1; i <= 2; ++i) {
        ImageSpec s;
        s.instance = i;
        s.bits = 8;
        s.base = 10 * i;
        s.slope = 1;
        WriteImage(dir.File("b" + std::to_string(i) + ".dcm"), s);
    }
    CScriptedDialogRunner::DcmAnswer ok{true, false, {}};
    for (bool reviewed : {false, true}) {
        SCOPED_TRACE(reviewed ? "OK" : "closed");
        Opened o(dir.File("b1.dcm"), "dcm", false,
                 reviewed ? std::vector<CScriptedDialogRunner::DcmAnswer>{ok}
                          : std::vector<CScriptedDialogRunner::DcmAnswer>{});
        CDicomVolume* v = o.Volume();
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->m_nBits, 8);
        EXPECT_EQ(v->m_nBytesPerVoxel, 1);
    }
}

namespace {
// Throws once the busy box is asked to show `at`.
class CThrowingLogOwner : public CRecordingLogOwner {
public:
    explicit CThrowingLogOwner(std::string at) : m_at(std::move(at)) {}
    void ShowStatus(const char* text, bool show) override
    {
        CRecordingLogOwner::ShowStatus(text, show);
        if (show && text && m_at == text) {
            thrown = true;
            throw std::runtime_error("busy box failed");
        }
    }
    bool thrown = false;

private:
    std::string m_at;
};

class CThrowingDialogRunner : public CScriptedDialogRunner {
public:
    bool RunDcmDialog(CDcmDialogValues&) override { throw std::bad_alloc(); }
};
} // namespace

TEST_F(DicomBranchTest, ThrowAnywhereInTheBranchIsAFailedOpen)
{
    // Each step of the branch in turn fails by throwing: the open ends with
    // no series, and nothing escapes to the caller. Only a failed disk cache
    // still gives the volume, kept in memory.
    struct Step {
        const char* text;
        bool loads;
    };
    const Step steps[] = {
        {"Scanning for DICOM images ...", false},
        {"Finding study, series & acquisition ...", false},
        {"Analysing im2.dcm ...", false},
        {"Loading data ... please wait", false},
        {"Loading slice 2 of 3 ...", false},
        {"Building histogram ...", false},
        {"Extracting planar views ...", false},
        {"Building disk cache ...", true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.text);
        CThrowingLogOwner thrower(step.text);
        Opened o;
        EXPECT_NO_THROW(o.Open(path, "dcm", true, {}, thrower));
        EXPECT_TRUE(thrower.thrown) << "the step was not reached";
        EXPECT_EQ(o.series != nullptr, step.loads);
    }

    CThrowingDialogRunner dialogs;
    CScriptedPrompter prompter;
    prompter.answers = {IDYES};
    CPrompterScope scope(&prompter);
    SetDialogRunner(&dialogs);
    std::unique_ptr<CModelSeries> series;
    EXPECT_NO_THROW(series = LoadModelFile(path, "dcm"));
    SetDialogRunner(nullptr);
    EXPECT_EQ(series, nullptr);
}

TEST_F(DicomBranchTest, EveryToolkitTestFileOpensOrIsRefused)
{
    // The factory's whole path (probe, preview, review, load) on every real
    // test file, each one alone; then once per folder with the folder
    // scanned and the automatic window, which reads every file of the folder.
    const std::string root = "/usr/lib/python3/dist-packages/pydicom/data/test_files/";
    std::vector<std::string> paths;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        if (e.is_regular_file())
            paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());
    ASSERT_GT(paths.size(), 100u);

    std::map<std::string, std::string> firstLoaded; // folder -> a file that loads
    int loaded = 0;
    for (const std::string& p : paths) {
        SCOPED_TRACE(p);
        Opened o(p, "dcm", false, {});
        if (!o.series)
            continue; // the view shows "Unknown file format!"
        CDicomVolume* v = o.Volume();
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->m_nDimZ, 1);
        EXPECT_GT(v->m_nDimX, 0);
        EXPECT_GT(v->m_nDimY, 0);
        EXPECT_EQ(o.dialogs.previews.size(), 1u);
        firstLoaded.emplace(CDicomLoader::GetFolder(p), p);
        ++loaded;
    }
    EXPECT_GT(loaded, 40);
    EXPECT_TRUE(firstLoaded.count(root + "dicomdirtests/98892001/CT5N/"));

    CScriptedDialogRunner::DcmAnswer automatic{true, true, {}};
    automatic.values.m_bAuto = 1;
    for (const auto& [folder, p] : firstLoaded) {
        SCOPED_TRACE(p + " with its folder");
        Opened o(p, "dcm", true, {automatic});
        CDicomVolume* v = o.Volume();
        ASSERT_NE(v, nullptr);
        EXPECT_GE(v->m_nDimZ, 1);
    }
}
