#include "app/dialogs/RgbDialog.h"

#include <filesystem>
#include <limits>
#include <stdexcept>

#include <wx/checkbox.h>
#include <wx/filefn.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "data/SliceStackLoader.h"
#include "data/VoxelSize.h"
#include "platform/Prompter.h"

namespace {
constexpr std::int32_t kMaxImageSize = 8192;
} // namespace

wxBEGIN_EVENT_TABLE(CRgbDialog, CDdxDialog)
    EVT_INIT_DIALOG(CRgbDialog::OnInitDialog)
    EVT_RADIOBUTTON(XRCID("IDC_RGB_TYPE_RGB"), CRgbDialog::OnRgb)
    EVT_RADIOBUTTON(XRCID("IDC_RGB_TYPE_VHP"), CRgbDialog::OnVhp)
    EVT_BUTTON(XRCID("IDC_RGB_BROWSE"), CRgbDialog::OnBrowse)
    EVT_BUTTON(wxID_OK, CRgbDialog::OnOK)
wxEND_EVENT_TABLE()

CRgbDialog::CRgbDialog(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_RGB_IMPORT"))
        throw std::runtime_error("dialog template IDD_RGB_IMPORT missing");
    SetClientSize(ConvertDialogToPixels(wxSize(305, 177)));
    for (const char* name : {"IDC_RGB_HEADER", "IDC_RGB_WIDTH", "IDC_RGB_HEIGHT"})
        SetDigitsOnly(*XRCCTRL(*this, name, wxTextCtrl));
    CentreOnParent();
}

std::int64_t CRgbDialog::SliceCount(const std::string& folder)
{
    // An empty pattern would count the current folder.
    return folder.empty() ? 0 : std::int64_t(FindSliceFiles(folder).size());
}

std::string CRgbDialog::FolderRefusal(const std::string& folder)
{
    if (folder.empty())
        return "Please enter the folder containing the image files.";
    std::error_code ec;
    if (!std::filesystem::exists(folder, ec))
        return "The folder \"" + folder + "\" does not exist.";
    if (!std::filesystem::is_directory(folder, ec))
        return "\"" + folder + "\" is not a folder.";
    return {};
}

std::string CRgbDialog::SearchPattern(const std::string& folder)
{
    if (!folder.empty() && folder.back() != '/')
        return folder + "/*.*";
    return folder + "*.*";
}

void CRgbDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Text("IDC_RGB_FOLDER", m_strFolder);
    // Sizes beyond these, or voxel sizes and headers that are not positive,
    // would make a volume the loaders cannot hold or read.
    dx.Text("IDC_RGB_WIDTH", m_nWidth, 1, kMaxImageSize);
    dx.Text("IDC_RGB_HEIGHT", m_nHeight, 1, kMaxImageSize);
    // Nor may a voxel size make the volume longer than the scaling dialog
    // can show: the folder holds one slice per file.
    const std::int64_t slices = dx.m_bSaveAndValidate ? SliceCount(m_strFolder) : 0;
    dx.TextAbove("IDC_RGB_PIXEL_WIDTH", m_fPixelWidth, 0.0f, MaxVoxelSize(m_nWidth));
    dx.TextAbove("IDC_RGB_PIXEL_HEIGHT", m_fPixelHeight, 0.0f, MaxVoxelSize(m_nHeight));
    dx.TextAbove("IDC_RGB_SEPARATION", m_fSeparation, 0.0f, MaxVoxelSize(slices));
    dx.Check("IDC_RGB_GRAYSCALE", m_bGrayscale);
    m_btnGrayscale = &dx.Control<wxCheckBox>("IDC_RGB_GRAYSCALE");
    dx.Text("IDC_RGB_HEADER", m_nHeaderBytes, 0, std::numeric_limits<std::int32_t>::max());
}

void CRgbDialog::OnInitDialog(wxInitDialogEvent&)
{
    UpdateData(false);
    XRCCTRL(*this, "IDC_RGB_TYPE_RGB", wxRadioButton)->SetValue(true);
    m_nHeaderBytes = 0;
    UpdateData(false);
}

void CRgbDialog::OnRgb(wxCommandEvent&)
{
    m_nDataType = 0;
    if (m_btnGrayscale)
        m_btnGrayscale->Enable();
}

void CRgbDialog::OnVhp(wxCommandEvent&)
{
    m_nDataType = 1;
    // Its tick stays, for when RGB is chosen again.
    if (m_btnGrayscale)
        m_btnGrayscale->Disable();
}

void CRgbDialog::OnBrowse(wxCommandEvent&)
{
    std::string folder = XRCCTRL(*this, "IDC_RGB_FOLDER", wxTextCtrl)->GetValue().utf8_string();
    // GTK's folder chooser given no folder opens on its recent places, where
    // a typed path chooses nothing; it starts in the current folder instead.
    if (folder.empty())
        folder = wxGetCwd().utf8_string();
    if (!Prompter().BrowseFolder("Select images folder:", folder))
        return;
    // Values typed in the other fields survive the exchange out. When one of
    // them is refused, only the folder is put in, so none is lost.
    if (UpdateData(true)) {
        m_strFolder = folder;
        UpdateData(false);
    } else {
        XRCCTRL(*this, "IDC_RGB_FOLDER", wxTextCtrl)->ChangeValue(wxString::FromUTF8(folder));
    }
}

void CRgbDialog::OnOK(wxCommandEvent&)
{
    // The loaders would take an empty folder for the current one, and a
    // missing one for a pattern that finds nothing.
    auto* edit = XRCCTRL(*this, "IDC_RGB_FOLDER", wxTextCtrl);
    const std::string refusal = FolderRefusal(edit->GetValue().utf8_string());
    if (!refusal.empty()) {
        VxMessageBox(refusal, MB_OK | MB_ICONEXCLAMATION);
        edit->SetFocus();
        edit->SelectAll();
        return;
    }
    if (!UpdateData(true))
        return;
    m_strFolder = SearchPattern(m_strFolder);
    UpdateData(false);
    if (UpdateData(true))
        EndModal(wxID_OK);
}
