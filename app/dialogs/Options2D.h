#pragma once
#include "app/dialogs/OptionsPage.h"

// "2D Textures": nothing to set yet.
class COptions2D : public COptionsPage {
public:
    explicit COptions2D(CVexilo* view);
};
