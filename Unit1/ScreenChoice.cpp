#include "ScreenChoice.h"

#include "SysUtils.h"

std::string Window_Caption(const std::string& pictureName, int mode, TScreen screen) {
    const std::string program =
        "Tintora (CPC mode " + IntToStr(mode) + (screen == TScreen::Overscan ? ", full screen)" : ")");
    return pictureName.empty() ? program : pictureName + " - " + program;
}
