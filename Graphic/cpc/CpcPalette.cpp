#include "CpcPalette.h"

#include <algorithm>
#include <cctype>

#include "CpcLevels.h"
#include "SysUtils.h"

const std::array<Palette, kPaletteCount> kPalettes = {{
    {TPalette::Cpc, "cpc", "CPC", 27, 3, 127, 0},
    {TPalette::Plus, "plus", "CPC+", 4096, 16, 17, 3},
}};

static_assert(27 == kColourCount, "the cpc row is the colour numbers of Ink_From_Colour_Number");

namespace {

// The level (0 .. levels - 1) a channel byte is exactly, or -1.
int exactLevel(const Palette& palette, std::uint8_t value) {
    if (palette.id == TPalette::Cpc)
        return value == 0 ? 0 : value == 127 || value == 128 ? 1 : value == 254 || value == 255 ? 2 : -1;
    return value % palette.levelStep == 0 ? value / palette.levelStep : -1;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

} // namespace

const Palette& Palette_Of(TPalette id) {
    for (const Palette& palette : kPalettes)
        if (palette.id == id)
            return palette;
    throw Exception("Palette " + IntToStr(static_cast<int>(id)) + " does not exist");
}

TPalette Palette_From_Option(const std::string& text) {
    for (const Palette& palette : kPalettes)
        if (text == palette.name)
            return palette.id;
    throw Exception("--palette takes cpc (the 27 colours of the CPC) or plus (the 4,096 of the CPC+), not '" + text +
                    "'");
}

Ink Palette_Ink(const Palette& palette, int colour) {
    if (colour < 0 || colour >= palette.colourCount)
        throw Exception("Colour " + IntToStr(colour) + " is not one of the " + palette.title + " colours 0 to " +
                        IntToStr(palette.colourCount - 1));
    if (palette.id == TPalette::Cpc)
        return Ink_From_Colour_Number(colour);
    const auto level = [&](int shift) { return static_cast<std::uint8_t>((colour >> shift & 15) * palette.levelStep); };
    return {level(8), level(4), level(0)};
}

InkList Palette_Inks(const Palette& palette, const std::vector<int>& colours) {
    InkList inks;
    inks.reserve(colours.size());
    for (const int colour : colours)
        inks.push_back(Palette_Ink(palette, colour));
    return inks;
}

int Palette_Colour_Of(const Palette& palette, const Ink& ink) {
    const int r = exactLevel(palette, ink.r), g = exactLevel(palette, ink.g), b = exactLevel(palette, ink.b);
    if (r < 0 || g < 0 || b < 0)
        return -1;
    return palette.id == TPalette::Cpc ? 9 * g + 3 * r + b : r << 8 | g << 4 | b;
}

int Nearest_Palette_Colour(const Palette& palette, const Ink& ink) {
    if (palette.id == TPalette::Cpc)
        return Colour_Number_Of_Ink(ink);
    const auto level = [&](std::uint8_t value) { return (value + palette.levelStep / 2) / palette.levelStep; };
    return level(ink.r) << 8 | level(ink.g) << 4 | level(ink.b);
}

std::string Palette_Colour_Text(const Palette& palette, int colour) {
    Palette_Ink(palette, colour); // checks the index
    if (palette.textDigits == 0)
        return IntToStr(colour);
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int k = palette.textDigits - 1; k >= 0; --k)
        text += kDigits[colour >> (4 * k) & 15];
    return text;
}

std::string Palette_Colour_Form(const Palette& palette) {
    if (palette.textDigits == 0)
        return "a colour number from 0 to " + IntToStr(palette.colourCount - 1);
    return "three hexadecimal digits R G B from 000 to " + Palette_Colour_Text(palette, palette.colourCount - 1);
}

int Palette_Colour_From_Text(const Palette& palette, const std::string& text) {
    int colour = 0;
    bool valid = !text.empty();
    if (palette.textDigits == 0) {
        valid = valid && text.size() <= 9;
        for (const char c : text)
            valid = valid && c >= '0' && c <= '9';
        colour = valid ? std::stoi(text) : 0;
        valid = valid && colour < palette.colourCount;
    } else {
        valid = valid && static_cast<int>(text.size()) == palette.textDigits;
        for (const char c : text) {
            valid = valid && hexDigit(c) >= 0;
            colour = colour << 4 | std::max(hexDigit(c), 0);
        }
    }
    if (!valid)
        throw Exception("'" + text + "' is not a " + palette.title + " colour: an ink is " +
                        Palette_Colour_Form(palette));
    return colour;
}

std::uint8_t Read_Level_Byte(TLevelReading reading, std::uint8_t value) {
    switch (reading) {
    case TLevelReading::Bytes:
        return value;
    case TLevelReading::Cpc:
        return Cpc_Level_Byte(value);
    case TLevelReading::Plus:
        return static_cast<std::uint8_t>((value + 8) / 17 * 17);
    }
    return value;
}

TLevelReading Source_Level_Reading(const TPicture& source, const InkList& inks) {
    if (Shows_Cpc_Levels(source))
        return TLevelReading::Cpc;
    const Palette& plus = Palette_Of(TPalette::Plus);
    std::vector<bool> isInk(static_cast<std::size_t>(plus.colourCount));
    for (const Ink& ink : inks) {
        const int colour = Palette_Colour_Of(plus, ink);
        if (colour < 0)
            return TLevelReading::Bytes;
        isInk[static_cast<std::size_t>(colour)] = true;
    }
    if (source.GetPixelFormat() != TPixelFormat::pf24bit)
        return TLevelReading::Bytes;
    for (int y = 0; y < source.GetHeight(); ++y) {
        const std::uint8_t* pixel = source.GetScanline(y);
        for (int x = 0; x < source.GetWidth(); ++x, pixel += 3)
            if (!isInk[static_cast<std::size_t>(Nearest_Palette_Colour(plus, {pixel[2], pixel[1], pixel[0]}))])
                return TLevelReading::Bytes;
    }
    return TLevelReading::Plus;
}
