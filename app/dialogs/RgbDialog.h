#pragma once
#include <cstdint>
#include <string>

#include "platform/wx/WxDataExchange.h"

class wxCheckBox;

// "Import RGB or VHP data": the folder of slice images, their size, the
// voxel size, the data type (planar RGB images or 16-bit VHP slices after a
// header) and whether colour is turned into grey. After OK the folder holds
// the search pattern the slice loaders take; OK refuses a folder that is
// not there.
class CRgbDialog : public CDdxDialog {
public:
    // Template 218 and the defaults below.
    explicit CRgbDialog(wxWindow* parent);

    // The folder with one separator and "*.*" after it.
    static std::string SearchPattern(const std::string& folder);
    // Why OK refuses the folder field's text (empty, missing or a file);
    // empty for a folder.
    static std::string FolderRefusal(const std::string& folder);
    // The slices a folder or its search pattern gives: one per file; none
    // for an empty field.
    static std::int64_t SliceCount(const std::string& folder);

    std::string m_strFolder;
    std::int32_t m_nHeaderBytes = 0;
    std::int32_t m_nWidth = 2048, m_nHeight = 1216;
    float m_fPixelWidth = 0.33f, m_fPixelHeight = 0.33f, m_fSeparation = 0.33f;
    std::int32_t m_nDataType = 0; // 0 RGB, 1 VHP
    std::int32_t m_bGrayscale = 0;
    wxCheckBox* m_btnGrayscale = nullptr;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnRgb(wxCommandEvent& event);
    void OnVhp(wxCommandEvent& event);
    void OnBrowse(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};
