#pragma once
// What the 3D view's render-mode, display and navigation commands decide,
// apart from any window: the enable and check rules of their menu items and
// buttons, the stereo focal-length factors, the default colours,
// when continuous redraw runs, and the joystick question of fly-through.
#include "platform/Types.h"

enum class ModelKind { none, mesh, volume };

// What an update handler sets.
struct CommandState {
    bool enabled = false;
    bool checked = false;
    bool operator==(const CommandState&) const = default;
};

// What the rules look at.
struct ViewFacts {
    ModelKind model = ModelKind::none;
    int mode = 0;               // the view's render mode
    bool renderer = false;      // the view has a renderer
    bool normalView = false;    // the renderer supports feature 1
    bool mipView = false;       // the renderer supports feature 2
    bool lookupTable = false;   // the renderer has an RGBA lookup table
    bool solid = false;         // the mesh is drawn solid
    bool showFps = false;
    bool stereo = false;        // the stereo windows are open
};

// Render modes 0 (normal) to 4 (fly-through): normal and MIP need a volume
// and the renderer's feature, the other three a volume; each is checked in
// its own mode.
CommandState RenderModeState(int mode, const ViewFacts& facts);
CommandState SolidModelState(const ViewFacts& facts);
CommandState WireframeModelState(const ViewFacts& facts);
CommandState MeshColourState(const ViewFacts& facts);
CommandState ModelLoadedState(const ViewFacts& facts);
CommandState ShowFpsState(const ViewFacts& facts);
CommandState StereoWindowState(const ViewFacts& facts);
CommandState TransferFunctionState(const ViewFacts& facts);

// The colours "Reset to defaults" gives (a mesh's two, and the background).
inline constexpr COLORREF kDefaultSolidColour = 0x02661FB3;
inline constexpr COLORREF kDefaultWireColour = 0x02CCCCCC;
inline constexpr COLORREF kDefaultBackground = 0;

// Stereo: the base focal length is the renderer's near-plane distance times
// a factor, 1.5 when the stereo windows open and 1.0 when fly-through starts
// with them open (StereoBaseDistances of render/StereoGeometry.h).
inline constexpr float kStereoOpenFactor = 1.5f;
inline constexpr float kStereoFlyThroughFactor = 1.0f;

// Continuous redraw runs while the frame rate is shown, and always in
// fly-through, whose camera moves every frame.
bool ContinuousRedraw(bool showFps, int mode);

inline constexpr char kJoystickQuestion[] = "You have a joystick!\n\nDo you want to use it for fly-through?";
// Asks the question through the prompter when a joystick answered; true
// when the user wants to fly with it.
bool AskToUseJoystick(bool joystickPresent);
