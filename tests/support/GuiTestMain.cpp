#include <clocale>
#include <cstdlib>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include "app/App.h"

namespace {
// A wx assertion fails the running test instead of opening a dialog.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << func.utf8_string() << ": "
                                          << cond.utf8_string() << " " << msg.utf8_string();
}
} // namespace

// wx is started without running its loop: each test builds the windows it
// needs and pumps events until what it waits for has happened.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests happens at build time, where there is no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // Xvfb has no accessibility bus: GTK's bridge to it would only make a
    // D-Bus connection of its own that lives until the process ends.
    setenv("NO_AT_BRIDGE", "1", 0);
    if (!wxEntryStart(argc, argv))
        return 1;
    std::setlocale(LC_ALL, "C");
    wxSetAssertHandler(FailOnAssert);
    // Tests close frames without a running loop to end.
    wxGetApp().SetExitOnFrameDelete(false);
    int result = 1;
    {
        wxEventLoop loop;
        wxEventLoopActivator active(&loop);
        if (wxGetApp().InitPlatform())
            result = RUN_ALL_TESTS();
    }
    wxEntryCleanup();
    return result;
}
