#include <gtest/gtest.h>

#include "render/RendererDialogRunner.h"

namespace {
class CTypeTwoRunner : public IRendererDialogRunner {
public:
    bool RunRendererDialog(CRendererDialogValues& values) override
    {
        values.m_nRendererType = 2;
        return true;
    }
};
} // namespace

// Until a runner is installed the choice is cancelled and the values stay;
// installing returns the runner replaced, null standing for the default.
TEST(RendererDialogRunner, DefaultCancelsAndInstallingReturnsThePrevious)
{
    CRendererDialogValues v;
    EXPECT_FALSE(RendererDialogRunner().RunRendererDialog(v));
    EXPECT_EQ(v.m_nRendererType, 0);

    CTypeTwoRunner runner;
    EXPECT_EQ(SetRendererDialogRunner(&runner), nullptr);
    EXPECT_TRUE(RendererDialogRunner().RunRendererDialog(v));
    EXPECT_EQ(v.m_nRendererType, 2);
    EXPECT_EQ(SetRendererDialogRunner(nullptr), &runner);
    EXPECT_FALSE(RendererDialogRunner().RunRendererDialog(v));
}
