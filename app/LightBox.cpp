#include "app/LightBox.h"

CLightBox::CLightBox(wxWindow* parent) : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(kIdealWidth, 100)) {}
