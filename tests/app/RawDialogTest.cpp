#include <string>

#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "DialogScript.h"
#include "app/AppDialogRunner.h"
#include "app/dialogs/RawDialog.h"
#include "platform/wx/StepArrows.h"
#include "support/ScriptedPrompter.h"

namespace {
constexpr unsigned kRefused = MB_OK | MB_ICONEXCLAMATION;

class RawDialogTest : public ::testing::Test {
protected:
    // Runs the dialog as the loader factory does, through the program's
    // runner, with `script` as the user.
    bool Run(std::uint64_t fileSize, std::function<void(CRawDialog&)> script)
    {
        ModalScript<CRawDialog> user(std::move(script));
        values = CRawDialogValues{};
        values.fileSize = fileSize;
        const bool ok = CAppDialogRunner().RunRawDialog(values);
        EXPECT_EQ(user.shown, 1);
        return ok;
    }
    static std::string Label(CRawDialog& d, const char* name) { return GtkLabelText(Child(d, name)); }
    // The expected size once every posted update has run.
    static std::string Expected(CRawDialog& d)
    {
        WaitUntil([&] { return d.PendingUpdates() == 0; });
        return Label(d, "IDC_RAW_EXPECTED_SIZE");
    }
    // The up-down beside `edit`, pressed on its upper (+1) or lower half.
    bool Step(CRawDialog& d, const char* spin, int delta)
    {
        auto* upDown = dynamic_cast<CStepArrows*>(&Child(d, spin));
        if (!upDown)
            return false;
        const wxSize s = upDown->GetClientSize();
        return user.Click(*upDown, wxPoint(s.x / 2, delta > 0 ? s.y / 4 : s.y * 3 / 4));
    }

    CScriptedPrompter prompter;
    CPrompterScope scope{&prompter};
    CRawDialogValues values;
    User user;
};
} // namespace

// Opening with a 2097152-byte file shows both sizes as 2097152 (128^3 at 8
// bits). Typing a layout updates the expected size after each field; OK
// hands the nine values to the factory.
TEST_F(RawDialogTest, ShowsBothSizesAndTheLayoutTyped)
{
    const bool ok = Run(2097152, [&](CRawDialog& d) {
        EXPECT_EQ(GtkWindowTitle(d), "Raw volume data import");
        EXPECT_EQ(d.GetParent(), nullptr);
        EXPECT_EQ(Label(d, "IDC_RAW_ACTUAL_SIZE"), "2097152");
        EXPECT_EQ(Expected(d), "2097152");
        for (const char* name : {"IDC_RAW_DIMX", "IDC_RAW_DIMY", "IDC_RAW_DIMZ"})
            EXPECT_EQ(GtkEntryText(Edit(d, name)), "128") << name;
        EXPECT_EQ(GtkEntryText(Edit(d, "IDC_RAW_BITS")), "8");
        EXPECT_EQ(GtkEntryText(Edit(d, "IDC_RAW_SCALEX")), "1");
        EXPECT_EQ(GtkEntryText(Edit(d, "IDC_RAW_OFFSET")), "0");
        EXPECT_TRUE(GtkToggleActive(Child(d, "IDC_RAW_LITTLE_ENDIAN")));
        EXPECT_EQ(GtkButtonLabel(Child(d, "IDC_RAW_LITTLE_ENDIAN")), "Little-endian data?");

        struct Typing {
            const char* field;
            const char* text;
            std::uint64_t expected;
        };
        const Typing rows[] = {
            {"IDC_RAW_DIMX", "256", 256ull * 128 * 128},
            {"IDC_RAW_DIMY", "256", 256ull * 256 * 128},
            {"IDC_RAW_DIMZ", "100", 256ull * 256 * 100},
            {"IDC_RAW_OFFSET", "512", 256ull * 256 * 100 + 512},
            {"IDC_RAW_SCALEX", "0.5", 256ull * 256 * 100 + 512},
            {"IDC_RAW_SCALEZ", "2.25", 256ull * 256 * 100 + 512},
        };
        for (const Typing& r : rows) {
            ASSERT_TRUE(user.Type(Edit(d, r.field), r.text)) << r.field;
            EXPECT_EQ(Expected(d), std::to_string(r.expected)) << r.field;
        }
        ASSERT_TRUE(Step(d, "IDC_RAW_SPINBITS", +1));
        EXPECT_EQ(GtkEntryText(Edit(d, "IDC_RAW_BITS")), "16");
        EXPECT_EQ(Expected(d), std::to_string(256ull * 256 * 100 * 2 + 512));
        ASSERT_TRUE(user.Click(Child(d, "IDC_RAW_LITTLE_ENDIAN")));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(values.m_nDimX, 256);
    EXPECT_EQ(values.m_nDimY, 256);
    EXPECT_EQ(values.m_nDimZ, 100);
    EXPECT_EQ(values.m_nBits, 16);
    EXPECT_EQ(values.m_bLittleEndian, 0);
    EXPECT_EQ(values.m_fScaleX, 0.5f);
    EXPECT_EQ(values.m_fScaleY, 1.0f);
    EXPECT_EQ(values.m_fScaleZ, 2.25f);
    EXPECT_EQ(values.m_nOffset, 512);
    EXPECT_TRUE(prompter.asked.empty());
}

// The bits field takes no typing; its spin gives only 8 and 16, from the
// buttons and the arrow keys alike. A dimension's spin steps the number the
// edit shows and stops at 1 and 512.
TEST_F(RawDialogTest, SpinsStepTheirEditsAndBitsToggle)
{
    Run(0, [&](CRawDialog& d) {
        wxTextCtrl& bits = Edit(d, "IDC_RAW_BITS");
        ASSERT_TRUE(user.Focus(bits));
        ASSERT_TRUE(user.Press(bits, '3'));
        EXPECT_EQ(GtkEntryText(bits), "8") << "read-only";
        struct Step {
            const char* how;
            int delta;
            const char* shown;
        };
        const Step steps[] = {
            {"button", +1, "16"}, {"button", +1, "16"}, {"button", -1, "8"}, {"button", -1, "8"},
            {"key", +1, "16"},    {"key", +1, "16"},    {"key", -1, "8"},
        };
        for (const Step& s : steps) {
            if (std::string(s.how) == "button") {
                ASSERT_TRUE(this->Step(d, "IDC_RAW_SPINBITS", s.delta));
            } else {
                ASSERT_TRUE(user.Focus(bits));
                ASSERT_TRUE(user.Press(bits, s.delta > 0 ? WXK_UP : WXK_DOWN));
            }
            EXPECT_EQ(GtkEntryText(bits), s.shown) << s.how << " " << s.delta;
        }

        wxTextCtrl& x = Edit(d, "IDC_RAW_DIMX");
        ASSERT_TRUE(this->Step(d, "IDC_RAW_SPINX", +1));
        EXPECT_EQ(GtkEntryText(x), "129");
        ASSERT_TRUE(user.Focus(x));
        ASSERT_TRUE(user.Press(x, WXK_DOWN));
        ASSERT_TRUE(user.Press(x, WXK_DOWN));
        EXPECT_EQ(GtkEntryText(x), "127");
        ASSERT_TRUE(user.Type(x, "512"));
        ASSERT_TRUE(this->Step(d, "IDC_RAW_SPINX", +1));
        EXPECT_EQ(GtkEntryText(x), "512");
        ASSERT_TRUE(user.Type(x, "1"));
        ASSERT_TRUE(this->Step(d, "IDC_RAW_SPINX", -1));
        EXPECT_EQ(GtkEntryText(x), "1");
        EXPECT_EQ(Expected(d), "16384");
    });
}

// A refused field shows its message at once, takes the focus and keeps
// the dialog open: while typing a size (the expected-size update reads
// every field) the field gets its last accepted value back; on OK nothing
// is written back. Letters never reach a digits-only edit.
TEST_F(RawDialogTest, RefusedFieldsKeepTheDialogOpenWithTheirMessage)
{
    Run(100, [&](CRawDialog& d) {
        struct Case {
            const char* field;
            const char* typed;
            bool ok; // pressed OK after typing
            const char* message;
            const char* shown;  // what the field shows afterwards
            const char* repair; // typed to make the field valid again
        };
        const Case cases[] = {
            {"IDC_RAW_DIMX", "600", false, "Please enter an integer between 1 and 512.", "60", "128"},
            {"IDC_RAW_DIMY", "0", false, "Please enter an integer between 1 and 512.", "128", "128"},
            {"IDC_RAW_SCALEX", "abc", true, "Please enter a number.", "abc", "1"},
            {"IDC_RAW_SCALEY", "0", true, "Please enter a number greater than 0.", "0", "1"},
            {"IDC_RAW_SCALEZ", "-1.5", true, "Please enter a number greater than 0.", "-1.5", "1"},
            // 128 voxels of at most 78.125 keep the axis within 10000.
            {"IDC_RAW_SCALEX", "1e38", true, "Please enter a number between 0 and 78.125.", "1e38", "78.125"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.field);
            prompter.asked.clear();
            wxTextCtrl& edit = Edit(d, c.field);
            ASSERT_TRUE(user.Type(edit, c.typed, c.ok ? c.typed : c.shown));
            if (c.ok) {
                ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
            }
            WaitUntil([&] { return d.PendingUpdates() == 0; });
            ASSERT_EQ(prompter.Texts(), std::vector<std::string>{c.message});
            EXPECT_EQ(prompter.asked[0].style, kRefused);
            EXPECT_TRUE(d.IsModal());
            EXPECT_TRUE(edit.HasFocus());
            EXPECT_EQ(GtkEntryText(edit), c.shown);
            ASSERT_TRUE(user.Type(edit, c.repair));
        }
        // An emptied size is no integer.
        prompter.asked.clear();
        wxTextCtrl& z = Edit(d, "IDC_RAW_DIMZ");
        ASSERT_TRUE(user.Focus(z));
        z.SelectAll();
        ASSERT_TRUE(user.Press(z, WXK_BACK));
        WaitUntil([&] { return d.PendingUpdates() == 0; });
        EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Please enter an integer."});
        EXPECT_EQ(GtkEntryText(z), "128");
        // The offset's edit drops the minus sign and letters as they are typed.
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RAW_OFFSET"), "-5x1", "51"));
    });
}

// The bound on a voxel size follows the dimension typed before it; at the
// bound, OK hands it over.
TEST_F(RawDialogTest, VoxelSizeBoundFollowsTheDimensions)
{
    const bool ok = Run(0, [&](CRawDialog& d) {
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RAW_DIMZ"), "512"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RAW_SCALEZ"), "20"));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Please enter a number between 0 and 19.5312."});
        EXPECT_TRUE(d.IsModal());
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RAW_SCALEZ"), "19.5312"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RAW_SCALEY"), "10000", "10000"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RAW_DIMY"), "1"));
        WaitUntil([&] { return d.PendingUpdates() == 0; });
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(values.m_nDimZ, 512);
    EXPECT_EQ(values.m_fScaleZ, 19.5312f);
    EXPECT_EQ(values.m_nDimY, 1);
    EXPECT_EQ(values.m_fScaleY, 10000.0f);
}

// Cancel, Escape and the close box give the factory no values.
TEST_F(RawDialogTest, CancelEscapeAndCloseGiveNoValues)
{
    EXPECT_FALSE(Run(0, [&](CRawDialog& d) { ASSERT_TRUE(user.Click(Child(d, "wxID_CANCEL"))); }));
    EXPECT_FALSE(Run(0, [&](CRawDialog& d) {
        ASSERT_TRUE(user.Focus(Edit(d, "IDC_RAW_DIMX")));
        wxUIActionSimulator().Char(WXK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return !d.IsModal(); }));
    }));
    EXPECT_FALSE(Run(0, [&](CRawDialog& d) { d.Close(); }));
}
