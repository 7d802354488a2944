#pragma once
#include <wx/dialog.h>

class CModel;
class CRenderer;
class CVexilo;

// The attributes the stereo window draws with, as the attributes window
// gives them: fractions 0..1 of its bars, the method and glasses, and the
// camera-overlay values (which change nothing in the image).
struct StereoSettings {
    float focalFraction = 0.25f;
    float separationFraction = 0.5f;
    float fader = 0.5f;
    int method = 0;  // 0 dual viewports, 1 anaglyph
    int glasses = 0; // 0 red/blue .. 5 cyan/red
    bool overlayLeft = false, overlayRight = false, freeze = false;
    int offsetX = 0, offsetY = 0, offsetZ = 0;
};

// "Vexilo - Stereo Window": the scene once more as a stereo pair, drawn by
// the view's renderer. Only its life with the view is here so far: it opens,
// closes through the view, and takes the values the view passes.
class CStereoDlg : public wxDialog {
public:
    CStereoDlg(CModel* model, CRenderer* renderer, CVexilo* view, double focalLength, double eyeSeparation);

    bool Create(wxWindow* parent);
    void SetStereo(const StereoSettings& settings, double focalLength, double eyeSeparation);
    void UpdateFrustums();
    // The view's renderer, model and view forgotten before the window goes.
    void ClearShared();

    CRenderer* m_pRenderer;
    CModel* m_pModel;
    CVexilo* m_pView;
    double m_dFocalLength;
    double m_dEyeSeparation;
    int m_nMethod = 0;
    int m_nGlasses = 0;

private:
    void OnClose(wxCloseEvent& event);

    wxDECLARE_EVENT_TABLE();
};
