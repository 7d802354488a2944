#include <string>
#include <vector>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dccodec.h>
#include <dcmtk/oflog/oflog.h>
#include <wx/aui/auibar.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>

#include "GtkProbe.h"
#include "GuiTest.h"
#include "app/LightBox.h"
#include "app/dialogs/SliderDlg.h"
#include "data/MessageLog.h"
#include "res/CommandIds.h"
#include "support/ScriptedPrompter.h"

namespace {
int ResourceIdOf(int wxId)
{
    for (const VxIdEntry& e : kVxIds)
        if (e.id == wxId)
            return e.resourceId;
    return 0;
}

void DumpMenu(const wxMenu& menu, const std::string& indent, std::vector<std::string>& out)
{
    for (const wxMenuItem* item : menu.GetMenuItems()) {
        if (item->IsSeparator())
            out.push_back(indent + "-");
        else if (item->IsSubMenu()) {
            out.push_back(indent + item->GetItemLabel().utf8_string());
            DumpMenu(*item->GetSubMenu(), indent + "  ", out);
        } else
            out.push_back(indent + item->GetItemLabel().utf8_string() + " [" +
                          std::to_string(ResourceIdOf(item->GetId())) + "]");
    }
}

void CollectItems(const wxMenu& menu, std::vector<wxMenuItem*>& out)
{
    for (wxMenuItem* item : menu.GetMenuItems()) {
        if (item->IsSubMenu())
            CollectItems(*item->GetSubMenu(), out);
        else if (!item->IsSeparator())
            out.push_back(item);
    }
}

std::vector<std::string> DumpMenuBar(const wxMenuBar& bar)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < bar.GetMenuCount(); ++i) {
        out.push_back(bar.GetMenuLabel(i).utf8_string());
        DumpMenu(*bar.GetMenu(i), "  ", out);
    }
    return out;
}

bool CanDecode(E_TransferSyntax from)
{
    return DcmCodecList::canChangeCoding(from, EXS_LittleEndianExplicit);
}
} // namespace

// Every item, text, mnemonic, separator and pop-up of menu 128, with the
// command each item sends (shown by its resource number).
TEST_F(FrameTest, MenuHoldsEveryItemInOrder)
{
    const std::vector<std::string> expected = {
        "&File",
        "  &Open ... [57601]",
        "  &Save As ... [152]",
        "  -",
        "  Import data ... [32805]",
        "  Export",
        "    Export mesh to OFF ... [32799]",
        "    Export mesh to SMF ... [179]",
        "    &Export raw volume data ... [141]",
        "  -",
        "  E&xit [57665]",
        "&Edit",
        "  &Undo [177]",
        "  -",
        "  C&olours",
        "    &Background ... [32771]",
        "    &Solid colour ... [32772]",
        "    &Wireframe ... [32773]",
        "    -",
        "    &Reset to defaults [32774]",
        "  -",
        "  Scaling ... [193]",
        "  &Transfer function ... [147]",
        "  Perform segmentation ... [155]",
        "  Generate iso-surface ... [178]",
        "  Decimate mesh ... [180]",
        "  Downsample [191]",
        "  Flip data",
        "    Top to bottom [188]",
        "    Left to right [189]",
        "    Back to front [190]",
        "  -",
        "  Trim redundant voxels [167]",
        "  Get sub-volume [32792]",
        "  -",
        "  Clear message log [176]",
        "  Options ... [169]",
        "&View",
        "  &Solid model [32775]",
        "  &Wireframe model [32776]",
        "  -",
        "  Clockwise winding [32797]",
        "  Rendering mode",
        "    Normal volume view [138]",
        "    Maximum intensity projection (MIP) [139]",
        "    Multi-planar reformatting (MPR) [151]",
        "    Adjust standard cut-planes [136]",
        "    &Fly-through [161]",
        "  Show FPS [157]",
        "  -",
        "  Stereo window ... [158]",
        "  &Message log ... [175]",
        "  &Information ... [144]",
        "  -",
        "  &Reset default view [32777]",
        "  -",
        "  &Toolbar [59392]",
        "  &Status Bar [59393]",
        "&Help",
        "  &About Vexilo... [57664]",
    };
    EXPECT_EQ(DumpMenuBar(*frame->GetMenuBar()), expected);
    EXPECT_EQ(frame->GetTitle(), "Vexilo");
}

// As GTK shows them, no item has a key or a picture: GTK gives its stock
// items an accelerator (Ctrl+O, Ctrl+Q) and an image, so no command may use
// a stock id. The first row is a stock item added here, to show that the
// probe sees what GTK adds.
TEST_F(FrameTest, GtkShowsNoKeyOrImageOnAnyItem)
{
    wxMenu* help = frame->GetMenuBar()->GetMenu(frame->GetMenuBar()->GetMenuCount() - 1);
    wxMenuItem* stock = help->Append(wxID_SAVE, "Stock");
    GtkItemLook stockLook = LookOf(stock->GetMenuItem());
    EXPECT_EQ(stockLook.accelKey, unsigned('s'));
    EXPECT_GT(stockLook.accelWidth, 0);
    EXPECT_TRUE(stockLook.image);
    help->Destroy(stock);

    std::vector<wxMenuItem*> items;
    for (size_t i = 0; i < frame->GetMenuBar()->GetMenuCount(); ++i)
        CollectItems(*frame->GetMenuBar()->GetMenu(i), items);
    ASSERT_EQ(items.size(), 41u);
    for (wxMenuItem* item : items) {
        GtkItemLook look = LookOf(item->GetMenuItem());
        EXPECT_EQ(look.accelKey, 0u) << item->GetItemLabel();
        EXPECT_EQ(look.accelWidth, 0) << item->GetItemLabel();
        EXPECT_FALSE(look.image) << item->GetItemLabel();
    }
}

// Chosen through GTK's own menu items, Exit asks the frame to close and
// About opens the About box, as they did with wx's stock ids.
TEST_F(FrameTest, ExitAndAboutFromGtkMenuItems)
{
    int closes = 0;
    frame->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& e) {
        ++closes;
        e.Veto();
    });
    DialogAnswerer answerer([](wxDialog*) { return int(wxID_OK); });
    frame->GetMenuBar()->UpdateMenus();
    ActivateItem(frame->GetMenuBar()->FindItem(ID_APP_ABOUT)->GetMenuItem());
    EXPECT_EQ(answerer.shown, 1);
    ActivateItem(frame->GetMenuBar()->FindItem(ID_APP_EXIT)->GetMenuItem());
    EXPECT_EQ(closes, 1);
}

// The toolbar docks on any side, starts at the top, and shows each
// button's status prompt in the message pane while the mouse is over it.
TEST_F(FrameTest, ToolbarDocksAnywhereAndGivesFlyByPrompts)
{
    wxAuiToolBar* bar = frame->GetToolBarWindow();
    wxAuiPaneInfo& pane = wxAuiManager::GetManager(bar)->GetPane(bar);
    EXPECT_TRUE(pane.IsToolbar());
    EXPECT_EQ(pane.dock_direction, wxAUI_DOCK_TOP);
    EXPECT_TRUE(pane.IsTopDockable() && pane.IsBottomDockable() && pane.IsLeftDockable() && pane.IsRightDockable());

    ASSERT_TRUE(WaitUntil([&] { return !bar->GetToolRect(ID_MODE_MIP).IsEmpty(); }));
    wxPoint centre = bar->GetToolRect(ID_MODE_MIP).GetPosition() + bar->GetToolRect(ID_MODE_MIP).GetSize() / 2;
    wxMouseEvent move(wxEVT_MOTION);
    move.SetPosition(centre);
    move.SetEventObject(bar);
    bar->GetEventHandler()->ProcessEvent(move);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Show MIP volume view");

    wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
    leave.SetEventObject(bar);
    bar->GetEventHandler()->ProcessEvent(leave);
    // wx restores an empty pane as a lone NUL, which shows as nothing.
    wxString restored = frame->GetStatusBar()->GetStatusText(0);
    EXPECT_TRUE(restored.empty() || restored == wxString(wxUniChar(0))) << restored;
}

// View > Toolbar and View > Status Bar hide and show their bars, checked
// while shown.
TEST_F(FrameTest, BarTogglesHideAndShow)
{
    wxMenuBar* menu = frame->GetMenuBar();
    wxAuiToolBar* bar = frame->GetToolBarWindow();
    auto send = [&](int id) {
        wxCommandEvent e(wxEVT_MENU, id);
        frame->ProcessWindowEvent(e);
        menu->UpdateMenus();
    };
    send(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(bar->IsShown());
    EXPECT_FALSE(menu->IsChecked(ID_VIEW_TOOLBAR));
    send(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(bar->IsShown());
    EXPECT_TRUE(menu->IsChecked(ID_VIEW_TOOLBAR));

    send(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->GetStatusBar()->IsShown());
    EXPECT_FALSE(menu->IsChecked(ID_VIEW_STATUS_BAR));
    send(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(frame->GetStatusBar()->IsShown());
    EXPECT_TRUE(menu->IsChecked(ID_VIEW_STATUS_BAR));
}

// Help > About opens the About box: its caption, icon, version text and OK,
// laid out without overlaps inside its client area.
TEST_F(FrameTest, AboutBoxFromTheHelpMenu)
{
    std::vector<std::string> texts;
    bool iconOk = false, hasOk = false, inside = true, overlap = false;
    wxString title;
    DialogAnswerer answerer([&](wxDialog* dlg) {
        title = dlg->GetTitle();
        std::vector<wxRect> rects;
        wxRect client(dlg->GetClientSize());
        for (wxWindow* child : dlg->GetChildren()) {
            if (auto* text = dynamic_cast<wxStaticText*>(child))
                texts.push_back(text->GetLabel().utf8_string());
            if (auto* icon = dynamic_cast<wxStaticBitmap*>(child))
                iconOk = icon->GetBitmap().IsOk();
            if (child->GetId() == wxID_OK)
                hasOk = true;
            wxRect r = child->GetRect();
            inside = inside && client.Contains(r);
            for (const wxRect& o : rects)
                overlap = overlap || o.Intersects(r);
            rects.push_back(r);
        }
        return int(wxID_OK);
    });
    wxCommandEvent about(wxEVT_MENU, ID_APP_ABOUT);
    frame->ProcessWindowEvent(about);
    EXPECT_EQ(answerer.shown, 1);
    EXPECT_EQ(title, "About Vexilo");
    EXPECT_EQ(texts, std::vector<std::string>{"Vexilo Version 1.2"});
    EXPECT_TRUE(iconOk);
    EXPECT_TRUE(hasOk);
    EXPECT_TRUE(inside);
    EXPECT_FALSE(overlap);
}

// The status-bar prompt of each item is the text before the line break of
// its string; commands without a string have no prompt.
TEST_F(FrameTest, MenuItemsCarryTheirStatusPrompts)
{
    struct Case {
        int id;
        const char* help;
    };
    const Case cases[] = {
        {ID_FILE_OPEN, "Open file"},
        {ID_FILE_SAVE_AS, ""},
        {ID_FILE_IMPORT, "Import data from rgb files (e.g. visible human)"},
        {ID_APP_EXIT, "Quit the application; prompts to save documents"},
        {ID_EDIT_CLEAR_LOG, "Clear the message log\\Clear the message log"},
        {ID_MODE_FLYTHROUGH, "Show fly-through volume rendered view"},
        {ID_VIEW_STATUS_BAR, "Show or hide the status bar"},
    };
    for (const Case& c : cases) {
        wxMenuItem* item = frame->GetMenuBar()->FindItem(c.id);
        ASSERT_NE(item, nullptr) << c.id;
        EXPECT_EQ(item->GetHelp(), c.help) << c.id;
    }
}

// Toolbar 128: the buttons in order with their gaps, 24 x 20 images, the tooltip
// after the line break, and toggle buttons for what the view checks.
TEST_F(FrameTest, ToolbarHoldsTheButtonsInOrder)
{
    struct Button {
        int id;
        const char* tooltip;
        bool toggle;
    };
    const Button expected[] = {
        {ID_FILE_OPEN, "Open file", false},
        {wxID_SEPARATOR, "", false},
        {ID_VIEW_RESET, "Reset view", false},
        {wxID_SEPARATOR, "", false},
        {ID_VIEW_WIREFRAME, "Wireframe view", true},
        {ID_VIEW_SOLID, "Solid view", true},
        {wxID_SEPARATOR, "", false},
        {ID_MODE_NORMAL, "Normal volume rendered view", true},
        {ID_MODE_MIP, "MIP volume view", true},
        {ID_MODE_MPR, "MPR view", true},
        {ID_MODE_CUTPLANES, "Adjust cut-planes", true},
        {ID_MODE_FLYTHROUGH, "Fly-through volume rendered view", true},
    };
    wxAuiToolBar* bar = frame->GetToolBarWindow();
    ASSERT_EQ(bar->GetToolCount(), std::size(expected));
    for (int i = 0; i < static_cast<int>(bar->GetToolCount()); ++i) {
        wxAuiToolBarItem* tool = bar->FindToolByIndex(i);
        const Button& b = expected[i];
        if (b.id == wxID_SEPARATOR) {
            EXPECT_EQ(tool->GetKind(), wxITEM_SEPARATOR) << i;
            continue;
        }
        EXPECT_EQ(tool->GetId(), b.id) << i;
        EXPECT_EQ(tool->GetShortHelp(), b.tooltip) << i;
        EXPECT_EQ(tool->GetKind(), b.toggle ? wxITEM_CHECK : wxITEM_NORMAL) << i;
        EXPECT_EQ(tool->GetBitmapBundle().GetDefaultSize(), wxSize(24, 20)) << i;
        EXPECT_EQ(tool->GetLongHelp(), frame->GetMenuBar()->FindItem(b.id)->GetHelp()) << i;
    }
}

// Message pane, frame pane sized for "Frame 99999 of 99999", then the
// caps, num and scroll lock panes. The view fills the frame pane through
// its update handler, which writes only when the frame changed: the pane
// keeps its text on the refreshes between.
TEST_F(FrameTest, StatusBarPanesAndFramePaneFromTheView)
{
    wxStatusBar* bar = frame->GetStatusBar();
    ASSERT_EQ(bar->GetFieldsCount(), 5);
    EXPECT_EQ(bar->GetStatusWidth(0), -1);
    EXPECT_GE(bar->GetStatusWidth(1), bar->GetTextExtent("Frame 99999 of 99999").GetWidth());
    EXPECT_GE(bar->GetStatusWidth(4), bar->GetTextExtent("SCRL").GetWidth());

    frame->UpdateStatusIndicators();
    EXPECT_EQ(bar->GetStatusText(1), "Frame 0 of 0");
    frame->UpdateStatusIndicators();
    EXPECT_EQ(bar->GetStatusText(1), "Frame 0 of 0");

    frame->GetView()->Bind(
        wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.SetText("Frame 2 of 7"); }, ID_INDICATOR_FRAME);
    frame->UpdateStatusIndicators();
    EXPECT_EQ(bar->GetStatusText(1), "Frame 2 of 7");
}

// The splitter holds the light box and then the view, created in that
// order, at 224 pixels for the light box and the rest for the view.
TEST_F(FrameTest, SplitterHoldsLightBoxThenView)
{
    EXPECT_TRUE(frame->m_bSplitterCreated);
    wxSplitterWindow* splitter = frame->GetSplitter();
    ASSERT_NE(frame->GetLightBox(), nullptr);
    ASSERT_NE(frame->GetView(), nullptr);
    EXPECT_EQ(splitter->GetWindow1(), frame->GetLightBox());
    EXPECT_EQ(splitter->GetWindow2(), frame->GetView());
    const wxWindowList& children = splitter->GetChildren();
    auto lightBoxAt = std::find(children.begin(), children.end(), frame->GetLightBox());
    auto viewAt = std::find(children.begin(), children.end(), frame->GetView());
    EXPECT_LT(std::distance(children.begin(), lightBoxAt), std::distance(children.begin(), viewAt));

    ASSERT_TRUE(WaitUntil([&] { return frame->GetLightBox()->GetSize().x == 224; }));
    int rest = splitter->GetClientSize().x - 224 - splitter->GetSashSize();
    EXPECT_TRUE(WaitUntil([&] { return frame->GetView()->GetSize().x == rest; }));
    EXPECT_EQ(GetViewPane(), frame->GetView());
    EXPECT_EQ(GetLightBoxPane(), frame->GetLightBox());
}

// Enabled state of commands nobody has an update handler for: Undo has no
// handler and stays grey; Exit (frame) and About (application) are live.
TEST_F(FrameTest, CommandsWithoutHandlerAreDisabled)
{
    wxMenuBar* bar = frame->GetMenuBar();
    bar->UpdateMenus();
    EXPECT_FALSE(bar->IsEnabled(ID_EDIT_UNDO_ACTION));
    EXPECT_TRUE(bar->IsEnabled(ID_APP_EXIT));
    EXPECT_TRUE(bar->IsEnabled(ID_APP_ABOUT));
    EXPECT_TRUE(bar->IsEnabled(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(bar->IsChecked(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(bar->IsChecked(ID_VIEW_STATUS_BAR));
    EXPECT_EQ(bar->FindItem(ID_PLAN_TRAJECTORY), nullptr);
    EXPECT_EQ(bar->FindItem(ID_SHOW_TRAJECTORY), nullptr);
}

// Commands and update requests reach the view before the frame, even when
// they come from the menu bar: the view here takes over Exit.
TEST_F(FrameTest, ViewSeesCommandsFirst)
{
    int viewExits = 0;
    frame->GetView()->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++viewExits; }, ID_APP_EXIT);
    frame->GetView()->Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.Enable(true); }, ID_EDIT_UNDO_ACTION);

    wxCommandEvent exit(wxEVT_MENU, ID_APP_EXIT);
    exit.SetEventObject(frame->GetMenuBar()->GetMenu(0));
    frame->ProcessWindowEvent(exit);
    EXPECT_EQ(viewExits, 1);
    EXPECT_FALSE(frame->IsBeingDeleted());

    frame->GetMenuBar()->UpdateMenus();
    EXPECT_TRUE(frame->GetMenuBar()->IsEnabled(ID_EDIT_UNDO_ACTION));
}

// F6 and Shift+F6 move the activation between the two panes; the four
// editing keys reach commands that nobody handles.
TEST_F(FrameTest, PaneKeysSwitchPanesAndEditingKeysDoNothing)
{
    wxAcceleratorTable* keys = frame->GetAcceleratorTable();
    auto commandFor = [&](int key, bool shift, bool ctrl, bool alt) {
        wxKeyEvent e(wxEVT_KEY_DOWN);
        e.m_keyCode = key;
        e.SetShiftDown(shift);
        e.SetControlDown(ctrl);
        e.SetAltDown(alt);
        return keys->GetCommand(e);
    };
    auto press = [&](int key, bool shift) {
        wxCommandEvent e(wxEVT_MENU, commandFor(key, shift, false, false));
        return frame->ProcessWindowEvent(e);
    };
    EXPECT_EQ(frame->GetActivePane(), frame->GetView());
    press(WXK_F6, false);
    EXPECT_EQ(frame->GetActivePane(), frame->GetLightBox());
    press(WXK_F6, false);
    EXPECT_EQ(frame->GetActivePane(), frame->GetView());
    press(WXK_F6, true);
    EXPECT_EQ(frame->GetActivePane(), frame->GetLightBox());
    press(WXK_F6, true);
    EXPECT_EQ(frame->GetActivePane(), frame->GetView());

    struct Key {
        int key;
        bool shift, ctrl, alt;
        int command;
    };
    const Key editing[] = {
        {'C', false, true, false, ID_EDIT_COPY},    {WXK_INSERT, false, true, false, ID_EDIT_COPY},
        {'V', false, true, false, ID_EDIT_PASTE},   {WXK_INSERT, true, false, false, ID_EDIT_PASTE},
        {'X', false, true, false, ID_EDIT_CUT},     {WXK_DELETE, true, false, false, ID_EDIT_CUT},
        {'Z', false, true, false, ID_EDIT_UNDO},    {WXK_BACK, false, false, true, ID_EDIT_UNDO},
    };
    for (const Key& k : editing) {
        int command = commandFor(k.key, k.shift, k.ctrl, k.alt);
        EXPECT_EQ(command, k.command) << k.key;
        wxCommandEvent e(wxEVT_MENU, command);
        EXPECT_FALSE(frame->ProcessWindowEvent(e)) << k.key;
    }
    // No key of the program's own: a letter alone or with Ctrl maps nowhere.
    EXPECT_EQ(commandFor('O', false, true, false), -1);
    EXPECT_EQ(commandFor('Q', false, true, false), -1);
}

// The trackbar spans the bar's width less 22 pixels after each resize.
// Before a load it stays at 0.
TEST_F(FrameTest, SliderFollowsTheFrameWidth)
{
    CSliderDlg* bar = frame->GetSliderBar();
    wxSlider* slider = bar->GetSlider();
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->GetId(), 1000);
    // Nothing loaded: position 0 and no way to move off it.
    EXPECT_EQ(slider->GetValue(), 0);
    EXPECT_FALSE(bar->IsEnabled());
    EXPECT_FALSE(slider->IsEnabled());
    for (int width : {900, 700, 1100}) {
        frame->SetSize(width, 600);
        EXPECT_TRUE(WaitUntil([&] {
            return bar->GetSize().x > 0 && bar->GetSize().x <= width && bar->GetSize().x + 40 >= width &&
                   slider->GetSize().x == bar->GetSize().x - 22;
        })) << width << ": bar " << bar->GetSize().x << ", slider " << slider->GetSize().x;
    }
}

// The idle hook: while continuous redraw is on it repaints the view and
// keeps idle time coming; while off it asks for nothing and paints nothing.
TEST_F(FrameTest, IdleHookRedrawsOnlyWhileContinuous)
{
    CVexilo* view = frame->GetView();
    int paints = 0;
    view->Bind(wxEVT_PAINT, [&](wxPaintEvent&) {
        wxPaintDC dc(view);
        ++paints;
    });
    view->Refresh();
    ASSERT_TRUE(WaitUntil([&] { return paints > 0; }));
    ASSERT_TRUE(WaitUntil([&] { return !wxGetApp().ProcessIdle(); }));

    int before = paints;
    EXPECT_FALSE(wxGetApp().ProcessIdle());
    view->Update();
    EXPECT_EQ(paints, before);

    wxGetApp().m_bContinuousRedraw = true;
    for (int round = 1; round <= 3; ++round) {
        EXPECT_TRUE(wxGetApp().ProcessIdle());
        EXPECT_TRUE(WaitUntil([&] { return paints >= before + round; })) << round;
        before = paints - round;
    }
    wxGetApp().m_bContinuousRedraw = false;
    EXPECT_FALSE(wxGetApp().ProcessIdle());
}

// The RLE and JPEG decoders are registered exactly for the frame's life.
TEST_F(FrameTest, DicomDecodersLiveWithTheFrame)
{
    EXPECT_TRUE(CanDecode(EXS_RLELossless));
    EXPECT_TRUE(CanDecode(EXS_JPEGProcess1));
    EXPECT_TRUE(CanDecode(EXS_JPEGProcess14SV1));
    CloseFrame();
    EXPECT_FALSE(CanDecode(EXS_RLELossless));
    EXPECT_FALSE(CanDecode(EXS_JPEGProcess1));
}

// What the toolkit warns of goes to the message log, not to the terminal.
TEST_F(FrameTest, DicomToolkitWarningsGoToTheMessageLog)
{
    ::testing::internal::CaptureStderr();
    OFLOG_WARN(OFLog::getLogger("dcmtk.dcmdata"), "Length of element is not a multiple of 2");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(CMessageLog::GetExisting(), nullptr);
    ASSERT_FALSE(CMessageLog::GetExisting()->m_lines.empty());
    EXPECT_EQ(CMessageLog::GetExisting()->m_lines.back(), "DCMTK warning: Length of element is not a multiple of 2");
}

// An exception out of a command handler is reported and the program goes on.
TEST_F(FrameTest, ExceptionInHandlerIsReportedAndSurvived)
{
    frame->GetView()->Bind(wxEVT_MENU, [](wxCommandEvent&) { throw std::runtime_error("disk on fire"); },
                           ID_EDIT_TRIM);
    wxCommandEvent e(wxEVT_MENU, ID_EDIT_TRIM);
    frame->GetEventHandler()->SafelyProcessEvent(e);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "disk on fire");
    EXPECT_EQ(prompter.asked[0].style, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_FALSE(frame->IsBeingDeleted());
}

// Start-up failure of the component initialisation: a message box with a
// text (the string used to be missing) and no window.
TEST(StartUp, ComponentFailureShowsMessageAndEnds)
{
    CScriptedPrompter prompter;
    CPrompterScope scope(&prompter);
    auto saved = wxGetApp().m_initComponents;
    wxGetApp().m_initComponents = [] { return false; };
    bool started = wxGetApp().InitInstance();
    wxGetApp().m_initComponents = saved;

    EXPECT_FALSE(started);
    EXPECT_EQ(GetMainFrame(), nullptr);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_FALSE(prompter.asked[0].text.empty());
    EXPECT_EQ(prompter.asked[0].text, kOleInitFailed);
    EXPECT_EQ(prompter.asked[0].style, unsigned(MB_OK));
}

// Start-up puts numbers back to the C locale that GTK replaced.
TEST(StartUp, NumericLocaleIsC)
{
    std::setlocale(LC_NUMERIC, "C.UTF-8");
    ASSERT_TRUE(wxGetApp().InitPlatform());
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}
