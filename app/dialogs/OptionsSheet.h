#pragma once
#include <vector>

#include <wx/propdlg.h>

class CVexilo;
class COptionsGeneral;
class COptions2D;
class COptions3D;
class COptionsLight;
class COptionsPage;
class wxBookCtrlEvent;

// "Vexilo Options": the four option pages in one modal sheet with OK,
// Cancel and Apply. Apply is enabled while a page is modified. OK and Apply
// first validate the page shown (a refused field keeps the sheet open on
// it), then apply every page that has been shown; leaving a page validates
// it too.
class COptionsSheet : public wxPropertySheetDialog {
public:
    COptionsSheet(CVexilo* view, wxWindow* parent);

    void UpdateApplyButton();
    // What OK and Apply do before OK closes; false when the page shown
    // refused a field.
    bool ApplyPages();

    COptionsGeneral* m_pGeneral = nullptr;
    COptions2D* m_p2D = nullptr;
    COptions3D* m_p3D = nullptr;
    COptionsLight* m_pLight = nullptr;
    // In the order shown.
    std::vector<COptionsPage*> m_pages;

private:
    COptionsPage* ActivePage() const;
    void OnOK(wxCommandEvent& event);
    void OnApply(wxCommandEvent& event);
    void OnPageChanging(wxBookCtrlEvent& event);
    void OnPageChanged(wxBookCtrlEvent& event);

    wxDECLARE_EVENT_TABLE();
};

// The options command: the sheet over the view. After OK the check boxes and
// the lattice size are copied into the settings once more and re-applied
// through the view. True when the sheet ended with OK.
bool RunOptionsSheet(CVexilo* view);
