#pragma once
#include <string>
#include <vector>

#include <wx/dialog.h>

class CVexilo;
class wxTextCtrl;

// The message-log window: the lines of the message log, newest in view.
class CMessageDlg : public wxDialog {
public:
    explicit CMessageDlg(CVexilo* view);

    // Builds the window from its template and fills it from the log.
    bool Create(wxWindow* parent);
    // Appends the lines added since the last refresh, or rebuilds the whole
    // text when lines went away; then scrolls to the end.
    void UpdateLog();

    std::string m_strText; // every shown line followed by "\r\n"
    CVexilo* m_pView;
    const std::vector<std::string>* m_pLines; // the log's lines; null without a log
    int m_nShown = 0;
    long m_nLastShown = -1; // index of the last line appended, -1 none
    wxTextCtrl* m_edit = nullptr;

private:
    void OnClose(wxCloseEvent& event);

    wxDECLARE_EVENT_TABLE();
};
