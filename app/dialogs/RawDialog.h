#pragma once
#include <cstdint>
#include <string>

#include "platform/wx/WxDataExchange.h"

// "Raw volume data import": the layout of a headerless voxel file, with the
// file size that layout implies shown beside the actual one while the user
// types. It does not compare the two.
class CRawDialog : public CDdxDialog {
public:
    // Template 135; `fileSize` is the actual size shown.
    CRawDialog(wxWindow* parent, std::uint64_t fileSize);

    // Bytes a file of this layout holds: whole bytes per voxel (bits / 8)
    // for every voxel, after the header.
    static std::uint64_t ExpectedSize(std::int32_t dimX, std::int32_t dimY, std::int32_t dimZ, std::int32_t bits,
                                      std::int32_t offset);
    // The bits spin's step: from 8 up gives 16, from 16 down gives 8, any
    // other step leaves the position.
    static int ToggleBits(int position, int delta);

    CSpinBuddy m_spinX, m_spinY, m_spinZ, m_spinBits;
    std::int32_t m_nDimX = 128, m_nDimY = 128, m_nDimZ = 128;
    std::int32_t m_nBits = 8;
    std::int32_t m_bLittleEndian = 0;
    float m_fScaleX = 1.0f, m_fScaleY = 1.0f, m_fScaleZ = 1.0f;
    std::int32_t m_nOffset = 0;
    std::string m_strActualSize;
    std::string m_strExpectedSize = "0";

    // Expected-size updates asked for by a change and not run yet.
    int PendingUpdates() const { return m_nPosted; }

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnLayoutChanged(wxCommandEvent& event);
    void UpdateExpectedSize();
    void OnOK(wxCommandEvent& event);

    // Recomputations asked for and not yet run; each change posts one.
    int m_nPosted = 0;

    wxDECLARE_EVENT_TABLE();
};
