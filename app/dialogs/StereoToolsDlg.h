#pragma once
#include <wx/dialog.h>

#include "app/ScrollBarNoKbd.h"
#include "app/dialogs/StereoDlg.h"

class CVexilo;
class wxCheckBox;
class wxRadioButton;
class wxSlider;
class wxSpinCtrl;
class wxStaticText;

// The bars of the stereo attributes: 1..100, starting at 25 (focal length)
// and 50 (eye separation); a page is 10.
inline constexpr int kStereoBarMin = 1;
inline constexpr int kStereoBarMax = 100;
inline constexpr int kStereoBarPage = 10;
inline constexpr int kFocalBarStart = 25;
inline constexpr int kSeparationBarStart = 50;
// A bar's position after a scroll of `code`: lines of 1, pages of 10, the
// thumb where it was let go, the ends; always within 1..100.
int StereoBarPosition(ScrollCode code, int current, int given);

// "Stereo Attributes": the focal length, eye separation, method and glasses
// of the stereo window; every change goes to the view's UpdateStereo. The
// camera-overlay group is disabled and nothing enables it. Keys are
// swallowed, so arrow keys move none of its controls.
class CStereoToolsDlg : public wxDialog {
public:
    explicit CStereoToolsDlg(CVexilo* view);

    // Builds the window from its template, sets the bars and shows it.
    bool Create(wxWindow* parent);
    void GetSettings(StereoSettings& settings) const;
    // The focal length and eye separation the stereo window draws with.
    void ShowValues();

    CVexilo* m_pView;
    CScrollBarNoKbd* m_sbFocal = nullptr;
    CScrollBarNoKbd* m_sbSeparation = nullptr;
    wxStaticText* m_stFocal = nullptr;
    wxStaticText* m_stSeparation = nullptr;
    wxCheckBox* m_chkOverlayLeft = nullptr;
    wxCheckBox* m_chkOverlayRight = nullptr;
    bool m_bOverlayLeft = false, m_bOverlayRight = false;
    // Each an edit with its spin buttons, as GTK makes them.
    wxSpinCtrl* m_spinX = nullptr;
    wxSpinCtrl* m_spinY = nullptr;
    wxSpinCtrl* m_spinZ = nullptr;
    int m_nOffsetX = 0, m_nOffsetY = 0, m_nOffsetZ = 0;
    wxSlider* m_sliderFader = nullptr;
    wxCheckBox* m_chkFreeze = nullptr;
    bool m_bFreeze = false;
    int m_nGlasses = kGlassesRedBlue;
    int m_nMethod = kStereoDualViewports;
    bool m_bInitialised = false;

private:
    void UpdateView();
    void SetBars(int focal, int separation);
    void OnScroll(wxScrollEvent& event);
    void OnDual(wxCommandEvent& event);
    void OnAnaglyph(wxCommandEvent& event);
    void OnGlasses(wxCommandEvent& event);
    void OnDefaults(wxCommandEvent& event);
    void OnSpin(wxSpinEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    wxDECLARE_EVENT_TABLE();
};
