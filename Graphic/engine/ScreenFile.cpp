#include "Engine.h"

#include <array>
#include <cstring>

#include "RawFile.h"
#include "SysUtils.h"

const std::uint8_t Mode1_Pixel_Mask[16] = {
    0x00, 0x00, 0x00, 0x00, // ink 0
    0x80, 0x40, 0x20, 0x10, // ink 1: ink bit 0 at byte bits 7..4
    0x08, 0x04, 0x02, 0x01, // ink 2: ink bit 1 at byte bits 3..0
    0x88, 0x44, 0x22, 0x11, // ink 3: both
};

namespace {

constexpr int kLevelCount = 766;
constexpr int kNoInk = -1;

// The ink a pixel shows: the first ink of exactly its colour, else the first
// of its level (a picture not dithered with these inks), else kNoInk. Inks of
// one level but different colours each keep their own number, so the screen
// shows what the result shows.
int inkOfPixel(const std::uint8_t* pixel, const InkTable& inks, const std::array<int, kLevelCount>& byLevel) {
    for (int n = 0; n < kInkCount; ++n) {
        const Ink& ink = inks[static_cast<std::size_t>(n)];
        if (pixel[0] == ink.b && pixel[1] == ink.g && pixel[2] == ink.r)
            return n;
    }
    return byLevel[static_cast<std::size_t>(pixel[0] + pixel[1] + pixel[2])];
}

// For every level 0..765 the first ink of that level, or kNoInk.
std::array<int, kLevelCount> inkByLevel(const InkTable& inks) {
    std::array<int, kLevelCount> table;
    table.fill(kNoInk);
    for (int n = kInkCount - 1; n >= 0; --n)
        table[static_cast<std::size_t>(Ink_Level(inks[static_cast<std::size_t>(n)]))] = n;
    return table;
}

} // namespace

void CPC_Mode1_Convert(const TPicture& picture, std::unique_ptr<std::uint8_t[]>& packed, const InkTable& inks) {
    if (picture.GetPixelFormat() != TPixelFormat::pf24bit)
        throw Exception("CPC_Mode1_Convert needs a 24-bit picture");
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4;
    packed = std::make_unique<std::uint8_t[]>(stride * static_cast<std::size_t>(height));

    const auto inkOfLevel = inkByLevel(inks);
    bool bugShown = false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* pixel = picture.GetScanline(y);
        std::uint8_t* out = packed.get() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x, pixel += 3) {
            const int position = x % 4;
            if (position == 0)
                out[x / 4] = 0;
            int ink = inkOfPixel(pixel, inks, inkOfLevel);
            if (ink == kNoInk) {
                if (!bugShown)
                    ShowMessage(kConvertBugMessage);
                bugShown = true;
                ink = 3;
            }
            out[x / 4] = static_cast<std::uint8_t>(out[x / 4] + Mode1_Pixel_Mask[ink * 4 + position]);
        }
    }
}

void CPC_Screen_Layout(const std::uint8_t* packed, std::unique_ptr<std::uint8_t[]>& screen) {
    // The gaps closing each block get zeros: make_unique value-initialises.
    screen = std::make_unique<std::uint8_t[]>(kScreenBytes);
    for (int line = 0; line < kScreenLinesPerCharacter; ++line)
        for (int character = 0; character < kScreenCharacterRows; ++character) {
            const int row = kScreenLinesPerCharacter * character + line;
            std::memcpy(screen.get() + line * kScreenBlockBytes + character * kScreenRowBytes,
                        packed + row * kScreenRowBytes, kScreenRowBytes);
        }
}

void Write_Raw_File(const std::uint8_t* data, std::size_t count, const std::string& fileName) {
    TFileHandle file = FileCreate(fileName);
    FileWrite(file, data, count);
    FileClose(file);
}
