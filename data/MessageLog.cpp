#include "data/MessageLog.h"

CMessageLog* CMessageLog::s_pInstance = nullptr;

CMessageLog* CMessageLog::GetInstance(ILogOwner* view)
{
    if (!s_pInstance)
        s_pInstance = new CMessageLog(view);
    return s_pInstance;
}

CMessageLog* CMessageLog::GetExisting() { return s_pInstance; }

void CMessageLog::ShowStatus(const char* text, bool show)
{
    if (s_pInstance && s_pInstance->m_pView)
        s_pInstance->m_pView->ShowStatus(text, show);
}

void CMessageLog::Log(const std::string& text)
{
    if (s_pInstance)
        s_pInstance->AddLine(text);
}

CMessageLog::~CMessageLog()
{
    m_lines.clear();
    if (s_pInstance == this)
        s_pInstance = nullptr;
}

void CMessageLog::AddLine(const std::string& text)
{
    m_lines.push_back(text);
    if (m_pView)
        m_pView->UpdateLogWindow();
}
