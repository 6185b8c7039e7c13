#include "ScreenChoice.h"

#include "SysUtils.h"

std::string Window_Caption(const std::string& pictureName, int mode) {
    const std::string program = "Tintora (CPC mode " + IntToStr(mode) + ")";
    return pictureName.empty() ? program : pictureName + " - " + program;
}
