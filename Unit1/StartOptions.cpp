#include "StartOptions.h"

#include "OptionNumbers.h"
#include "SysUtils.h"


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
        } else if (argument == "--reset")
            options.reset = true;
        else if (argument.size() > 1 && argument[0] == '-')
            throw Exception("unknown option " + argument +
                            ": tintora takes --reset, --mode 0|1|2, --screen standard|overscan, --dither NAME and a picture file");
        else if (fileGiven)
            throw Exception("tintora opens one picture, not '" + options.file + "' and '" + argument + "'");
        else {
            options.file = argument;
            fileGiven = true;
        }
    }
    return options;
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
