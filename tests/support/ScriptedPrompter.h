#pragma once
#include <string>
#include <vector>

#include "platform/Prompter.h"

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
    std::vector<COLORREF> colourStarts; // the colour each chooser started from

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
