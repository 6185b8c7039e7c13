#include "StartOptions.h"

#include <algorithm>
#include <iterator>

#include "OptionNumbers.h"
#include "SysUtils.h"
#include "Dithers.h"


TStartOptions Parse_Start_Options(const std::vector<std::string>& arguments) {
    TStartOptions options;
    bool fileGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&]() -> const std::string& { return Option_Value(arguments, i); };
        if (argument == "--mode") {
            options.choice.mode = Screen_Mode_From_Option(value());
            options.modeGiven = true;
        } else if (argument == "--dither") {
            options.choice.dither = Dither_From_Option(value());
            options.ditherGiven = true;
        } else if (argument == "--screen") {
            options.choice.screen = Screen_From_Option(value());
            options.screenGiven = true;
        } else if (argument == "--palette") {
            options.palette = Palette_From_Option(value());
        } else if (argument == "--reset")
            options.reset = true;
        else if (argument == "--help" || argument == "-h" || argument == "--version")
            continue; // answered before the window starts
        else if (argument.size() > 1 && argument[0] == '-')
            throw Exception("unknown option " + argument);
        else if (fileGiven)
            throw Exception("tintora opens one picture, not '" + options.file + "' and '" + argument + "'");
        else {
            options.file = argument;
            fileGiven = true;
        }
    }
    return options;
}

bool Unknown_Long_Option(std::string_view argument) {
    static constexpr std::string_view kKnown[] = {
        // the program's own
        "--mode", "--screen", "--dither", "--palette", "--reset", "--help", "--version",
        // Qt's, as QGuiApplication and the X11 platform take them
        "--platform", "--platformpluginpath", "--platformtheme", "--plugin", "--qwindowgeometry", "--qwindowicon",
        "--qwindowtitle", "--reverse", "--session", "--style", "--stylesheet", "--widgetcount", "--display",
        "--geometry", "--title", "--name", "--visual", "--nograb", "--dograb", "--sync", "--qmljsdebugger"};
    if (argument.size() < 3 || !argument.starts_with("--"))
        return false;
    const std::string_view name = argument.substr(0, argument.find('='));
    return std::find(std::begin(kKnown), std::end(kKnown), name) == std::end(kKnown);
}

std::string Start_Usage() {
    std::string dithers;
    for (const DitherInfo& info : kDithers)
        dithers += std::string(dithers.empty() ? "" : ", ") + info.name;
    return "Usage: tintora [OPTION]... [FILE]\n"
           "Converts a picture for the Amstrad CPC's screen in a window; FILE is loaded at the start.\n"
           "\n"
           "  --mode 0|1|2    the screen mode (0: 160 x 200, 16 inks; 1: 320 x 200, 4 inks; 2: 640 x 200, 2 inks)\n"
           "  --screen NAME   the screen: standard (inside the border) or overscan (the whole\n"
           "                  monitor: 192, 384 or 768 x 272 pixels in mode 0, 1 or 2)\n"
           "  --dither NAME   the dither: " + dithers + "\n"
           "  --palette NAME  the colours an ink can take: cpc (the CPC's 27) or plus (the\n"
           "                  CPC+'s 4,096)\n"
           "  --reset         start without the settings kept from earlier runs\n"
           "  -h, --help      show this help and exit\n"
           "  --version       show the version and exit\n"
           "\n"
           "A mode, screen, dither or palette given here wins over the one kept from the last run.\n"
           "Qt's own options (such as -platform NAME or -style NAME) are taken too.\n";
}

TScreenChoice Start_Screen_Choice(const TStartOptions& options, const TScreenChoice& kept) {
    TScreenChoice choice = kept;
    if (options.modeGiven)
        choice.mode = options.choice.mode;
    if (options.ditherGiven)
        choice.dither = options.choice.dither;
    if (options.screenGiven)
        choice.screen = options.choice.screen;
    return choice;
}
