#include "Engine.h"

#include <cstring>

#include "RowThreads.h"

namespace {

void fillNeutral(std::uint8_t* row, std::size_t bytes) { std::memset(row, kNeutralMapByte, bytes); }

// One interior map row from the source rows above, at and below it. Written as
// a plain loop over bytes so the compiler can vectorise it.
void interiorRow(const std::uint8_t* __restrict above, const std::uint8_t* __restrict middle,
                 const std::uint8_t* __restrict below, std::uint8_t* __restrict out, std::size_t rowBytes) {
    for (std::size_t j = 3; j + 3 < rowBytes; ++j) {
        const int neighbours = above[j - 3] + above[j] + above[j + 3] + middle[j - 3] + middle[j + 3] +
                               below[j - 3] + below[j] + below[j + 3];
        const int v = neighbours - 8 * middle[j];
        out[j] = static_cast<std::uint8_t>(kNeutralMapByte + v / 32);
    }
}

} // namespace

void Local_Contrast_Map(TPicture& source, TPicture& map) {
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    map.SetWidth(width);
    map.SetHeight(height);
    source.SetPixelFormat(TPixelFormat::pf24bit);
    map.SetPixelFormat(TPixelFormat::pf24bit);
    if (width == 0 || height == 0)
        return;

    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    if (width < 3 || height < 3) {
        for (int y = 0; y < height; ++y)
            fillNeutral(map.GetScanline(y), rowBytes);
        return;
    }
    fillNeutral(map.GetScanline(0), rowBytes);
    fillNeutral(map.GetScanline(height - 1), rowBytes);
    const TPicture& src = source;
    const std::vector<std::uint8_t*> mapRows = Writable_Rows(map);
    // Each map row reads three source rows and writes only itself.
    Run_Over_Rows(height - 2, Rows_Worth_A_Thread(width), [&](int first, int last) {
        for (int y = first + 1; y < last + 1; ++y) {
            std::uint8_t* out = mapRows[static_cast<std::size_t>(y)];
            fillNeutral(out, 3);
            fillNeutral(out + rowBytes - 3, 3);
            interiorRow(src.GetScanline(y - 1), src.GetScanline(y), src.GetScanline(y + 1), out, rowBytes);
        }
    });
}
