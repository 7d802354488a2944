#pragma once
#include <wx/event.h>

// True when `handler` or a handler chained after it has a menu or tool
// command handler for `id`, in its event table or bound at run time. wx
// leaves a command without handler enabled; the frame uses this to grey it.
bool HasCommandHandler(const wxEvtHandler& handler, int id);
