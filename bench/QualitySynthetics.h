#pragma once

// Made-up pictures for the quality report, each showing one thing a viewer
// notices at once: a grey ramp (which pairs of inks its ordered patterns
// mix), a sky at sunset (smooth gradients of pale colours), a night sky
// (flat dark gradients) and pixel art
// drawn at 0/128/255 (whether it comes back exactly).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Engine.h"
#include "ModeInkChoice.h"
#include "CpcLevels.h"

namespace quality_synthetics {

inline void put(TPicture& picture, int x, int y, int r, int g, int b) {
    std::uint8_t* p = picture.GetScanline(y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(b);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(r);
}

inline TPicture blank(int width, int height) {
    TPicture picture;
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetWidth(width);
    picture.SetHeight(height);
    return picture;
}

// A 320 x 200 sky at sunset: pale lavender above, warm orange at the
// horizon, a pale sun, dark blue-grey land below.
inline TPicture sky() {
    TPicture picture = blank(320, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            const double t = y / 160.0, dx = x - 200, dy = y - 150;
            int r = static_cast<int>(200 + 55 * t), g = static_cast<int>(190 - 40 * t),
                b = static_cast<int>(235 - 155 * t);
            if (dx * dx + dy * dy < 24 * 24)
                r = 255, g = 235, b = 170;
            if (y >= 160)
                r = 40, g = 45, b = 60;
            put(picture, x, y, r, g, b);
        }
    return picture;
}

// A 320 x 200 night sky: a smooth gradient from near black at the top to a
// dark blue-grey at the horizon, a few single-pixel stars, and black hills
// below. Flat dark areas a little lighter than the darkest ink are where a
// diffusion that drops part of its error shows blown patches and streaks.
inline TPicture darkSky() {
    TPicture picture = blank(320, 200);
    std::mt19937 generator(5);
    std::uniform_int_distribution<int> place(0, 320 * 140 - 1);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            const double t = y / 170.0;
            int r = static_cast<int>(3 + 45 * t * t), g = static_cast<int>(5 + 55 * t * t),
                b = static_cast<int>(14 + 80 * t * t);
            if (y >= 160 + 12 * std::sin(x / 40.0))
                r = 8, g = 8, b = 10;
            put(picture, x, y, r, g, b);
        }
    for (int star = 0; star < 40; ++star) {
        const int at = place(generator);
        put(picture, at % 320, at / 320, 235, 235, 225);
    }
    return picture;
}

// The colour number a pixel shows, read through the CPC intensities.
inline int colourNumberAt(const TPicture& picture, int x, int y) {
    const std::uint8_t* p = picture.GetScanline(y) + 3 * x;
    return 9 * Cpc_Intensity(p[1]) + 3 * Cpc_Intensity(p[2]) + Cpc_Intensity(p[0]);
}

// The share of a 256 x 64 grey ramp's pixels that an ordered dither over
// black, grey and white draws from black and white together, in modes 0
// and 1 (the other inks white again): it should be 0.
inline void greyRamp() {
    std::printf("\nGrey ramp over black, grey and white: share of pixels from black and white "
                "mixed in one column\n");
    TPicture ramp = blank(256, 64), map, result;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            put(ramp, x, y, x, x, x);
    Local_Contrast_Map(ramp, map);
    for (const int modeNumber : {0, 1}) {
        const ScreenMode& mode = Screen_Mode(modeNumber);
        std::vector<int> numbers(static_cast<std::size_t>(mode.inkCount), 26);
        numbers[0] = 0;
        numbers[1] = 13;
        for (const TDither dither : {TDither::Ordered2, TDither::Ordered4, TDither::Ordered8}) {
            Mode_Dither(dither, ramp, result, map, Ink_List_Of_Numbers(numbers), 0, 0, 0, mode);
            long far = 0;
            for (int x = 0; x < 256; ++x) {
                std::set<int> used;
                for (int y = 0; y < 64; ++y)
                    used.insert(colourNumberAt(result, x, y));
                if (used.count(0) && used.count(26))
                    for (int y = 0; y < 64; ++y)
                        far += colourNumberAt(result, x, y) != 13;
            }
            std::printf("mode %d %-10s %.4f\n", modeNumber, Dither_Info(dither).name,
                        static_cast<double>(far) / (256 * 64));
        }
    }
}

// Pixel art of the mode's count of CPC colours in 8 x 8 blocks, drawn at
// 0/128/255, given automatic inks: the pixels that do not come back as drawn.
inline void pixelArt(int threads) {
    std::printf("\nPixel art at 0/128/255 with automatic inks: pixels not as drawn (of the whole screen)\n");
    for (const ScreenMode& mode : kScreenModes) {
        std::mt19937 generator(static_cast<unsigned>(7 + mode.number));
        std::vector<int> colours(kColourCount);
        for (int n = 0; n < kColourCount; ++n)
            colours[static_cast<std::size_t>(n)] = n;
        std::shuffle(colours.begin(), colours.end(), generator);
        colours.resize(static_cast<std::size_t>(mode.inkCount));
        std::uniform_int_distribution<std::size_t> which(0, colours.size() - 1);
        TPicture art = blank(mode.width, mode.height), map;
        std::vector<int> block(static_cast<std::size_t>(mode.width / 8 * (mode.height / 8)));
        for (int& n : block)
            n = colours[which(generator)];
        const int level[3] = {0, 128, 255};
        for (int y = 0; y < mode.height; ++y)
            for (int x = 0; x < mode.width; ++x) {
                const int n = block[static_cast<std::size_t>(y / 8 * (mode.width / 8) + x / 8)];
                put(art, x, y, level[n % 9 / 3], level[n / 9], level[n % 3]);
            }
        Local_Contrast_Map(art, map);
        std::printf("mode %d:", mode.number);
        for (const DitherInfo& info : kDithers) {
            if (info.dither == TDither::Classic)
                continue;
            Ink_Search_Control control;
            control.threads = threads;
            const Mode_Ink_Choice choice =
                Choose_Mode_Inks(art, map, std::vector<int>(colours.size(), kChooseInk), info.dither,
                                 mode, 0, 0, 0, control);
            TPicture result;
            Mode_Dither(info.dither, art, result, map, Ink_List_Of_Numbers(choice.numbers), 0, 0, 0,
                        mode);
            long wrong = 0;
            for (int y = 0; y < mode.height; ++y)
                for (int x = 0; x < mode.width; ++x)
                    wrong += colourNumberAt(result, x, y) != colourNumberAt(art, x, y);
            std::printf(" %s %ld", info.name, wrong);
        }
        std::printf("\n");
    }
}

// A picture file, or the made-up picture a leading colon names (":sky",
// ":darksky").
inline TPicture pictureOf(const std::string& file) {
    if (file == ":sky")
        return sky();
    if (file == ":darksky")
        return darkSky();
    TPicture picture;
    picture.LoadFromFile(file);
    return picture;
}

} // namespace quality_synthetics
