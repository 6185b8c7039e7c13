#pragma once

#include <array>
#include <string>

#include "Picture.h"
#include "ScreenMode.h"
#include "dither/Dithers.h"

// The most inks any screen mode shows (mode 0's sixteen).
inline constexpr int kMaxInkCount = 16;

// What the window converts for: the screen mode and the dither. A change of
// either renders the result again and changes nothing else: every ink keeps
// its colour, whether the new mode shows it or not. Kept whole in one place
// so that a command can take it and give it back as it was.
struct TScreenChoice {
    int mode = kDefaultScreenMode;
    TDither dither = TDither::Classic;
    friend bool operator==(const TScreenChoice&, const TScreenChoice&) = default;
};

// Colour numbers of inks 4..15 until they are chosen: the CPC's own start-up
// colours of pens 4 to 15 (pens 14 and 15 flash; the first colour of each is
// taken). Inks 0..3 start as the design gives them.
inline constexpr std::array<int, kMaxInkCount - kInkCount> kUpperInkStartColours = {26, 0, 2, 8, 10, 12,
                                                                                  14, 16, 18, 22, 1, 16};

// "NAME - Tintora (CPC mode 0)", or the program's name alone before a picture is loaded.
std::string Window_Caption(const std::string& pictureName, int mode);
