#pragma once
#include <string>
#include <vector>

#include "platform/LogOwner.h"

// The one message log. Its owner is the 3D view, reached through ILogOwner.
class CMessageLog {
public:
    // Creates the log on the first call with `view` as its owner; later calls
    // return it and ignore the argument.
    static CMessageLog* GetInstance(ILogOwner* view);
    // The log when it exists, never creating it.
    static CMessageLog* GetExisting();
    // Busy box through the owner; nothing when there is no log or owner.
    static void ShowStatus(const char* text, bool show);
    // Appends to the existing log; a line with no log is dropped.
    static void Log(const std::string& text);

    ~CMessageLog();
    CMessageLog(const CMessageLog&) = delete;
    CMessageLog& operator=(const CMessageLog&) = delete;

    void AddLine(const std::string& text);

    ILogOwner* m_pView = nullptr;
    std::vector<std::string> m_lines;

private:
    explicit CMessageLog(ILogOwner* view) : m_pView(view) {}
    static CMessageLog* s_pInstance;
};
