#include <gtest/gtest.h>

#include "data/DialogRunner.h"
#include "support/ScriptedDialogRunner.h"

TEST(DialogRunner, DefaultCancelsAndScriptedRunnerAppliesValues)
{
    CRawDialogValues v;
    v.fileSize = 2097152;
    EXPECT_FALSE(DialogRunner().RunRawDialog(v));

    CScriptedDialogRunner r;
    SetDialogRunner(&r);
    CRawDialogValues answer;
    answer.m_nDimX = 64;
    r.rawAnswers = {{true, answer}, {false, {}}};
    EXPECT_TRUE(DialogRunner().RunRawDialog(v));
    EXPECT_EQ(v.m_nDimX, 64);
    EXPECT_EQ(v.fileSize, 2097152u) << "the file size shown is kept";
    EXPECT_FALSE(DialogRunner().RunRawDialog(v));
    EXPECT_EQ(r.rawShown.size(), 2u);
    SetDialogRunner(nullptr);
}
