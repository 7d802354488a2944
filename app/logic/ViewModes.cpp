#include "app/logic/ViewModes.h"

#include "platform/Prompter.h"
#include "render/Renderer.h"

CommandState RenderModeState(int mode, const ViewFacts& facts)
{
    CommandState s;
    s.checked = facts.mode == mode;
    if (facts.model != ModelKind::volume)
        return s;
    if (mode == kRenderNormal)
        s.enabled = facts.renderer && facts.normalView;
    else if (mode == kRenderMip)
        s.enabled = facts.renderer && facts.mipView;
    else
        s.enabled = mode >= kRenderMpr && mode <= kRenderFlyThrough;
    return s;
}

CommandState SolidModelState(const ViewFacts& facts)
{
    const bool mesh = facts.model == ModelKind::mesh;
    return {mesh, mesh && facts.solid};
}

CommandState WireframeModelState(const ViewFacts& facts)
{
    const bool mesh = facts.model == ModelKind::mesh;
    return {mesh, mesh && !facts.solid};
}

CommandState MeshColourState(const ViewFacts& facts) { return {facts.model == ModelKind::mesh, false}; }

CommandState ModelLoadedState(const ViewFacts& facts) { return {facts.model != ModelKind::none, false}; }

CommandState ShowFpsState(const ViewFacts& facts) { return {true, facts.showFps}; }

CommandState StereoWindowState(const ViewFacts& facts) { return {facts.model == ModelKind::volume, facts.stereo}; }

CommandState TransferFunctionState(const ViewFacts& facts)
{
    return {facts.model == ModelKind::volume && facts.renderer && facts.lookupTable, false};
}

bool ContinuousRedraw(bool showFps, int mode) { return showFps || mode == kRenderFlyThrough; }

bool AskToUseJoystick(bool joystickPresent)
{
    return joystickPresent && VxMessageBox(kJoystickQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
