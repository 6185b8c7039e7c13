#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "Picture.h"

// Small helpers for tests: build 24-bit pictures from bytes and read them back.
namespace testing_pictures {

using Bytes = std::vector<std::uint8_t>;

// A width x height 24-bit picture whose every pixel is (b, g, r).
inline TPicture filled(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    TPicture picture;
    picture.SetWidth(width);
    picture.SetHeight(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.GetScanline(y) + 3 * x;
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    return picture;
}

// A picture of random bytes, reproducible from the seed.
inline TPicture random(int width, int height, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    TPicture picture;
    picture.SetWidth(width);
    picture.SetHeight(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x)
            picture.GetScanline(y)[x] = static_cast<std::uint8_t>(byte(generator));
    return picture;
}

inline void setPixel(TPicture& picture, int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    std::uint8_t* p = picture.GetScanline(y) + 3 * x;
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

// Pixel (x, y) as {b, g, r}.
inline Bytes pixel(const TPicture& picture, int x, int y) {
    const std::uint8_t* p = picture.GetScanline(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

// Every row's width x 3 bytes, one after another.
inline Bytes rows(const TPicture& picture) {
    Bytes all;
    for (int y = 0; y < picture.GetHeight(); ++y) {
        const std::uint8_t* row = picture.GetScanline(y);
        all.insert(all.end(), row, row + 3 * picture.GetWidth());
    }
    return all;
}

} // namespace testing_pictures
