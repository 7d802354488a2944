#pragma once
// The program's command, indicator and bar ids, and the string-table prompts
// that go with them.
//
// The resource numbers are the ones the program was designed with. wx asserts
// on menu ids from 0x7FFF up, so those are moved 30000 down (into a range
// that no wx stock id uses). No menu command takes a wx stock id: GTK gives a
// stock item its stock accelerator (Ctrl+O, Ctrl+Q) and image, and the
// program's commands have no keys. Only the four editing keys, which are in
// no menu, keep wx's stock ids. Code and XRC files use the names; the
// resource numbers only document where each id came from.
#include <wx/defs.h>
#include <wx/accel.h>

namespace vx {
constexpr int MovedId(int resourceId) { return resourceId < 0x7FFF ? resourceId : resourceId - 30000; }
} // namespace vx

// X(name, resource number, wx id, kind, prompt)
// kind: menu = a menu item (maybe also a toolbar button), hidden = a command
// bound to nothing, key = reached by the accelerator table only, pane = a
// status-bar indicator (the prompt is the text that sizes it), bar = a bar
// or control window. A prompt is the status-bar text, then after "\n" the
// tooltip.
#define VX_COMMAND_IDS(X)                                                                                  \
    X(ID_FILE_OPEN, 57601, vx::MovedId(57601), menu, "Open file\nOpen file")                               \
    X(ID_FILE_SAVE_AS, 152, 152, menu, "")                                                                 \
    X(ID_FILE_IMPORT, 32805, vx::MovedId(32805), menu, "Import data from rgb files (e.g. visible human)")  \
    X(ID_FILE_EXPORT_OFF, 32799, vx::MovedId(32799), menu, "Export mesh to OFF format")                    \
    X(ID_FILE_EXPORT_SMF, 179, 179, menu, "Export mesh to SMF format")                                     \
    X(ID_FILE_EXPORT_RAW, 141, 141, menu, "")                                                              \
    X(ID_APP_EXIT, 57665, vx::MovedId(57665), menu, "Quit the application; prompts to save documents\nExit") \
    X(ID_EDIT_UNDO_ACTION, 177, 177, menu, "Undo last action\nUndo last action")                           \
    X(ID_COLOURS_BACKGROUND, 32771, vx::MovedId(32771), menu, "Select background colour\nBackground colour") \
    X(ID_COLOURS_SOLID, 32772, vx::MovedId(32772), menu, "Select solid model colour\nSolid model colour")  \
    X(ID_COLOURS_WIREFRAME, 32773, vx::MovedId(32773), menu, "Select wireframe colour\nWireframe colour")  \
    X(ID_COLOURS_DEFAULTS, 32774, vx::MovedId(32774), menu,                                                \
      "Reset to default colour scheme\nReset default colours")                                             \
    X(ID_EDIT_SCALING, 193, 193, menu, "")                                                                 \
    X(ID_EDIT_TRANSFER_FUNCTION, 147, 147, menu, "")                                                       \
    X(ID_EDIT_SEGMENTATION, 155, 155, menu, "")                                                            \
    X(ID_EDIT_ISOSURFACE, 178, 178, menu, "Generate a surface mesh\nGenerate surface mesh")                \
    X(ID_EDIT_DECIMATE, 180, 180, menu, "Decimate mesh to reduce polygon count")                           \
    X(ID_EDIT_DOWNSAMPLE, 191, 191, menu, "")                                                              \
    X(ID_FLIP_TOP_BOTTOM, 188, 188, menu, "")                                                              \
    X(ID_FLIP_LEFT_RIGHT, 189, 189, menu, "")                                                              \
    X(ID_FLIP_BACK_FRONT, 190, 190, menu, "")                                                              \
    X(ID_EDIT_TRIM, 167, 167, menu, "Trim redundant voxels\nTrim volume")                                  \
    X(ID_EDIT_SUBVOLUME, 32792, vx::MovedId(32792), menu, "Trim to current cut-planes\nTrim to current cut-planes") \
    X(ID_EDIT_CLEAR_LOG, 176, 176, menu, "Clear the message log\\Clear the message log")                   \
    X(ID_EDIT_OPTIONS, 169, 169, menu, "Set advanced options\nSet options")                                \
    X(ID_VIEW_SOLID, 32775, vx::MovedId(32775), menu, "Render a solid model\nSolid view")                  \
    X(ID_VIEW_WIREFRAME, 32776, vx::MovedId(32776), menu, "Render a wireframe model\nWireframe view")      \
    X(ID_VIEW_CLOCKWISE, 32797, vx::MovedId(32797), menu, "Toggle clockwise winding mode for a mesh")      \
    X(ID_MODE_NORMAL, 138, 138, menu, "Show normal volume rendered view\nNormal volume rendered view")     \
    X(ID_MODE_MIP, 139, 139, menu, "Show MIP volume view\nMIP volume view")                                \
    X(ID_MODE_MPR, 151, 151, menu, "Show MPR view\nMPR view")                                              \
    X(ID_MODE_CUTPLANES, 136, 136, menu, "Adjust cut-planes\nAdjust cut-planes")                           \
    X(ID_MODE_FLYTHROUGH, 161, 161, menu,                                                                  \
      "Show fly-through volume rendered view\nFly-through volume rendered view")                           \
    X(ID_VIEW_SHOW_FPS, 157, 157, menu, "Toggle display of frames per second")                             \
    X(ID_VIEW_STEREO, 158, 158, menu, "")                                                                  \
    X(ID_VIEW_MESSAGE_LOG, 175, 175, menu, "Show/hide message log\nShow/hide message log")                 \
    X(ID_VIEW_INFORMATION, 144, 144, menu, "")                                                             \
    X(ID_VIEW_RESET, 32777, vx::MovedId(32777), menu, "Reset to default view\nReset view")                 \
    X(ID_VIEW_TOOLBAR, 59392, vx::MovedId(59392), menu, "Show or hide the toolbar\nToggle ToolBar")        \
    X(ID_VIEW_STATUS_BAR, 59393, vx::MovedId(59393), menu, "Show or hide the status bar\nToggle StatusBar") \
    X(ID_APP_ABOUT, 57664, vx::MovedId(57664), menu, "Display program information, version number and copyright\nAbout") \
    X(ID_PLAN_TRAJECTORY, 32801, vx::MovedId(32801), hidden, "Plan a trajectory")                          \
    X(ID_SHOW_TRAJECTORY, 32802, vx::MovedId(32802), hidden, "Show/hide trajectory\nShow/hide trajectory") \
    X(ID_EDIT_COPY, 57634, wxID_COPY, key, "")                                                             \
    X(ID_EDIT_PASTE, 57637, wxID_PASTE, key, "")                                                           \
    X(ID_EDIT_CUT, 57635, wxID_CUT, key, "")                                                               \
    X(ID_EDIT_UNDO, 57643, wxID_UNDO, key, "")                                                             \
    X(ID_NEXT_PANE, 57680, vx::MovedId(57680), key, "")                                                    \
    X(ID_PREV_PANE, 57681, vx::MovedId(57681), key, "")                                                    \
    X(ID_INDICATOR_FRAME, 134, 134, pane, "Frame 99999 of 99999")                                          \
    X(ID_INDICATOR_CAPS, 59137, vx::MovedId(59137), pane, "CAP")                                           \
    X(ID_INDICATOR_NUM, 59138, vx::MovedId(59138), pane, "NUM")                                            \
    X(ID_INDICATOR_SCRL, 59139, vx::MovedId(59139), pane, "SCRL")                                          \
    X(IDC_WHEEL_X, 101, 101, bar, "")                                                                      \
    X(IDC_WHEEL_Y, 102, 102, bar, "")                                                                      \
    X(IDC_WHEEL_Z, 103, 103, bar, "")                                                                      \
    X(IDC_WHEEL_ZOOM, 104, 104, bar, "")                                                                   \
    X(IDD_LIGHTBOX, 105, 105, bar, "")                                                                     \
    X(IDC_LIGHTBOX_X, 1038, 1038, bar, "")                                                                 \
    X(IDC_LIGHTBOX_Y, 1039, 1039, bar, "")                                                                 \
    X(IDC_LIGHTBOX_Z, 1040, 1040, bar, "")                                                                 \
    X(IDC_LIGHTBOX_POSITION, 1041, 1041, bar, "")                                                          \
    X(IDD_INFORMATION, 143, 143, bar, "")                                                                  \
    X(IDC_INFO_TEXT, 1014, 1014, bar, "")                                                                  \
    X(IDD_STATUS, 156, 156, bar, "")                                                                       \
    X(IDC_STATUS_TEXT, 1051, 1051, bar, "")                                                                \
    X(IDD_MESSAGE_LOG, 174, 174, bar, "")                                                                  \
    X(IDC_LOG_EDIT, 1074, 1074, bar, "")                                                                   \
    X(IDD_SLIDER, 133, 133, bar, "")                                                                       \
    X(IDC_FRAME_SLIDER, 1000, 1000, bar, "")

enum VxCommandId : int {
#define VX_ENUM_ID(name, resource, id, kind, prompt) name = id,
    VX_COMMAND_IDS(VX_ENUM_ID)
#undef VX_ENUM_ID
};

enum class VxIdKind { menu, hidden, key, pane, bar };

struct VxIdEntry {
    const char* name; // as used in the XRC files
    int resourceId;
    int id;
    VxIdKind kind;
    const char* prompt;
};

inline constexpr VxIdEntry kVxIds[] = {
#define VX_TABLE_ID(name, resource, id, kind, prompt) {#name, resource, id, VxIdKind::kind, prompt},
    VX_COMMAND_IDS(VX_TABLE_ID)
#undef VX_TABLE_ID
};

// Toolbar 128, left to right; wxID_SEPARATOR marks a gap. Its bitmap strip
// holds one 24 x 20 image per button in this order.
inline constexpr int kToolbarButtons[] = {
    ID_FILE_OPEN,   wxID_SEPARATOR, ID_VIEW_RESET, wxID_SEPARATOR, ID_VIEW_WIREFRAME, ID_VIEW_SOLID,
    wxID_SEPARATOR, ID_MODE_NORMAL, ID_MODE_MIP,   ID_MODE_MPR,    ID_MODE_CUTPLANES, ID_MODE_FLYTHROUGH,
};
inline constexpr int kToolbarImageWidth = 24;
inline constexpr int kToolbarImageHeight = 20;

// Accelerator table 128: the framework's editing and pane keys only.
struct VxAccelerator {
    int flags; // wxACCEL_*
    int key;   // WXK_* or an upper-case letter
    int id;
};
inline constexpr VxAccelerator kAccelerators[] = {
    {wxACCEL_CTRL, 'C', ID_EDIT_COPY},     {wxACCEL_CTRL, WXK_INSERT, ID_EDIT_COPY},
    {wxACCEL_CTRL, 'V', ID_EDIT_PASTE},    {wxACCEL_SHIFT, WXK_INSERT, ID_EDIT_PASTE},
    {wxACCEL_CTRL, 'X', ID_EDIT_CUT},      {wxACCEL_SHIFT, WXK_DELETE, ID_EDIT_CUT},
    {wxACCEL_CTRL, 'Z', ID_EDIT_UNDO},     {wxACCEL_ALT, WXK_BACK, ID_EDIT_UNDO},
    {wxACCEL_NORMAL, WXK_F6, ID_NEXT_PANE}, {wxACCEL_SHIFT, WXK_F6, ID_PREV_PANE},
};

// String table entries that are not command prompts.
inline constexpr const char kFrameTitle[] = "Vexilo"; // string 128
// String 100 (the start-up failure box). It was missing, which left that box
// empty; this is the text the framework's wizard gives it.
inline constexpr const char kOleInitFailed[] =
    "OLE initialization failed. Make sure that the OLE libraries are the correct version.";
