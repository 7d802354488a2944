#pragma once
#include <functional>
#include <string>
#include <vector>

#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/xrc/xmlres.h>

#include "GuiTest.h"
#include "ScreenPixels.h"
#include "support/ScriptedPrompter.h"

// Plays the user of the next modal dialogs of type D: `script` runs inside
// each one's modal loop once GTK shows it. A dialog the script leaves open
// is cancelled, so a failing script cannot hang the test. Dialogs of other
// types pass untouched.
template <class D> class ModalScript : public wxModalDialogHook {
public:
    explicit ModalScript(std::function<void(D&)> script) : m_script(std::move(script)) { Register(); }
    ~ModalScript() override { Unregister(); }
    int shown = 0;

protected:
    int Enter(wxDialog* dlg) override
    {
        auto* d = dynamic_cast<D*>(dlg);
        if (!d)
            return wxID_NONE;
        ++shown;
        d->CallAfter([this, d] {
            if (WaitUntil([&] { return d->IsShownOnScreen(); }))
                m_script(*d);
            else
                ADD_FAILURE() << "the dialog never showed";
            if (d->IsModal())
                d->EndModal(wxID_CANCEL);
        });
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

private:
    std::function<void(D&)> m_script;
};

template <class T = wxWindow> T& Child(wxWindow& dialog, const char* name)
{
    wxWindow* w = dialog.FindWindow(wxXmlResource::GetXRCID(name));
    T* t = dynamic_cast<T*>(w);
    if (!t)
        throw std::logic_error(std::string("no control ") + name);
    return *t;
}

// The edit named `name`, and the text GTK shows in it.
inline wxTextCtrl& Edit(wxWindow& dialog, const char* name) { return Child<wxTextCtrl>(dialog, name); }
inline std::string Shown(wxWindow& dialog, const char* name) { return GtkEntryText(Edit(dialog, name)); }

// Keyboard and pointer input through the X server, as a user gives it.
// Without a window manager the keyboard goes to the window under the
// pointer, so each step first puts the pointer on the control it means.
class User {
public:
    // Clicks the middle of `w` (or `at`, in its client coordinates) and
    // waits until wx has seen the release.
    bool Click(wxWindow& w, wxPoint at = wxDefaultPosition)
    {
        Pointer p(w);
        if (at == wxDefaultPosition) {
            // GTK takes a second press on the same spot soon after the first
            // as a double click, which a button does not answer; a wide
            // control is pressed a little to the side of its last press.
            const wxSize s = w.GetClientSize();
            const int side = &w == m_pLastClicked && s.x > 30 ? (m_nLastSide = -m_nLastSide) * 8 : 0;
            at = wxPoint(s.x / 2 + side, s.y / 2);
        }
        m_pLastClicked = &w;
        return p.MoveTo(at.x, at.y) && p.Down() && p.Up();
    }
    // Focuses `edit` with its text selected and types `text`, which replaces
    // it; true once every key has come back released and the edit shows
    // `shown`.
    bool Type(wxTextCtrl& edit, const std::string& text, const std::string& shown)
    {
        if (!Focus(edit))
            return false;
        edit.SelectAll();
        std::size_t released = 0;
        auto count = [&](wxKeyEvent& e) {
            const int key = e.GetKeyCode();
            released += key != WXK_SHIFT && key != WXK_CONTROL && key != WXK_ALT;
            e.Skip();
        };
        edit.Bind(wxEVT_KEY_UP, count);
        m_sim.Text(text.c_str());
        const bool typed = WaitUntil([&] { return released >= text.size(); });
        edit.Unbind(wxEVT_KEY_UP, count);
        // Posted work the keys started (an update of the other fields) runs
        // before the edit is looked at.
        wxTheApp->ProcessPendingEvents();
        return typed && edit.GetValue().utf8_string() == shown;
    }
    bool Type(wxTextCtrl& edit, const std::string& text) { return Type(edit, text, text); }
    // One key, pressed and released, into the window with the focus, which
    // must be `target` or inside it; true once wx has seen the release.
    bool Press(wxWindow& target, int key, int modifiers = wxMOD_NONE)
    {
        int released = 0;
        auto count = [&](wxKeyEvent& e) {
            ++released;
            e.Skip();
        };
        wxWindow* focus = wxWindow::FindFocus();
        wxWindow& seen = focus ? *focus : target;
        seen.Bind(wxEVT_KEY_UP, count);
        m_sim.Char(key, modifiers);
        const bool ok = WaitUntil([&] { return released > 0; });
        seen.Unbind(wxEVT_KEY_UP, count);
        return ok;
    }
    bool Focus(wxWindow& w)
    {
        m_sim.MouseMove(w.GetScreenRect().GetPosition() + wxPoint(3, 3));
        w.SetFocus();
        return WaitUntil([&] { return w.HasFocus(); });
    }

private:
    wxUIActionSimulator m_sim;
    wxWindow* m_pLastClicked = nullptr;
    int m_nLastSide = 1;
};

// A value a dialog refuses on OK, with its message, and what repairs it.
struct RefusedEntry {
    const char* field;
    const char* typed;
    const char* message;
    const char* repair;
};
// Types the value and presses OK: only the message comes, and the dialog
// stays open with the field focused; `check` adds the dialog's own checks
// before the repair is typed.
inline void RefuseThenRepair(User& user, CScriptedPrompter& prompter, wxDialog& d, const RefusedEntry& c,
                             const std::function<void()>& check = {})
{
    SCOPED_TRACE(std::string(c.field) + " " + c.typed);
    prompter.asked.clear();
    wxTextCtrl& edit = Edit(d, c.field);
    ASSERT_TRUE(user.Type(edit, c.typed));
    ASSERT_TRUE(user.Click(Child(d, "wxID_OK")));
    ASSERT_EQ(prompter.Texts(), std::vector<std::string>{c.message});
    EXPECT_TRUE(d.IsModal());
    EXPECT_TRUE(edit.HasFocus());
    if (check)
        check();
    ASSERT_TRUE(user.Type(edit, c.repair));
}
