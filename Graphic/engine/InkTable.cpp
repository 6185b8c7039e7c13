#include "Picture.h"

#include "SysUtils.h"

void Reset_Ink_Table(InkTable& inks) {
    inks[0] = {0, 0, 0};
    inks[1] = {128, 0, 0};
    inks[2] = {255, 128, 0};
    inks[3] = {255, 255, 255};
}

Ink Ink_From_Colour_Number(int number) {
    const unsigned n = static_cast<unsigned>(number);
    return {static_cast<std::uint8_t>((n % 9) / 3 * 127), static_cast<std::uint8_t>(n / 9 * 127),
            static_cast<std::uint8_t>(n % 3 * 127)};
}

const std::uint8_t Hardware_Colour_Byte[kColourCount] = {
    0x54, 0x44, 0x55, 0x5C, 0x58, 0x5D, 0x4C, 0x45, 0x4D, // green 0
    0x56, 0x46, 0x57, 0x5E, 0x40, 0x5F, 0x4E, 0x47, 0x4F, // green 1
    0x52, 0x42, 0x53, 0x5A, 0x59, 0x5B, 0x4A, 0x43, 0x4B, // green 2
};

namespace {

// 0..63 is intensity 0, 64..191 is 1, 192..255 is 2: the stored 0, 127, 128,
// 254 and 255 each land on their own.
int intensityOf(std::uint8_t channel) { return (channel + 64) / 128; }

} // namespace

int Colour_Number_Of_Ink(const Ink& ink) {
    return 9 * intensityOf(ink.g) + 3 * intensityOf(ink.r) + intensityOf(ink.b);
}

void Set_Ink_From_Text(InkTable& inks, int k, const std::string& colourNumberText) {
    const int number = StrToInt(colourNumberText);
    if (number < 0 || number >= kColourCount)
        throw Exception("Colour number " + colourNumberText + " is not one of the CPC colours 0 to 26");
    if (k < 0 || k >= kInkCount)
        throw Exception("Ink " + IntToStr(k) + " does not exist: mode 1 has inks 0 to 3");
    inks[static_cast<std::size_t>(k)] = Ink_From_Colour_Number(number);
}
