#include "app/ViewModes.h"

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

StereoValues StereoBase(double nearPlane, float factor)
{
    StereoValues v;
    v.focal = float(nearPlane * double(factor));
    v.eyeSeparation = v.focal * kEyeSeparationFactor;
    v.separation = v.eyeSeparation;
    return v;
}

StereoValues StereoFromFactors(float baseFocal, float focalFraction, float separationFraction)
{
    StereoValues v;
    v.focal = ((focalFraction - 0.25f) * 4.0f + 1.0f) * baseFocal;
    v.eyeSeparation = v.focal * kEyeSeparationFactor;
    v.separation = v.eyeSeparation * ((separationFraction - 0.5f) * 2.0f + 1.0f);
    return v;
}

bool ContinuousRedraw(bool showFps, int mode) { return showFps || mode == kRenderFlyThrough; }

bool AskToUseJoystick(bool joystickPresent)
{
    return joystickPresent && VxMessageBox(kJoystickQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
