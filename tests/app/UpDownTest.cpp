#include <climits>

#include <wx/frame.h>
#include <wx/textctrl.h>

#include "GuiTest.h"
#include "ScreenPixels.h"
#include "app/UpDown.h"

namespace {
// A field with its arrows in a window of their own, the arrows' repeat put
// off beyond any test so that a press steps exactly once.
class UpDownTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = new wxFrame(nullptr, wxID_ANY, "up-down", wxPoint(40, 40), wxSize(300, 120));
        field = new wxTextCtrl(window, wxID_ANY, "", wxPoint(10, 10), wxSize(100, 30));
        arrows = new CUpDown;
        ASSERT_TRUE(arrows->Create(window, wxID_ANY, wxPoint(110, 10), wxSize(18, 30)));
        arrows->m_nRepeatDelay = INT_MAX;
        arrows->SetBuddy(field);
        arrows->SetRange(1, 100000);
        field->Bind(wxEVT_TEXT, [this](wxCommandEvent& e) {
            texts.push_back(e.GetString().utf8_string());
            e.Skip();
        });
        window->Show();
        ASSERT_TRUE(WaitUntil([&] { return arrows->IsShownOnScreen() && arrows->GetClientSize().y == 30; }));
    }
    void TearDown() override
    {
        window->Destroy();
        wxTheApp->ProcessIdle();
    }
    // A real click on the upper or lower arrow.
    bool Click(int arrow)
    {
        Pointer pointer(*arrows);
        const wxSize s = arrows->GetClientSize();
        return pointer.MoveTo(s.x / 2, arrow > 0 ? s.y / 4 : 3 * s.y / 4) && pointer.Down() && pointer.Up();
    }

    wxFrame* window = nullptr;
    wxTextCtrl* field = nullptr;
    CUpDown* arrows = nullptr;
    std::vector<std::string> texts;
};
} // namespace

// A click steps the number in the field by one, which the window hears as a
// text change; the field's own number is the start, whatever was typed.
TEST_F(UpDownTest, ClicksStepTheFieldsNumber)
{
    field->ChangeValue("2560");
    ASSERT_TRUE(Click(+1));
    EXPECT_EQ(field->GetValue(), "2561");
    ASSERT_TRUE(Click(-1));
    ASSERT_TRUE(Click(-1));
    EXPECT_EQ(field->GetValue(), "2559");
    EXPECT_EQ(texts, (std::vector<std::string>{"2561", "2560", "2559"}));

    field->ChangeValue("77"); // typed by the user
    texts.clear();
    ASSERT_TRUE(Click(+1));
    EXPECT_EQ(texts, std::vector<std::string>{"78"});
    EXPECT_EQ(arrows->GetPos(), 78);
}

// The range holds at both ends, where a click changes nothing and says
// nothing; a number typed outside the range comes back into it. A field
// that holds no number steps from the last position.
TEST_F(UpDownTest, RangeAndTextThatIsNoNumber)
{
    struct Case {
        const char* typed;
        int arrow;
        const char* shown; // after the click
        bool heard;
    };
    const Case cases[] = {
        {"100000", +1, "100000", false}, {"1", -1, "1", false},         {"0", +1, "1", true},
        {"0", -1, "1", true},            {"250000", -1, "100000", true}, {"99999", +1, "100000", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.arrow > 0 ? " up" : " down"));
        field->ChangeValue(c.typed);
        texts.clear();
        ASSERT_TRUE(Click(c.arrow));
        EXPECT_EQ(field->GetValue(), c.shown);
        EXPECT_EQ(texts.size(), c.heard ? 1u : 0u);
    }

    arrows->SetPos(40);
    EXPECT_EQ(field->GetValue(), "40");
    field->ChangeValue("abc");
    ASSERT_TRUE(Click(+1));
    EXPECT_EQ(field->GetValue(), "41");
}

// The arrows are drawn as two buttons with a triangle each, pointing up on
// the upper half and down on the lower one.
TEST_F(UpDownTest, DrawsTwoArrows)
{
    PaintCounter painted(*arrows);
    ASSERT_TRUE(painted.PaintNow());
    const wxImage shown = GrabWindow(*window);
    const wxRect r = arrows->GetRect();
    // The darkest pixels of each half: the triangle's.
    auto darkRows = [&](int top, int bottom) {
        std::vector<int> widths;
        for (int y = top; y < bottom; ++y) {
            int n = 0;
            for (int x = r.x; x < r.GetRight(); ++x) {
                const Rgb c = PixelAt(shown, x, y);
                n += c.r < 80 && c.g < 80 && c.b < 80;
            }
            if (n)
                widths.push_back(n);
        }
        return widths;
    };
    const std::vector<int> up = darkRows(r.y, r.y + r.height / 2);
    const std::vector<int> down = darkRows(r.y + r.height / 2, r.GetBottom());
    ASSERT_GE(up.size(), 2u);
    ASSERT_GE(down.size(), 2u);
    EXPECT_LT(up.front(), up.back()) << "widening downwards: points up";
    EXPECT_GT(down.front(), down.back()) << "narrowing downwards: points down";
}
