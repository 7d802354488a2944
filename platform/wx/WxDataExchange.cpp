#include "platform/wx/WxDataExchange.h"

#include <algorithm>
#include <limits>

#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "platform/DataExchange.h"
#include "platform/Prompter.h"
#include "platform/wx/StepArrows.h"

CDataExchange::CDataExchange(wxWindow& window, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_window(window)
{
}

wxWindow& CDataExchange::Control(const char* name)
{
    wxWindow* control = m_window.FindWindow(wxXmlResource::GetXRCID(name));
    if (!control)
        throw std::logic_error(std::string("dialog control missing: ") + name);
    return *control;
}

wxWindow& CDataExchange::Prepare(const char* name)
{
    m_pLast = &Control(name);
    return *m_pLast;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_pLast) {
        m_pLast->SetFocus();
        if (auto* edit = dynamic_cast<wxTextCtrl*>(m_pLast))
            edit->SelectAll();
    }
    throw CDataExchangeFailure{};
}

void CDataExchange::Refuse(const std::string& message)
{
    VxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    Fail();
}

namespace {
// Writing puts the text only when it differs, without a change event: an
// edit whose change handler exchanges again would otherwise never settle.
void PutText(wxWindow& control, const std::string& text)
{
    const wxString value = wxString::FromUTF8(text);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(&control)) {
        if (edit->GetValue() != value)
            edit->ChangeValue(value);
    } else if (auto* label = dynamic_cast<wxStaticText*>(&control)) {
        if (label->GetLabelText() != value)
            label->SetLabelText(value);
    } else {
        control.SetLabel(value);
    }
}

std::string GetText(wxWindow& control)
{
    if (auto* edit = dynamic_cast<wxTextCtrl*>(&control))
        return edit->GetValue().utf8_string();
    if (auto* label = dynamic_cast<wxStaticText*>(&control))
        return label->GetLabelText().utf8_string();
    return control.GetLabel().utf8_string();
}
} // namespace

void CDataExchange::Text(const char* name, std::int32_t& value)
{
    Text(name, value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}

void CDataExchange::Text(const char* name, std::int32_t& value, std::int32_t min, std::int32_t max)
{
    wxWindow& control = Prepare(name);
    if (!m_bSaveAndValidate) {
        PutText(control, DdxFormatInt(value));
        return;
    }
    std::int32_t v = 0;
    if (!DdxParseInt(GetText(control), v))
        Refuse(kDdxIntegerMessage);
    if (v < min || v > max)
        Refuse(DdxIntRangeMessage(min, max));
    value = v;
}

void CDataExchange::Text(const char* name, float& value)
{
    Text(name, value, -std::numeric_limits<float>::max(), std::numeric_limits<float>::max());
}

void CDataExchange::Text(const char* name, float& value, float min, float max)
{
    wxWindow& control = Prepare(name);
    if (!m_bSaveAndValidate) {
        PutText(control, DdxFormatFloat(value));
        return;
    }
    float v = 0.0f;
    if (!DdxParseFloat(GetText(control), v))
        Refuse(kDdxNumberMessage);
    if (!(v >= min && v <= max))
        Refuse(DdxFloatRangeMessage(min, max));
    value = v;
}

void CDataExchange::TextAbove(const char* name, float& value, float min)
{
    TextAbove(name, value, min, std::numeric_limits<float>::max());
}

void CDataExchange::TextAbove(const char* name, float& value, float min, float max)
{
    wxWindow& control = Prepare(name);
    if (!m_bSaveAndValidate) {
        PutText(control, DdxFormatFloat(value));
        return;
    }
    float v = 0.0f;
    if (!DdxParseFloat(GetText(control), v))
        Refuse(kDdxNumberMessage);
    if (!(v > min))
        Refuse(DdxFloatAboveMessage(min));
    const float shownMax = DdxShownAtMost(max);
    if (!(v <= shownMax))
        Refuse(DdxFloatRangeMessage(min, shownMax));
    value = v;
}

void CDataExchange::Text(const char* name, std::string& value)
{
    wxWindow& control = Prepare(name);
    if (m_bSaveAndValidate)
        value = GetText(control);
    else
        PutText(control, value);
}

void CDataExchange::Check(const char* name, std::int32_t& value)
{
    auto& box = Control<wxCheckBox>(name);
    m_pLast = &box;
    if (m_bSaveAndValidate)
        value = box.GetValue() ? 1 : 0;
    else
        box.SetValue(value != 0);
}

bool UpdateData(wxWindow& window, bool saveAndValidate, const std::function<void(CDataExchange&)>& exchange)
{
    CDataExchange dx(window, saveAndValidate);
    try {
        exchange(dx);
    } catch (const CDataExchangeFailure&) {
        return false;
    }
    return true;
}

namespace {
bool IsRefusedCharacter(int c, bool minus)
{
    return c != WXK_NONE && c >= ' ' && c != WXK_DELETE && (c < '0' || c > '9') && !(minus && c == '-');
}
} // namespace

void SetDigitsOnly(wxTextCtrl& edit, bool minus)
{
    // Refused at the key press: once GTK's input method has the key, the
    // edit has already given up its selection, and the next digit would go
    // beside the text it was meant to replace.
    edit.Bind(wxEVT_KEY_DOWN, [minus](wxKeyEvent& event) {
        const int c = event.GetUnicodeKey();
        if (!event.HasAnyModifiers() &&
            (IsRefusedCharacter(c, minus) || (event.ShiftDown() && ((c >= '0' && c <= '9') || c == '-'))))
            return;
        event.Skip();
    });
    // What an input method composes still passes here.
    edit.Bind(wxEVT_CHAR, [minus](wxKeyEvent& event) {
        if (!event.HasAnyModifiers() && IsRefusedCharacter(event.GetUnicodeKey(), minus))
            return;
        event.Skip();
    });
}

void CSpinBuddy::Attach(CStepArrows& spin, wxTextCtrl& buddy)
{
    m_pSpin = &spin;
    m_pBuddy = &buddy;
    spin.m_onStep = [this](int delta) { StepBy(delta); };
    buddy.Bind(wxEVT_KEY_DOWN, &CSpinBuddy::OnKey, this);
}

void CSpinBuddy::SetRange(int min, int max)
{
    m_nMin = min;
    m_nMax = max;
}

void CSpinBuddy::Enable(bool enable)
{
    if (m_pSpin)
        m_pSpin->Enable(enable);
    if (m_pBuddy)
        m_pBuddy->Enable(enable);
}

void CSpinBuddy::StepBy(int delta)
{
    if (!m_pBuddy)
        return;
    std::int32_t shown = 0;
    if (DdxParseInt(m_pBuddy->GetValue().utf8_string(), shown))
        m_nPos = std::clamp(int(shown), std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
    if (m_step) {
        m_nPos = m_step(m_nPos, delta);
    } else {
        const long long next = (long long)m_nPos + delta;
        m_nPos = int(std::clamp<long long>(next, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax)));
    }
    // A change of the edit's text, which the dialog reacts to as to typing.
    m_pBuddy->SetValue(wxString::FromUTF8(DdxFormatInt(m_nPos)));
}

void CSpinBuddy::OnKey(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (!m_pSpin || !m_pSpin->IsEnabled() || event.HasAnyModifiers() || (key != WXK_UP && key != WXK_DOWN)) {
        event.Skip();
        return;
    }
    StepBy(key == WXK_UP ? 1 : -1);
}
