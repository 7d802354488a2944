#include <wx/display.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ViewFixture.h"
#include "app/dialogs/InfoDialog.h"
#include "app/dialogs/MessageDlg.h"
#include "app/dialogs/StatusDlg.h"

namespace {
int StatusBoxes()
{
    int n = 0;
    for (wxWindow* w : wxTopLevelWindows)
        n += dynamic_cast<CStatusDlg*>(w) != nullptr && w->IsShown();
    return n;
}

std::string BoxText(CStatusDlg& box)
{
    auto* text = dynamic_cast<wxStaticText*>(box.FindWindow(IDC_STATUS_TEXT));
    return text ? GtkLabelText(*text) : std::string();
}
} // namespace

// The busy box: one caption-less window centred on the screen; a second
// text replaces the first in the same window; hiding closes it, and hiding
// when none is open does nothing. The log reaches it through its owner.
TEST_F(ViewTest, BusyBoxKeepsOneWindowWithTheLatestText)
{
    view->ShowStatus("first", true);
    CStatusDlg* box = view->m_pStatusDlg;
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return box->IsShownOnScreen(); }));
    EXPECT_EQ(BoxText(*box), "first");
    EXPECT_FALSE(box->HasFlag(wxCAPTION));
    EXPECT_EQ(box->GetParent(), view);
    const wxRect screen = wxDisplay(0u).GetGeometry();
    const wxPoint centre = box->GetScreenRect().GetPosition() + box->GetSize() / 2;
    EXPECT_NEAR(centre.x, screen.x + screen.width / 2, 2);
    EXPECT_NEAR(centre.y, screen.y + screen.height / 2, 2);

    CMessageLog::ShowStatus("second", true);
    EXPECT_EQ(view->m_pStatusDlg, box);
    EXPECT_EQ(BoxText(*box), "second");
    EXPECT_EQ(StatusBoxes(), 1);

    view->ShowStatus(nullptr, false);
    EXPECT_EQ(view->m_pStatusDlg, nullptr);
    EXPECT_EQ(StatusBoxes(), 0);
    view->ShowStatus(nullptr, false);
    EXPECT_EQ(view->m_pStatusDlg, nullptr);
}

// The log window mirrors the log: empty when opened on an empty log, new
// lines appended with the newest in view, a user's edit replaced by the
// next refresh, cleared at once with the log, rebuilt after a clear while
// it was closed. The command and the close box close it; a load leaves it.
TEST_F(ViewTest, LogWindowAppendsRebuildsAndClears)
{
    CMessageLog* log = CMessageLog::GetExisting();
    wxMenuItem* item = frame->GetMenuBar()->FindItem(ID_VIEW_MESSAGE_LOG);
    auto checked = [&] {
        frame->GetMenuBar()->UpdateMenus();
        return GtkChecked(*item);
    };
    EXPECT_FALSE(checked());
    Command(ID_VIEW_MESSAGE_LOG);
    CMessageDlg* dlg = view->m_pMessageDlg;
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(checked());
    EXPECT_EQ(dlg->GetTitle(), "Vexilo - Message Log");
    wxTextCtrl* edit = dlg->m_edit;
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetValue(), "");

    log->AddLine("one");
    log->AddLine("two");
    EXPECT_EQ(edit->GetValue(), "one\r\ntwo\r\n");
    for (int i = 0; i < 40; ++i)
        log->AddLine("line " + std::to_string(i));
    EXPECT_TRUE(WaitUntil([&] { return GtkScrolledToEnd(*edit); })) << "the newest line in view";

    edit->SetValue("typed by the user");
    log->AddLine("three");
    const std::string all = edit->GetValue().utf8_string();
    EXPECT_EQ(all.rfind("one\r\ntwo\r\nline 0\r\n", 0), 0u);
    EXPECT_TRUE(all.ends_with("line 39\r\nthree\r\n"));

    Command(ID_EDIT_CLEAR_LOG);
    EXPECT_TRUE(log->m_lines.empty());
    EXPECT_EQ(edit->GetValue(), "");
    log->AddLine("after");
    EXPECT_EQ(edit->GetValue(), "after\r\n");

    Open(view_files::Octahedron(dir, "oct.vxq"));
    ASSERT_EQ(view->m_pMessageDlg, dlg);
    EXPECT_TRUE(edit->GetValue().ends_with("Renderer : Mesh rendering using OpenGL vertex array\r\n"));

    dlg->Close();
    EXPECT_EQ(view->m_pMessageDlg, nullptr);
    EXPECT_FALSE(checked());
    Command(ID_EDIT_CLEAR_LOG);
    log->AddLine("while closed");
    Command(ID_VIEW_MESSAGE_LOG);
    ASSERT_NE(view->m_pMessageDlg, nullptr);
    EXPECT_EQ(view->m_pMessageDlg->m_edit->GetValue(), "while closed\r\n");
    Command(ID_VIEW_MESSAGE_LOG);
    EXPECT_EQ(view->m_pMessageDlg, nullptr);
}

// Information: the renderer's and the model's descriptions; a volume adds
// where its voxels are. Without a model it is disabled and does nothing.
TEST_F(ViewTest, InformationDescribesRendererAndModel)
{
    std::vector<std::string> shown;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        EXPECT_EQ(dlg->GetTitle(), "Information");
        auto* text = dynamic_cast<wxTextCtrl*>(dlg->FindWindow(IDC_INFO_TEXT));
        EXPECT_NE(text, nullptr);
        if (text) {
            EXPECT_FALSE(text->IsEditable());
            shown.push_back(text->GetValue().utf8_string());
        }
        return int(wxID_OK);
    });
    EXPECT_FALSE(MenuEnabled(ID_VIEW_INFORMATION));
    Command(ID_VIEW_INFORMATION);
    EXPECT_TRUE(shown.empty());

    Open(view_files::Octahedron(dir, "oct.vxq"));
    Command(ID_VIEW_INFORMATION);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Renderer:\r\n\r\nMesh rendering using OpenGL vertex array\r\n\r\nModel:\r\n\r\n" +
                            view->m_pModel->GetInfo());

    Open(view_files::Volume(dir, "v.vxq", 8));
    auto* volume = dynamic_cast<CVolume*>(view->m_pModel);
    ASSERT_NE(volume, nullptr);
    ASSERT_TRUE(volume->HasSwapFile());
    ASSERT_EQ(volume->m_pData, nullptr);
    const std::string head = "Renderer:\r\n\r\n" + view->m_pRenderer->m_pszDescription + "\r\n\r\nModel:\r\n\r\n";
    Command(ID_VIEW_INFORMATION);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], head + volume->GetInfo() + "\r\n\r\nVolume is swapped out.");
    ASSERT_NE(volume->LockData(), nullptr);
    Command(ID_VIEW_INFORMATION);
    volume->UnlockData();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2], head + volume->GetInfo() + "\r\n\r\nVolume is swapped in.");
}
