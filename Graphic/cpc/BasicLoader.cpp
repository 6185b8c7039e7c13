#include "BasicLoader.h"

#include <algorithm>

#include "SysUtils.h"

namespace {

std::string number(const Ink& ink) {
    return IntToStr(Colour_Number_Of_Ink(ink));
}

constexpr int kInksPerLine = 4;

// "&1000": BASIC's hexadecimal.
std::string hexadecimal(int value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value > 0);
    return "&" + text;
}

std::vector<std::uint8_t> asciiFile(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.resize((bytes.size() + kRecordBytes - 1) / kRecordBytes * kRecordBytes, kEndOfFileMark);
    return bytes;
}

} // namespace

std::vector<std::uint8_t> Basic_Loader(const std::string& screenFile, const InkTable& inks) {
    return Basic_Loader(screenFile, Ink_List_Of(inks), Screen_Mode(kDefaultScreenMode));
}

std::vector<std::uint8_t> Basic_Loader(const std::string& screenFile, const InkList& inks,
                                       const ScreenMode& mode) {
    if (static_cast<int>(inks.size()) != mode.inkCount || inks.empty())
        throw Exception("A mode " + IntToStr(mode.number) + " loader takes " +
                        IntToStr(mode.inkCount) + " inks");
    const std::string newLine = "\r\n";
    // The border takes ink 0's colour, so the picture's background runs on.
    std::string text = "10 MODE " + IntToStr(mode.number) + ":BORDER " + number(inks[0]) + newLine;
    // Lines 20, 21 ... set four inks each, which keeps every line short.
    for (std::size_t k = 0; k < inks.size(); ++k) {
        const bool first = k % kInksPerLine == 0;
        text += (first ? IntToStr(20 + static_cast<int>(k) / kInksPerLine) + " " : ":") + "INK " +
                IntToStr(static_cast<int>(k)) + "," + number(inks[k]);
        if (k % kInksPerLine == kInksPerLine - 1 || k + 1 == inks.size())
            text += newLine;
    }
    text += "30 LOAD\"" + screenFile + "\",&C000" + newLine +
            // KM WAIT KEY: the picture stays until a key is pressed.
            "40 CALL &BB18" + newLine;
    return asciiFile(text);
}

std::vector<std::uint8_t> Viewer_Loader(const std::string& viewerFile, int viewerAddress,
                                        const std::string& pictureFile, int pictureAddress) {
    const std::string newLine = "\r\n";
    return asciiFile("10 MEMORY " + hexadecimal(std::min(viewerAddress, pictureAddress) - 1) + newLine + "20 LOAD\"" + viewerFile + "\"," +
                     hexadecimal(viewerAddress) + newLine + "30 LOAD\"" + pictureFile + "\"," +
                     hexadecimal(pictureAddress) + newLine + "40 CALL " + hexadecimal(viewerAddress) + newLine);
}

std::vector<std::uint8_t> Slideshow_Loader(const std::string& viewerFile, int viewerAddress,
                                           const std::vector<std::string>& pictureFiles, int pictureAddress) {
    if (pictureFiles.empty())
        throw Exception("A slideshow loader takes at least one picture");
    const std::string newLine = "\r\n";
    const ScreenMode& mode = Screen_Mode(kDefaultScreenMode);
    std::string text = "10 MODE " + IntToStr(mode.number) + ":BORDER 0";
    for (int k = 0; k < mode.inkCount; ++k)
        text += ":INK " + IntToStr(k) + ",0";
    text += newLine + "20 MEMORY " + hexadecimal(viewerAddress - 1) + ":LOAD\"" + viewerFile + "\"," +
            hexadecimal(viewerAddress) + newLine;
    // Lines 30, 40 ... one picture each, then back to the first.
    constexpr int kFirstPictureLine = 30, kLineStep = 10;
    int line = kFirstPictureLine;
    for (std::size_t k = 0; k < pictureFiles.size(); ++k, line += kLineStep)
        text += IntToStr(line) + " LOAD\"" + pictureFiles[k] + "\"," + hexadecimal(pictureAddress) + ":CALL " +
                hexadecimal(viewerAddress) + "," + IntToStr(static_cast<int>(k)) + newLine;
    text += IntToStr(line) + " GOTO " + IntToStr(kFirstPictureLine) + newLine;
    return asciiFile(text);
}
