#pragma once

// The range each contour parameter keeps to: a shorter segment makes the
// contour resample into ever more points, a smaller mass or step and larger
// weights let it blow up to values that are not finite.
struct ContourParameterRange {
    float min = 0.0f, max = 0.0f;
};
inline constexpr ContourParameterRange kSegmentLengthRange{0.5f, 1000.0f};
inline constexpr ContourParameterRange kPointMassRange{0.001f, 1e6f};
inline constexpr ContourParameterRange kDeltaRange{1e-6f, 10.0f};
inline constexpr ContourParameterRange kContourWeightRange{-1e6f, 1e6f};

// `value` moved onto the nearer bound when it lies outside; a value that is
// not a number gives `fallback`.
float ClampContourParameter(float value, ContourParameterRange range, float fallback);

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
    float m_fSegmentLength = 10.0f;
    float m_fExternalWeight = 3.0f;
    float m_fInternalWeight = 4.0f;
    float m_fDampingWeight = -1.0f;
    float m_fPointMass = 1.0f;
    float m_fDelta = 0.005f;
    int m_nImageDisplayed = 0;
    int m_nContourType = 0;
    bool m_bRSnake = false;
    int m_nCalibIsoValue = 255;
    bool m_bScanDicomFolder = false;

private:
    static CAppSettings* s_pInstance;
};
