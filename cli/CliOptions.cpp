#include "CliOptions.h"

#include <algorithm>
#include <sstream>
#include <thread>

#include "Engine.h"
#include "SysUtils.h"

namespace {

int integerIn(const std::string& option, const std::string& text, int minimum, int maximum) {
    int value = 0;
    try {
        value = StrToInt(text);
    } catch (const Exception&) {
        throw Exception(option + " takes a whole number from " + IntToStr(minimum) + " to " + IntToStr(maximum) +
                        ", not '" + text + "'");
    }
    if (value < minimum || value > maximum)
        throw Exception(option + " must be from " + IntToStr(minimum) + " to " + IntToStr(maximum) + ", not " +
                        text);
    return value;
}

// Four colour numbers, each of which may be "auto", or "auto" alone for all four.
InkNumbers inksFrom(const std::string& text) {
    if (text == "auto")
        return {kChooseInk, kChooseInk, kChooseInk, kChooseInk};
    std::vector<std::string> numbers;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, ',');)
        numbers.push_back(part);
    if (numbers.size() != kInkCount || (!text.empty() && text.back() == ','))
        throw Exception("--inks takes four colour numbers from 0 to 26 (or auto) separated by commas, not '" +
                        text + "'");
    InkNumbers inks{};
    for (std::size_t k = 0; k < kInkCount; ++k)
        inks[k] = numbers[k] == "auto"
                      ? kChooseInk
                      : integerIn("--inks (ink " + IntToStr(static_cast<int>(k)) + ")", numbers[k], 0, kColourCount - 1);
    return inks;
}

// Chooses the inks marked "auto" on every core and prints the four numbers.
InkTable chosenInks(const TPicture& source, const TPicture& map, const CliOptions& options, std::ostream& out) {
    Ink_Search_Control control;
    control.threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const Ink_Search_Cells cells =
        Ink_Search_Cells_Of(source, map, options.brightness, options.contrast, options.local);
    const InkNumbers numbers = Choose_Inks(cells, options.keptInks, control).numbers;
    out << "inks " << numbers[0] << ',' << numbers[1] << ',' << numbers[2] << ',' << numbers[3] << '\n';
    return Inks_Of_Numbers(numbers);
}

} // namespace

CliOptions Parse_Cli_Options(const std::vector<std::string>& arguments) {
    CliOptions options;
    Reset_Ink_Table(options.inks);
    std::vector<std::string> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size())
                throw Exception(argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h")
            options.help = true;
        else if (argument == "--stretch")
            options.stretch = true;
        else if (argument == "--inks") {
            options.keptInks = inksFrom(value());
            options.chooseInks =
                std::find(options.keptInks.begin(), options.keptInks.end(), kChooseInk) != options.keptInks.end();
            if (!options.chooseInks)
                options.inks = Inks_Of_Numbers(options.keptInks);
        }
        else if (argument == "--brightness")
            options.brightness = integerIn(argument, value(), kBrightnessMin, kBrightnessMax);
        else if (argument == "--contrast")
            options.contrast = integerIn(argument, value(), kContrastMin, kContrastMax);
        else if (argument == "--local")
            options.local = integerIn(argument, value(), kLocalMin, kLocalMax);
        else if (argument.size() > 1 && argument[0] == '-')
            throw Exception("unknown option " + argument + " (see --help)");
        else
            files.push_back(argument);
    }
    if (options.help)
        return options;
    if (files.size() != 2)
        throw Exception("expected an input BMP file and an output file, got " + IntToStr(static_cast<int>(files.size())) +
                        " file names (see --help)");
    options.input = files[0];
    options.output = files[1];
    if (Save_Format_Of(options.output) == TSaveFormat::None)
        throw Exception("the output name \"" + options.output +
                        "\" must end in \"bmp\" (24-bit BMP) or \"scr\" (screen file); the ending is case-sensitive");
    return options;
}

std::string Cli_Usage() {
    return "Usage: tintora-cli IN OUT [--inks N,N,N,N | --inks auto] [--brightness A] [--contrast B] [--local C] [--stretch]\n"
           "\n"
           "Converts the BMP picture IN to the four inks of the Amstrad CPC's mode 1 with a 2x2\n"
           "ordered dither, exactly as the Tintora window does, and saves the result as OUT.\n"
           "\n"
           "OUT is written by its last three characters (case-sensitive):\n"
           "  ...bmp   the result as a 24-bit BMP picture, at the input's size\n"
           "  ...scr   a 16384-byte mode 1 screen file (OCP Art Studio layout, no header);\n"
           "           the input must be exactly 320 x 200 pixels\n"
           "\n"
           "Options:\n"
           "  --inks N,N,N,N   CPC colour numbers 0..26 of inks 0 to 3 (n = 9 green + 3 red + blue,\n"
           "                   each intensity 0..2); default: the window's start inks\n"
           "                   black, dark red, orange, white. \"auto\" for an ink lets the\n"
           "                   converter choose it (--inks auto: all four; 0,auto,auto,26 keeps\n"
           "                   inks 0 and 3): the four different colours whose result looks\n"
           "                   closest to IN; it prints \"inks N,N,N,N\" before converting\n"
           "  --brightness A   -550..550, default 0; higher is lighter\n"
           "  --contrast B     -370..370, default 0; higher is more contrast\n"
           "  --local C        local contrast reinforcement, -20000..20000, default 0\n"
           "  --stretch        first stretch each colour channel to the full range 0..255\n"
           "  --help           show this text\n"
           "\n"
           "Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments,\n"
           "3 the picture does not suit the output (not 320 x 200 for a screen file).\n"
           "Nothing is written when the conversion fails.\n";
}

int Run_Cli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    CliOptions options;
    try {
        options = Parse_Cli_Options(arguments);
    } catch (const std::exception& error) {
        err << "tintora-cli: " << ErrorText(error) << '\n';
        return kCliBadUsage;
    }
    if (options.help) {
        out << Cli_Usage();
        return kCliOk;
    }
    try {
        TPicture source, map, result;
        source.LoadFromFile(options.input);
        if (options.stretch)
            Stretch_Palette(&source);
        Local_Contrast_Map(source, map);
        if (options.chooseInks)
            options.inks = chosenInks(source, map, options, out);
        CPC_Mode1_Dither(source, result, map, options.inks, options.brightness, options.contrast, options.local);
        if (Save_Format_Of(options.output) == TSaveFormat::Bmp) {
            result.SaveToFile(options.output);
        } else if (Fits_Screen(result)) {
            Save_Screen_File(result, options.inks, options.output);
        } else {
            err << kScreenSizeMessage << '\n';
            return kCliUnsuitablePicture;
        }
    } catch (const std::exception& error) {
        err << "tintora-cli: " << ErrorText(error) << '\n';
        return kCliFailed;
    }
    return kCliOk;
}
