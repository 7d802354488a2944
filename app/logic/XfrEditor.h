#pragma once
#include <cstdint>
#include <string>

#include "app/logic/XfrPicture.h"
#include "render/Renderer.h"
#include "render/TransferFunction.h"

class CVolume;

// The transfer-function editor without its window: the values of its
// controls, the selected marker and the drag, what each control and mouse
// action does to the renderer's transfer function, the status text and the
// graph's picture. The dialog shows this state and forwards its events; it
// also does the applying, which needs the window system.
//
// Every operation that replaces the current channel's list (a preset, Reset
// all, Load) clears the selection: a position into the old list would pick,
// move or delete some other point of the new one.
class CXfrEditor {
public:
    // The channel radios: a channel of the table, or intensity (red edited
    // and copied to green and blue).
    enum Mode { kRed = 0, kGreen = 1, kBlue = 2, kAlpha = 3, kIntensity = 4 };
    enum class Preset { kResetCurrent, kResetAll, kStretch, kEqualise, kNegative };

    // The renderer's transfer function and table; the volume's histogram.
    // Neither is owned.
    CXfrEditor(CRenderer* renderer, CVolume* volume);

    // The dialog's start: alpha, not linked, splines, and auto-update as the
    // renderer says. Without it the Auto-update check is disabled and the
    // user applies with Apply.
    void Init();

    void SelectChannel(int mode);
    void SetSplines(bool on);
    // The selected marker, unless it is the first or last of its channel.
    void DeleteMarker();
    void ApplyPreset(Preset preset);
    // Results as the transfer function gives them; a failed load changes
    // nothing.
    bool Save(const std::string& path) const;
    bool Load(const std::string& path);
    // Apply is enabled exactly while auto-update is off.
    void SetAutoUpdate(bool on);

    // Mouse, in client pixels. Each returns whether the graph changed and so
    // needs drawing. A press that selects or adds a marker starts a drag
    // (m_bDragging), for which the window captures the mouse.
    bool LeftDown(int px, int py);
    bool MouseMove(int px, int py);
    void LeftUp() { m_bDragging = false; }

    // The whole graph: the histogram picture kept from the first call, then
    // the curves and markers of the current state.
    void Draw(CXfrPicture& picture);

    CRenderer* m_pRenderer;
    CVolume* m_pVolume;
    CTransferFunction* m_pTransferFunction;

    int m_nMode = kAlpha;
    bool m_bSplines = true;
    bool m_bShowAll = false;
    bool m_bAutoUpdate = false;
    bool m_bHideMarkers = false;
    bool m_bDeleteEnabled = false;
    bool m_bApplyEnabled = true;
    bool m_bAutoUpdateEnabled = true;
    TfPosition m_nSelected = kNoPoint;
    bool m_bDragging = false;
    std::string m_strStatus;

private:
    void ClearSelection();
    // The current channel's column rebuilt with new spline arrays, then the
    // linked copy.
    void RebuildCurrent();
    const RgbaLookupTable* Table() const;

    bool m_bPictureCached = false;
    std::uint8_t m_display[256] = {};
};

// The light box's palette from the lookup table: entry i is the table's
// colour scaled by min(alpha / i, 1), rounded half up, in blue, green, red
// order. Entry 0 keeps its colour when its alpha is positive and is black
// otherwise. An alpha at or above the identity ramp leaves every colour as
// it is.
void WriteLightBoxPalette(const RgbaLookupTable& table, BgrPalette& palette);
