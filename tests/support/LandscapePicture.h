#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Picture.h"

// A photograph-like test picture: a sky fading from deep blue to a pale haze,
// a sun, far grey mountains, green hills, a lake that mirrors the sky, a red
// house and a few trees, with a little fixed grain. Drawn for 320 x 200 and
// scaled to any size, so the window tests, the screenshots and the benchmark
// convert the kind of picture people do, not a flat test card.
namespace testing_pictures {

namespace landscape_detail {

struct Rgb {
    int r, g, b;
};

inline Rgb mix(Rgb a, Rgb b, int t, int range) {
    return {a.r + (b.r - a.r) * t / range, a.g + (b.g - a.g) * t / range, a.b + (b.b - a.b) * t / range};
}

inline int clampByte(int v) {
    return std::clamp(v, 0, 255);
}

// Colour at (u, v) of the 320 x 200 design, u and v in design pixels.
inline Rgb at(double u, double v) {
    const Rgb skyTop{24, 58, 140}, skyLow{236, 196, 150};
    const double horizon = 118.0;
    const double mountain = 92.0 + 16.0 * std::sin(u / 23.0) + 7.0 * std::sin(u / 7.0 + 1.3);
    const double hill = 132.0 + 10.0 * std::sin(u / 41.0 + 2.0) + 4.0 * std::sin(u / 13.0);
    const bool inLake = v > 150.0 && v < 186.0 && std::abs(u - 110.0) / 90.0 + std::abs(v - 168.0) / 18.0 < 1.0;

    Rgb colour;
    if (inLake) {
        // The sky upside down, darker, with ripples.
        const double mirrored = std::clamp(2 * 150.0 - v, 0.0, horizon);
        colour = mix(skyTop, skyLow, static_cast<int>(mirrored), static_cast<int>(horizon));
        colour = {colour.r * 2 / 5, colour.g * 3 / 5, std::min(255, colour.b * 3 / 5 + 70)};
        colour.b += static_cast<int>(12.0 * std::sin(v * 1.7 + u / 9.0));
    } else if (v >= hill) {
        const int depth = static_cast<int>(std::min(v - hill, 68.0));
        colour = mix(Rgb{96, 168, 60}, Rgb{28, 78, 30}, depth, 68);
    } else if (v >= mountain) {
        const int shade = static_cast<int>(std::min(v - mountain, 40.0));
        colour = mix(Rgb{150, 140, 170}, Rgb{90, 90, 118}, shade, 40);
    } else {
        colour = mix(skyTop, skyLow, static_cast<int>(std::clamp(v, 0.0, horizon)), static_cast<int>(horizon));
        const double sun = std::hypot(u - 250.0, v - 46.0);
        if (sun < 18.0)
            colour = {255, 236, 120};
        else if (sun < 30.0)
            colour = mix(Rgb{255, 220, 140}, colour, static_cast<int>(sun - 18.0), 12);
    }

    // The house: a wall with a window and a roof.
    if (u >= 200 && u < 232 && v >= 128 && v < 150) {
        colour = (u >= 210 && u < 220 && v >= 134 && v < 142) ? Rgb{250, 230, 110} : Rgb{186, 52, 40};
    } else if (v >= 112 && v < 128 && std::abs(u - 216.0) < (v - 110.0) * 1.1) {
        colour = {96, 40, 32};
    }
    // Trees: dark crowns on thin trunks.
    for (const double tree : {40.0, 62.0, 276.0, 298.0}) {
        const double top = 120.0 + (tree > 200 ? 8.0 : 0.0);
        if (std::hypot(u - tree, v - top) < 11.0)
            colour = mix(Rgb{20, 96, 36}, Rgb{10, 50, 20}, static_cast<int>(v - top + 11.0), 22);
        else if (std::abs(u - tree) < 2.0 && v >= top + 10.0 && v < top + 24.0)
            colour = {84, 56, 30};
    }
    return colour;
}

} // namespace landscape_detail

inline TPicture landscape(int width = 320, int height = 200) {
    TPicture picture;
    picture.SetWidth(width);
    picture.SetHeight(height);
    std::uint32_t grain = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.GetScanline(y);
        const double v = (y + 0.5) * 200.0 / height;
        for (int x = 0; x < width; ++x) {
            const landscape_detail::Rgb c = landscape_detail::at((x + 0.5) * 320.0 / width, v);
            grain = grain * 1664525u + 1013904223u;
            const int noise = static_cast<int>(grain >> 28) - 8;
            row[3 * x + 0] = static_cast<std::uint8_t>(landscape_detail::clampByte(c.b + noise));
            row[3 * x + 1] = static_cast<std::uint8_t>(landscape_detail::clampByte(c.g + noise));
            row[3 * x + 2] = static_cast<std::uint8_t>(landscape_detail::clampByte(c.r + noise));
        }
    }
    return picture;
}

} // namespace testing_pictures
