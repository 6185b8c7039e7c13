#pragma once

#include "ScreenGeometry.h"

// The border a monitor shows round a screen. The gate array draws the border
// colour wherever the CRTC displays no character, except while the CRTC's
// horizontal sync runs and for the first lines of its vertical sync, which it
// blanks to black. What it does not blank is the picture area of the monitor,
// the same for every screen; the screen sits in it where its sync positions
// (R2, R7) put it, and the rest is its border.
struct MonitorBorder {
    int left = 0;   // characters of border left of the screen
    int right = 0;  // characters of border right of it
    int top = 0;    // pixel lines of border above it
    int bottom = 0; // pixel lines of border below it
};

// The border round geometry's screen. A side the blanking covers is 0.
MonitorBorder Monitor_Border(const ScreenGeometry& geometry);
