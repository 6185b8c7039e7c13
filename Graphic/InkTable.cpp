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

void Set_Ink_From_Text(InkTable& inks, int k, const std::string& colourNumberText) {
    const int number = StrToInt(colourNumberText);
    if (number < 0 || number >= kColourCount)
        throw Exception("Colour number " + colourNumberText + " is not one of the CPC colours 0 to 26");
    if (k < 0 || k >= kInkCount)
        throw Exception("Ink " + IntToStr(k) + " does not exist: mode 1 has inks 0 to 3");
    inks[static_cast<std::size_t>(k)] = Ink_From_Colour_Number(number);
}
