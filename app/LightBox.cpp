#include "app/LightBox.h"

CLightBox::CLightBox(wxWindow* parent) : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(kIdealWidth, 100)) {}

void CLightBox::SetModel(CModel* model)
{
    m_pModel = model;
    Refresh();
}

void CLightBox::SetSlicesFromCamera() { Refresh(); }
