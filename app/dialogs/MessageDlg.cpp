#include "app/dialogs/MessageDlg.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/Vexilo.h"
#include "data/MessageLog.h"
#include "res/CommandIds.h"

wxBEGIN_EVENT_TABLE(CMessageDlg, wxDialog)
    EVT_CLOSE(CMessageDlg::OnClose)
wxEND_EVENT_TABLE()

CMessageDlg::CMessageDlg(CVexilo* view) : m_pView(view)
{
    CMessageLog* log = CMessageLog::GetExisting();
    m_pLines = log ? &log->m_lines : nullptr;
}

bool CMessageDlg::Create(wxWindow* parent)
{
    if (!wxXmlResource::Get()->LoadDialog(this, parent, "IDD_MESSAGE_LOG"))
        return false;
    m_edit = dynamic_cast<wxTextCtrl*>(FindWindow(IDC_LOG_EDIT));
    if (!m_edit)
        return false;
    SetClientSize(ConvertDialogToPixels(wxSize(478, 95)));
    UpdateLog();
    Show();
    return true;
}

void CMessageDlg::UpdateLog()
{
    const int count = m_pLines ? int(m_pLines->size()) : 0;
    if (m_nShown < count && m_nLastShown >= 0) {
        for (long i = m_nLastShown + 1; i < count; ++i) {
            m_strText += (*m_pLines)[i] + "\r\n";
            m_nLastShown = i;
        }
    } else {
        m_strText.clear();
        for (int i = 0; i < count; ++i)
            m_strText += (*m_pLines)[i] + "\r\n";
        m_nLastShown = count - 1;
    }
    m_nShown = count;
    if (!m_edit)
        return;
    // The user may have edited the text; each refresh puts the log back.
    m_edit->ChangeValue(wxString::FromUTF8(m_strText));
    const long end = m_edit->GetLastPosition();
    m_edit->SetSelection(end, end);
    m_edit->ShowPosition(end);
}

void CMessageDlg::OnClose(wxCloseEvent& event)
{
    if (m_pView)
        m_pView->CloseMessageLog();
    else
        event.Skip();
}
