#pragma once

#include <QSize>

#include "ScreenMode.h"

// The size the view draws a picture of width x height result pixels at, in
// screen pixels. Each result pixel has its mode's shape: a mode 0 pixel twice
// as wide as a mode 1 pixel, a mode 2 pixel half as wide (drawn twice as high,
// the same shape, so that no pixel column is lost); with cpcProportions the
// screen's own pixel shape (a mode 1 pixel 0.92 times as wide as high). The
// shorter side of a pixel is zoom (1..4) screen pixels; mode 1 without the
// CPC's proportions is width x zoom by height x zoom, as the view always was.
QSize View_Size(int width, int height, const ScreenMode& mode, bool cpcProportions, int zoom);
