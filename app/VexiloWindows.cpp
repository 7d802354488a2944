// The 3D view's busy box, message-log window and information box.
#include "app/Vexilo.h"
#include "app/dialogs/InfoDialog.h"
#include "app/dialogs/MessageDlg.h"
#include "app/dialogs/StatusDlg.h"
#include "data/MessageLog.h"
#include "data/Volume.h"

void CVexilo::ShowStatus(const char* text, bool show)
{
    if (!show) {
        CloseStatusBox();
        return;
    }
    // The box paints at once, letting GTK draw every window; the view holds
    // its own paints until the work that showed the box goes on.
    const bool yielding = m_bYielding;
    m_bYielding = true;
    const wxString line = wxString::FromUTF8(text ? text : "");
    if (m_pStatusDlg) {
        m_pStatusDlg->m_strText = line;
        m_pStatusDlg->TransferDataToWindow();
    } else {
        auto* box = new CStatusDlg;
        box->m_strText = line;
        if (box->Create(this))
            m_pStatusDlg = box;
        else
            delete box;
    }
    m_bYielding = yielding;
    if (!m_bYielding && m_bPaintDeferred) {
        m_bPaintDeferred = false;
        Invalidate();
    }
}

void CVexilo::CloseStatusBox() { DestroyWindow(m_pStatusDlg); }

void CVexilo::UpdateLogWindow()
{
    if (m_pMessageDlg)
        m_pMessageDlg->UpdateLog();
}

CMessageDlg* CVexilo::ShowMessageLog()
{
    if (!m_pMessageDlg) {
        auto* dlg = new CMessageDlg(this);
        if (dlg->Create(this))
            m_pMessageDlg = dlg;
        else
            delete dlg;
    }
    return m_pMessageDlg;
}

void CVexilo::CloseMessageLog() { DestroyWindow(m_pMessageDlg); }

void CVexilo::OnMessageLog(wxCommandEvent&)
{
    if (m_pMessageDlg)
        CloseMessageLog();
    else
        ShowMessageLog();
}

void CVexilo::OnUpdateMessageLog(wxUpdateUIEvent& event)
{
    event.Enable(true);
    event.Check(m_pMessageDlg != nullptr);
}

void CVexilo::OnClearLog(wxCommandEvent&)
{
    if (!m_pLog)
        return;
    m_pLog->m_lines.clear();
    if (m_pLog->m_pView)
        m_pLog->m_pView->UpdateLogWindow();
}

void CVexilo::OnInformation(wxCommandEvent&)
{
    if (!m_pRenderer || !m_pModel)
        return;
    std::string text = "Renderer:\r\n\r\n" + m_pRenderer->m_pszDescription + "\r\n\r\nModel:\r\n\r\n" +
                       m_pModel->GetInfo();
    if (m_pModel->IsVolume())
        text += static_cast<CVolume*>(m_pModel)->m_pData ? "\r\n\r\nVolume is swapped in."
                                                         : "\r\n\r\nVolume is swapped out.";
    CInfoDialog dlg(this);
    dlg.m_strText = wxString::FromUTF8(text);
    dlg.ShowModal();
}

void CVexilo::OnUpdateInformation(wxUpdateUIEvent& event) { event.Enable(m_pRenderer && m_pModel); }
