#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/colordlg.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include "GuiTest.h"
#include "platform/wx/WxPrompter.h"


// Windows-style filters become GTK patterns: upper-case twins, "*" for all.
TEST(GtkFileFilter, RewritesPatterns)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"Vexilo files (*.vxq)|*.vxq|All Files (*.*)|*.*||", "Vexilo files (*.vxq)|*.vxq;*.VXQ|All Files (*.*)|*"},
        {"Meshes (*.obj;*.off)|*.obj;*.off||", "Meshes (*.obj;*.off)|*.obj;*.OBJ;*.off;*.OFF"},
        {"Upper (*.DCM)|*.DCM||", "Upper (*.DCM)|*.DCM"},
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
        EXPECT_EQ(wildcard, "Vexilo files (*.vxq)|*.vxq;*.VXQ|All Files (*.*)|*");
        EXPECT_EQ(message, "Export raw volume");
        EXPECT_EQ(style & (wxFD_OPEN | wxFD_SAVE), c.mode);
    }
}

// Colour chooser: starts at the given COLORREF; cancel keeps it.
TEST(WxPrompter, ChooseColourStartsAtTheColour)
{
    wxColour initial;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        auto* chooser = dynamic_cast<wxColourDialog*>(dlg);
        if (!chooser)
            return int(wxID_NONE);
        initial = chooser->GetColourData().GetColour();
        return int(wxID_CANCEL);
    });
    CWxPrompter prompter;
    COLORREF colour = 0x00332211;
    EXPECT_FALSE(prompter.ChooseColour(colour));
    EXPECT_EQ(initial, wxColour(0x11, 0x22, 0x33));
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
