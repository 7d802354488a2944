#pragma once
#include <string>
#include <vector>

#include "platform/wx/WxDataExchange.h"

class CAppSettings;
class CVexilo;
class COptionsSheet;

// One page of the options sheet, as a property page behaves: it copies its
// settings in when constructed, fills its controls when first shown, is
// validated when the user leaves it, and writes its settings back on Apply
// (only a page that has been shown is applied). Its modified state enables
// the sheet's Apply button.
class COptionsPage : public CDdxPanel {
public:
    COptionsPage(CVexilo* view, const char* templateName, const char* caption);

    // The page's window from its template, inside the sheet's book.
    bool Create(wxWindow* parent, COptionsSheet* sheet);
    const std::string& Caption() const { return m_strCaption; }

    // Shown: the first time, the members go into the controls.
    virtual void OnSetActive();
    // Left, or OK or Apply pressed while shown: false keeps it shown.
    virtual bool OnKillActive();
    // The framework's Apply does nothing for a page without settings.
    virtual bool OnApply() { return true; }

    void SetModified(bool modified = true);
    bool IsModified() const { return m_bModified; }
    // Whether the page has been shown, which is when it would have existed.
    bool IsCreated() const { return m_bCreated; }

    CVexilo* m_pView;
    CAppSettings* m_pSettings;

protected:
    void DoDataExchange(CDataExchange&) override {}
    // Bound to the controls whose change alone enables Apply.
    void OnSettingChanged(wxCommandEvent& event);
    // The page's integer edits, which take only digits from the keyboard
    // once the page is created.
    std::vector<const char*> m_digitsOnly;

private:
    std::string m_strTemplate, m_strCaption;
    COptionsSheet* m_pSheet = nullptr;
    bool m_bModified = false;
    bool m_bCreated = false;
};
