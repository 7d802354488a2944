#include <filesystem>
#include <fstream>
#include <string>

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "DialogScript.h"
#include "app/AppDialogRunner.h"
#include "app/dialogs/RgbDialog.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {
class RgbDialogTest : public ::testing::Test {
protected:
    // Runs the dialog as the view's import does, through the program's
    // runner, with `script` as the user.
    bool Run(std::function<void(CRgbDialog&)> script)
    {
        ModalScript<CRgbDialog> user(std::move(script));
        values = CRgbDialogValues{};
        values.m_nWidth = values.m_nHeight = -1;
        const bool ok = CAppDialogRunner().RunRgbDialog(values);
        EXPECT_EQ(user.shown, 1);
        return ok;
    }

    // A folder holding `files` slice files.
    std::string Folder(const std::string& name, int files = 1)
    {
        const std::string folder = dir.File(name);
        std::filesystem::create_directory(folder);
        for (int i = 0; i < files; ++i)
            std::ofstream(folder + "/slice" + std::to_string(i)) << "";
        return folder;
    }

    TempDir dir;
    CScriptedPrompter prompter;
    CPrompterScope scope{&prompter};
    CRgbDialogValues values;
    User user;
};
} // namespace

// The dialog opens on its defaults with RGB chosen; what is typed comes back
// after OK, the folder as the loaders' search pattern.
TEST_F(RgbDialogTest, TypedValuesComeBackWithTheSearchPattern)
{
    const std::string folder = Folder("visible human");
    const bool ok = Run([&](CRgbDialog& d) {
        EXPECT_EQ(GtkWindowTitle(d), "Import RGB or VHP data");
        EXPECT_EQ(Shown(d, "IDC_RGB_FOLDER"), "");
        EXPECT_EQ(Shown(d, "IDC_RGB_WIDTH"), "2048");
        EXPECT_EQ(Shown(d, "IDC_RGB_HEIGHT"), "1216");
        EXPECT_EQ(Shown(d, "IDC_RGB_HEADER"), "0");
        for (const char* name : {"IDC_RGB_PIXEL_WIDTH", "IDC_RGB_PIXEL_HEIGHT", "IDC_RGB_SEPARATION"})
            EXPECT_EQ(Shown(d, name), "0.33") << name;
        EXPECT_TRUE(GtkToggleActive(Child(d, "IDC_RGB_TYPE_RGB")));
        EXPECT_FALSE(GtkToggleActive(Child(d, "IDC_RGB_TYPE_VHP")));
        EXPECT_FALSE(GtkToggleActive(Child(d, "IDC_RGB_GRAYSCALE")));
        EXPECT_EQ(GtkButtonLabel(Child(d, "IDC_RGB_GRAYSCALE")), "Convert to grayscale");

        struct Typing {
            const char* field;
            const char* text;
        };
        const Typing rows[] = {
            {"IDC_RGB_FOLDER", folder.c_str()},        {"IDC_RGB_WIDTH", "512"},
            {"IDC_RGB_HEIGHT", "384"},                 {"IDC_RGB_PIXEL_WIDTH", "0.5"},
            {"IDC_RGB_PIXEL_HEIGHT", "0.25"},          {"IDC_RGB_SEPARATION", "1e-1"},
            {"IDC_RGB_HEADER", "7"},
        };
        for (const Typing& r : rows)
            ASSERT_TRUE(user.Type(Edit(d, r.field), r.text)) << r.field;
        ASSERT_TRUE(user.Click(Child(d, "IDC_RGB_GRAYSCALE")));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(values.m_strFolder, folder + "/*.*");
    EXPECT_EQ(values.m_nWidth, 512);
    EXPECT_EQ(values.m_nHeight, 384);
    EXPECT_EQ(values.m_fPixelWidth, 0.5f);
    EXPECT_EQ(values.m_fPixelHeight, 0.25f);
    EXPECT_EQ(values.m_fSeparation, 0.1f);
    EXPECT_EQ(values.m_nHeaderBytes, 7);
    EXPECT_EQ(values.m_nDataType, 0);
    EXPECT_EQ(values.m_bGrayscale, 1);
}

// "Browse..." asks for the folder by its title; a chosen folder fills the
// field and what was typed elsewhere stays; cancelling leaves the field.
TEST_F(RgbDialogTest, BrowseFillsTheFolderAndKeepsTypedFields)
{
    Run([&](CRgbDialog& d) {
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RGB_FOLDER"), "/typed"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RGB_WIDTH"), "640"));
        prompter.folders = {"/data/slices", ""};
        ASSERT_TRUE(user.Click(Child(d, "IDC_RGB_BROWSE")));
        EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Select images folder:"});
        EXPECT_EQ(Shown(d, "IDC_RGB_FOLDER"), "/data/slices");
        EXPECT_EQ(Shown(d, "IDC_RGB_WIDTH"), "640");
        ASSERT_TRUE(user.Click(Child(d, "IDC_RGB_BROWSE")));
        EXPECT_EQ(prompter.asked.size(), 2u);
        EXPECT_EQ(Shown(d, "IDC_RGB_FOLDER"), "/data/slices");

        // With a field refused, the chosen folder still goes in and no other
        // field loses what was typed.
        prompter.asked.clear();
        prompter.folders = {"/data/other"};
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RGB_HEIGHT"), "9000"));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RGB_HEADER"), "12"));
        ASSERT_TRUE(user.Click(Child(d, "IDC_RGB_BROWSE")));
        EXPECT_EQ(prompter.Texts(),
                  (std::vector<std::string>{"Select images folder:", "Please enter an integer between 1 and 8192."}));
        EXPECT_EQ(Shown(d, "IDC_RGB_FOLDER"), "/data/other");
        EXPECT_EQ(Shown(d, "IDC_RGB_HEIGHT"), "9000");
        EXPECT_EQ(Shown(d, "IDC_RGB_HEADER"), "12");
    });
}

// VHP greys out "Convert to grayscale" and keeps its tick; RGB gives it back.
TEST_F(RgbDialogTest, VhpGreysOutGrayscaleAndRgbRestoresIt)
{
    const std::string folder = Folder("vhp");
    const bool ok = Run([&](CRgbDialog& d) {
        wxWindow& grey = Child(d, "IDC_RGB_GRAYSCALE");
        ASSERT_TRUE(user.Click(grey));
        ASSERT_TRUE(user.Click(Child(d, "IDC_RGB_TYPE_VHP")));
        EXPECT_FALSE(GtkSensitive(grey));
        EXPECT_TRUE(GtkToggleActive(grey));
        ASSERT_TRUE(user.Click(Child(d, "IDC_RGB_TYPE_RGB")));
        EXPECT_TRUE(GtkSensitive(grey));
        EXPECT_TRUE(GtkToggleActive(grey));
        ASSERT_TRUE(user.Click(Child(d, "IDC_RGB_TYPE_VHP")));
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RGB_FOLDER"), folder + "/"));
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(values.m_nDataType, 1);
    EXPECT_EQ(values.m_bGrayscale, 1);
    EXPECT_EQ(values.m_strFolder, folder + "/*.*");
}

// OK refuses a folder field that is empty (the loaders would read the
// current folder), names no folder there or names a file: the message, the
// focus on the field, the dialog open. A folder then goes through.
TEST_F(RgbDialogTest, EmptyOrMissingFolderIsRefused)
{
    const std::string folder = Folder("slices");
    const std::string missing = dir.File("gone"), file = folder + "/slice0";
    const bool ok = Run([&](CRgbDialog& d) {
        wxTextCtrl& edit = Edit(d, "IDC_RGB_FOLDER");
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
        ASSERT_EQ(prompter.Texts(), std::vector<std::string>{"Please enter the folder containing the image files."});
        EXPECT_EQ(prompter.asked[0].style, unsigned(MB_OK | MB_ICONEXCLAMATION));
        ASSERT_TRUE(d.IsModal());
        EXPECT_TRUE(edit.HasFocus());
        const RefusedEntry cases[] = {
            {"IDC_RGB_FOLDER", missing.c_str(), nullptr, nullptr},
            {"IDC_RGB_FOLDER", file.c_str(), nullptr, nullptr},
        };
        const std::string messages[] = {"The folder \"" + missing + "\" does not exist.",
                                        "\"" + file + "\" is not a folder."};
        for (int i = 0; i < 2; ++i) {
            const RefusedEntry c{cases[i].field, cases[i].typed, messages[i].c_str(), folder.c_str()};
            RefuseThenRepair(user, prompter, d, c, [&] { EXPECT_EQ(Shown(d, "IDC_RGB_FOLDER"), c.typed); });
            if (HasFatalFailure())
                return;
        }
        ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(values.m_strFolder, folder + "/*.*");
}

// Sizes the loaders cannot take keep the dialog open on the field with its
// message; nothing of the folder is touched. So do voxel sizes that make
// the volume longer than 10000 along an axis: 2048 pixels wide, 1216 high,
// and a folder of 4 files gives 4 slices. Cancel gives no values.
TEST_F(RgbDialogTest, RefusedSizesKeepTheDialogOpen)
{
    const std::string folder = Folder("four", 4);
    const bool ok = Run([&](CRgbDialog& d) {
        ASSERT_TRUE(user.Type(Edit(d, "IDC_RGB_FOLDER"), folder));
        const RefusedEntry cases[] = {
            {"IDC_RGB_WIDTH", "9000", "Please enter an integer between 1 and 8192.", "2048"},
            {"IDC_RGB_HEIGHT", "0", "Please enter an integer between 1 and 8192.", "1216"},
            {"IDC_RGB_PIXEL_WIDTH", "0", "Please enter a number greater than 0.", "0.33"},
            {"IDC_RGB_SEPARATION", "x", "Please enter a number.", "0.33"},
            {"IDC_RGB_PIXEL_WIDTH", "1e38", "Please enter a number between 0 and 4.88281.", "4.88281"},
            {"IDC_RGB_PIXEL_HEIGHT", "8.3", "Please enter a number between 0 and 8.22368.", "0.33"},
            {"IDC_RGB_SEPARATION", "2500.01", "Please enter a number between 0 and 2500.", "2500"},
        };
        for (const RefusedEntry& c : cases) {
            RefuseThenRepair(user, prompter, d, c, [&] { EXPECT_EQ(Shown(d, "IDC_RGB_FOLDER"), folder); });
            if (HasFatalFailure())
                return;
        }
        ASSERT_TRUE(user.Click(Child(d, "wxID_CANCEL")));
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(values.m_nWidth, -1) << "nothing handed back";
}
