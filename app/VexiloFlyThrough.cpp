// What the fly-through camera adds to the 3D view: making and deleting it,
// its joystick, its step each frame and its move to the light box's point.
// The camera class comes with its own work; until then no camera is made,
// and the view's side of the mode (wheels, continuous redraw, frame rate)
// runs without one.
#include "app/Vexilo.h"

bool CVexilo::MakeFlyThroughCamera() { return false; }

void CVexilo::DeleteFlyThroughCamera() { m_pFlyThrough = nullptr; }

bool CVexilo::FlyThroughHasJoystick() const { return false; }

void CVexilo::UseFlyThroughJoystick() {}

bool CVexilo::PollFlyThrough(float) { return false; }

void CVexilo::MoveCameraToCurrentPoint() {}
