#pragma once

#include "Picture.h"
#include "ScreenMode.h"

// How a picture is brought to a mode's screen.
enum class TFitMode {
    Off,     // not at all: the picture keeps its own size
    Crop,    // fills the screen; the excess is cut evenly from both sides
    Pad,     // the whole picture, centred between black bars
    Stretch, // fills the screen, proportions ignored
};

// Where Crop's window sits in the spare width and height of the picture:
// 0 at the left (top) edge, 1 at the right (bottom) edge, each way; values
// outside 0..1 are taken as the nearest end. The middle is the default.
struct TCropPosition {
    double x = 0.5;
    double y = 0.5;
    friend bool operator==(const TCropPosition&, const TCropPosition&) = default;
};

// Which part of a width x height source (in source pixels, fractional) lands
// where on the screen mode's screen (in whole screen pixels) for the fit
// mode. For an empty source the screen part is empty.
struct TFitPlacement {
    double sourceX, sourceY, sourceWidth, sourceHeight;
    int left, top, width, height;
};
TFitPlacement Fit_Placement(int width, int height, TFitMode mode,
                            const ScreenMode& screen = kScreenModes[kDefaultScreenMode],
                            TCropPosition cropAt = {});

// Makes result a 24-bit picture of source (square pixels) that fills the
// screen of the screen mode (160, 320 or 640 x 200) as the fit mode asks;
// crop and pad keep the source's proportions as the screen shows them, at
// the screen mode's pixel shape, so a circle stays round, and crop keeps the
// part cropAt says. Shrinking averages areas, enlarging is bilinear, both in
// linear light; a source of the screen's size passes Stretch unchanged. An
// empty source gives a black screen; Off makes result an exact copy of
// source. source is made 24-bit; source and result must be different
// pictures. Split by output rows over Row_Threads() threads.
void Fit_To_Screen(TPicture& source, TPicture& result, TFitMode mode,
                   const ScreenMode& screen = kScreenModes[kDefaultScreenMode],
                   TCropPosition cropAt = {});

// The reduction (1, 2, 4 or 8) a width x height picture may be decoded at
// for the fit: the largest that still leaves the part the fit reads at least
// twice the screen mode's size each way (1 for Off, and for pictures too small).
// Where crop's window sits does not change it.
int Fit_Decode_Divisor(int width, int height, TFitMode mode,
                       const ScreenMode& screen = kScreenModes[kDefaultScreenMode]);
