#include "ScreenChoice.h"

#include "SysUtils.h"

std::string Window_Caption(const std::string& pictureName, int mode, TScreen screen, TPalette palette) {
    const std::string program =
        "Tintora (" + std::string(Palette_Of(palette).title) + " mode " + IntToStr(mode) + (screen == TScreen::Overscan ? ", full screen)" : ")");
    return pictureName.empty() ? program : pictureName + " - " + program;
}
