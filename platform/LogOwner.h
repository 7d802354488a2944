#pragma once

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
