#pragma once

#include "Picture.h"

// How a picture is brought to the 320 x 200 mode 1 screen.
enum class TFitMode {
    Off,     // not at all: the picture keeps its own size
    Crop,    // fills the screen; the excess is cut evenly from both sides
    Pad,     // the whole picture, centred between black bars
    Stretch, // fills the screen, proportions ignored
};

// Width over height of one mode 1 pixel on a PAL screen: a square pixel
// lasts one cycle of 7.375 MHz, a mode 1 pixel one of the 8 MHz dot clock.
inline constexpr double kMode1PixelAspect = 7.375 / 8.0;
// Width over height of the picture the whole 320 x 200 screen shows (1.475).
inline constexpr double kScreenAspect = 320 * kMode1PixelAspect / 200;

// Where Crop's window sits in the spare width and height of the picture:
// 0 at the left (top) edge, 1 at the right (bottom) edge, each way; values
// outside 0..1 are taken as the nearest end. The middle is the default.
struct TCropPosition {
    double x = 0.5;
    double y = 0.5;
    friend bool operator==(const TCropPosition&, const TCropPosition&) = default;
};

// Which part of a width x height source (in source pixels, fractional) lands
// where on the screen (in whole screen pixels) for the mode. For an empty
// source the screen part is empty.
struct TFitPlacement {
    double sourceX, sourceY, sourceWidth, sourceHeight;
    int left, top, width, height;
};
TFitPlacement Fit_Placement(int width, int height, TFitMode mode, TCropPosition cropAt = {});

// Makes result a 320 x 200 24-bit picture of source (square pixels) as the
// mode asks; crop and pad keep the source's proportions as the screen shows
// them, and crop keeps the part cropAt says. Shrinking averages areas, enlarging is bilinear, both in linear
// light; a 320 x 200 source passes Stretch unchanged. An empty source gives a
// black screen; Off makes result an exact copy of source. source is made
// 24-bit; source and result must be different pictures.
void Fit_To_Screen(TPicture& source, TPicture& result, TFitMode mode, TCropPosition cropAt = {});
