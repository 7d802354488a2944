#pragma once
#include <functional>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/modalhook.h>

#include "app/App.h"
#include "app/MainFrame.h"
#include "app/Vexilo.h"
#include "platform/Prompter.h"
#include "support/ScriptedPrompter.h"

// Pumps events until `done` holds; false if it never does within a generous
// number of rounds (each round waits for an event, at most 20 ms).
template <class Pred> bool WaitUntil(Pred done, int rounds = 500)
{
    for (int i = 0; i < rounds; ++i) {
        if (done())
            return true;
        wxEventLoopBase::GetActive()->DispatchTimeout(20);
        wxTheApp->ProcessPendingEvents();
    }
    return done();
}

// Answers each modal dialog in place of the user.
class DialogAnswerer : public wxModalDialogHook {
public:
    explicit DialogAnswerer(std::function<int(wxDialog*)> answer) : m_answer(std::move(answer)) { Register(); }
    ~DialogAnswerer() override { Unregister(); }
    int shown = 0;

protected:
    int Enter(wxDialog* dlg) override
    {
        ++shown;
        return m_answer(dlg);
    }
    void Exit(wxDialog*) override {}

private:
    std::function<int(wxDialog*)> m_answer;
};

// Starts the program's main frame the way start-up does, with scripted
// answers to any message box, and closes it afterwards.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(wxGetApp().InitInstance());
        frame = GetMainFrame();
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return frame->IsShownOnScreen() && frame->GetView()->GetSize().x > 0; }));
    }
    void TearDown() override
    {
        wxGetApp().m_bContinuousRedraw = false;
        if (frame)
            CloseFrame();
    }
    void CloseFrame()
    {
        frame->Destroy();
        frame = nullptr;
        wxGetApp().ProcessIdle(); // deletes the frame
    }

    CScriptedPrompter prompter;
    CPrompterScope scope{&prompter};
    CMainFrame* frame = nullptr;
};
