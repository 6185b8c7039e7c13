#include "ErrorDiffusion.h"

#include <algorithm>

#include "DitherColour.h"

namespace {

// Error rows kept: the kernel reaches two rows down.
constexpr int kErrorRows = 3;
constexpr float kCarryMargin = 0.5f;

} // namespace

void Diffuse_Error(const TPicture& source, TPicture& result, const TPicture& map,
                   const InkList& inks, int a, int b, int c, const DiffusionKernel& kernel) {
    const int width = source.GetWidth();
    const SliderLight light(a, b, c);
    const InkColours colours(inks);
    const std::size_t rowLength = static_cast<std::size_t>(width);
    std::vector<LinearColour> error(kErrorRows * rowLength);
    const auto errorAt = [&](int y, int x) -> LinearColour& {
        return error[static_cast<std::size_t>(y % kErrorRows) * rowLength +
                     static_cast<std::size_t>(x)];
    };
    for (int y = 0; y < source.GetHeight(); ++y) {
        const std::uint8_t* src = source.GetScanline(y);
        const std::uint8_t* mapRow = light.readsMap() ? map.GetScanline(y) : nullptr;
        std::uint8_t* out = result.GetScanline(y);
        const bool backwards = kernel.serpentine && (y & 1);
        const int step = backwards ? -1 : 1;
        for (int i = 0; i < width; ++i) {
            const int x = backwards ? width - 1 - i : i;
            const std::size_t at = 3 * static_cast<std::size_t>(x);
            const LinearColour pixel =
                SliderLight::linear(light.key(src + at, mapRow ? mapRow + at : nullptr));
            LinearColour& carried = errorAt(y, x);
            // The carried colour is held to a channel's range widened by half of
            // it, so a colour no ink mix reaches cannot pile up error without end.
            const auto carry = [](float v) {
                return std::clamp(v, -kCarryMargin, 1 + kCarryMargin);
            };
            const LinearColour wanted = {carry(pixel.r + carried.r), carry(pixel.g + carried.g),
                                         carry(pixel.b + carried.b)};
            carried = {};
            const int ink = colours.nearest(
                Lab_Of({std::clamp(wanted.r, 0.0f, 1.0f), std::clamp(wanted.g, 0.0f, 1.0f),
                        std::clamp(wanted.b, 0.0f, 1.0f)}));
            colours.put(ink, out + at);
            const LinearColour& shown = colours.linear(ink);
            const LinearColour left = {wanted.r - shown.r, wanted.g - shown.g, wanted.b - shown.b};
            for (const ErrorShare& share : kernel.shares) {
                const int tx = x + step * share.dx;
                if (tx < 0 || tx >= width) // error past the edge is dropped
                    continue;
                LinearColour& to = errorAt(y + share.dy, tx);
                to.r += share.weight * left.r;
                to.g += share.weight * left.g;
                to.b += share.weight * left.b;
            }
        }
    }
}
