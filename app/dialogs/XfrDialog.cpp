#include "app/dialogs/XfrDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include "app/LightBox.h"
#include "app/Vexilo.h"
#include "data/Volume.h"
#include "platform/Prompter.h"
#include "render/Renderer.h"

namespace {
constexpr char kFilter[] = "Transfer function files (*.tfn)|*.tfn|All Files (*.*)|*.*||";

// Radio names in the editor's channel order.
constexpr const char* kRadioNames[5] = {"IDC_XFR_RED", "IDC_XFR_GREEN", "IDC_XFR_BLUE", "IDC_XFR_ALPHA",
                                        "IDC_XFR_INTENSITY"};

struct PresetButton {
    const char* name;
    CXfrEditor::Preset preset;
};
constexpr PresetButton kPresets[] = {
    {"IDC_XFR_RESET_CURRENT", CXfrEditor::Preset::kResetCurrent},
    {"IDC_XFR_RESET_ALL", CXfrEditor::Preset::kResetAll},
    {"IDC_XFR_STRETCH", CXfrEditor::Preset::kStretch},
    {"IDC_XFR_EQUALISE", CXfrEditor::Preset::kEqualise},
    {"IDC_XFR_NEGATIVE", CXfrEditor::Preset::kNegative},
};

template <class W> W* Control(wxWindow& parent, const char* name)
{
    return dynamic_cast<W*>(parent.FindWindow(XRCID(name)));
}
} // namespace

CXfrDialog::CXfrDialog(CVexilo* view, CRenderer* renderer, CVolume* model)
    : m_pView(view), m_pEditor(std::make_unique<CXfrEditor>(renderer, model))
{
}

bool CXfrDialog::Create(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_XFR"))
        return false;
    for (int i = 0; i < 5; ++i)
        m_radios[i] = Control<wxRadioButton>(*this, kRadioNames[i]);
    m_checkShowAll = Control<wxCheckBox>(*this, "IDC_XFR_SHOW_ALL");
    m_checkAutoUpdate = Control<wxCheckBox>(*this, "IDC_XFR_AUTO_UPDATE");
    m_checkSplines = Control<wxCheckBox>(*this, "IDC_XFR_SPLINES");
    m_checkHideMarkers = Control<wxCheckBox>(*this, "IDC_XFR_HIDE_MARKERS");
    m_btnDelete = Control<wxButton>(*this, "IDC_XFR_DELETE");
    m_btnApply = Control<wxButton>(*this, "IDC_XFR_APPLY");
    m_status = Control<wxStaticText>(*this, "IDC_XFR_STATUS");
    for (wxWindow* w : std::initializer_list<wxWindow*>{m_checkShowAll, m_checkAutoUpdate, m_checkSplines,
                                                         m_checkHideMarkers, m_btnDelete, m_btnApply, m_status})
        if (!w)
            return false;
    for (wxRadioButton* r : m_radios)
        if (!r)
            return false;
    SetClientSize(ConvertDialogToPixels(wxSize(409, 182)));

    Bind(wxEVT_RADIOBUTTON, &CXfrDialog::OnChannel, this);
    Bind(wxEVT_CHECKBOX, &CXfrDialog::OnSplines, this, m_checkSplines->GetId());
    Bind(wxEVT_CHECKBOX, &CXfrDialog::OnShowOptions, this, m_checkShowAll->GetId());
    Bind(wxEVT_CHECKBOX, &CXfrDialog::OnShowOptions, this, m_checkHideMarkers->GetId());
    Bind(wxEVT_CHECKBOX, &CXfrDialog::OnAutoUpdate, this, m_checkAutoUpdate->GetId());
    Bind(wxEVT_BUTTON, &CXfrDialog::OnDeleteMarker, this, m_btnDelete->GetId());
    Bind(wxEVT_BUTTON, &CXfrDialog::OnApply, this, m_btnApply->GetId());
    Bind(wxEVT_BUTTON, &CXfrDialog::OnSave, this, XRCID("IDC_XFR_SAVE"));
    Bind(wxEVT_BUTTON, &CXfrDialog::OnLoad, this, XRCID("IDC_XFR_LOAD"));
    for (const PresetButton& p : kPresets)
        Bind(wxEVT_BUTTON, &CXfrDialog::OnPreset, this, XRCID(p.name));
    Bind(wxEVT_BUTTON, &CXfrDialog::OnCloseButton, this, wxID_OK);
    Bind(wxEVT_CLOSE_WINDOW, &CXfrDialog::OnCloseBox, this);
    Bind(wxEVT_PAINT, &CXfrDialog::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CXfrDialog::OnLeftDown, this);
    Bind(wxEVT_MOTION, &CXfrDialog::OnMouseMove, this);
    Bind(wxEVT_LEFT_UP, &CXfrDialog::OnLeftUp, this);
    Bind(wxEVT_LEAVE_WINDOW, &CXfrDialog::OnLeave, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CXfrDialog::OnCaptureLost, this);
    Bind(wxEVT_CHAR_HOOK, &CXfrDialog::OnCharHook, this);

    m_pEditor->Init();
    ShowValues();
    Show();
    DrawGraph();
    return true;
}

bool CXfrDialog::Destroy()
{
    if (HasCapture())
        ReleaseMouse();
    m_pEditor = std::make_unique<CXfrEditor>(nullptr, nullptr);
    m_pView = nullptr;
    return wxDialog::Destroy();
}

void CXfrDialog::ShowValues()
{
    const CXfrEditor& e = *m_pEditor;
    if (e.m_nMode >= 0 && e.m_nMode < 5)
        m_radios[e.m_nMode]->SetValue(true);
    m_checkShowAll->SetValue(e.m_bShowAll);
    m_checkAutoUpdate->SetValue(e.m_bAutoUpdate);
    m_checkAutoUpdate->Enable(e.m_bAutoUpdateEnabled);
    m_checkSplines->SetValue(e.m_bSplines);
    m_checkHideMarkers->SetValue(e.m_bHideMarkers);
    m_btnDelete->Enable(e.m_bDeleteEnabled);
    m_btnApply->Enable(e.m_bApplyEnabled);
    const wxString status = wxString::FromUTF8(e.m_strStatus);
    if (m_status->GetLabel() != status)
        m_status->SetLabel(status);
}

void CXfrDialog::DrawGraph()
{
    m_pEditor->Draw(m_picture);
    RefreshRect(wxRect(xfr::kGraphLeft, xfr::kGraphTop, xfr::kGraphSize, xfr::kGraphSize), false);
    if (m_pEditor->m_bAutoUpdate)
        Apply();
}

void CXfrDialog::Apply()
{
    CRenderer* renderer = m_pEditor->m_pRenderer;
    if (!renderer || !renderer->m_pRgbaTable || !renderer->m_pBgrPalette)
        return;
    WriteLightBoxPalette(*renderer->m_pRgbaTable, *renderer->m_pBgrPalette);
    // The table goes to the renderer's own context, which need not be the
    // current one while a dialog has the input.
    if (m_pView)
        GlMakeCurrent(m_pView->Surface(), renderer->m_hGLRC.get());
    renderer->UpdateLookupTable();
    if (!m_pView)
        return;
    if (m_pView->m_pLightBox)
        m_pView->m_pLightBox->OnPaletteChanged();
    m_pView->RedrawNow();
}

void CXfrDialog::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    // The picture is what the last change drew; a paint only shows it again.
    wxImage image(CXfrPicture::kSize, CXfrPicture::kSize, const_cast<unsigned char*>(m_picture.m_rgb.data()), true);
    dc.DrawBitmap(wxBitmap(image), xfr::kGraphLeft, xfr::kGraphTop);
}

void CXfrDialog::OnChannel(wxCommandEvent& event)
{
    for (int i = 0; i < 5; ++i)
        if (event.GetEventObject() == m_radios[i]) {
            m_pEditor->SelectChannel(i);
            ShowValues();
            DrawGraph();
        }
}

void CXfrDialog::OnSplines(wxCommandEvent&)
{
    m_pEditor->SetSplines(m_checkSplines->GetValue());
    ShowValues();
    DrawGraph();
}

void CXfrDialog::OnShowOptions(wxCommandEvent&)
{
    m_pEditor->m_bShowAll = m_checkShowAll->GetValue();
    m_pEditor->m_bHideMarkers = m_checkHideMarkers->GetValue();
    DrawGraph();
}

void CXfrDialog::OnAutoUpdate(wxCommandEvent&)
{
    m_pEditor->SetAutoUpdate(m_checkAutoUpdate->GetValue());
    ShowValues();
    if (m_pEditor->m_bAutoUpdate)
        Apply();
}

void CXfrDialog::OnDeleteMarker(wxCommandEvent&)
{
    m_pEditor->DeleteMarker();
    ShowValues();
    DrawGraph();
}

void CXfrDialog::OnPreset(wxCommandEvent& event)
{
    for (const PresetButton& p : kPresets)
        if (event.GetId() == XRCID(p.name)) {
            m_pEditor->ApplyPreset(p.preset);
            ShowValues();
            DrawGraph();
        }
}

void CXfrDialog::OnSave(wxCommandEvent&)
{
    FileChooserRequest request;
    request.open = false;
    request.defaultExt = "tfn";
    request.filter = kFilter;
    std::string path;
    if (!Prompter().ChooseFile(request, path))
        return;
    wxBusyCursor wait;
    m_pEditor->Save(path);
}

void CXfrDialog::OnLoad(wxCommandEvent&)
{
    FileChooserRequest request;
    request.open = true;
    request.defaultExt = "tfn";
    request.filter = kFilter;
    std::string path;
    if (!Prompter().ChooseFile(request, path))
        return;
    {
        wxBusyCursor wait;
        m_pEditor->Load(path);
    }
    ShowValues();
    DrawGraph();
}

void CXfrDialog::OnApply(wxCommandEvent&) { Apply(); }

void CXfrDialog::OnCloseBox(wxCloseEvent&) { CloseEditor(); }

void CXfrDialog::OnCloseButton(wxCommandEvent&) { CloseEditor(); }

void CXfrDialog::CloseEditor()
{
    if (m_pView && m_pView->m_pXfrDlg == this)
        m_pView->m_pXfrDlg = nullptr;
    Destroy();
}

void CXfrDialog::OnLeftDown(wxMouseEvent& event)
{
    event.Skip();
    if (!m_pEditor->LeftDown(event.GetX(), event.GetY()))
        return;
    ShowValues();
    DrawGraph();
    if (m_pEditor->m_bDragging && !HasCapture())
        CaptureMouse();
}

void CXfrDialog::OnMouseMove(wxMouseEvent& event)
{
    event.Skip();
    SetGraphCursor(xfr::GraphContains(event.GetX(), event.GetY()));
    const bool changed = m_pEditor->MouseMove(event.GetX(), event.GetY());
    const wxString status = wxString::FromUTF8(m_pEditor->m_strStatus);
    if (m_status->GetLabel() != status)
        m_status->SetLabel(status);
    if (changed)
        DrawGraph();
}

void CXfrDialog::OnLeftUp(wxMouseEvent& event)
{
    event.Skip();
    if (!m_pEditor->m_bDragging)
        return;
    m_pEditor->LeftUp();
    if (HasCapture())
        ReleaseMouse();
}

void CXfrDialog::OnLeave(wxMouseEvent& event)
{
    event.Skip();
    if (!m_pEditor->m_bDragging)
        SetGraphCursor(false);
}

void CXfrDialog::OnCaptureLost(wxMouseCaptureLostEvent&) { m_pEditor->LeftUp(); }

void CXfrDialog::OnCharHook(wxKeyEvent&)
{
    // Every key stops here, before any control or the dialog's own Enter
    // and Esc handling sees it: the editor is worked with the mouse alone.
}

void CXfrDialog::SetGraphCursor(bool overGraph)
{
    if (overGraph == m_bCrossShown)
        return;
    m_bCrossShown = overGraph;
    SetCursor(overGraph ? m_cross : wxNullCursor);
}
