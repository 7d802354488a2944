#pragma once
#include <memory>

#include <wx/cursor.h>
#include <wx/dialog.h>

#include "app/logic/XfrEditor.h"
#include "app/logic/XfrPicture.h"

class CRenderer;
class CVexilo;
class CVolume;
class wxButton;
class wxCheckBox;
class wxRadioButton;
class wxStaticText;

// The modeless transfer-function editor over the current volume's renderer:
// the graph of the histogram and the channel curves, markers edited with the
// mouse, the channel radios, presets, .tfn files and Apply, which pushes the
// table to the renderer and recolours the light box. The view owns it and
// keeps at most one; the editor state lives in CXfrEditor, the window only
// shows it and forwards the user's actions.
class CXfrDialog : public wxDialog {
public:
    // Nothing is owned; the view closes the editor before any of them goes.
    CXfrDialog(CVexilo* view, CRenderer* renderer, CVolume* model);

    // Builds the window from its template over `parent`, starts the editor
    // and shows it; false when the template is missing.
    bool Create(wxWindow* parent);
    // The editor lets go of the view's renderer and volume at once: they may
    // be deleted before the window is.
    bool Destroy() override;
    // Close and the title bar's close box: the view's reference is cleared
    // and the window destroyed. A hidden editor would only wait for the view
    // to replace it.
    void CloseEditor();

    // The picture drawn again and shown; applied too while auto-update is on.
    void DrawGraph();
    // Palette from the table, the table to the renderer, the light box
    // recoloured and the view redrawn.
    void Apply();

    CXfrEditor& Editor() { return *m_pEditor; }
    const CXfrPicture& Picture() const { return m_picture; }

    CVexilo* m_pView;

private:
    // The controls set from the editor's values and enable states.
    void ShowValues();
    void OnChannel(wxCommandEvent& event);
    void OnSplines(wxCommandEvent& event);
    void OnShowOptions(wxCommandEvent& event);
    void OnAutoUpdate(wxCommandEvent& event);
    void OnDeleteMarker(wxCommandEvent& event);
    void OnPreset(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);
    void OnLoad(wxCommandEvent& event);
    void OnApply(wxCommandEvent& event);
    void OnCloseButton(wxCommandEvent& event);
    void OnCloseBox(wxCloseEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnCharHook(wxKeyEvent& event);
    // The cross over the graph, the default cursor elsewhere.
    void SetGraphCursor(bool overGraph);

    std::unique_ptr<CXfrEditor> m_pEditor;
    CXfrPicture m_picture;
    wxCursor m_cross{wxCURSOR_CROSS};
    bool m_bCrossShown = false;

    wxRadioButton* m_radios[5] = {}; // red, green, blue, alpha, intensity
    wxCheckBox* m_checkShowAll = nullptr;
    wxCheckBox* m_checkAutoUpdate = nullptr;
    wxCheckBox* m_checkSplines = nullptr;
    wxCheckBox* m_checkHideMarkers = nullptr;
    wxButton* m_btnDelete = nullptr;
    wxButton* m_btnApply = nullptr;
    wxStaticText* m_status = nullptr;
};
