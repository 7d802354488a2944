#pragma once
#include <string>

#include "platform/Types.h"

// The user-facing questions and choosers that Windows' message boxes and
// common dialogs answered. The application installs a wx implementation;
// tests install a scripted one.
enum MessageBoxStyle : unsigned {
    MB_OK = 0x00,
    MB_YESNO = 0x04,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum MessageBoxAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct FileChooserRequest {
    bool open = true;            // open or save
    std::string defaultExt;      // appended when the chosen name has none
    std::string fileName;        // initial name
    std::string filter;          // "Desc (*.x)|*.x|All Files (*.*)|*.*||"
    std::string title;
};

class IPrompter {
public:
    virtual ~IPrompter() = default;
    virtual int MessageBox(const std::string& text, unsigned style) = 0;
    // True and `path` set when the user chose a file.
    virtual bool ChooseFile(const FileChooserRequest& request, std::string& path) = 0;
    virtual bool ChooseColour(COLORREF& colour) = 0;
    virtual bool BrowseFolder(const std::string& title, std::string& folder) = 0;
};

// The installed prompter; a silent default that answers OK / No / cancel
// until one is installed. SetPrompter returns the one it replaces (null for
// the default), for whoever puts it back.
IPrompter& Prompter();
IPrompter* SetPrompter(IPrompter* prompter);

// Shows a message box through the installed prompter (AfxMessageBox).
inline int VxMessageBox(const std::string& text, unsigned style = MB_OK)
{
    return Prompter().MessageBox(text, style);
}
