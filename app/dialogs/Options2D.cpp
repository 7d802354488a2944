#include "app/dialogs/Options2D.h"

COptions2D::COptions2D(CVexilo* view) : COptionsPage(view, "IDD_OPTIONS_2D", "2D Textures") {}
