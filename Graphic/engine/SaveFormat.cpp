#include "Engine.h"

#include <array>
#include <string>
#include <utility>

TSaveFormat Save_Format_Of(const std::string& fileName) {
    static constexpr std::array<std::pair<const char*, TSaveFormat>, 9> kEndings = {{
        {"bmp", TSaveFormat::Bmp},
        {"scr", TSaveFormat::Screen},
        {"png", TSaveFormat::Png},
        {"dat", TSaveFormat::Sprite},
        {"pal", TSaveFormat::Palette},
        {"dsk", TSaveFormat::Disc},
        {"zx0", TSaveFormat::Compressed},
        {"sna", TSaveFormat::Snapshot},
        {"kit", TSaveFormat::PlusPalette},
    }};
    if (fileName.size() < 3)
        return TSaveFormat::None;
    const std::string ending = fileName.substr(fileName.size() - 3);
    for (const auto& [text, format] : kEndings)
        if (ending == text)
            return format;
    return TSaveFormat::None;
}

std::string Wrong_Size_Message(const std::string& picture, int width, int height, const std::string& outputNeeds,
                               int neededWidth, int neededHeight, const std::string& wayOut) {
    return picture + " is " + std::to_string(width) + " x " + std::to_string(height) + "; " + outputNeeds + " " +
           std::to_string(neededWidth) + " x " + std::to_string(neededHeight) + ": " + wayOut;
}

bool Fits_Screen(const TPicture& result) {
    return result.GetHeight() == kScreenHeight && result.GetWidth() == kScreenWidth;
}

std::vector<std::uint8_t> Screen_File_Bytes(const TPicture& result, const InkTable& inks) {
    std::unique_ptr<std::uint8_t[]> packed;
    CPC_Mode1_Convert(result, packed, inks);
    std::unique_ptr<std::uint8_t[]> screen;
    CPC_Screen_Layout(packed.get(), screen);
    return {screen.get(), screen.get() + kScreenBytes};
}

void Save_Screen_File(const TPicture& result, const InkTable& inks, const std::string& fileName) {
    const std::vector<std::uint8_t> screen = Screen_File_Bytes(result, inks);
    Write_Raw_File(screen.data(), screen.size(), fileName);
}
