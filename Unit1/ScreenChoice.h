#pragma once

#include <array>
#include <string>

#include "Picture.h"
#include "ScreenGeometry.h"
#include "ScreenMode.h"
#include "Dithers.h"
#include "CpcPalette.h"

// The most inks any screen mode shows (mode 0's sixteen).
inline constexpr int kMaxInkCount = 16;

// What the window converts for: the screen mode, the dither and the screen. A change of
// either renders the result again and changes nothing else: every ink keeps
// its colour, whether the new mode shows it or not. Kept whole in one place
// so that a command can take it and give it back as it was.
struct TScreenChoice {
    int mode = kDefaultScreenMode;
    TDither dither = TDither::Classic;
    TScreen screen = TScreen::Standard;
    friend bool operator==(const TScreenChoice&, const TScreenChoice&) = default;
};

// "NAME - Tintora (CPC mode 0)", or the program's name alone before a picture
// is loaded; on the full screen "(CPC mode 0, full screen)"; in CPC+ colours
// "(CPC+ mode 0)".
std::string Window_Caption(const std::string& pictureName, int mode, TScreen screen = TScreen::Standard,
                           TPalette palette = kDefaultPalette);
