#include <stdexcept>

#include <gtest/gtest.h>

#include "FileBytes.h"
#include "data/AppSettings.h"
#include "data/DialogRunner.h"
#include "data/LoaderFactory.h"
#include "data/MessageLog.h"
#include "data/NativeMesh.h"
#include "data/Volume.h"
#include "platform/File.h"
#include "platform/Prompter.h"
#include "support/RecordingLogOwner.h"
#include "support/ScriptedDialogRunner.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {
const char kScanQuestion[] = "Do you wish to scan for matching DICOM files in the same folder?\n\n"
                             "If you click No, only the selected file will be loaded";

// The seams the factory reaches: prompter, dialog runner, busy box.
class FactoryTest : public ::testing::Test {
protected:
    FactoryTest() : m_scope(&prompter), m_log(CMessageLog::GetInstance(&owner)) { SetDialogRunner(&dialogs); }
    ~FactoryTest() override
    {
        SetDialogRunner(nullptr);
        delete m_log;
    }
    std::string SaveMesh(const std::string& name)
    {
        CMesh m;
        m.SetVertexCount(1);
        std::string path = dir.File(name);
        EXPECT_TRUE(m.Save(path));
        return path;
    }

    TempDir dir;
    CScriptedPrompter prompter;
    CScriptedDialogRunner dialogs;
    CRecordingLogOwner owner;

private:
    CPrompterScope m_scope;
    CMessageLog* m_log;
};

// Counts its destruction, to show who frees the models of a failed load.
struct CountedModel : CMesh {
    explicit CountedModel(int& deaths) : m_deaths(deaths) {}
    ~CountedModel() override { ++m_deaths; }
    int& m_deaths;
};

struct FakeLoader : CModelLoader {
    enum Ending { succeed, fail, throwFile, throwMemory } ending = fail;
    int appended = 0;
    int* deaths = nullptr;
    bool Load(const std::string& path, CModelSeries& series) override
    {
        for (int i = 0; i < appended; ++i)
            series.push_back(std::make_unique<CountedModel>(*deaths));
        switch (ending) {
        case succeed: return true;
        case fail: return false;
        case throwFile: throw CFileException(CFileException::endOfFile, path);
        case throwMemory: throw std::bad_alloc();
        }
        return false;
    }
};
} // namespace

TEST_F(FactoryTest, ExtensionsPickTheirLoaderOrTheDicomBranch)
{
    const std::string mesh = SaveMesh("m.vxq");
    struct Row {
        const char* extension;
        bool loads; // else the DICOM branch asks, then refuses a file without the marker
    } rows[] = {
        {"vxq", true}, {"arv", true}, {"VXQ", false}, {"vxqq", false}, {"vx", false},
        {"", false},   {"dcm", false}, {"jpg", false}, {"ARV", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.extension);
        prompter.asked.clear();
        auto series = LoadModelFile(mesh, r.extension);
        if (r.loads) {
            ASSERT_NE(series, nullptr);
            ASSERT_EQ(series->size(), 1u);
            EXPECT_NE(dynamic_cast<CNativeMesh*>(series->front().get()), nullptr);
            EXPECT_TRUE(prompter.asked.empty());
        } else {
            EXPECT_EQ(series, nullptr);
            EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kScanQuestion});
        }
    }
    EXPECT_EQ(prompter.asked.back().style, unsigned(MB_YESNO | MB_ICONQUESTION));
}

TEST_F(FactoryTest, ScanAnswerIsStoredOnEveryDicomOpen)
{
    CAppSettings* settings = CAppSettings::GetInstance();
    prompter.answers = {IDYES, IDNO};
    EXPECT_EQ(LoadModelFile(dir.File("a.dcm"), "dcm"), nullptr);
    EXPECT_TRUE(settings->m_bScanDicomFolder);
    EXPECT_EQ(LoadModelFile(dir.File("a.dcm"), "dcm"), nullptr);
    EXPECT_FALSE(settings->m_bScanDicomFolder);
}

TEST_F(FactoryTest, RawBranchMeasuresRunsTheDialogAndLoads)
{
    const std::string path = dir.Write("v.raw", std::string(24, '\x40'));
    CRawDialogValues layout;
    layout.m_nDimX = 2;
    layout.m_nDimY = 3;
    layout.m_nDimZ = 2;
    layout.m_nBits = 16;
    layout.m_fScaleY = 3.0f;
    dialogs.rawAnswers = {{true, layout}};
    auto series = LoadModelFile(path, "raw");
    ASSERT_EQ(dialogs.rawShown.size(), 1u);
    EXPECT_EQ(dialogs.rawShown[0].fileSize, 24u);
    ASSERT_NE(series, nullptr);
    ASSERT_EQ(series->size(), 1u);
    auto* v = dynamic_cast<CVolume*>(series->front().get());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->m_nDimY, 3);
    EXPECT_EQ(v->m_fScaleY, 3.0f);
    EXPECT_EQ(v->GetVoxel(1, 2, 1), 0x4040);
    EXPECT_TRUE(prompter.asked.empty());
    const auto shown = owner.ShownTexts();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), "Loading data ... please wait");
}

TEST_F(FactoryTest, CancelledRawEndsTheOpenAndUnopenableRawStillAsks)
{
    // Cancel ends the open there: no DICOM question, nothing read, the
    // caller told; without the flag asked for it ends the same way.
    const std::string path = dir.Write("v.raw", std::string(8, '\x01'));
    dialogs.rawAnswers = {{false, {}}, {false, {}}};
    bool cancelled = false;
    EXPECT_EQ(LoadModelFile(path, "raw", &cancelled), nullptr);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(LoadModelFile(path, "raw"), nullptr);
    EXPECT_EQ(dialogs.rawShown.size(), 2u);
    EXPECT_TRUE(prompter.asked.empty()) << prompter.asked[0].text;
    EXPECT_TRUE(owner.ShownTexts().empty()) << "no loader ran";

    // Anything but a cancelled dialog leaves the flag clear.
    dialogs.rawAnswers = {{true, {}}};
    EXPECT_EQ(LoadModelFile(path, "raw", &cancelled), nullptr) << "8 bytes are not 128^3";
    EXPECT_FALSE(cancelled);
    dialogs.rawShown.clear();

    // A file that cannot be opened still reaches the dialog, with size 0, and
    // then fails to load.
    dialogs.rawAnswers = {{true, {}}};
    EXPECT_EQ(LoadModelFile(dir.File("missing.raw"), "raw", &cancelled), nullptr);
    EXPECT_FALSE(cancelled);
    ASSERT_EQ(dialogs.rawShown.size(), 1u);
    EXPECT_EQ(dialogs.rawShown[0].fileSize, 0u);
    EXPECT_TRUE(prompter.asked.empty()) << "an OK'd raw load that fails does not fall through";

    // A file no reader takes has failed; nobody cancelled.
    prompter.answers = {IDNO};
    EXPECT_EQ(LoadModelFile(dir.Write("notes.txt", "hello"), "txt", &cancelled), nullptr);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kScanQuestion});
}

TEST_F(FactoryTest, FailedOrThrowingLoadersLeaveNothingBehind)
{
    struct Row {
        const char* what;
        FakeLoader::Ending ending;
        int appended;
        bool result;
    } rows[] = {
        {"fails after appending two", FakeLoader::fail, 2, false},
        {"file error after appending one", FakeLoader::throwFile, 1, false},
        {"out of memory", FakeLoader::throwMemory, 0, false},
        {"empty series is a success", FakeLoader::succeed, 0, true},
        {"success keeps its models", FakeLoader::succeed, 3, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        int deaths = 0;
        FakeLoader loader;
        loader.ending = r.ending;
        loader.appended = r.appended;
        loader.deaths = &deaths;
        auto series = RunModelLoader(loader, "x");
        EXPECT_EQ(series != nullptr, r.result);
        if (series) {
            EXPECT_EQ(int(series->size()), r.appended);
        }
        EXPECT_EQ(deaths, r.result ? 0 : r.appended) << "the models of a failed load are destroyed";
        series.reset();
        EXPECT_EQ(deaths, r.appended) << "the caller owns what it got";
    }
}

TEST_F(FactoryTest, FailedVolumeLoadLeavesNoCacheFiles)
{
    // A loader that appends a cached volume and then fails: the volume and
    // its temporary cache files go with the dropped series.
    struct CachingThenFailing : CModelLoader {
        bool Load(const std::string&, CModelSeries& series) override
        {
            auto v = std::make_unique<CVolume>(4, 4, 4, 8);
            v->BuildDiskCache();
            series.push_back(std::move(v));
            return false;
        }
    } loader;
    EXPECT_EQ(RunModelLoader(loader, "x"), nullptr);
    EXPECT_TRUE(dir.FilesStartingWith("~vx").empty());
}
