#include "CliOptions.h"

#include <sstream>
#include <utility>

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

InkTable inksFrom(const std::string& text) {
    std::vector<std::string> numbers;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, ',');)
        numbers.push_back(part);
    if (numbers.size() != kInkCount || (!text.empty() && text.back() == ','))
        throw Exception("--inks takes four colour numbers from 0 to 26 separated by commas, not '" + text + "'");
    InkTable inks{};
    for (int k = 0; k < kInkCount; ++k)
        inks[static_cast<std::size_t>(k)] = Ink_From_Colour_Number(
            integerIn("--inks (ink " + IntToStr(k) + ")", numbers[static_cast<std::size_t>(k)], 0, kColourCount - 1));
    return inks;
}

TFitMode fitModeFrom(const std::string& text) {
    if (text == "crop")
        return TFitMode::Crop;
    if (text == "pad")
        return TFitMode::Pad;
    if (text == "stretch")
        return TFitMode::Stretch;
    throw Exception("--fit takes crop, pad or stretch, not '" + text + "'");
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
        else if (argument == "--fit")
            options.fit = fitModeFrom(value());
        else if (argument == "--inks")
            options.inks = inksFrom(value());
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
        throw Exception("expected an input picture file and an output file, got " + IntToStr(static_cast<int>(files.size())) +
                        " file names (see --help)");
    options.input = files[0];
    options.output = files[1];
    if (Save_Format_Of(options.output) == TSaveFormat::None)
        throw Exception("the output name \"" + options.output +
                        "\" must end in \"bmp\" (24-bit BMP) or \"scr\" (screen file); the ending is case-sensitive");
    return options;
}

std::string Cli_Usage() {
    return "Usage: tintora-cli IN OUT [--inks N,N,N,N] [--brightness A] [--contrast B] [--local C] [--stretch]\n"
           "                   [--fit crop|pad|stretch]\n"
           "\n"
           "Converts the picture IN (BMP, PNG, JPEG, GIF; WebP and TIFF where Qt's image\n"
           "format plugins are installed) to the four inks of the Amstrad CPC's mode 1 with\n"
           "a 2x2 ordered dither, exactly as the Tintora window does, and saves the result as OUT.\n"
           "\n"
           "OUT is written by its last three characters (case-sensitive):\n"
           "  ...bmp   the result as a 24-bit BMP picture, at the input's size\n"
           "  ...scr   a 16384-byte mode 1 screen file (OCP Art Studio layout, no header);\n"
           "           the input must be exactly 320 x 200 pixels (or use --fit)\n"
           "\n"
           "Options:\n"
           "  --inks N,N,N,N   CPC colour numbers 0..26 of inks 0 to 3 (n = 9 green + 3 red + blue,\n"
           "                   each intensity 0..2); default: the window's start inks\n"
           "                   black, dark red, orange, white\n"
           "  --brightness A   -550..550, default 0; higher is lighter\n"
           "  --contrast B     -370..370, default 0; higher is more contrast\n"
           "  --local C        local contrast reinforcement, -20000..20000, default 0\n"
           "  --fit MODE       first bring the picture to the 320 x 200 screen: crop fills it,\n"
           "                   cutting the excess evenly; pad shows it whole between black bars;\n"
           "                   stretch ignores proportions. Crop and pad keep the proportions\n"
           "                   the CPC's screen shows (its pixels are 0.92 times as wide as high)\n"
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
        if (options.fit != TFitMode::Off) {
            TPicture fitted;
            Fit_To_Screen(source, fitted, options.fit);
            source = std::move(fitted);
        }
        if (options.stretch)
            Stretch_Palette(&source);
        Local_Contrast_Map(source, map);
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
