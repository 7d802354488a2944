#include "app/dialogs/OptionsSheet.h"

#include <memory>
#include <stdexcept>

#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include "app/Vexilo.h"
#include "app/dialogs/Options2D.h"
#include "app/dialogs/Options3D.h"
#include "app/dialogs/OptionsGeneral.h"
#include "app/dialogs/OptionsLight.h"
#include "data/AppSettings.h"

wxBEGIN_EVENT_TABLE(COptionsSheet, wxPropertySheetDialog)
    EVT_BUTTON(wxID_OK, COptionsSheet::OnOK)
    EVT_BUTTON(wxID_APPLY, COptionsSheet::OnApply)
    EVT_BOOKCTRL_PAGE_CHANGING(wxID_ANY, COptionsSheet::OnPageChanging)
    EVT_BOOKCTRL_PAGE_CHANGED(wxID_ANY, COptionsSheet::OnPageChanged)
wxEND_EVENT_TABLE()

COptionsSheet::COptionsSheet(CVexilo* view, wxWindow* parent)
{
    SetFont(wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    Create(parent, wxID_ANY, "Vexilo Options");
    CreateButtons(wxOK | wxCANCEL | wxAPPLY);
    // The book owns each page from the moment it is added.
    auto add = [this](auto page) {
        if (!page->Create(GetBookCtrl(), this))
            throw std::runtime_error("options page template missing");
        GetBookCtrl()->AddPage(page.get(), wxString::FromUTF8(page->Caption()));
        m_pages.push_back(page.get());
        return page.release();
    };
    m_pGeneral = add(std::make_unique<COptionsGeneral>(view));
    m_p2D = add(std::make_unique<COptions2D>(view));
    m_p3D = add(std::make_unique<COptions3D>(view));
    m_pLight = add(std::make_unique<COptionsLight>(view));
    LayoutDialog();
    m_pages.front()->OnSetActive();
    UpdateApplyButton();
    CentreOnParent();
}

COptionsPage* COptionsSheet::ActivePage() const
{
    const int shown = GetBookCtrl()->GetSelection();
    return shown >= 0 && shown < int(m_pages.size()) ? m_pages[shown] : nullptr;
}

void COptionsSheet::UpdateApplyButton()
{
    bool modified = false;
    for (COptionsPage* page : m_pages)
        modified = modified || page->IsModified();
    if (wxWindow* apply = FindWindow(wxID_APPLY))
        apply->Enable(modified);
}

bool COptionsSheet::ApplyPages()
{
    if (COptionsPage* shown = ActivePage())
        if (!shown->OnKillActive())
            return false;
    for (COptionsPage* page : m_pages)
        if (page->IsCreated() && !page->OnApply())
            return false;
    UpdateApplyButton();
    return true;
}

void COptionsSheet::OnOK(wxCommandEvent&)
{
    if (ApplyPages())
        EndModal(wxID_OK);
}

void COptionsSheet::OnApply(wxCommandEvent&) { ApplyPages(); }

void COptionsSheet::OnPageChanging(wxBookCtrlEvent& event)
{
    const int left = event.GetOldSelection();
    if (left < 0 || left >= int(m_pages.size()) || m_pages[left]->OnKillActive())
        return;
    event.Veto();
    // GTK gives the focus to the tab clicked after this handler has put it
    // on the refused field; it goes back to the field once GTK is done.
    if (auto* field = dynamic_cast<wxTextCtrl*>(wxWindow::FindFocus()))
        CallAfter([field] {
            field->SetFocus();
            field->SelectAll();
        });
}

void COptionsSheet::OnPageChanged(wxBookCtrlEvent& event)
{
    const int shown = event.GetSelection();
    if (shown >= 0 && shown < int(m_pages.size()))
        m_pages[shown]->OnSetActive();
}

bool RunOptionsSheet(CVexilo* view)
{
    COptionsSheet sheet(view, view);
    if (sheet.ShowModal() != wxID_OK)
        return false;
    CAppSettings* settings = CAppSettings::GetInstance();
    settings->m_bAskRenderer = sheet.m_pGeneral->m_bAskRenderer != 0;
    settings->m_bUse3DTextures = sheet.m_pGeneral->m_bUse3DTextures != 0;
    settings->m_bRescaleTo8Bit = sheet.m_pGeneral->m_bRescaleTo8Bit != 0;
    settings->m_bUseQuads = sheet.m_p3D->m_bUseQuads != 0;
    settings->m_nLatticePoints = sheet.m_p3D->m_nLatticePoints;
    settings->m_bLightBoxXfr = sheet.m_pLight->m_bLightBoxXfr != 0;
    if (view)
        view->ApplyOptions();
    return true;
}
