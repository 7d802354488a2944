#include "app/logic/XfrEditor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "data/Histogram.h"
#include "data/Volume.h"

CXfrEditor::CXfrEditor(CRenderer* renderer, CVolume* volume)
    : m_pRenderer(renderer), m_pVolume(volume),
      m_pTransferFunction(renderer ? renderer->m_pTransferFunction.get() : nullptr)
{
}

const RgbaLookupTable* CXfrEditor::Table() const
{
    if (m_pTransferFunction && m_pTransferFunction->m_pTable)
        return m_pTransferFunction->m_pTable;
    return m_pRenderer ? m_pRenderer->m_pRgbaTable.get() : nullptr;
}

void CXfrEditor::Init()
{
    m_nMode = kAlpha;
    ClearSelection();
    m_bSplines = true;
    if (CTransferFunction* tf = m_pTransferFunction) {
        tf->m_nCurrent = CTransferFunction::kAlpha;
        tf->m_bLinked = false;
        tf->m_bSpline = 1;
        tf->BuildChannel(CTransferFunction::kAlpha, true);
    }
    const bool autoUpdate = m_pRenderer && m_pRenderer->m_bAutoUpdate;
    m_bAutoUpdate = autoUpdate;
    m_bApplyEnabled = !autoUpdate;
    m_bAutoUpdateEnabled = autoUpdate;
}

void CXfrEditor::ClearSelection()
{
    m_nSelected = kNoPoint;
    m_bDeleteEnabled = false;
}

void CXfrEditor::RebuildCurrent()
{
    CTransferFunction* tf = m_pTransferFunction;
    tf->BuildChannel(tf->m_nCurrent, true);
    if (tf->m_bLinked)
        tf->LinkChannels();
}

void CXfrEditor::SelectChannel(int mode)
{
    if (mode < kRed || mode > kIntensity)
        return;
    ClearSelection();
    m_nMode = mode;
    CTransferFunction* tf = m_pTransferFunction;
    if (!tf)
        return;
    // The spline choice reaches the channel being left before the switch.
    tf->m_bSpline = m_bSplines ? 1 : 0;
    RebuildCurrent();
    if (mode == kIntensity) {
        tf->m_nCurrent = CTransferFunction::kRed;
        tf->m_bLinked = true;
        tf->LinkChannels();
    } else {
        tf->m_nCurrent = mode;
        tf->m_bLinked = false;
    }
}

void CXfrEditor::SetSplines(bool on)
{
    m_bSplines = on;
    if (!m_pTransferFunction)
        return;
    m_pTransferFunction->m_bSpline = on ? 1 : 0;
    RebuildCurrent();
}

void CXfrEditor::DeleteMarker()
{
    CTransferFunction* tf = m_pTransferFunction;
    if (tf && m_nSelected != kNoPoint) {
        std::vector<TfPoint>& pts = tf->m_aPoints[tf->m_nCurrent];
        const auto i = std::size_t(m_nSelected);
        if (i > 0 && i + 1 < pts.size()) {
            pts.erase(pts.begin() + std::ptrdiff_t(i));
            RebuildCurrent();
        }
    }
    ClearSelection();
}

void CXfrEditor::ApplyPreset(Preset preset)
{
    CTransferFunction* tf = m_pTransferFunction;
    if (!tf)
        return;
    switch (preset) {
    case Preset::kResetCurrent:
        tf->ResetCurrent();
        break;
    case Preset::kResetAll:
        tf->ResetAll();
        break;
    case Preset::kStretch:
        tf->Stretch();
        break;
    case Preset::kEqualise:
        tf->Equalise();
        break;
    case Preset::kNegative:
        tf->MakeNegative();
        break;
    }
    ClearSelection();
}

bool CXfrEditor::Save(const std::string& path) const
{
    return m_pTransferFunction && m_pTransferFunction->Save(path);
}

bool CXfrEditor::Load(const std::string& path)
{
    if (!m_pTransferFunction || !m_pTransferFunction->Load(path))
        return false;
    ClearSelection();
    return true;
}

void CXfrEditor::SetAutoUpdate(bool on)
{
    m_bAutoUpdate = on;
    m_bApplyEnabled = !on;
}

bool CXfrEditor::LeftDown(int px, int py)
{
    CTransferFunction* tf = m_pTransferFunction;
    if (!tf || !xfr::GraphContains(px, py))
        return false;
    const xfr::GraphPoint p = xfr::ClientToGraph(px, py);
    m_nSelected = tf->FindPoint(p.x, p.y);
    if (m_nSelected == kNoPoint)
        m_nSelected = tf->AddPoint(p.x, p.y);
    const auto count = TfPosition(tf->m_aPoints[tf->m_nCurrent].size());
    m_bDeleteEnabled = m_nSelected != kNoPoint && m_nSelected != 0 && m_nSelected != count - 1;
    m_bDragging = m_nSelected != kNoPoint;
    return true;
}

bool CXfrEditor::MouseMove(int px, int py)
{
    CTransferFunction* tf = m_pTransferFunction;
    if (!tf || (!m_bDragging && !xfr::GraphContains(px, py))) {
        m_strStatus.clear();
        return false;
    }
    xfr::GraphPoint p = xfr::ClientToGraph(px, py);
    bool changed = false;
    if (m_bDragging) {
        tf->MovePoint(m_nSelected, p.x, p.y);
        changed = true;
    }
    const RgbaLookupTable* table = Table();
    const bool onScale = p.x >= 0 && p.x <= 255;
    const int output = table && onScale ? (*table)[4 * std::size_t(p.x) + std::size_t(tf->m_nCurrent)] : 0;
    const unsigned count = m_pVolume && onScale ? m_pVolume->m_histogram.m_counts[p.x] : 0u;
    char text[96];
    std::snprintf(text, sizeof text, "Input = %d, Output = %d, Count = %u", p.x, output, count);
    m_strStatus = text;
    return changed;
}

void CXfrEditor::Draw(CXfrPicture& picture)
{
    if (!m_bPictureCached) {
        if (m_pVolume)
            std::memcpy(m_display, m_pVolume->m_histogram.m_display, sizeof m_display);
        m_bPictureCached = true;
    }
    picture.DrawHistogram(m_display);
    const RgbaLookupTable* table = Table();
    if (!table)
        return;
    const xfr::Rgb colours[4] = {xfr::kRedCurve, xfr::kGreenCurve, xfr::kBlueCurve, xfr::kAlphaCurve};
    const bool intensity = m_nMode == kIntensity;
    for (int k = 0; k < 4; ++k) {
        if (intensity && (k == kGreen || k == kBlue))
            continue;
        const bool current = intensity ? k == kRed : k == m_nMode;
        if (!current && !m_bShowAll)
            continue;
        picture.DrawCurve(*table, k, intensity && k == kRed ? xfr::kIntensityCurve : colours[k]);
    }
    if (m_bHideMarkers || !m_pTransferFunction)
        return;
    const std::vector<TfPoint>& pts = m_pTransferFunction->m_aPoints[m_pTransferFunction->m_nCurrent];
    for (std::size_t i = 0; i < pts.size(); ++i)
        picture.DrawMarker(pts[i].x, pts[i].y, TfPosition(i) == m_nSelected);
}

void WriteLightBoxPalette(const RgbaLookupTable& table, BgrPalette& palette)
{
    for (int i = 0; i < 256; ++i) {
        const int alpha = table[4 * std::size_t(i) + 3];
        // c * min(alpha / i, 1) rounded half up, in integers so that no
        // rounding of the quotient moves a result across a half.
        auto scaled = [&](int c) -> std::uint8_t {
            if (i == 0)
                return std::uint8_t(alpha > 0 ? c : 0);
            if (alpha >= i)
                return std::uint8_t(c);
            return std::uint8_t((2 * c * alpha + i) / (2 * i));
        };
        for (int c = 0; c < 3; ++c)
            palette[3 * std::size_t(i) + std::size_t(c)] = scaled(table[4 * std::size_t(i) + std::size_t(2 - c)]);
    }
}
