#include "BasicLoader.h"

#include "SysUtils.h"

namespace {

std::string number(const Ink& ink) { return IntToStr(Colour_Number_Of_Ink(ink)); }

} // namespace

std::vector<std::uint8_t> Basic_Loader(const std::string& screenFile, const InkTable& inks) {
    const std::string newLine = "\r\n";
    // The border takes ink 0's colour, so the picture's background runs on.
    const std::string text = "10 MODE 1:BORDER " + number(inks[0]) + newLine +
                             "20 INK 0," + number(inks[0]) + ":INK 1," + number(inks[1]) + ":INK 2," +
                             number(inks[2]) + ":INK 3," + number(inks[3]) + newLine +
                             "30 LOAD\"" + screenFile + "\",&C000" + newLine +
                             // KM WAIT KEY: the picture stays until a key is pressed.
                             "40 CALL &BB18" + newLine;
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.resize((bytes.size() + kRecordBytes - 1) / kRecordBytes * kRecordBytes, kEndOfFileMark);
    return bytes;
}
