#pragma once
#include <wx/dialog.h>

class CUpDown;
class CVexilo;
class CVolume;

// "Adjust scaling": the physical size of the volume along x, y and z in
// tenths of a millimetre. Every change of a size is applied at once: the
// volume takes the voxel size it gives, the light box and the 3D view redraw;
// the only button is "Close", so there is nothing to undo.
class CScalingDlg : public wxDialog {
public:
    CScalingDlg(CVexilo* view, wxWindow* parent);

    // The texts and sizes into the controls, and the sizes back: reading
    // stops at the first size that is not an integer, which is reported.
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // The sizes typed, as voxel sizes on the volume, with the view redrawn.
    // Nothing before the dialog has finished opening; sizes outside 1 ..
    // 100000 (what the arrows allow) are not applied.
    void ApplyScaling();

    // size x 0.1 / dimension: 0.1 in single precision, the division in
    // extended precision, the result a float.
    static float ScaleFor(int size, int dimension);

    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 100000; // kMaxVolumeExtent in tenths

    CVolume* m_pVolume = nullptr; // set by the caller: the view's current model
    CVexilo* m_pView = nullptr;
    bool m_bReady = false;
    int m_nDimX = 0, m_nDimY = 0, m_nDimZ = 0;
    float m_fScaleX = 1.0f, m_fScaleY = 1.0f, m_fScaleZ = 1.0f;
    wxString m_strVoxels, m_strScaleX, m_strScaleY, m_strScaleZ;
    int m_nSizeX = 0, m_nSizeY = 0, m_nSizeZ = 0;
    CUpDown* m_spinX = nullptr;
    CUpDown* m_spinY = nullptr;
    CUpDown* m_spinZ = nullptr;

private:
    void SetScaleTexts();
    void OnInitDialog(wxInitDialogEvent& event);
    void OnSizeChanged(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};
