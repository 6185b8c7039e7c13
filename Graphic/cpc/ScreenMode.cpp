#include "ScreenMode.h"

#include "OptionNumbers.h"
#include "SysUtils.h"

// Bits of a screen byte, bit 7 first, where pN.k is bit k of pixel N's ink:
//   mode 0: p0.0 p1.0 p0.2 p1.2 p0.1 p1.1 p0.3 p1.3
//   mode 1: p0.0 p1.0 p2.0 p3.0 p0.1 p1.1 p2.1 p3.1
//   mode 2: p0 p1 p2 p3 p4 p5 p6 p7
// Every mode's pixel lasts as long on the screen as two of the next mode's.
const std::array<ScreenMode, kScreenModeCount> kScreenModes = {{
    {0, 160, 200, 16, 4, 2, 2 * kMode1PixelAspect, {{{7, 3, 5, 1}, {6, 2, 4, 0}}}},
    {1, 320, 200, 4, 2, 4, kMode1PixelAspect, {{{7, 3}, {6, 2}, {5, 1}, {4, 0}}}},
    {2, 640, 200, 2, 1, 8, kMode1PixelAspect / 2, {{{7}, {6}, {5}, {4}, {3}, {2}, {1}, {0}}}},
}};

// Every mode fills the same screen memory: 80 bytes a row.
static_assert(160 / 2 == 80 && 320 / 4 == 80 && 640 / 8 == 80);

const ScreenMode& Screen_Mode(int number) {
    for (const ScreenMode& mode : kScreenModes)
        if (mode.number == number)
            return mode;
    throw Exception("Screen mode " + IntToStr(number) +
                    " does not exist: the CPC has modes 0, 1 and 2");
}

int Packed_Row_Bytes(const ScreenMode& mode, int width) {
    return (width + mode.pixelsPerByte - 1) / mode.pixelsPerByte;
}

InkList Start_Inks(const ScreenMode& mode) {
    if (mode.number == kDefaultScreenMode) {
        InkTable inks;
        Reset_Ink_Table(inks);
        return Ink_List_Of(inks);
    }
    // The firmware's colour numbers of pens 0..15 after a reset.
    static constexpr std::array<int, 16> kPowerOnColours = {1,  24, 20, 6,  26, 0,  2, 8,
                                                            10, 12, 14, 16, 18, 22, 1, 16};
    InkList inks;
    for (int pen = 0; pen < mode.inkCount; ++pen)
        inks.push_back(Ink_From_Colour_Number(kPowerOnColours[static_cast<std::size_t>(pen)]));
    return inks;
}

InkList Ink_List_Of(const InkTable& inks) {
    return InkList(inks.begin(), inks.end());
}

InkTable Ink_Table_Of(const InkList& inks) {
    InkTable table{};
    for (std::size_t k = 0; k < table.size() && k < inks.size(); ++k)
        table[k] = inks[k];
    return table;
}

int Screen_Mode_From_Option(const std::string& text) {
    return Option_Integer_In("--mode", text, kScreenModes.front().number, kScreenModes.back().number);
}

InkList Ink_List_Of_Numbers(const std::vector<int>& numbers) {
    InkList inks;
    for (const int number : numbers)
        inks.push_back(Ink_From_Colour_Number(number));
    return inks;
}
