#include <algorithm>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/colordlg.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include "GtkChooser.h"
#include "GuiTest.h"
#include "ScreenPixels.h"
#include "platform/wx/WxPrompter.h"
#include "support/TempDir.h"


// Windows-style filters become GTK patterns: each literal pattern first, then
// its form for any case; "*" for all; the descriptions untouched.
TEST(GtkFileFilter, RewritesPatterns)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"Vexilo files (*.vxq)|*.vxq|All Files (*.*)|*.*||",
         "Vexilo files (*.vxq)|*.vxq;*.[vV][xX][qQ]|All Files (*.*)|*"},
        {"Meshes (*.obj;*.off)|*.obj;*.off||", "Meshes (*.obj;*.off)|*.obj;*.[oO][bB][jJ];*.off;*.[oO][fF][fF]"},
        {"Upper (*.DCM)|*.DCM||", "Upper (*.DCM)|*.DCM;*.[dD][cC][mM]"},
        {"Digits and marks (*.x3_d)|*.x3_d||", "Digits and marks (*.x3_d)|*.x3_d;*.[xX]3_[dD]"},
        {"Brackets kept (*.[ab])|*.[ab]||", "Brackets kept (*.[ab])|*.[ab]"},
        {"All (*.*)|*.*", "All (*.*)|*"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GtkFileFilter(c.in), c.out) << c.in;
}

// The default extension is added only to a file name that has none.
TEST(GtkFileFilter, DefaultExtensionOnlyWhenMissing)
{
    struct Case {
        const char* path;
        const char* ext;
        const char* out;
    };
    const Case cases[] = {
        {"/tmp/head", "vxq", "/tmp/head.vxq"},
        {"/tmp/head.raw", "vxq", "/tmp/head.raw"},
        {"/tmp/v1.2/head", "tfn", "/tmp/v1.2/head.tfn"}, // a dot in a folder name is no extension
        {"/tmp/.hidden", "tfn", "/tmp/.hidden.tfn"},
        {"/tmp/head", "", "/tmp/head"},
        {"/tmp/head", ".off", "/tmp/head.off"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithDefaultExtension(c.path, c.ext), c.out) << c.path;
}

// Message boxes: caption "Vexilo", the Windows icon defaults, and the answer
// mapped back to the Windows codes.
TEST(WxPrompter, MessageBoxes)
{
    struct Case {
        unsigned style;
        int button;
        long expectedStyle;
        int answer;
    };
    const Case cases[] = {
        {MB_OK, wxID_OK, wxOK | wxICON_EXCLAMATION, IDOK},
        {MB_OK | MB_ICONINFORMATION, wxID_OK, wxOK | wxICON_INFORMATION, IDOK},
        {MB_YESNO | MB_ICONQUESTION, wxID_YES, wxYES_NO | wxICON_QUESTION, IDYES},
        {MB_YESNO | MB_ICONQUESTION, wxID_NO, wxYES_NO | wxICON_QUESTION, IDNO},
        {MB_YESNO, wxID_CANCEL, wxYES_NO | wxICON_QUESTION, IDNO}, // closed by the window manager
    };
    for (const Case& c : cases) {
        wxString caption, message;
        long style = 0;
        DialogAnswerer answerer([&](wxDialog* dlg) {
            auto* box = dynamic_cast<wxMessageDialog*>(dlg);
            if (!box)
                return int(wxID_NONE);
            caption = box->GetCaption();
            message = box->GetMessage();
            style = box->GetMessageDialogStyle();
            return c.button;
        });
        CWxPrompter prompter;
        EXPECT_EQ(prompter.MessageBox("Unknown file format!", c.style), c.answer) << c.style;
        EXPECT_EQ(caption, "Vexilo");
        EXPECT_EQ(message, "Unknown file format!");
        const long mask = wxOK | wxYES_NO | wxICON_MASK;
        EXPECT_EQ(style & mask, c.expectedStyle) << c.style;
    }
}

// File chooser: the open or save dialog gets the title and the GTK form of
// the filter; cancel reports no choice. (GTK's own chooser cannot be given a
// path without running it; the default extension is checked above.)
TEST(WxPrompter, ChooseFileDialogSetUp)
{
    struct Case {
        bool open;
        long mode;
    };
    for (const Case& c : {Case{true, wxFD_OPEN}, Case{false, wxFD_SAVE}}) {
        wxString wildcard, message;
        long style = 0;
        DialogAnswerer answerer([&](wxDialog* dlg) {
            auto* chooser = dynamic_cast<wxFileDialog*>(dlg);
            if (!chooser)
                return int(wxID_NONE);
            wildcard = chooser->GetWildcard();
            message = chooser->GetMessage();
            style = chooser->GetWindowStyle();
            return int(wxID_CANCEL);
        });
        FileChooserRequest request;
        request.open = c.open;
        request.defaultExt = "vxq";
        request.title = "Export raw volume";
        request.filter = "Vexilo files (*.vxq)|*.vxq|All Files (*.*)|*.*||";
        CWxPrompter prompter;
        std::string path = "unchanged";
        EXPECT_FALSE(prompter.ChooseFile(request, path));
        EXPECT_EQ(path, "unchanged");
        EXPECT_EQ(answerer.shown, 1);
        EXPECT_EQ(wildcard, "Vexilo files (*.vxq)|*.vxq;*.[vV][xX][qQ]|All Files (*.*)|*");
        EXPECT_EQ(message, "Export raw volume");
        EXPECT_EQ(style & (wxFD_OPEN | wxFD_SAVE), c.mode);
    }
}

// GTK's chooser, given the open dialog's filters, lists a file whose
// extension is in another case ("Scan.Img" for "*.img") and still leaves out
// the other kinds; a save chooser takes its extension from the literal
// pattern, never from the form for any case.
TEST(WxPrompter, ChoosersMatchNamesInAnyCase)
{
    TempDir dir;
    for (const char* name : {"a.img", "Scan.Img", "B.IMG", "c.raw", "scan.imgx", "NOTES"})
        dir.Write(name, "x");
    const std::string open = "Vexilo files (*.vxq)|*.vxq|Raw volume data (*.raw)|*.raw|OBJ meshes (*.obj)|*.obj|"
                             "OFF meshes (*.off)|*.off|DICOM data (*.dcm)|*.dcm|Endoscope image files (*.img)|*.img|"
                             "All Files (*.*)|*.*||";
    wxFileDialog chooser(nullptr, "Open", wxString::FromUTF8(dir.Path()), wxString(),
                         wxString::FromUTF8(GtkFileFilter(open)), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    GtkWidget* gtk = static_cast<GtkWidget*>(chooser.GetHandle());
    EXPECT_EQ(GtkChooserFilterNames(gtk),
              (std::vector<std::string>{"Vexilo files (*.vxq)", "Raw volume data (*.raw)", "OBJ meshes (*.obj)",
                                        "OFF meshes (*.off)", "DICOM data (*.dcm)", "Endoscope image files (*.img)",
                                        "All Files (*.*)"}));
    chooser.Show();
    const auto listed = [&](const char* name) {
        const std::vector<std::string> rows = GtkChooserListed(gtk);
        return std::find(rows.begin(), rows.end(), name) != rows.end();
    };
    ASSERT_TRUE(GtkChooserSelectFilter(gtk, "Endoscope image files (*.img)"));
    EXPECT_TRUE(WaitUntil([&] { return listed("a.img") && listed("Scan.Img") && listed("B.IMG"); }));
    EXPECT_FALSE(listed("c.raw"));
    EXPECT_FALSE(listed("scan.imgx"));
    EXPECT_FALSE(listed("NOTES"));
    ASSERT_TRUE(GtkChooserSelectFilter(gtk, "All Files (*.*)"));
    EXPECT_TRUE(WaitUntil([&] { return listed("NOTES") && listed("c.raw") && listed("Scan.Img"); }));
    chooser.Hide();

    wxFileDialog save(nullptr, "Export OFF", wxString::FromUTF8(dir.Path()), "mesh",
                      wxString::FromUTF8(GtkFileFilter("OFF mesh (*.off)|*.off|All Files (*.*)|*.*||")),
                      wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    EXPECT_EQ(GtkChooserCurrentName(static_cast<GtkWidget*>(save.GetHandle())), "mesh.off");
}

// A save name typed without its extension gets the default one; when that
// names a file that exists, the user is asked as GTK asks for the typed
// name, and declining means choosing again.
TEST(WxPrompter, SaveAsksBeforeReplacingTheNameWithItsExtension)
{
    TempDir dir;
    dir.Write("head.vxq", "old");
    struct Case {
        const char* typed;
        bool replace;
        bool asked, confirmed;
        const char* path;
    };
    const Case cases[] = {
        {"head", true, true, true, "head.vxq"},
        {"head", false, true, false, nullptr},
        {"fresh", false, false, true, "fresh.vxq"},
        {"head.vxq", false, false, true, "head.vxq"}, // GTK itself asked about this one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.replace ? " replace" : " keep"));
        std::vector<std::string> questions;
        std::string path = "unchanged";
        EXPECT_EQ(SavePathConfirmed(dir.File(c.typed), "vxq", path,
                                    [&](const std::string& q) {
                                        questions.push_back(q);
                                        return c.replace;
                                    }),
                  c.confirmed);
        EXPECT_EQ(path, c.path ? dir.File(c.path) : "unchanged");
        EXPECT_EQ(questions, c.asked ? std::vector<std::string>{"head.vxq already exists.\nDo you want to replace it?"}
                                     : std::vector<std::string>{});
    }
}

// Colour chooser: starts at the given COLORREF; cancel keeps it.
TEST(WxPrompter, ChooseColourStartsAtTheColour)
{
    wxColour initial;
    bool palette = false;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        auto* chooser = dynamic_cast<wxColourDialog*>(dlg);
        if (!chooser)
            return int(wxID_NONE);
        initial = chooser->GetColourData().GetColour();
        palette = GtkColourChooserHasPalette(*chooser);
        return int(wxID_CANCEL);
    });
    CWxPrompter prompter;
    COLORREF colour = 0x00332211;
    EXPECT_FALSE(prompter.ChooseColour(colour));
    EXPECT_EQ(initial, wxColour(0x11, 0x22, 0x33));
    EXPECT_TRUE(palette) << "the custom colours are shown";
    EXPECT_EQ(colour, 0x00332211u);
}

// Folder chooser: its prompt, and cancel keeps the folder.
TEST(WxPrompter, BrowseFolderCancelled)
{
    wxString message;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        auto* chooser = dynamic_cast<wxDirDialog*>(dlg);
        if (!chooser)
            return int(wxID_NONE);
        message = chooser->GetMessage();
        return int(wxID_CANCEL);
    });
    CWxPrompter prompter;
    std::string folder = "/tmp";
    EXPECT_FALSE(prompter.BrowseFolder("Select slice folder", folder));
    EXPECT_EQ(folder, "/tmp");
    EXPECT_EQ(message, "Select slice folder");
}
