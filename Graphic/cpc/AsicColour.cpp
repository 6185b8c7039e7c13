#include "AsicColour.h"

#include <string>

#include "SysUtils.h"

namespace {

constexpr int kRedShift = 4; // byte 0: red in the high nibble, blue in the low one
constexpr std::uint8_t kNibble = 0x0F;

int checkedLevel(int level, const char* channel) {
    if (level < 0 || level >= kPlusLevels)
        throw Exception(std::string("A CPC+ ") + channel + " level is 0 to 15, not " +
                        IntToStr(level));
    return level;
}

} // namespace

int Plus_Level(std::uint8_t channel) {
    return (channel + kPlusLevelStep / 2) / kPlusLevelStep;
}

AsicColour Asic_Colour(int red, int green, int blue) {
    const int r = checkedLevel(red, "red"), g = checkedLevel(green, "green"),
              b = checkedLevel(blue, "blue");
    return {static_cast<std::uint8_t>(r << kRedShift | b), // byte 0: red, blue
            static_cast<std::uint8_t>(g & kNibble)};       // byte 1: green
}

AsicColour Asic_Colour(const Ink& ink) {
    return Asic_Colour(Plus_Level(ink.r), Plus_Level(ink.g), Plus_Level(ink.b));
}

std::array<std::uint8_t, kAsicPensAndBorderBytes> Asic_Pens_And_Border(const InkList& inks,
                                                                       const ScreenMode& mode) {
    if (static_cast<int>(inks.size()) != mode.inkCount || inks.size() > kAsicPalettePens)
        throw Exception("A mode " + IntToStr(mode.number) + " palette takes " +
                        IntToStr(mode.inkCount) + " inks");
    std::array<std::uint8_t, kAsicPensAndBorderBytes> bytes{};
    for (int pen = 0; pen <= kAsicPalettePens; ++pen) { // the last is the border
        const AsicColour colour =
            Asic_Colour(inks[static_cast<std::size_t>(pen < mode.inkCount ? pen : 0)]);
        bytes[static_cast<std::size_t>(pen) * kAsicColourBytes] = colour[0];
        bytes[static_cast<std::size_t>(pen) * kAsicColourBytes + 1] = colour[1];
    }
    return bytes;
}
