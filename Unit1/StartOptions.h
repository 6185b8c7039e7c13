#pragma once

#include <string>
#include <vector>

#include "ScreenChoice.h"

// What the program is started with: `tintora [--mode 0|1|2] [--dither NAME]
// [FILE]`, the options under tintora-cli's names and values.
struct TStartOptions {
    TScreenChoice choice;
    // The picture to load once the window is shown; empty for none.
    std::string file;
};

// Parses the arguments after the program name (Qt's own have been taken
// out). Raises an Exception naming the argument and what it takes when one
// is malformed.
TStartOptions Parse_Start_Options(const std::vector<std::string>& arguments);
