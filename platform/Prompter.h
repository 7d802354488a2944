#pragma once
#include <string>
#include <vector>

#include "platform/Types.h"

// The user-facing questions and choosers that Windows' message boxes and
// common dialogs answered. The application installs a wx implementation;
// tests install CScriptedPrompter.
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
// until one is installed.
IPrompter& Prompter();
void SetPrompter(IPrompter* prompter);

// Shows a message box through the installed prompter (AfxMessageBox).
inline int VxMessageBox(const std::string& text, unsigned style = MB_OK)
{
    return Prompter().MessageBox(text, style);
}

// Test prompter: answers from queues and records every request.
class CScriptedPrompter : public IPrompter {
public:
    struct Asked {
        std::string text;
        unsigned style;
    };

    int MessageBox(const std::string& text, unsigned style) override;
    bool ChooseFile(const FileChooserRequest& request, std::string& path) override;
    bool ChooseColour(COLORREF& colour) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;

    // Answers are used first in, first out; when a queue is empty the
    // default answer is given (IDOK for MB_OK boxes, IDNO for Yes/No boxes,
    // cancel for choosers).
    std::vector<int> answers;
    std::vector<std::string> files;   // "" in the queue means cancel
    std::vector<COLORREF> colours;
    std::vector<std::string> folders; // "" means cancel

    std::vector<Asked> asked;
    std::vector<FileChooserRequest> fileRequests;

    std::vector<std::string> Texts() const;
};

// Installs a prompter for a scope and restores the previous one after.
class CPrompterScope {
public:
    explicit CPrompterScope(IPrompter* p);
    ~CPrompterScope();
    CPrompterScope(const CPrompterScope&) = delete;
    CPrompterScope& operator=(const CPrompterScope&) = delete;

private:
    IPrompter* m_pPrevious;
};
