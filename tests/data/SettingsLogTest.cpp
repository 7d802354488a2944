#include <gtest/gtest.h>

#include "data/AppSettings.h"
#include "data/MessageLog.h"
#include "support/RecordingLogOwner.h"

TEST(CAppSettings, SingletonWithDefaults)
{
    CAppSettings* s = CAppSettings::GetInstance();
    EXPECT_EQ(s, CAppSettings::GetInstance());
    CAppSettings d;
    EXPECT_FLOAT_EQ(d.m_fMinAlpha, 0.05f);
    EXPECT_EQ(d.m_nLatticePoints, 8);
    EXPECT_EQ(d.m_nCalibIsoValue, 255);
    EXPECT_TRUE(d.m_bRescaleTo8Bit);
    EXPECT_TRUE(d.m_bUseQuads);
    EXPECT_TRUE(d.m_bLightBoxXfr);
    EXPECT_FALSE(d.m_bAskRenderer || d.m_bUse3DTextures || d.m_bRSnake || d.m_bScanDicomFolder);
    // The contour parameters' own defaults are the settings' defaults.
    const ContourParameters& k = d.m_contour;
    EXPECT_FLOAT_EQ(k.m_fSegmentLength, 10.0f);
    EXPECT_FLOAT_EQ(k.m_fExternalWeight, 3.0f);
    EXPECT_FLOAT_EQ(k.m_fInternalWeight, 4.0f);
    EXPECT_FLOAT_EQ(k.m_fDampingWeight, -1.0f);
    EXPECT_FLOAT_EQ(k.m_fPointMass, 1.0f);
    EXPECT_FLOAT_EQ(k.m_fDelta, 0.005f);
    EXPECT_EQ(d.m_nImageDisplayed, 0);
    EXPECT_EQ(d.m_nContourType, 0);
}

TEST(CAppSettings, DeletingTheInstanceStartsAfreshNextTime)
{
    CAppSettings* s = CAppSettings::GetInstance();
    s->m_nLatticePoints = 20;
    delete s;
    EXPECT_EQ(CAppSettings::GetInstance()->m_nLatticePoints, 8);
}

TEST(CMessageLog, LifecycleOwnerStatusAndLines)
{
    // Before the view exists: no log, ShowStatus and Log do nothing.
    ASSERT_EQ(CMessageLog::GetExisting(), nullptr);
    CMessageLog::ShowStatus("Building histogram ...", true);
    CMessageLog::Log("dropped");

    CRecordingLogOwner first, second;
    CMessageLog* log = CMessageLog::GetInstance(&first);
    EXPECT_EQ(CMessageLog::GetInstance(&second), log);
    EXPECT_EQ(log->m_pView, &first) << "a later call does not change the owner";
    EXPECT_TRUE(log->m_lines.empty()) << "a line written before the log existed is dropped";

    CMessageLog::ShowStatus("Loading data ... please wait", true);
    CMessageLog::ShowStatus(nullptr, false);
    ASSERT_EQ(first.statuses.size(), 2u);
    EXPECT_EQ(first.statuses[0].text, "Loading data ... please wait");
    EXPECT_FALSE(first.statuses[1].show);

    log->AddLine("Loading file: a.vxq");
    CMessageLog::Log("Model : x");
    EXPECT_EQ(log->m_lines, (std::vector<std::string>{"Loading file: a.vxq", "Model : x"}));
    EXPECT_EQ(first.refreshes, 2) << "each line refreshes the owner's log window";
    EXPECT_EQ(second.refreshes, 0);

    delete log;
    EXPECT_EQ(CMessageLog::GetExisting(), nullptr);
}
