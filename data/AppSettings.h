#pragma once

#include "data/ContourParameters.h"

// Every user option, at its built-in defaults on every run; never stored.
class CAppSettings {
public:
    static CAppSettings* GetInstance();
    CAppSettings();
    ~CAppSettings();
    CAppSettings(const CAppSettings&) = delete;
    CAppSettings& operator=(const CAppSettings&) = delete;

    bool m_bAskRenderer = false;
    bool m_bUse3DTextures = false;
    bool m_bRescaleTo8Bit = true;
    bool m_bUseQuads = true;
    bool m_bLightBoxXfr = true;
    int m_nLatticePoints = 8;
    float m_fMinAlpha = 0.05f;
    ContourParameters m_contour;
    int m_nImageDisplayed = 0;
    int m_nContourType = 0;
    bool m_bRSnake = false;
    int m_nCalibIsoValue = 255;
    bool m_bScanDicomFolder = false;

private:
    static CAppSettings* s_pInstance;
};
