#include "SpriteCells.h"

#include <utility>

#include "ModePacking.h"
#include "SysUtils.h"

namespace {

std::string pixels(int count) { return IntToStr(count) + (count == 1 ? " pixel" : " pixels"); }

// The first multiples of step up from 1, as "4, 8, 12", for a refusal.
std::string multiplesOf(int step) {
    return IntToStr(step) + ", " + IntToStr(2 * step) + ", " + IntToStr(3 * step) + "...";
}

// The divisors of size, as "1, 2, 4, 8", so a refusal names the cell sizes that fit.
std::string divisorsOf(int size, int step) {
    std::string text;
    for (int d = step; d <= size; d += step)
        if (size % d == 0)
            text += (text.empty() ? "" : ", ") + IntToStr(d);
    return text.empty() ? "none" : text;
}

} // namespace

std::string Sprite_Cutting_Refusal(int width, int height, const ScreenMode& mode, const SpriteCutting& cutting) {
    const int step = mode.pixelsPerByte;
    if (cutting.cellWidth <= 0 || cutting.cellHeight <= 0)
        return "a cell must be at least 1 pixel high and " + pixels(step) + " wide in mode " + IntToStr(mode.number);
    if (cutting.cellWidth % step != 0)
        return "a cell " + pixels(cutting.cellWidth) + " wide is not a whole number of bytes in mode " +
               IntToStr(mode.number) + ": the width must be a multiple of " + IntToStr(step) + " (" +
               multiplesOf(step) + ")";
    if (width % cutting.cellWidth != 0 || height % cutting.cellHeight != 0 || width == 0 || height == 0)
        return "the picture, " + IntToStr(width) + " x " + IntToStr(height) + ", is not a whole number of " +
               IntToStr(cutting.cellWidth) + " x " + IntToStr(cutting.cellHeight) +
               " cells: widths that fit in mode " + IntToStr(mode.number) + " are " + divisorsOf(width, step) +
               ", heights " + divisorsOf(height, 1);
    const int count = (width / cutting.cellWidth) * (height / cutting.cellHeight);
    if (cutting.cellCount < 0 || cutting.cellCount > count)
        return IntToStr(cutting.cellCount) + " cells are asked for, but the picture holds only " + IntToStr(count) +
               " of " + IntToStr(cutting.cellWidth) + " x " + IntToStr(cutting.cellHeight);
    if (cutting.transparentInk && (*cutting.transparentInk < 0 || *cutting.transparentInk >= mode.inkCount))
        return "the transparent ink " + IntToStr(*cutting.transparentInk) + " is not an ink of mode " +
               IntToStr(mode.number) + ", which has inks 0 to " + IntToStr(mode.inkCount - 1);
    return "";
}

SpriteCells Cut_Sprite_Cells(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                             const SpriteCutting& cutting) {
    const std::string refusal = Sprite_Cutting_Refusal(result.GetWidth(), result.GetHeight(), mode, cutting);
    if (!refusal.empty())
        throw Exception(refusal);
    const std::vector<std::uint8_t> packed = Pack_Mode_Rows(result, inks, mode);
    const int stride = Packed_Row_Bytes(mode, result.GetWidth());
    const int across = result.GetWidth() / cutting.cellWidth;
    const int all = across * (result.GetHeight() / cutting.cellHeight);
    const int count = cutting.cellCount > 0 ? cutting.cellCount : all;

    SpriteCells sheet;
    sheet.widthPixels = cutting.cellWidth;
    sheet.widthBytes = cutting.cellWidth / mode.pixelsPerByte;
    sheet.height = cutting.cellHeight;
    sheet.transparentInk = cutting.transparentInk;
    sheet.rows = cutting.rows;
    for (int cell = 0; cell < count; ++cell) {
        const int left = (cell % across) * sheet.widthBytes;
        const int top = (cell / across) * sheet.height;
        std::vector<std::uint8_t> bytes;
        bytes.reserve(static_cast<std::size_t>(Sprite_Row_Bytes(sheet) * sheet.height));
        for (int y = 0; y < sheet.height; ++y) {
            const std::uint8_t* row = packed.data() + static_cast<std::size_t>((top + y) * stride + left);
            const bool backwards = cutting.rows == SpriteRows::Zigzag && y % 2 == 1;
            for (int i = 0; i < sheet.widthBytes; ++i) {
                std::uint8_t data = row[backwards ? sheet.widthBytes - 1 - i : i];
                if (sheet.transparentInk) {
                    std::uint8_t mask = 0;
                    for (int p = 0; p < mode.pixelsPerByte; ++p)
                        if (Packed_Pixel_Ink(mode, data, p) == *cutting.transparentInk)
                            mask |= Packed_Pixel_Bits(mode, p);
                    data &= static_cast<std::uint8_t>(~mask);
                    bytes.push_back(mask); // the mask comes first: AND it, then OR the data
                }
                bytes.push_back(data);
            }
        }
        sheet.cells.push_back(std::move(bytes));
    }
    return sheet;
}
