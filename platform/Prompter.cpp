#include "platform/Prompter.h"

#include <cstdio>

namespace {
class CSilentPrompter : public IPrompter {
public:
    int MessageBox(const std::string& text, unsigned style) override
    {
        std::fprintf(stderr, "Vexilo: %s\n", text.c_str());
        return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
    }
    bool ChooseFile(const FileChooserRequest&, std::string&) override { return false; }
    bool ChooseColour(COLORREF&) override { return false; }
    bool BrowseFolder(const std::string&, std::string&) override { return false; }
};

CSilentPrompter g_silent;
IPrompter* g_prompter = nullptr;

template <class T> bool TakeFront(std::vector<T>& q, T& out)
{
    if (q.empty())
        return false;
    out = q.front();
    q.erase(q.begin());
    return true;
}
} // namespace

IPrompter& Prompter() { return g_prompter ? *g_prompter : g_silent; }
void SetPrompter(IPrompter* prompter) { g_prompter = prompter; }

int CScriptedPrompter::MessageBox(const std::string& text, unsigned style)
{
    asked.push_back({text, style});
    int answer;
    if (TakeFront(answers, answer))
        return answer;
    return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

bool CScriptedPrompter::ChooseFile(const FileChooserRequest& request, std::string& path)
{
    fileRequests.push_back(request);
    std::string f;
    if (!TakeFront(files, f) || f.empty())
        return false;
    path = f;
    return true;
}

bool CScriptedPrompter::ChooseColour(COLORREF& colour)
{
    COLORREF c;
    if (!TakeFront(colours, c))
        return false;
    colour = c;
    return true;
}

bool CScriptedPrompter::BrowseFolder(const std::string& title, std::string& folder)
{
    asked.push_back({title, 0});
    std::string f;
    if (!TakeFront(folders, f) || f.empty())
        return false;
    folder = f;
    return true;
}

std::vector<std::string> CScriptedPrompter::Texts() const
{
    std::vector<std::string> t;
    for (const auto& a : asked)
        t.push_back(a.text);
    return t;
}

CPrompterScope::CPrompterScope(IPrompter* p) : m_pPrevious(g_prompter) { g_prompter = p; }
CPrompterScope::~CPrompterScope() { g_prompter = m_pPrevious; }
