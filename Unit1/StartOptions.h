#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ScreenChoice.h"

// What the program is started with: `tintora [--reset] [--mode 0|1|2]
// [--screen standard|overscan] [--dither NAME] [--palette cpc|plus] [FILE]`, the options under
// tintora-cli's names and values, or `tintora --help` / `tintora --version`,
// which the program answers before the window starts.
struct TStartOptions {
    TScreenChoice choice;
    // Which parts of choice the command line gave: those win over the
    // settings kept from the last run.
    bool modeGiven = false;
    bool ditherGiven = false;
    bool screenGiven = false;
    // --palette: the colours an ink can take, when given.
    std::optional<TPalette> palette;
    // --reset: start without the settings kept from earlier runs, as a first run does.
    bool reset = false;
    // The picture to load once the window is shown; empty for none.
    std::string file;
};

// Parses the arguments after the program name (Qt's own have been taken
// out). Raises an Exception naming the argument and what it takes when one
// is malformed.
TStartOptions Parse_Start_Options(const std::vector<std::string>& arguments);

// True for an argument that looks like a long option ("--name") and is
// neither one of the program's nor one of Qt's own (which Qt also takes with
// two dashes, "--platform"): known to be wrong before Qt has started.
bool Unknown_Long_Option(std::string_view argument);

// The usage text --help prints: every option the window takes.
std::string Start_Usage();

// The screen choice to start with: the kept one, with the mode, the dither
// and the screen the command line gave in their place.
TScreenChoice Start_Screen_Choice(const TStartOptions& options, const TScreenChoice& kept);
