#pragma once
#include <wx/window.h>

#include "platform/LogOwner.h"

// Pane (0,1) of the main frame: the 3D view. It owns the models and the
// renderer and handles the program's commands; the message log reaches it
// as its owner.
class CVexilo : public wxWindow, public ILogOwner {
public:
    static constexpr int kIdealWidth = 800;

    explicit CVexilo(wxWindow* parent);

    void ShowStatus(const char* text, bool show) override;
    void UpdateLogWindow() override;

    // Makes frame `frame` (1-based) of the series current; the slider bar
    // calls it on every move.
    void SetCurrentFrame(int frame);
};
