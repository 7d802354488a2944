#include "app/dialogs/DcmDialog.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmimgle/dcmimage.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "data/VoxelSize.h"
#include "platform/DataExchange.h"
#include "platform/wx/StepArrows.h"

namespace {
constexpr std::int32_t kMaxDim = 4096;

int TruncToInt(double v)
{
    if (!(v > double(std::numeric_limits<int>::min())))
        return std::numeric_limits<int>::min();
    if (!(v < double(std::numeric_limits<int>::max())))
        return std::numeric_limits<int>::max();
    return int(std::trunc(v));
}
} // namespace

wxBEGIN_EVENT_TABLE(CDcmDialog, CDdxDialog)
    EVT_INIT_DIALOG(CDcmDialog::OnInitDialog)
    EVT_TEXT(XRCID("IDC_DCM_LEVEL"), CDcmDialog::OnWindowChanged)
    EVT_TEXT(XRCID("IDC_DCM_WIDTH"), CDcmDialog::OnWindowChanged)
    EVT_CHECKBOX(XRCID("IDC_DCM_AUTO"), CDcmDialog::OnAuto)
    EVT_BUTTON(wxID_OK, CDcmDialog::OnOK)
    EVT_CHAR_HOOK(CDcmDialog::OnCharHook)
    EVT_CLOSE(CDcmDialog::OnClose)
wxEND_EVENT_TABLE()

CDcmDialog::CDcmDialog(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_DCM_REVIEW"))
        throw std::runtime_error("dialog template IDD_DCM_REVIEW missing");
    SetClientSize(ConvertDialogToPixels(wxSize(290, 189)));
    m_stcPreview = XRCCTRL(*this, "IDC_DCM_PREVIEW", wxPanel);
    // The preview keeps its pixel size whatever the dialog units come to.
    m_stcPreview->SetSize(wxSize(kPreviewSize, kPreviewSize));
    m_stcPreview->SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_stcPreview->Bind(wxEVT_PAINT, &CDcmDialog::OnPaintPreview, this);
    m_edtLevel = XRCCTRL(*this, "IDC_DCM_LEVEL", wxTextCtrl);
    m_edtWidth = XRCCTRL(*this, "IDC_DCM_WIDTH", wxTextCtrl);
    m_btnAuto = XRCCTRL(*this, "IDC_DCM_AUTO", wxCheckBox);
    for (const char* name : {"IDC_DCM_NEWX", "IDC_DCM_NEWY", "IDC_DCM_WIDTH"})
        SetDigitsOnly(*XRCCTRL(*this, name, wxTextCtrl));
    // CT levels lie below 0 (a lung window at -600); a width never does.
    SetDigitsOnly(*m_edtLevel, true);
    m_spnLevel.Attach(AttachStepArrows(*this, "IDC_DCM_LEVEL_SPIN"), *m_edtLevel);
    m_spnWidth.Attach(AttachStepArrows(*this, "IDC_DCM_WIDTH_SPIN"), *m_edtWidth);
    CentreOnParent();
}

CDcmDialog::OpeningWindow CDcmDialog::FindOpeningWindow(DicomImage* image)
{
    OpeningWindow w;
    if (!image)
        return w;
    if (image->isMonochrome())
        image->setMinMaxWindow(0);
    image->getMinMaxValues(w.min, w.max, 0);
    // Without a stored window the full-range one stays.
    image->setWindow(0UL);
    double centre = 0.0, width = 0.0;
    const bool windowed = image->getWindow(centre, width);
    if (windowed) {
        w.centre = centre;
        w.width = width;
    }
    if (w.width == 0.0)
        w.width = 1.0;
    w.uniform = w.width <= 1.0 && w.min == w.max;
    return w;
}

std::vector<std::uint8_t> CDcmDialog::RenderPreview(DicomImage& image, int level, int width)
{
    const unsigned long w = image.getWidth(), h = image.getHeight();
    if (w == 0 || h == 0)
        return {};
    image.setWindow(double(level), double(width));
    // 24-bit rows padded to 4 bytes, the bottom row first: the toolkit's own
    // default order changed between versions, so it is always given.
    const unsigned long stride = (w * 3 + 3) & ~3UL;
    std::vector<std::uint8_t> dib(stride * h);
    void* data = dib.data();
    if (image.createWindowsDIB(data, dib.size(), 0, 24, 1, 1) == 0)
        return {};
    std::vector<std::uint8_t> rgb(w * h * 3);
    for (unsigned long y = 0; y < h; ++y) {
        const std::uint8_t* src = dib.data() + (h - 1 - y) * stride;
        std::uint8_t* dst = rgb.data() + y * w * 3;
        for (unsigned long x = 0; x < w; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return rgb;
}

void CDcmDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Control("IDC_DCM_PREVIEW");
    dx.Text("IDC_DCM_MESSAGE", m_strMessage);
    dx.Text("IDC_DCM_NEWY", m_nNewY, 1, kMaxDim);
    dx.Text("IDC_DCM_NEWX", m_nNewX, 1, kMaxDim);
    if (dx.m_bSaveAndValidate && m_btnAuto->GetValue()) {
        // Greyed by Auto, the window is not the user's to mend: taken when
        // it holds integers, never refused.
        std::int32_t v = 0;
        if (DdxParseInt(m_edtLevel->GetValue().utf8_string(), v))
            m_nWindowLevel = v;
        if (DdxParseInt(m_edtWidth->GetValue().utf8_string(), v))
            m_nWindowWidth = v;
    } else {
        dx.Text("IDC_DCM_LEVEL", m_nWindowLevel);
        dx.Text("IDC_DCM_WIDTH", m_nWindowWidth);
    }
    dx.Control("IDC_DCM_LEVEL_SPIN");
    dx.Control("IDC_DCM_WIDTH_SPIN");
    dx.Control("IDC_DCM_AUTO");
    dx.Check("IDC_DCM_AUTO", m_bAuto);
    dx.Control("IDC_DCM_LEVEL");
    dx.Control("IDC_DCM_WIDTH");
    // A voxel size of 0 or less gives a volume without extent, one too large
    // a volume longer than the scaling dialog can show. The scalings are
    // those of the source pixels, whatever size the slices load at.
    dx.TextAbove("IDC_DCM_SCALEX", m_fScaleX, 0.0f, MaxVoxelSize(m_nSourceX));
    dx.TextAbove("IDC_DCM_SCALEY", m_fScaleY, 0.0f, MaxVoxelSize(m_nSourceY));
    dx.TextAbove("IDC_DCM_SCALEZ", m_fScaleZ, 0.0f, MaxVoxelSize(m_nSlices));
}

void CDcmDialog::OnInitDialog(wxInitDialogEvent&)
{
    m_nSourceX = m_nNewX;
    m_nSourceY = m_nNewY;
    UpdateData(false);
    const OpeningWindow w = FindOpeningWindow(m_pPreviewImage);
    m_spnLevel.SetRange(TruncToInt(w.min), TruncToInt(w.max));
    // A range of 1 .. 0 (all pixels equal) would let the width step to 0,
    // which no window takes.
    m_spnWidth.SetRange(1, std::max(1, TruncToInt(std::fabs(w.max - w.min))));
    m_nWindowLevel = TruncToInt(w.centre);
    m_nWindowWidth = std::max(1, TruncToInt(w.width));
    m_spnLevel.SetPos(m_nWindowLevel);
    m_spnWidth.SetPos(m_nWindowWidth);
    m_nLastLevel = m_nWindowLevel;
    m_nLastWidth = m_nWindowWidth;
    m_bStandInWindow = w.uniform;
    m_nOpeningLevel = m_nWindowLevel;
    m_nOpeningWidth = m_nWindowWidth;
    UpdateData(false);
}

void CDcmDialog::ShownWindow(int& level, int& width)
{
    std::int32_t l = 0, w = 0;
    if (DdxParseInt(m_edtLevel->GetValue().utf8_string(), l) && DdxParseInt(m_edtWidth->GetValue().utf8_string(), w) &&
        w >= 1) {
        m_nLastLevel = l;
        m_nLastWidth = w;
    }
    level = m_nLastLevel;
    width = m_nLastWidth;
}

void CDcmDialog::OnPaintPreview(wxPaintEvent&)
{
    wxPaintDC dc(m_stcPreview);
    ++m_nPreviews;
    // Painting never runs the validating exchange: a field being typed in
    // would bring its message back with every paint.
    int level = 0, width = 1;
    ShownWindow(level, width);
    std::vector<std::uint8_t> rgb;
    if (m_pPreviewImage)
        rgb = RenderPreview(*m_pPreviewImage, level, width);
    if (rgb.empty()) {
        m_pPreviewBits.clear();
        dc.SetBrush(*wxBLACK_BRUSH);
        dc.SetPen(*wxBLACK_PEN);
        dc.DrawRectangle(0, 0, kPreviewSize, kPreviewSize);
        return;
    }
    const int w = int(m_pPreviewImage->getWidth()), h = int(m_pPreviewImage->getHeight());
    m_pPreviewBits = rgb;
    wxImage image(w, h, m_pPreviewBits.data(), true);
    dc.DrawBitmap(wxBitmap(image), 0, 0);
}

void CDcmDialog::OnWindowChanged(wxCommandEvent&)
{
    m_stcPreview->Refresh(false);
}

void CDcmDialog::OnAuto(wxCommandEvent&)
{
    UpdateData(true);
    // The box itself says whether the window is automatic, also when a field
    // before it was refused and its member not read.
    const bool manual = !m_btnAuto->GetValue();
    m_spnLevel.Enable(manual);
    m_spnWidth.Enable(manual);
}

// wx would answer Escape and the close box of a dialog without a Cancel
// button by pressing its OK button; here they end it without OK.
void CDcmDialog::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && !event.HasAnyModifiers())
        EndModal(wxID_CANCEL);
    else
        event.Skip();
}

void CDcmDialog::OnClose(wxCloseEvent&) { EndModal(wxID_CANCEL); }

void CDcmDialog::OnOK(wxCommandEvent&)
{
    if (!UpdateData(true))
        return;
    // A first slice of background alone (a uniform preview) gives a window
    // of width 1 that would load every brighter voxel of the series at the
    // top of the range, all white. Kept unchanged, it is replaced by the
    // window of the whole series' values, as Auto computes it.
    if (m_bStandInWindow && !m_bAuto && m_nWindowLevel == m_nOpeningLevel && m_nWindowWidth == m_nOpeningWidth)
        m_bAuto = 1;
    EndModal(wxID_OK);
}
