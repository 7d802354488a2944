#include "app/dialogs/Options3D.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/Vexilo.h"
#include "data/AppSettings.h"

wxBEGIN_EVENT_TABLE(COptions3D, COptionsPage)
    EVT_CHECKBOX(XRCID("IDC_OPT_USE_QUADS"), COptions3D::OnSettingChanged)
    EVT_TEXT(XRCID("IDC_OPT_LATTICE"), COptions3D::OnSettingChanged)
wxEND_EVENT_TABLE()

COptions3D::COptions3D(CVexilo* view)
    : COptionsPage(view, "IDD_OPTIONS_3D", "3D Textures"),
      m_bUseQuads(m_pSettings->m_bUseQuads),
      m_nLatticePoints(m_pSettings->m_nLatticePoints)
{
    m_digitsOnly = {"IDC_OPT_LATTICE"};
}

void COptions3D::DoDataExchange(CDataExchange& dx)
{
    dx.Check("IDC_OPT_USE_QUADS", m_bUseQuads);
    dx.Text("IDC_OPT_LATTICE", m_nLatticePoints, 8, 32);
}

bool COptions3D::OnApply()
{
    m_pSettings->m_bUseQuads = m_bUseQuads != 0;
    m_pSettings->m_nLatticePoints = m_nLatticePoints;
    if (m_pView)
        m_pView->ApplyOptions();
    SetModified(false);
    return true;
}
