#pragma once
#include <cstdint>

#include "app/dialogs/OptionsPage.h"

// "General": the renderer prompt, 3D textures, 8-bit rescaling, the minimum
// alpha (shown as a percentage) and the calibration value.
class COptionsGeneral : public COptionsPage {
public:
    explicit COptionsGeneral(CVexilo* view);
    bool OnApply() override;

    std::int32_t m_bAskRenderer;
    std::int32_t m_bUse3DTextures;
    std::int32_t m_bRescaleTo8Bit;
    float m_fMinAlphaPercent;
    std::int32_t m_nCalibIsoValue;

protected:
    void DoDataExchange(CDataExchange& dx) override;

    wxDECLARE_EVENT_TABLE();
};
