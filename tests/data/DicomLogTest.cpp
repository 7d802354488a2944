#include <string>
#include <thread>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/oflog/oflog.h>
#include <gtest/gtest.h>

#include "DicomTestImages.h"
#include "data/AppSettings.h"
#include "data/DicomLoader.h"
#include "data/DicomLog.h"
#include "data/MessageLog.h"
#include "support/RecordingLogOwner.h"
#include "support/TempDir.h"

namespace {
// The toolkit's log routed for one test, with a message log and the terminal
// watched; afterwards the toolkit is as quiet as the other tests keep it.
class DicomLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RouteDicomLog();
        m_pLog = CMessageLog::GetInstance(&m_owner);
        ::testing::internal::CaptureStderr();
    }
    void TearDown() override
    {
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "the terminal stays quiet";
        delete m_pLog;
        CAppSettings::GetInstance()->m_bScanDicomFolder = false;
        OFLog::configure(OFLogger::FATAL_LOG_LEVEL);
    }
    const std::vector<std::string>& Lines() const { return m_pLog->m_lines; }

    CRecordingLogOwner m_owner;
    CMessageLog* m_pLog = nullptr;
};
} // namespace

TEST_F(DicomLogTest, WarningsAndWorseReachTheMessageLog)
{
    OFLogger logger = OFLog::getLogger("dcmtk.dcmdata");
    OFLOG_INFO(logger, "below a warning");
    OFLOG_WARN(logger, "on the owning thread");
    EXPECT_EQ(Lines(), std::vector<std::string>{"DCMTK warning: on the owning thread"});
    EXPECT_EQ(m_owner.refreshes, 1) << "the log window is refreshed at once";

    // A slice reader's line waits for the owning thread.
    std::thread reader([&] {
        OFLOG_ERROR(logger, "on a reader thread");
        FlushDicomLog(); // not the owning thread: nothing happens
    });
    reader.join();
    EXPECT_EQ(Lines().size(), 1u);
    FlushDicomLog();
    OFLOG_FATAL(logger, "element value \xE9t\xE9\n");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"DCMTK warning: on the owning thread", "DCMTK error: on a reader thread",
                                                 "DCMTK fatal error: element value ?t?"}));
}

TEST_F(DicomLogTest, ASeriesLogsOnlyWhatIsWrongWithIt)
{
    TempDir dir;
    for (int i = 1; i <= 3; ++i) {
        ImageSpec s;
        s.instance = i;
        s.location = std::to_string(i); // the scan stops reading right after it
        s.rows = s.columns = 64;
        WriteImage(dir.File(FormatName(i)), s);
    }
    CAppSettings::GetInstance()->m_bScanDicomFolder = true;
    const auto load = [&] {
        CDicomLoader loader;
        loader.m_nDecodeThreads = 3;
        CModelSeries series;
        return loader.Load(dir.File(FormatName(1)), series);
    };
    // The scan's short reads each make the toolkit say where it stopped.
    ASSERT_TRUE(load());
    EXPECT_EQ(Lines(), std::vector<std::string>{});

    // A file cut short: the reader's words on it, then the slice.
    const std::string bytes = TempDir::Read(dir.File(FormatName(3)));
    dir.Write(FormatName(3), bytes.substr(0, bytes.size() - 1000));
    ASSERT_TRUE(load());
    ASSERT_GE(Lines().size(), 2u);
    EXPECT_EQ(Lines().back(), "Slice 3 of 3 could not be read: im3.dcm");
    for (std::size_t i = 0; i + 1 < Lines().size(); ++i)
        EXPECT_EQ(Lines()[i].rfind("DCMTK error: ", 0), 0u) << Lines()[i];
}
