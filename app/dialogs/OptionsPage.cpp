#include "app/dialogs/OptionsPage.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/dialogs/OptionsSheet.h"
#include "data/AppSettings.h"

namespace {
// Every page template is 250 x 95 dialog units.
constexpr int kPageWidth = 250, kPageHeight = 95;
} // namespace

COptionsPage::COptionsPage(CVexilo* view, const char* templateName, const char* caption)
    : m_pView(view), m_pSettings(CAppSettings::GetInstance()), m_strTemplate(templateName), m_strCaption(caption)
{
}

bool COptionsPage::Create(wxWindow* parent, COptionsSheet* sheet)
{
    m_pSheet = sheet;
    if (!wxXmlResource::Get()->LoadPanel(this, parent, m_strTemplate))
        return false;
    SetMinSize(ConvertDialogToPixels(wxSize(kPageWidth, kPageHeight)));
    for (const char* name : m_digitsOnly)
        if (auto* edit = XRCCTRL(*this, name, wxTextCtrl))
            SetDigitsOnly(*edit);
    return true;
}

void COptionsPage::OnSetActive()
{
    if (m_bCreated)
        return;
    m_bCreated = true;
    UpdateData(false);
}

bool COptionsPage::OnKillActive() { return UpdateData(true); }

void COptionsPage::SetModified(bool modified)
{
    m_bModified = modified;
    if (m_pSheet)
        m_pSheet->UpdateApplyButton();
}

void COptionsPage::OnSettingChanged(wxCommandEvent&) { SetModified(true); }
