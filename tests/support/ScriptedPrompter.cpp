#include "support/ScriptedPrompter.h"

namespace {
template <class T> bool TakeFront(std::vector<T>& q, T& out)
{
    if (q.empty())
        return false;
    out = q.front();
    q.erase(q.begin());
    return true;
}
} // namespace

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
    colourStarts.push_back(colour);
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

CPrompterScope::CPrompterScope(IPrompter* p) : m_pPrevious(SetPrompter(p)) {}
CPrompterScope::~CPrompterScope() { SetPrompter(m_pPrevious); }
