#include "app/dialogs/OptionsGeneral.h"

#include <wx/xrc/xmlres.h>

#include "app/Vexilo.h"
#include "data/AppSettings.h"

// The two edits have no change handler: typing in them alone leaves Apply
// greyed, and OK still takes them.
wxBEGIN_EVENT_TABLE(COptionsGeneral, COptionsPage)
    EVT_CHECKBOX(XRCID("IDC_OPT_ASK_RENDERER"), COptionsGeneral::OnSettingChanged)
    EVT_CHECKBOX(XRCID("IDC_OPT_USE_3D_TEXTURES"), COptionsGeneral::OnSettingChanged)
    EVT_CHECKBOX(XRCID("IDC_OPT_RESCALE_8BIT"), COptionsGeneral::OnSettingChanged)
wxEND_EVENT_TABLE()

COptionsGeneral::COptionsGeneral(CVexilo* view)
    : COptionsPage(view, "IDD_OPTIONS_GENERAL", "General"),
      m_bAskRenderer(m_pSettings->m_bAskRenderer),
      m_bUse3DTextures(m_pSettings->m_bUse3DTextures),
      m_bRescaleTo8Bit(m_pSettings->m_bRescaleTo8Bit),
      m_fMinAlphaPercent(m_pSettings->m_fMinAlpha * 100.0f),
      m_nCalibIsoValue(m_pSettings->m_nCalibIsoValue)
{
    m_digitsOnly = {"IDC_OPT_CALIB_ISO"};
}

void COptionsGeneral::DoDataExchange(CDataExchange& dx)
{
    dx.Check("IDC_OPT_ASK_RENDERER", m_bAskRenderer);
    dx.Check("IDC_OPT_USE_3D_TEXTURES", m_bUse3DTextures);
    dx.Check("IDC_OPT_RESCALE_8BIT", m_bRescaleTo8Bit);
    dx.Text("IDC_OPT_MIN_ALPHA", m_fMinAlphaPercent, 0.0f, 100.0f);
    dx.Text("IDC_OPT_CALIB_ISO", m_nCalibIsoValue, 0, 255);
}

bool COptionsGeneral::OnApply()
{
    m_pSettings->m_bAskRenderer = m_bAskRenderer != 0;
    m_pSettings->m_bUse3DTextures = m_bUse3DTextures != 0;
    m_pSettings->m_bRescaleTo8Bit = m_bRescaleTo8Bit != 0;
    m_pSettings->m_fMinAlpha = m_fMinAlphaPercent * 0.01f;
    m_pSettings->m_nCalibIsoValue = m_nCalibIsoValue;
    if (m_pView)
        m_pView->ApplyOptions();
    SetModified(false);
    return true;
}
