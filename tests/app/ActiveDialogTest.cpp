#include <algorithm>
#include <string>
#include <vector>

#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "DialogScript.h"
#include "app/dialogs/ActiveDialog.h"
#include "data/AppSettings.h"

namespace {
constexpr unsigned kRefused = MB_OK | MB_ICONEXCLAMATION;

// The settings the dialog edits.
struct Contour {
    float length, external, internal, damping, mass, delta;
    int image, type;
    bool rsnake;
    bool operator==(const Contour&) const = default;
};

Contour Read()
{
    const CAppSettings* s = CAppSettings::GetInstance();
    const ContourParameters& k = s->m_contour;
    return {k.m_fSegmentLength, k.m_fExternalWeight, k.m_fInternalWeight, k.m_fDampingWeight, k.m_fPointMass,
            k.m_fDelta,         s->m_nImageDisplayed, s->m_nContourType,    s->m_bRSnake};
}

void Write(const Contour& c)
{
    CAppSettings* s = CAppSettings::GetInstance();
    s->m_contour = {c.length, c.external, c.internal, c.damping, c.mass, c.delta};
    s->m_nImageDisplayed = c.image;
    s->m_nContourType = c.type;
    s->m_bRSnake = c.rsnake;
}

// The edits in the order the dialog lists them.
const char* const kFields[] = {"IDC_ACTIVE_SEGMENT_LENGTH", "IDC_ACTIVE_EXTERNAL", "IDC_ACTIVE_INTERNAL",
                               "IDC_ACTIVE_DAMPING",        "IDC_ACTIVE_MASS",     "IDC_ACTIVE_DELTA"};
const char* const kImageRadios[] = {"IDC_IMAGE_ORIGINAL", "IDC_IMAGE_SMOOTHED", "IDC_IMAGE_GRADIENT",
                                    "IDC_IMAGE_ENERGY"};
const char* const kTypeRadios[] = {"IDC_TYPE_ACTIVE", "IDC_TYPE_RSNAKE"};

class ActiveDialogTest : public FrameTest {
protected:
    // Runs the dialog as the segmentation dialog does, with `script` as the
    // user; the dialog's result.
    int Run(std::function<void(CActiveDialog&)> script)
    {
        ModalScript<CActiveDialog> user(std::move(script));
        CActiveDialog dlg(frame);
        const int result = dlg.ShowModal();
        EXPECT_EQ(user.shown, 1);
        return result;
    }
    static wxTextCtrl& Edit(CActiveDialog& d, const char* name) { return Child<wxTextCtrl>(d, name); }
    // Which radios of a group GTK shows chosen.
    template <std::size_t N> static std::vector<int> Chosen(CActiveDialog& d, const char* const (&radios)[N])
    {
        std::vector<int> on;
        for (std::size_t i = 0; i < N; ++i)
            if (GtkToggled(Child(d, radios[i])))
                on.push_back(int(i));
        return on;
    }

    User user;
};
} // namespace

// Template 194: caption, the six labelled edits holding the settings with
// six significant digits, the radios of the image kind and the contour
// type in their group boxes (none for a value without a radio), OK as the
// default button; nothing overlapping but the radios inside their boxes.
TEST_F(ActiveDialogTest, OpensWithTheSettings)
{
    struct Case {
        Contour settings;
        std::vector<std::string> shown;
        std::vector<int> image, type;
    };
    const Case cases[] = {
        {{10.0f, 3.0f, 4.0f, -1.0f, 1.0f, 0.005f, 0, 0, false}, {"10", "3", "4", "-1", "1", "0.005"}, {0}, {0}},
        {{7.25f, 0.1f, 123.456789f, -0.5f, 1e-3f, 1e-6f, 2, 1, true},
         {"7.25", "0.1", "123.457", "-0.5", "0.001", "1e-06"},
         {2},
         {1}},
        {{1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 3, 0, false}, {"1", "1", "1", "1", "1", "1"}, {3}, {0}},
        {{1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 7, -1, false}, {"1", "1", "1", "1", "1", "1"}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown[0] + ", image kind " + std::to_string(c.settings.image));
        Write(c.settings);
        EXPECT_EQ(Run([&](CActiveDialog& d) {
                      EXPECT_EQ(GtkWindowTitle(d), "Active contour settings");
                      for (std::size_t i = 0; i < 6; ++i)
                          EXPECT_EQ(GtkEntryText(Edit(d, kFields[i])), c.shown[i]) << kFields[i];
                      EXPECT_EQ(Chosen(d, kImageRadios), c.image);
                      EXPECT_EQ(Chosen(d, kTypeRadios), c.type);
                  }),
                  wxID_CANCEL);
        EXPECT_EQ(Read(), c.settings);
    }

    Run([&](CActiveDialog& d) {
        std::vector<std::string> labels;
        std::vector<wxWindow*> shown;
        for (wxWindow* child : d.GetChildren()) {
            if (!child->IsShown())
                continue;
            if (dynamic_cast<wxStaticText*>(child))
                labels.push_back(GtkLabelText(*child));
            else if (dynamic_cast<wxRadioButton*>(child))
                labels.push_back(GtkButtonLabel(*child));
            else if (auto* box = dynamic_cast<wxStaticBox*>(child))
                labels.push_back(box->GetLabel().utf8_string());
            EXPECT_TRUE(wxRect(d.GetClientSize()).Contains(child->GetRect())) << child->GetName();
            shown.push_back(child);
        }
        for (const char* label :
             {"Desired segment length", "External force weighting", "Internal force weighting",
              "Damping force weighting", "Mass of each contour point", "Delta", "Image displayed", "Type",
              "Original image", "Gaussian smoothed", "Gradient image", "Energy function", "Active contour", "R-Snake"})
            EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label;
        EXPECT_EQ(d.FindWindow(wxID_OK)->GetLabel(), "OK");
        EXPECT_EQ(d.FindWindow(wxID_CANCEL)->GetLabel(), "Cancel");
        EXPECT_EQ(d.GetDefaultItem(), d.FindWindow(wxID_OK));
        for (std::size_t i = 0; i < shown.size(); ++i)
            for (std::size_t j = i + 1; j < shown.size(); ++j) {
                const bool box = dynamic_cast<wxStaticBox*>(shown[i]) || dynamic_cast<wxStaticBox*>(shown[j]);
                const wxRect a = shown[i]->GetRect(), b = shown[j]->GetRect();
                if (box)
                    EXPECT_TRUE(!a.Intersects(b) || a.Contains(b) || b.Contains(a))
                        << shown[i]->GetName() << " and " << shown[j]->GetName();
                else
                    EXPECT_FALSE(a.Intersects(b)) << shown[i]->GetName() << " and " << shown[j]->GetName();
            }
    });
}

// OK writes the six numbers typed, the image kind and the contour type
// clicked; R-Snake sets the type to 1 and the R-snake flag, Active contour
// clears both. The bounds of each range are accepted.
TEST_F(ActiveDialogTest, OkWritesBackWhatWasChosen)
{
    struct Case {
        std::vector<std::string> typed;
        const char* image;
        const char* type;
        Contour written;
    };
    const Case cases[] = {
        {{"12.5", "-2", "0.75", "-3e2", "2", "0.01"},
         "IDC_IMAGE_ENERGY",
         "IDC_TYPE_RSNAKE",
         {12.5f, -2.0f, 0.75f, -300.0f, 2.0f, 0.01f, 3, 1, true}},
        {{"0.5", "-1e6", "1e6", "1000000", "0.001", "1e-6"},
         "IDC_IMAGE_SMOOTHED",
         "IDC_TYPE_ACTIVE",
         {0.5f, -1e6f, 1e6f, 1e6f, 0.001f, 1e-6f, 1, 0, false}},
        {{"1000", "0", "0", "0", "1e6", "10"},
         "IDC_IMAGE_ORIGINAL",
         "IDC_TYPE_ACTIVE",
         {1000.0f, 0.0f, 0.0f, 0.0f, 1e6f, 10.0f, 0, 0, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed[0]);
        // Start from the other side, so that every click changes something.
        Write({10.0f, 3.0f, 4.0f, -1.0f, 1.0f, 0.005f, 2, c.written.type == 1 ? 0 : 1, c.written.type != 1});
        EXPECT_EQ(Run([&](CActiveDialog& d) {
                      for (std::size_t i = 0; i < 6; ++i)
                          ASSERT_TRUE(user.Type(Edit(d, kFields[i]), c.typed[i])) << kFields[i];
                      ASSERT_TRUE(user.Click(Child(d, c.image)));
                      ASSERT_TRUE(user.Click(Child(d, c.type)));
                      EXPECT_TRUE(GtkToggled(Child(d, c.image)));
                      ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
                      EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
                  }),
                  wxID_OK);
        EXPECT_EQ(Read(), c.written);
        EXPECT_TRUE(prompter.asked.empty());
    }
}

// A field that is not a number, or a number outside its range, shows its
// message on OK and keeps the dialog open with the field focused; nothing
// reaches the settings, also from the valid fields before it. Put right,
// OK goes through.
TEST_F(ActiveDialogTest, RefusedFieldsKeepTheSettings)
{
    const Contour start{10.0f, 3.0f, 4.0f, -1.0f, 1.0f, 0.005f, 0, 0, false};
    Write(start);
    const int result = Run([&](CActiveDialog& d) {
        struct Case {
            int field;
            const char* typed;
            const char* message;
        };
        const Case cases[] = {
            {0, "abc", "Please enter a number."},
            {0, "", "Please enter a number."},
            {0, "0.4", "Please enter a number between 0.5 and 1000."},
            {0, "1001", "Please enter a number between 0.5 and 1000."},
            {1, "1e7", "Please enter a number between -1e+06 and 1e+06."},
            {2, "nan", "Please enter a number."},
            {2, "-2e6", "Please enter a number between -1e+06 and 1e+06."},
            {3, "1e39", "Please enter a number."},
            {3, "-1000001", "Please enter a number between -1e+06 and 1e+06."},
            {4, "0", "Please enter a number between 0.001 and 1e+06."},
            {4, "-1", "Please enter a number between 0.001 and 1e+06."},
            {5, "0", "Please enter a number between 1e-06 and 10."},
            {5, "20", "Please enter a number between 1e-06 and 10."},
            {5, "0.01x", "Please enter a number."},
        };
        // The fields before each refused one hold new valid numbers.
        ASSERT_TRUE(user.Type(Edit(d, kFields[0]), "20"));
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(kFields[c.field]) + " \"" + c.typed + "\"");
            prompter.asked.clear();
            wxTextCtrl& edit = Edit(d, kFields[c.field]);
            if (*c.typed) {
                ASSERT_TRUE(user.Type(edit, c.typed));
            } else {
                ASSERT_TRUE(user.Focus(edit));
                edit.SelectAll();
                ASSERT_TRUE(user.Press(edit, WXK_BACK));
                ASSERT_EQ(GtkEntryText(edit), "");
            }
            ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
            ASSERT_TRUE(WaitUntil([&] { return !prompter.asked.empty(); }));
            EXPECT_EQ(prompter.Texts(), std::vector<std::string>{c.message});
            EXPECT_EQ(prompter.asked[0].style, kRefused);
            EXPECT_TRUE(d.IsModal());
            EXPECT_TRUE(edit.HasFocus());
            EXPECT_EQ(Read(), start);
            ASSERT_TRUE(user.Type(edit, c.field == 0 ? "20" : "2"));
        }
        prompter.asked.clear();
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(Read(), (Contour{20.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 0, 0, false}));
}

// Cancel, Escape and the close box leave the settings as they were, after
// new numbers and other radios were chosen.
TEST_F(ActiveDialogTest, CancelChangesNothing)
{
    const Contour start{10.0f, 3.0f, 4.0f, -1.0f, 1.0f, 0.005f, 1, 0, false};
    enum class Way { cancel, escape, closeBox };
    for (Way way : {Way::cancel, Way::escape, Way::closeBox}) {
        SCOPED_TRACE(int(way));
        Write(start);
        EXPECT_EQ(Run([&](CActiveDialog& d) {
                      for (const char* field : kFields)
                          ASSERT_TRUE(user.Type(Edit(d, field), "5"));
                      ASSERT_TRUE(user.Click(Child(d, "IDC_IMAGE_GRADIENT")));
                      ASSERT_TRUE(user.Click(Child(d, "IDC_TYPE_RSNAKE")));
                      switch (way) {
                      case Way::cancel:
                          ASSERT_TRUE(user.Click(Child(d, "wxID_CANCEL")));
                          break;
                      case Way::escape:
                          ASSERT_TRUE(user.Focus(Edit(d, kFields[0])));
                          wxUIActionSimulator().Char(WXK_ESCAPE);
                          break;
                      case Way::closeBox:
                          d.Close();
                          break;
                      }
                      EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
                  }),
                  wxID_CANCEL);
        EXPECT_EQ(Read(), start);
        EXPECT_TRUE(prompter.asked.empty());
    }
}
