#include "app/LightBox.h"

#include "data/AppSettings.h"

CLightBox::CLightBox(wxWindow* parent) : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(kIdealWidth, 100)) {}

void CLightBox::SetModel(CModel* model)
{
    m_pModel = model;
    Refresh();
}

void CLightBox::SetSlicesFromCamera() { Refresh(); }

void CLightBox::OnPaletteChanged()
{
    if (CAppSettings::GetInstance()->m_bLightBoxXfr)
        Refresh();
}
