#include <set>
#include <string>

#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/xrc/xmlres.h>

#include "res/CommandIds.h"

namespace {
struct CommandRow {
    int resourceId;
    bool toolbar;
    const char* prompt; // nullptr: no string
};

// The program's command table: every command id, whether it is on the
// toolbar, and its string (status prompt, then the tooltip).
const CommandRow kCommandRows[] = {
    {57601, true, "Open file\nOpen file"},
    {152, false, nullptr},
    {32805, false, "Import data from rgb files (e.g. visible human)"},
    {32799, false, "Export mesh to OFF format"},
    {179, false, "Export mesh to SMF format"},
    {141, false, nullptr},
    {57665, false, "Quit the application; prompts to save documents\nExit"},
    {177, false, "Undo last action\nUndo last action"},
    {32771, false, "Select background colour\nBackground colour"},
    {32772, false, "Select solid model colour\nSolid model colour"},
    {32773, false, "Select wireframe colour\nWireframe colour"},
    {32774, false, "Reset to default colour scheme\nReset default colours"},
    {193, false, nullptr},
    {147, false, nullptr},
    {155, false, nullptr},
    {178, false, "Generate a surface mesh\nGenerate surface mesh"},
    {180, false, "Decimate mesh to reduce polygon count"},
    {191, false, nullptr},
    {188, false, nullptr},
    {189, false, nullptr},
    {190, false, nullptr},
    {167, false, "Trim redundant voxels\nTrim volume"},
    {32792, false, "Trim to current cut-planes\nTrim to current cut-planes"},
    {176, false, "Clear the message log\\Clear the message log"},
    {169, false, "Set advanced options\nSet options"},
    {32775, true, "Render a solid model\nSolid view"},
    {32776, true, "Render a wireframe model\nWireframe view"},
    {32797, false, "Toggle clockwise winding mode for a mesh"},
    {138, true, "Show normal volume rendered view\nNormal volume rendered view"},
    {139, true, "Show MIP volume view\nMIP volume view"},
    {151, true, "Show MPR view\nMPR view"},
    {136, true, "Adjust cut-planes\nAdjust cut-planes"},
    {161, true, "Show fly-through volume rendered view\nFly-through volume rendered view"},
    {157, false, "Toggle display of frames per second"},
    {158, false, nullptr},
    {175, false, "Show/hide message log\nShow/hide message log"},
    {144, false, nullptr},
    {32777, true, "Reset to default view\nReset view"},
    {59392, false, "Show or hide the toolbar\nToggle ToolBar"},
    {59393, false, "Show or hide the status bar\nToggle StatusBar"},
    {57664, false, "Display program information, version number and copyright\nAbout"},
    {32801, false, "Plan a trajectory"},
    {32802, false, "Show/hide trajectory\nShow/hide trajectory"},
};

const VxIdEntry* ByResource(int resourceId)
{
    for (const VxIdEntry& e : kVxIds)
        if (e.resourceId == resourceId)
            return &e;
    return nullptr;
}

bool IsCommand(const VxIdEntry& e) { return e.kind == VxIdKind::menu || e.kind == VxIdKind::hidden; }
} // namespace

// Each command of the table has exactly one entry with its string, and the
// table has no command beyond them.
TEST(CommandIds, MatchTheCommandTable)
{
    std::set<int> tabledIds;
    for (const CommandRow& c : kCommandRows) {
        tabledIds.insert(c.resourceId);
        const VxIdEntry* e = ByResource(c.resourceId);
        ASSERT_NE(e, nullptr) << c.resourceId;
        EXPECT_TRUE(IsCommand(*e)) << c.resourceId;
        EXPECT_EQ(std::string(e->prompt), c.prompt ? c.prompt : "") << c.resourceId;
        bool onToolbar = std::find(std::begin(kToolbarButtons), std::end(kToolbarButtons), e->id) !=
                         std::end(kToolbarButtons);
        EXPECT_EQ(onToolbar, c.toolbar) << c.resourceId;
    }
    for (const VxIdEntry& e : kVxIds) {
        if (IsCommand(e)) {
            EXPECT_TRUE(tabledIds.count(e.resourceId)) << e.name;
        }
    }
}

// wx ids: unique, below wx's menu limit, and outside wx's stock range but
// for the four editing keys, which stand for wx's own editing commands. A
// menu command with a stock id would get GTK's stock key and image.
TEST(CommandIds, AreUsableByWx)
{
    std::set<int> ids, resources;
    for (const VxIdEntry& e : kVxIds) {
        EXPECT_TRUE(ids.insert(e.id).second) << e.name;
        EXPECT_TRUE(resources.insert(e.resourceId).second) << e.name;
        EXPECT_GT(e.id, 0) << e.name;
        EXPECT_LT(e.id, 0x7FFF) << e.name;
    }
    struct Stock {
        int resourceId;
        int id;
    };
    const Stock stock[] = {{57634, wxID_COPY}, {57637, wxID_PASTE}, {57635, wxID_CUT}, {57643, wxID_UNDO}};
    for (const Stock& s : stock)
        EXPECT_EQ(ByResource(s.resourceId)->id, s.id) << s.resourceId;
    for (const VxIdEntry& e : kVxIds) {
        bool isStock = std::any_of(std::begin(stock), std::end(stock), [&](const Stock& s) { return s.id == e.id; });
        if (!isStock) {
            EXPECT_EQ(e.id, e.resourceId < 0x7FFF ? e.resourceId : e.resourceId - 30000) << e.name;
            EXPECT_FALSE(e.id >= wxID_LOWEST && e.id <= wxID_HIGHEST) << e.name;
        }
    }
}

// After start-up every name of the table resolves to its id in the XRC
// files, and the menu holds exactly the commands meant for it.
TEST(CommandIds, ResolveInResources)
{
    for (const VxIdEntry& e : kVxIds)
        EXPECT_EQ(wxXmlResource::GetXRCID(e.name), e.id) << e.name;

    wxMenuBar* bar = wxXmlResource::Get()->LoadMenuBar("IDR_MAINFRAME");
    ASSERT_NE(bar, nullptr);
    for (const VxIdEntry& e : kVxIds)
        EXPECT_EQ(bar->FindItem(e.id) != nullptr, e.kind == VxIdKind::menu) << e.name;
    delete bar;
}
