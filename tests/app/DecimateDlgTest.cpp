#include <functional>

#include <wx/button.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include "GuiTest.h"
#include "ScreenPixels.h"
#include "app/dialogs/DecimateDlg.h"
#include "res/ControlIds.h"

namespace {
class DecimateDlgTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        dlg = new CDecimateDlg(frame);
    }
    void TearDown() override
    {
        dlg->Destroy();
        wxTheApp->ProcessIdle();
        FrameTest::TearDown();
    }
    void Open(std::uint32_t polygons)
    {
        dlg->m_nPolygons = polygons;
        dlg->InitDialog();
        dlg->Show();
        ASSERT_TRUE(WaitUntil([&] { return dlg->IsShownOnScreen(); }));
    }
    std::string Label(int id) { return GtkLabelText(*dlg->FindWindow(id)); }
    wxSlider& Slider() { return *dlg->m_slider; }

    CDecimateDlg* dlg = nullptr;
};
} // namespace

// Template 181: caption, labels and buttons; the percentage text of the
// template replaced by "50%" before the dialog shows; the count, half of it
// as target, the slider at 50 of 1 .. 100; nothing overlapping.
TEST_F(DecimateDlgTest, OpensAtHalfTheCount)
{
    EXPECT_EQ(Label(IDC_PERCENT_TEXT), "100%") << "the template's text";
    Open(1001);
    EXPECT_EQ(dlg->GetTitle(), "Mesh Decimation");
    EXPECT_EQ(Label(IDC_POLYGON_COUNT), "1001");
    EXPECT_EQ(Label(IDC_TARGET_COUNT), "500");
    EXPECT_EQ(Label(IDC_PERCENT_TEXT), "50%");
    const GtkRangeState range = GtkRangeOf(Slider());
    EXPECT_EQ(range.value, 50);
    EXPECT_EQ(range.lower, 1);
    EXPECT_EQ(range.upper, 100);
    EXPECT_EQ(dlg->FindWindow(wxID_OK)->GetLabel(), "OK");
    EXPECT_EQ(dlg->FindWindow(wxID_CANCEL)->GetLabel(), "Cancel");
    EXPECT_EQ(dlg->GetDefaultItem(), dlg->FindWindow(wxID_OK));
    std::vector<std::string> labels;
    std::vector<wxRect> rects;
    for (wxWindow* child : dlg->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child))
            labels.push_back(GtkLabelText(*text));
        EXPECT_TRUE(wxRect(dlg->GetClientSize()).Contains(child->GetRect())) << child->GetName();
        rects.push_back(child->GetRect());
    }
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Current polygon count = "), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Target polygon count = "), labels.end());
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects[i].Intersects(rects[j])) << i << " and " << j;
}

// Every move of the slider gives count x percent / 100, truncated, without
// overflow for the largest meshes, and its percentage text.
TEST_F(DecimateDlgTest, SliderGivesTheTarget)
{
    struct Case {
        std::uint32_t polygons;
        int percent;
        const char* target;
    };
    const Case cases[] = {
        {1000, 50, "500"},          {1000, 100, "1000"},         {99, 1, "0"},
        {1000, 33, "330"},          {2147483647u, 99, "2126008810"}, {4000000000u, 100, "4000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        Open(c.polygons);
        // Moved away first, so that every case moves the slider.
        ASSERT_TRUE(GtkMoveRange(Slider(), c.percent == 1 ? 2 : 1));
        ASSERT_TRUE(GtkMoveRange(Slider(), c.percent));
        EXPECT_EQ(Label(IDC_TARGET_COUNT), c.target);
        EXPECT_EQ(Label(IDC_PERCENT_TEXT), std::to_string(c.percent) + "%");
        EXPECT_EQ(std::to_string(dlg->m_nTarget), c.target);
    }
    EXPECT_EQ(CDecimateDlg::TargetFor(4000000000u, 99), 3960000000u);
}

// OK reads the target that the dialog shows; untouched that is half the
// count. Cancel ends with cancel.
TEST_F(DecimateDlgTest, OkReturnsTheTargetShown)
{
    // A fresh dialog each time: GTK takes no second click on a button of a
    // dialog shown again under the pointer that clicked it.
    auto run = [&](int button, const std::function<void(CDecimateDlg&)>& before, std::uint32_t& target) {
        auto* d = new CDecimateDlg(frame);
        d->m_nPolygons = 777;
        wxTheApp->CallAfter([&, d, button] {
            before(*d);
            Pointer pointer(*d->FindWindow(button));
            const wxSize s = d->FindWindow(button)->GetClientSize();
            ASSERT_TRUE(pointer.MoveTo(s.x / 2, s.y / 2) && pointer.Down() && pointer.Up());
            if (d->IsModal())
                d->EndModal(wxID_ABORT);
        });
        const int result = d->ShowModal();
        target = d->m_nTarget;
        d->Destroy();
        return result;
    };
    std::uint32_t target = 0;
    EXPECT_EQ(run(wxID_OK, [](CDecimateDlg&) {}, target), wxID_OK);
    EXPECT_EQ(target, 388u);
    EXPECT_EQ(run(wxID_OK, [](CDecimateDlg& d) { ASSERT_TRUE(GtkMoveRange(*d.m_slider, 20)); }, target), wxID_OK);
    EXPECT_EQ(target, 155u);
    EXPECT_EQ(run(wxID_CANCEL, [](CDecimateDlg&) {}, target), wxID_CANCEL);
}
