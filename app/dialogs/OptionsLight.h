#pragma once
#include <cstdint>

#include "app/dialogs/OptionsPage.h"

// "Light Boxes": whether the slices are coloured by the transfer function.
class COptionsLight : public COptionsPage {
public:
    explicit COptionsLight(CVexilo* view);
    bool OnApply() override;

    std::int32_t m_bLightBoxXfr;

protected:
    void DoDataExchange(CDataExchange& dx) override;

    wxDECLARE_EVENT_TABLE();
};
