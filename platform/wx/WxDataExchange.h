#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include <wx/dialog.h>
#include <wx/panel.h>

class CStepArrows;
class wxTextCtrl;
class wxKeyEvent;

// Dialog data exchange between a window's controls (found by their XRC
// names) and its members, one field after the other in the order the
// window's DoDataExchange gives. Reading (saveAndValidate) stops at the
// first field that is refused: its message has been shown, the focus and
// the selection are on that field, and every member from it on keeps its
// value. Writing never fails.
class CDataExchange {
public:
    CDataExchange(wxWindow& window, bool saveAndValidate);

    const bool m_bSaveAndValidate;

    // The control, which must exist; a missing one is a broken template.
    wxWindow& Control(const char* name);
    template <class T> T& Control(const char* name);

    void Text(const char* name, std::int32_t& value);
    void Text(const char* name, float& value);
    // An edit's text or a static's label.
    void Text(const char* name, std::string& value);
    // With a range check: a value outside is refused with the range message
    // and, like a field that is not a number, leaves the member as it was.
    void Text(const char* name, std::int32_t& value, std::int32_t min, std::int32_t max);
    void Text(const char* name, float& value, float min, float max);
    // For fields whose bound itself is refused (a scale must be above 0).
    void TextAbove(const char* name, float& value, float min);
    // The same with an upper bound, named as the field would show it and
    // refused with the range message.
    void TextAbove(const char* name, float& value, float min, float max);
    // 0 clear, 1 ticked.
    void Check(const char* name, std::int32_t& value);

    // Shows nothing; moves the focus to the last field and ends the exchange.
    [[noreturn]] void Fail();

private:
    wxWindow& Prepare(const char* name);
    [[noreturn]] void Refuse(const std::string& message);

    wxWindow& m_window;
    wxWindow* m_pLast = nullptr;
};

// Thrown by CDataExchange::Fail; caught by UpdateData.
struct CDataExchangeFailure {};

// Runs `exchange` in one direction. False when a field was refused.
bool UpdateData(wxWindow& window, bool saveAndValidate, const std::function<void(CDataExchange&)>& exchange);

// A dialog or property page whose members are exchanged with its controls.
template <class Base> class CDdxWindow : public Base {
public:
    bool UpdateData(bool saveAndValidate = true)
    {
        return ::UpdateData(*this, saveAndValidate, [this](CDataExchange& dx) { DoDataExchange(dx); });
    }

protected:
    virtual void DoDataExchange(CDataExchange& dx) = 0;
};
using CDdxDialog = CDdxWindow<wxDialog>;
using CDdxPanel = CDdxWindow<wxPanel>;

// An edit that takes only digits from the keyboard (and the minus sign when
// `minus` is set); other printable keys are dropped. Pasted text is still
// refused by the exchange.
void SetDigitsOnly(wxTextCtrl& edit, bool minus = false);

// An up-down control that sets its buddy edit's integer: its buttons and the
// Up and Down keys in the edit step the number the edit shows (its own
// position when the edit holds none), kept in the range, and write it back
// into the edit as a change of its text.
class CSpinBuddy {
public:
    // How a step moves the position; the default adds delta within the range.
    using Step = std::function<int(int position, int delta)>;

    void Attach(CStepArrows& spin, wxTextCtrl& buddy);
    void SetRange(int min, int max);
    int GetMin() const { return m_nMin; }
    int GetMax() const { return m_nMax; }
    // Moves the position without touching the edit.
    void SetPos(int position) { m_nPos = position; }
    int GetPos() const { return m_nPos; }
    void SetStep(Step step) { m_step = std::move(step); }
    void Enable(bool enable);
    // One step as a click or a key gives it.
    void StepBy(int delta);

private:
    void OnKey(wxKeyEvent& event);

    CStepArrows* m_pSpin = nullptr;
    wxTextCtrl* m_pBuddy = nullptr;
    int m_nMin = 0, m_nMax = 100, m_nPos = 0;
    Step m_step;
};

template <class T> T& CDataExchange::Control(const char* name)
{
    auto* control = dynamic_cast<T*>(&Control(name));
    if (!control)
        throw std::logic_error(std::string("dialog control of another kind: ") + name);
    return *control;
}
