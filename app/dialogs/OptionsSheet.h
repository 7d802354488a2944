#pragma once
#include <wx/propdlg.h>

class CAppSettings;

// "Vexilo Options": the option pages, in their order, in one modal sheet.
class COptionsSheet : public wxPropertySheetDialog {
public:
    COptionsSheet(wxWindow* parent, CAppSettings& settings);

    // After OK: what the view copies from the pages into the settings.
    void StoreSettings(CAppSettings& settings) const;
};
