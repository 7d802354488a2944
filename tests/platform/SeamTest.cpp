#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/Format.h"
#include "platform/LogOwner.h"
#include "platform/Prompter.h"
#include "support/ManualClock.h"
#include "support/RecordingLogOwner.h"
#include "support/ScriptedPrompter.h"

TEST(Prompter, ScriptedAnswersAndDefaultsAreRecorded)
{
    CScriptedPrompter p;
    CPrompterScope scope(&p);
    p.answers = {IDYES};
    EXPECT_EQ(VxMessageBox("Scan?", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(VxMessageBox("Again?", MB_YESNO | MB_ICONQUESTION), IDNO) << "empty queue answers No";
    EXPECT_EQ(VxMessageBox("Unknown file format!", MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(p.Texts(), (std::vector<std::string>{"Scan?", "Again?", "Unknown file format!"}));
    EXPECT_EQ(p.asked[2].style, unsigned(MB_ICONEXCLAMATION));

    std::string path;
    p.files = {"/tmp/a.vxq", ""};
    EXPECT_TRUE(Prompter().ChooseFile({}, path));
    EXPECT_EQ(path, "/tmp/a.vxq");
    EXPECT_FALSE(Prompter().ChooseFile({}, path)) << "empty entry is a cancel";
    COLORREF c = 0;
    EXPECT_FALSE(Prompter().ChooseColour(c));
}

TEST(Prompter, ScopeRestoresPrevious)
{
    CScriptedPrompter outer, inner;
    CPrompterScope a(&outer);
    {
        CPrompterScope b(&inner);
        VxMessageBox("x");
    }
    VxMessageBox("y");
    EXPECT_EQ(inner.Texts().size(), 1u);
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"y"});
}

TEST(LogOwner, RecorderKeepsStatusOrder)
{
    CRecordingLogOwner o;
    o.ShowStatus("Building histogram ...", true);
    o.ShowStatus(nullptr, false);
    o.UpdateLogWindow();
    ASSERT_EQ(o.statuses.size(), 2u);
    EXPECT_EQ(o.ShownTexts(), std::vector<std::string>{"Building histogram ..."});
    EXPECT_FALSE(o.statuses[1].show);
    EXPECT_EQ(o.refreshes, 1);
}

TEST(Clock, SteadyIsMonotonicAndManualIsSettable)
{
    double a = Clock().Seconds();
    double b = Clock().Seconds();
    EXPECT_LE(a, b);
    CManualClock m;
    SetClock(&m);
    m.Set(5.0);
    m.Advance(0.25);
    EXPECT_DOUBLE_EQ(Clock().Seconds(), 5.25);
    SetClock(nullptr);
}

TEST(Format, LongTextIsNotCut)
{
    std::string big(1000, 'a');
    EXPECT_EQ(FormatString("%s|%d", big.c_str(), 7), big + "|7");
}
