#include <string>
#include <vector>

#include <wx/bookctrl.h>
#include <wx/textctrl.h>

#include "DialogScript.h"
#include "ViewFixture.h"
#include "app/dialogs/Options2D.h"
#include "app/dialogs/Options3D.h"
#include "app/dialogs/OptionsGeneral.h"
#include "app/dialogs/OptionsLight.h"
#include "app/dialogs/OptionsSheet.h"
#include "data/AppSettings.h"

namespace {
// A model that counts how often the view re-applies the settings to it.
class CountingMesh : public COffMesh {
public:
    void OnOptionsChanged() override { ++applied; }
    int applied = 0;
};

class OptionsSheetTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        if (HasFatalFailure())
            return;
        view->m_pModel = &mesh;
        settings = CAppSettings::GetInstance();
    }
    void TearDown() override
    {
        if (view)
            view->m_pModel = nullptr;
        ViewTest::TearDown();
    }
    // The options command's sheet with `script` as the user; true for OK.
    bool Run(std::function<void(COptionsSheet&)> script)
    {
        ModalScript<COptionsSheet> user(std::move(script));
        const bool ok = RunOptionsSheet(view);
        EXPECT_EQ(user.shown, 1);
        return ok;
    }
    // Chooses page `index` by clicking its tab, as the user does.
    bool ShowPage(COptionsSheet& sheet, int index)
    {
        wxBookCtrlBase& book = *sheet.GetBookCtrl();
        const wxRect tab = TabRect(book, index);
        if (tab.IsEmpty() || !user.Click(book, tab.GetPosition() + tab.GetSize() / 2))
            return false;
        return WaitUntil([&] { return sheet.m_pages[index]->IsShownOnScreen(); });
    }
    static wxRect TabRect(wxBookCtrlBase& book, int index)
    {
        // Tabs run along the book's top, one after the other; GTK reports
        // where wx cannot, so hit-test along a line through them.
        const int y = 12;
        int from = -1, to = -1;
        for (int x = 0; x < book.GetClientSize().x; ++x) {
            long flags = 0;
            if (book.HitTest(wxPoint(x, y), &flags) == index) {
                if (from < 0)
                    from = x;
                to = x;
            }
        }
        return from < 0 ? wxRect() : wxRect(from, y - 4, to - from + 1, 8);
    }
    static wxWindow& Apply(COptionsSheet& sheet) { return *sheet.FindWindow(wxID_APPLY); }

    CountingMesh mesh;
    CAppSettings* settings = nullptr;
    User user;
};
} // namespace

// "Vexilo Options" shows the four pages in order with the settings at their
// defaults (the minimum alpha of 0.05 as 5). Typing in the General page's
// edits alone leaves Apply greyed; a tick enables it; Apply writes the
// page's settings, re-applies them through the view and greys Apply again.
TEST_F(OptionsSheetTest, PagesShowTheSettingsAndApplyFollowsChanges)
{
    const bool ok = Run([&](COptionsSheet& sheet) {
        EXPECT_EQ(GtkWindowTitle(sheet), "Vexilo Options");
        EXPECT_EQ(GtkTabLabels(*sheet.GetBookCtrl()),
                  (std::vector<std::string>{"General", "2D Textures", "3D Textures", "Light Boxes"}));
        COptionsGeneral& general = *sheet.m_pGeneral;
        struct Check {
            const char* name;
            const char* label;
            bool ticked;
        };
        const Check checks[] = {
            {"IDC_OPT_ASK_RENDERER", "Show prompt to manually select a renderer", false},
            {"IDC_OPT_USE_3D_TEXTURES", "Use 3D textures if available", false},
            {"IDC_OPT_RESCALE_8BIT", "Always rescale to 8-bit textures for display", true},
        };
        for (const Check& c : checks) {
            EXPECT_EQ(GtkButtonLabel(Child(general, c.name)), c.label);
            EXPECT_EQ(GtkToggleActive(Child(general, c.name)), c.ticked) << c.name;
        }
        EXPECT_EQ(GtkEntryText(Child(general, "IDC_OPT_MIN_ALPHA")), "5");
        EXPECT_EQ(GtkEntryText(Child(general, "IDC_OPT_CALIB_ISO")), "255");
        EXPECT_FALSE(GtkSensitive(Apply(sheet)));

        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(general, "IDC_OPT_MIN_ALPHA"), "7"));
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(general, "IDC_OPT_CALIB_ISO"), "100"));
        EXPECT_FALSE(GtkSensitive(Apply(sheet))) << "the edits have no change handler";
        ASSERT_TRUE(user.Click(Child(general, "IDC_OPT_ASK_RENDERER")));
        EXPECT_TRUE(GtkSensitive(Apply(sheet)));

        ASSERT_TRUE(user.Click(Apply(sheet)));
        EXPECT_TRUE(settings->m_bAskRenderer);
        EXPECT_EQ(settings->m_fMinAlpha, 0.07f);
        EXPECT_EQ(settings->m_nCalibIsoValue, 100);
        EXPECT_EQ(mesh.applied, 1);
        EXPECT_FALSE(GtkSensitive(Apply(sheet)));
        EXPECT_TRUE(sheet.IsModal());

        // The other pages show their settings when first chosen; a change on
        // them enables Apply too.
        ASSERT_TRUE(ShowPage(sheet, 1));
        ASSERT_TRUE(ShowPage(sheet, 2));
        COptions3D& page3d = *sheet.m_p3D;
        EXPECT_TRUE(GtkToggleActive(Child(page3d, "IDC_OPT_USE_QUADS")));
        EXPECT_EQ(GtkEntryText(Child(page3d, "IDC_OPT_LATTICE")), "8");
        EXPECT_FALSE(GtkSensitive(Apply(sheet)));
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(page3d, "IDC_OPT_LATTICE"), "16"));
        EXPECT_TRUE(GtkSensitive(Apply(sheet))) << "the lattice edit's change counts";
        ASSERT_TRUE(ShowPage(sheet, 3));
        EXPECT_TRUE(GtkToggleActive(Child(*sheet.m_pLight, "IDC_OPT_LIGHTBOX_XFR")));
        ASSERT_TRUE(user.Click(Child(*sheet.m_pLight, "IDC_OPT_LIGHTBOX_XFR")));
        ASSERT_TRUE(user.Click(Child(sheet, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(settings->m_nLatticePoints, 16);
    EXPECT_FALSE(settings->m_bLightBoxXfr);
    EXPECT_TRUE(settings->m_bUseQuads);
    // OK: one Apply for each page shown that has settings, then the
    // command's own, after the Apply button's.
    EXPECT_EQ(mesh.applied, 1 + 3 + 1);
}

// Changing only the minimum alpha and pressing OK applies it: 12.5 % stores
// 0.125; the pages never shown are not applied.
TEST_F(OptionsSheetTest, OkAppliesTheMinimumAlphaTypedAlone)
{
    const bool ok = Run([&](COptionsSheet& sheet) {
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(*sheet.m_pGeneral, "IDC_OPT_MIN_ALPHA"), "12.5"));
        EXPECT_FALSE(GtkSensitive(Apply(sheet)));
        ASSERT_TRUE(user.Click(Child(sheet, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(settings->m_fMinAlpha, 0.125f);
    EXPECT_EQ(mesh.applied, 1 + 1);
    EXPECT_TRUE(prompter.asked.empty());
}

// A lattice size of 7 or 33, or a minimum alpha beyond 100, is refused on
// OK and on leaving the page: the message names the range, the sheet stays
// open on the page with the focus on the field, and nothing is applied.
TEST_F(OptionsSheetTest, OutOfRangeValuesKeepTheSheetOnTheirPage)
{
    const bool ok = Run([&](COptionsSheet& sheet) {
        struct Case {
            int page;
            const char* field;
            const char* typed;
            bool byOk; // else by choosing another page
            const char* message;
            const char* repair;
        };
        const Case cases[] = {
            {2, "IDC_OPT_LATTICE", "7", true, "Please enter an integer between 8 and 32.", "8"},
            {2, "IDC_OPT_LATTICE", "33", false, "Please enter an integer between 8 and 32.", "8"},
            {0, "IDC_OPT_MIN_ALPHA", "100.5", true, "Please enter a number between 0 and 100.", "5"},
            {0, "IDC_OPT_CALIB_ISO", "256", false, "Please enter an integer between 0 and 255.", "255"},
            {0, "IDC_OPT_MIN_ALPHA", "five", true, "Please enter a number.", "5"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.field) + " " + c.typed);
            if (sheet.GetBookCtrl()->GetSelection() != c.page) {
                ASSERT_TRUE(ShowPage(sheet, c.page));
            }
            auto& edit = Child<wxTextCtrl>(*sheet.m_pages[c.page], c.field);
            ASSERT_TRUE(user.Type(edit, c.typed));
            prompter.asked.clear();
            if (c.byOk) {
                ASSERT_TRUE(user.Click(Child(sheet, "wxID_OK")));
            } else {
                user.Click(*sheet.GetBookCtrl(), TabRect(*sheet.GetBookCtrl(), 1).GetPosition() + wxPoint(5, 4));
                wxTheApp->ProcessPendingEvents();
            }
            ASSERT_EQ(prompter.Texts(), std::vector<std::string>{c.message});
            EXPECT_TRUE(sheet.IsModal());
            EXPECT_EQ(sheet.GetBookCtrl()->GetSelection(), c.page);
            EXPECT_TRUE(sheet.m_pages[c.page]->IsShownOnScreen());
            EXPECT_TRUE(edit.HasFocus());
            EXPECT_EQ(mesh.applied, 0);
            ASSERT_TRUE(user.Type(edit, c.repair));
        }
        ASSERT_TRUE(user.Click(Child(sheet, "wxID_CANCEL")));
    });
    EXPECT_FALSE(ok);
}

// The calibration value and the lattice size take digits only: letters and
// signs typed are dropped as the keys come (before, they were refused only
// at OK).
TEST_F(OptionsSheetTest, IntegerEditsTakeDigitsOnly)
{
    const bool ok = Run([&](COptionsSheet& sheet) {
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(*sheet.m_pGeneral, "IDC_OPT_CALIB_ISO"), "1x2-0", "120"));
        ASSERT_TRUE(ShowPage(sheet, 2));
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(*sheet.m_p3D, "IDC_OPT_LATTICE"), "a1-6e", "16"));
        ASSERT_TRUE(user.Click(Child(sheet, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(settings->m_nCalibIsoValue, 120);
    EXPECT_EQ(settings->m_nLatticePoints, 16);
}

// Cancel after changes on every page writes nothing back.
TEST_F(OptionsSheetTest, CancelKeepsTheSettings)
{
    const bool ok = Run([&](COptionsSheet& sheet) {
        ASSERT_TRUE(user.Click(Child(*sheet.m_pGeneral, "IDC_OPT_USE_3D_TEXTURES")));
        ASSERT_TRUE(user.Type(Child<wxTextCtrl>(*sheet.m_pGeneral, "IDC_OPT_MIN_ALPHA"), "50"));
        ASSERT_TRUE(ShowPage(sheet, 2));
        ASSERT_TRUE(user.Click(Child(*sheet.m_p3D, "IDC_OPT_USE_QUADS")));
        ASSERT_TRUE(user.Click(Child(sheet, "wxID_CANCEL")));
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(settings->m_bUse3DTextures);
    EXPECT_TRUE(settings->m_bUseQuads);
    EXPECT_EQ(settings->m_fMinAlpha, 0.05f);
    EXPECT_EQ(mesh.applied, 0);
}
