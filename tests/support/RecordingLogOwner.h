#pragma once
#include <string>
#include <vector>

#include "platform/LogOwner.h"

// Test owner: records every busy-box call and log refresh.
class CRecordingLogOwner : public ILogOwner {
public:
    struct Status {
        std::string text; // empty for a null text
        bool show;
    };
    void ShowStatus(const char* text, bool show) override { statuses.push_back({text ? text : "", show}); }
    void UpdateLogWindow() override { ++refreshes; }

    std::vector<Status> statuses;
    int refreshes = 0;
    std::vector<std::string> ShownTexts() const
    {
        std::vector<std::string> t;
        for (const auto& s : statuses)
            if (s.show)
                t.push_back(s.text);
        return t;
    }
};
