#include "Engine.h"

TSaveFormat Save_Format_Of(const std::string& fileName) {
    if (fileName.size() < 3)
        return TSaveFormat::None;
    const std::string ending = fileName.substr(fileName.size() - 3);
    if (ending == "bmp")
        return TSaveFormat::Bmp;
    if (ending == "scr")
        return TSaveFormat::Screen;
    return TSaveFormat::None;
}

bool Fits_Screen(const TPicture& result) {
    return result.GetHeight() == kScreenHeight && result.GetWidth() == kScreenWidth;
}

void Save_Screen_File(const TPicture& result, const InkTable& inks, const std::string& fileName) {
    std::unique_ptr<std::uint8_t[]> packed;
    CPC_Mode1_Convert(result, packed, inks);
    std::unique_ptr<std::uint8_t[]> screen;
    CPC_Screen_Layout(packed.get(), screen);
    packed.reset();
    Write_Raw_File(screen.get(), kScreenBytes, fileName);
}
