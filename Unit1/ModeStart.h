#pragma once

#include <array>
#include <optional>

#include "FitToScreen.h"
#include "ScreenChoice.h"

class QSettings;

// What a screen mode starts with until the user chooses otherwise. Mode 1
// starts as it always has: the classic dither, no fit. Modes 0 and 2 start
// with error diffusion, the colour dither the quality report rates best
// there (the classic dither goes by level alone and is blind to hue), and
// the Pad fit, so that their wide or tall pixels show the picture undistorted
// and whole.
TDither Start_Dither(int mode);
TFitMode Start_Fit(int mode);

// The choices the user has made: a dither for each mode once chosen there,
// and a fit for every mode once chosen. What has not been chosen follows the
// mode's start.
struct TModeChoices {
    std::array<std::optional<TDither>, kScreenModeCount> dither{};
    std::optional<TFitMode> fit;

    // The mode with its dither: the one chosen there, or its start dither.
    TScreenChoice ChoiceFor(int mode) const;
    TFitMode FitFor(int mode) const;
};

// Kept between runs beside the window's other settings; a missing or
// unreadable value counts as not chosen.
TModeChoices Read_Mode_Choices(const QSettings& settings);
void Write_Mode_Choices(QSettings& settings, const TModeChoices& choices);
