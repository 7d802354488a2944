#include <gtest/gtest.h>
#include <wx/event.h>

#include "app/CommandHandlers.h"

namespace {
class TableHandler : public wxEvtHandler {
public:
    void OnCommand(wxCommandEvent&) {}
    void OnUpdate(wxUpdateUIEvent&) {}
    wxDECLARE_EVENT_TABLE();
};

class DerivedHandler : public TableHandler {};

wxBEGIN_EVENT_TABLE(TableHandler, wxEvtHandler)
    EVT_MENU(101, TableHandler::OnCommand)
    EVT_MENU_RANGE(200, 210, TableHandler::OnCommand)
    EVT_UPDATE_UI(300, TableHandler::OnUpdate)
    EVT_BUTTON(400, TableHandler::OnCommand)
wxEND_EVENT_TABLE()
} // namespace

// Which ids count as handled: menu commands from the table (single ids and
// ranges, inherited too) and from Bind(); update handlers or other event
// kinds alone do not make a command live.
TEST(CommandHandlers, FindsMenuHandlersOnly)
{
    DerivedHandler h;
    struct Case {
        int id;
        bool handled;
    };
    const Case fromTable[] = {{101, true}, {102, false}, {200, true}, {205, true}, {210, true},
                              {211, false}, {300, false}, {400, false}};
    for (const Case& c : fromTable)
        EXPECT_EQ(HasCommandHandler(h, c.id), c.handled) << c.id;

    auto bound = [](wxCommandEvent&) {};
    h.Bind(wxEVT_MENU, bound, 500);
    EXPECT_TRUE(HasCommandHandler(h, 500));
    h.Unbind(wxEVT_MENU, bound, 500);
    EXPECT_FALSE(HasCommandHandler(h, 500));
}

// A handler chained behind another is searched as well.
TEST(CommandHandlers, FollowsTheHandlerChain)
{
    wxEvtHandler front;
    TableHandler behind;
    EXPECT_FALSE(HasCommandHandler(front, 101));
    front.SetNextHandler(&behind);
    behind.SetPreviousHandler(&front);
    EXPECT_TRUE(HasCommandHandler(front, 101));
    front.SetNextHandler(nullptr);
    behind.SetPreviousHandler(nullptr);
}
