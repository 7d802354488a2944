#pragma once
#include <string>
#include <vector>

// What the message log needs of its owner, the 3D view: the busy box and
// the refresh of an open log window. The data library sees only this.
class ILogOwner {
public:
    virtual ~ILogOwner() = default;
    // show with a text shows the busy box with that line; show false hides it.
    virtual void ShowStatus(const char* text, bool show) = 0;
    // Refreshes the log window when it is open; does nothing otherwise.
    virtual void UpdateLogWindow() = 0;
};

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
