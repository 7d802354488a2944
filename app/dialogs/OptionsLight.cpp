#include "app/dialogs/OptionsLight.h"

#include <wx/xrc/xmlres.h>

#include "app/Vexilo.h"
#include "data/AppSettings.h"

wxBEGIN_EVENT_TABLE(COptionsLight, COptionsPage)
    EVT_CHECKBOX(XRCID("IDC_OPT_LIGHTBOX_XFR"), COptionsLight::OnSettingChanged)
wxEND_EVENT_TABLE()

COptionsLight::COptionsLight(CVexilo* view)
    : COptionsPage(view, "IDD_OPTIONS_LIGHT", "Light Boxes"), m_bLightBoxXfr(m_pSettings->m_bLightBoxXfr)
{
}

void COptionsLight::DoDataExchange(CDataExchange& dx) { dx.Check("IDC_OPT_LIGHTBOX_XFR", m_bLightBoxXfr); }

bool COptionsLight::OnApply()
{
    m_pSettings->m_bLightBoxXfr = m_bLightBoxXfr != 0;
    if (m_pView)
        m_pView->ApplyOptions();
    SetModified(false);
    return true;
}
