#pragma once

#include <QSize>

#include "ScreenMode.h"

// The size the view draws a picture of width x height result pixels at, in
// screen pixels. A mode 1 pixel is zoom (1..4) screen pixels wide; each
// mode's pixel has its width on the CPC's screen (a mode 0 pixel twice as
// wide, a mode 2 pixel half as wide), so a mode's whole screen shows at the
// same size in every mode, at any zoom. A row is zoom screen pixels high, or
// with cpcProportions as high as the screen's own pixel shape makes it (a
// mode 1 pixel is 0.92 times as wide as high). Sizes that are not a whole
// number of screen pixels per pixel are the view's to draw evenly.
QSize View_Size(int width, int height, const ScreenMode& mode, bool cpcProportions, int zoom);
