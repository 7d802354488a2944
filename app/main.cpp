#include <wx/app.h>

#include "app/App.h"

int main(int argc, char** argv)
{
    wxApp::SetInstance(new CVexiloApp);
    return wxEntry(argc, argv);
}
