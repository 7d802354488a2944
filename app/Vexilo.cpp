#include "app/Vexilo.h"

CVexilo::CVexilo(wxWindow* parent) : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(kIdealWidth, 100)) {}

void CVexilo::ShowStatus(const char*, bool) {}

void CVexilo::UpdateLogWindow() {}

void CVexilo::SetCurrentFrame(int) {}
