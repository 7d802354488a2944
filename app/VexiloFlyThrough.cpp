// What the fly-through camera adds to the 3D view's frames and light-box
// moves. Render mode 4 makes the camera; until that command exists the view
// never holds one, and these steps are not reached.
#include "app/Vexilo.h"

bool CVexilo::PollFlyThrough(float) { return false; }

void CVexilo::MoveCameraToCurrentPoint() {}
