#include "SpriteDescription.h"

#include <cctype>
#include <set>

#include "ModePacking.h"
#include "SysUtils.h"

namespace {

// BASIC's INK statements for the inks, four a line as the loader writes them.
std::vector<std::string> inkLines(const InkList& inks) {
    constexpr std::size_t kInksPerLine = 4;
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < inks.size(); ++k) {
        const std::string ink =
            "INK " + IntToStr(static_cast<int>(k)) + "," + IntToStr(Colour_Number_Of_Ink(inks[k]));
        if (k % kInksPerLine == 0)
            lines.push_back("  " + ink);
        else
            lines.back() += ":" + ink;
    }
    return lines;
}

// Where each pixel of a byte keeps its ink bits, from the mode's table.
std::vector<std::string> layoutLines(const ScreenMode& mode) {
    std::vector<std::string> lines = {"Each byte holds " + IntToStr(mode.pixelsPerByte) + " pixels of " +
                                      IntToStr(mode.bitsPerPixel) + (mode.bitsPerPixel == 1 ? " bit" : " bits") +
                                      " (bit 7 is the highest):"};
    for (int p = 0; p < mode.pixelsPerByte; ++p) {
        std::string line = "  pixel " + IntToStr(p) + (p == 0 ? " (leftmost):" : ":");
        for (int k = 0; k < mode.bitsPerPixel; ++k)
            line += (k == 0 ? " " : ", ") + std::string("ink bit ") + IntToStr(k) + " at byte bit " +
                    IntToStr(mode.pixelBit[static_cast<std::size_t>(p)][static_cast<std::size_t>(k)]);
        lines.push_back(line);
    }
    return lines;
}

} // namespace

std::string Sprite_Ink_Numbers(const InkList& inks, const std::string& separator) {
    std::string text;
    for (std::size_t k = 0; k < inks.size(); ++k)
        text += (k == 0 ? "" : separator) + IntToStr(Colour_Number_Of_Ink(inks[k]));
    return text;
}

std::vector<std::string> Sprite_Description(const SpriteCells& sheet, const InkList& inks, const ScreenMode& mode) {
    const int cellBytes = Sprite_Row_Bytes(sheet) * sheet.height;
    std::vector<std::string> lines = {
        "Mode " + IntToStr(mode.number) + " sprites: " + IntToStr(static_cast<int>(sheet.cells.size())) +
            " cells of " + IntToStr(sheet.widthPixels) + " x " + IntToStr(sheet.height) + " pixels, " +
            IntToStr(sheet.widthBytes) + " bytes x " + IntToStr(sheet.height) + " rows, " + IntToStr(cellBytes) +
            " bytes a cell, cells back to back.",
        "Cells in the sheet's order: left to right, then top to bottom.",
        "Inks 0 to " + IntToStr(static_cast<int>(inks.size()) - 1) +
            " as CPC colour numbers: " + Sprite_Ink_Numbers(inks, ", ") + "; in BASIC:",
    };
    for (const std::string& line : inkLines(inks))
        lines.push_back(line);
    lines.push_back(sheet.rows == SpriteRows::Down
                        ? "Rows top to bottom, each row's bytes left to right."
                        : "Rows top to bottom, zigzag: rows 0, 2, 4... left to right, rows 1, 3, 5... right to left.");
    for (const std::string& line : layoutLines(mode))
        lines.push_back(line);
    if (sheet.transparentInk) {
        lines.push_back("Masked: each screen byte is two bytes, the mask first, then the data.");
        lines.push_back("Mask bits are 1 where the pixel is transparent (ink " + IntToStr(*sheet.transparentInk) +
                        "), 0 elsewhere; transparent pixels' data bits are 0.");
        lines.push_back("Draw a byte as: screen = (screen AND mask) OR data.");
    }
    return lines;
}

namespace {

// Words C or C++ keep for themselves, and the names they reserve (a leading
// "__", or "_" and a capital): none of them can name the header's array.
bool isReservedInC(const std::string& symbol) {
    static const std::set<std::string> kKeywords = {
        "alignas", "alignof", "and", "and_eq", "asm", "auto", "bitand", "bitor", "bool", "break", "case",
        "catch", "char", "char8_t", "char16_t", "char32_t", "class", "compl", "concept", "const", "consteval",
        "constexpr", "constinit", "const_cast", "continue", "co_await", "co_return", "co_yield", "decltype",
        "default", "delete", "do", "double", "dynamic_cast", "else", "enum", "explicit", "export", "extern",
        "false", "float", "for", "friend", "goto", "if", "inline", "int", "long", "mutable", "namespace",
        "new", "noexcept", "not", "not_eq", "nullptr", "operator", "or", "or_eq", "private", "protected",
        "public", "register", "reinterpret_cast", "requires", "restrict", "return", "short", "signed",
        "sizeof", "static", "static_assert", "static_cast", "struct", "switch", "template", "this",
        "thread_local", "throw", "true", "try", "typedef", "typeid", "typename", "typeof", "union",
        "unsigned", "using", "virtual", "void", "volatile", "wchar_t", "while", "xor", "xor_eq",
        "_Alignas", "_Alignof", "_Atomic", "_Bool", "_Complex", "_Generic", "_Imaginary", "_Noreturn",
        "_Static_assert", "_Thread_local", "main", "stdin", "stdout", "stderr", "errno"};
    if (symbol.size() >= 2 && symbol[0] == '_' && (symbol[1] == '_' || std::isupper(static_cast<unsigned char>(symbol[1])) != 0))
        return true;
    return kKeywords.count(symbol) != 0;
}

} // namespace

std::string Sprite_Symbol_Of(const std::string& text) {
    std::string symbol;
    for (const char c : text)
        symbol += std::isalnum(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80 ? c : '_';
    if (symbol.find_first_not_of('_') == std::string::npos)
        return "sprites";
    if (std::isdigit(static_cast<unsigned char>(symbol[0])) != 0 || isReservedInC(symbol))
        symbol = "sprite_" + symbol;
    return symbol;
}
