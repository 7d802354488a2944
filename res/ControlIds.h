#pragma once
// Control ids of the dialog templates, with the numbers the templates were
// designed with. Each template numbers its own controls, so a number may
// stand for different controls in different dialogs (1083 is the decimation
// dialog's polygon count and the scaling dialog's y size); within one dialog
// it never repeats. The slice dialogs share the numbers of their common
// controls. Buttons that close a dialog use wx's OK and Cancel ids; the
// template numbers of the dialogs and of those buttons are in the XRC
// comments (a dialog's own window id would otherwise clash with a command).
//
// X(name, id)
#define VX_CONTROL_IDS(X)                                                                                  \
    /* Slice dialogs (surface generation, segmentation, trajectory planner) */                            \
    X(IDC_AXIS_X, 1015)                                                                                    \
    X(IDC_AXIS_Y, 1016)                                                                                    \
    X(IDC_AXIS_Z, 1017)                                                                                    \
    X(IDC_SLICE_SCROLL, 1043)                                                                              \
    X(IDC_VALUE_TEXT, 1044)                                                                                \
    X(IDC_POSITION_TEXT, 1045)                                                                             \
    X(IDC_PROCESS, 1050)                                                                                   \
    /* Surface generation, template 175 */                                                                 \
    X(IDC_ISO_VALUE, 1076)                                                                                 \
    /* Mesh decimation, template 181 */                                                                    \
    X(IDC_POLYGON_COUNT, 1083)                                                                             \
    X(IDC_TARGET_COUNT, 1084)                                                                              \
    X(IDC_PERCENT_SLIDER, 1085)                                                                            \
    X(IDC_PERCENT_TEXT, 1086)                                                                              \
    /* Adjust scaling, template 192 */                                                                     \
    X(IDC_SIZE_X, 1082)                                                                                    \
    X(IDC_SIZE_Y, 1083)                                                                                    \
    X(IDC_SIZE_Z, 1084)                                                                                    \
    X(IDC_VOXEL_COUNT, 1112)                                                                               \
    X(IDC_SPIN_X, 1113)                                                                                    \
    X(IDC_SPIN_Y, 1114)                                                                                    \
    X(IDC_SPIN_Z, 1115)                                                                                    \
    X(IDC_SCALE_X, 1116)                                                                                   \
    X(IDC_SCALE_Y, 1117)                                                                                   \
    X(IDC_SCALE_Z, 1118)                                                                                   \
    X(IDC_HEADING_X, 1119)                                                                                 \
    X(IDC_HEADING_Y, 1120)                                                                                 \
    X(IDC_HEADING_Z, 1121)                                                                                 \
    /* Volume segmentation, template 153 */                                                                \
    X(IDC_SEG_IN_LIST, 1046)                                                                               \
    X(IDC_SEG_REMOVE_IN, 1047)                                                                             \
    X(IDC_SEG_OUT_LIST, 1048)                                                                              \
    X(IDC_SEG_REMOVE_OUT, 1049)                                                                            \
    X(IDC_SEG_INVERT, 1059)                                                                                \
    X(IDC_SEG_REAPPLY_TEXTURE, 1060)                                                                       \
    X(IDC_SEG_PREVIEW, 1081)                                                                               \
    X(IDC_SEG_HIGHLIGHT, 1089)                                                                             \
    X(IDC_SEG_SHOW_MEANS, 1090)                                                                            \
    X(IDC_SEG_ACTIVE_CONTOURS, 1091)                                                                       \
    X(IDC_SEG_STATUS, 1118)                                                                                \
    X(IDC_SEG_SETTINGS, 1119)

enum VxControlId : int {
#define VX_ENUM_CONTROL(name, id) name = id,
    VX_CONTROL_IDS(VX_ENUM_CONTROL)
#undef VX_ENUM_CONTROL
};

struct VxControlEntry {
    const char* name; // as used in the XRC files
    int id;
};

inline constexpr VxControlEntry kVxControlIds[] = {
#define VX_TABLE_CONTROL(name, id) {#name, id},
    VX_CONTROL_IDS(VX_TABLE_CONTROL)
#undef VX_TABLE_CONTROL
};
