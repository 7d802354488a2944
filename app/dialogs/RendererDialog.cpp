#include "app/dialogs/RendererDialog.h"

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/xrc/xmlres.h>

#include "data/AppSettings.h"
#include "render/RendererFactory.h"

namespace {
struct Choice {
    const char* name;
    int value;
};
const Choice kTypes[] = {
    {"IDC_RENDERER_MESH", 1}, {"IDC_RENDERER_2D", 2}, {"IDC_RENDERER_3D", 3}, {"IDC_RENDERER_RGB", 4}};
const Choice kClassifications[] = {{"IDC_CLASSIFY_NONE", 0},
                                   {"IDC_CLASSIFY_PIXELMAPS", 1},
                                   {"IDC_CLASSIFY_PALETTED", 2},
                                   {"IDC_CLASSIFY_TEXSHADER", 3},
                                   {"IDC_CLASSIFY_FRAGPROG", 4}};
} // namespace

wxBEGIN_EVENT_TABLE(CRendererDialog, wxDialog)
    EVT_RADIOBUTTON(wxID_ANY, CRendererDialog::OnRadio)
    EVT_BUTTON(wxID_OK, CRendererDialog::OnOK)
    EVT_CHAR_HOOK(CRendererDialog::OnCharHook)
    EVT_CLOSE(CRendererDialog::OnClose)
wxEND_EVENT_TABLE()

CRendererDialog::CRendererDialog(wxWindow* parent, CRendererDialogValues& values) : m_values(values)
{
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_RENDERER");
    // The template's size is the client area, in dialog units of its font.
    SetClientSize(ConvertDialogToPixels(wxSize(260, 229)));
    CentreOnParent();
    InitDialog();
}

wxRadioButton* CRendererDialog::Radio(const char* name) const
{
    return dynamic_cast<wxRadioButton*>(FindWindow(XRCID(name)));
}

void CRendererDialog::ChooseDefaults() { ChooseRendererDefaults(m_values, *CAppSettings::GetInstance()); }

void CRendererDialog::InitDialog()
{
    Radio("IDC_RENDERER_MESH")->Disable();
    Radio("IDC_RENDERER_3D")->Enable(m_values.m_b3D);
    Radio("IDC_CLASSIFY_FRAGPROG")->Enable(m_values.m_bFragProgram);
    Radio("IDC_CLASSIFY_TEXSHADER")->Enable(m_values.m_bTexShader);
    Radio("IDC_CLASSIFY_PALETTED")->Enable(m_values.m_bPaletted);
    ChooseDefaults();
    for (const Choice& c : kTypes)
        if (c.value == m_values.m_nRendererType)
            Radio(c.name)->SetValue(true);
    for (const Choice& c : kClassifications)
        if (c.value == m_values.m_nClassification)
            Radio(c.name)->SetValue(true);
    XRCCTRL(*this, "IDC_RESCALE", wxCheckBox)->SetValue(m_values.m_bRescale != 0);
}

void CRendererDialog::OnRadio(wxCommandEvent& event)
{
    for (const Choice& c : kTypes)
        if (event.GetId() == XRCID(c.name))
            m_values.m_nRendererType = c.value;
    for (const Choice& c : kClassifications)
        if (event.GetId() == XRCID(c.name))
            m_values.m_nClassification = c.value;
}

void CRendererDialog::OnOK(wxCommandEvent&)
{
    for (const Choice& c : kTypes)
        if (Radio(c.name)->GetValue())
            m_values.m_nRendererType = c.value;
    for (const Choice& c : kClassifications)
        if (Radio(c.name)->GetValue())
            m_values.m_nClassification = c.value;
    m_values.m_bRescale = XRCCTRL(*this, "IDC_RESCALE", wxCheckBox)->GetValue() ? 1 : 0;
    m_values.m_bRescaleStored = true;
    EndModal(wxID_OK);
}

void CRendererDialog::OnCharHook(wxKeyEvent& event)
{
    // Without a Cancel button wx would turn Escape into OK, which stores
    // the rescale choice; Escape only closes.
    if (event.GetKeyCode() == WXK_ESCAPE) {
        EndModal(wxID_CANCEL);
        return;
    }
    event.Skip();
}

void CRendererDialog::OnClose(wxCloseEvent&) { EndModal(wxID_CANCEL); }
