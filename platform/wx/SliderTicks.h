#pragma once
class wxSlider;

// Tick marks every `frequency` positions on both sides of a horizontal
// slider, as a trackbar with ticks on both sides has them. wx on GTK draws
// its ticks on one side only.
void ShowTicksOnBothSides(wxSlider& slider, int frequency);
