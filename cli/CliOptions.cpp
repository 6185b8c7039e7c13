#include "CliOptions.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <sstream>
#include <utility>

#include "AmsdosHeader.h"
#include "CpcExport.h"
#include "Engine.h"
#include "OcpPalette.h"
#include "RawSprite.h"
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

// A memory address 0..65535: "&4000" or "0x4000" in hexadecimal, "16384" in decimal.
int addressFrom(const std::string& text) {
    const bool ampersand = text.size() > 1 && text[0] == '&';
    const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = ampersand ? text.substr(1) : prefixed ? text.substr(2) : text;
    const int base = ampersand || prefixed ? 16 : 10;
    long value = 0;
    bool valid = !digits.empty() && digits.size() <= 5;
    for (const char c : digits) {
        const int digit = (c >= '0' && c <= '9')                 ? c - '0'
                          : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                                 : -1;
        valid = valid && digit >= 0;
        value = value * base + (digit >= 0 ? digit : 0);
    }
    if (!valid || value >= kCpcMemoryBytes)
        throw Exception("--load takes an address from 0 to 65535, written &4000, 0x4000 or 16384, not '" + text +
                        "'");
    return static_cast<int>(value);
}

// The output endings that can carry an AMSDOS header.
bool takesHeader(TSaveFormat format) {
    return format == TSaveFormat::Screen || format == TSaveFormat::Sprite || format == TSaveFormat::Palette;
}

// Checks what the output ending and the CPC options ask for together, and
// settles the CPC name.
void checkOutput(CliOptions& options, const std::optional<std::string>& name, bool loadGiven) {
    options.format = Save_Format_Of(options.output);
    if (options.format == TSaveFormat::None)
        throw Exception("the output name \"" + options.output +
                        "\" must end in \"bmp\", \"png\", \"scr\", \"dat\", \"pal\" or \"dsk\"; the ending is "
                        "case-sensitive");
    if (options.amsdos && !takesHeader(options.format))
        throw Exception("--amsdos adds a header to \"scr\", \"dat\" and \"pal\" outputs only");
    if (loadGiven && !(options.amsdos && options.format == TSaveFormat::Sprite))
        throw Exception("--load sets where a \"dat\" output with --amsdos loads; it needs both");
    const bool named = options.amsdos || options.format == TSaveFormat::Disc;
    if (name && !named)
        throw Exception("--name names the file on the CPC: it needs a \"dsk\" output or --amsdos");
    if (named)
        options.cpcName = name ? Amsdos_Name(*name) : Amsdos_Name_Of_Path(options.output);
}

// Chooses the inks marked "auto" on every core and prints the four numbers.
InkTable chosenInks(const TPicture& source, const TPicture& map, const CliOptions& options, std::ostream& out) {
    Ink_Search_Control control;
    control.threads = Ink_Search_Control::AllCores();
    const Ink_Search_Cells cells =
        Ink_Search_Cells_Of(source, map, options.brightness, options.contrast, options.local);
    const InkNumbers numbers = Choose_Inks(cells, options.keptInks, control).numbers;
    out << "inks " << numbers[0] << ',' << numbers[1] << ',' << numbers[2] << ',' << numbers[3] << '\n';
    return Inks_Of_Numbers(numbers);
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

// "X,Y": two decimals from 0 to 1, as 0.25 or 1.
TCropPosition cropPositionFrom(const std::string& text) {
    const std::size_t comma = text.find(',');
    const auto share = [&](std::size_t first, std::size_t last, double& value) {
        const char* begin = text.data() + first;
        const char* end = text.data() + last;
        const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::fixed);
        return begin != end && error == std::errc() && stop == end && value >= 0 && value <= 1;
    };
    TCropPosition at;
    if (comma == std::string::npos || !share(0, comma, at.x) || !share(comma + 1, text.size(), at.y))
        throw Exception("--crop-at takes two numbers from 0 to 1 separated by a comma (0.5,0.5 is the middle), not '" +
                        text + "'");
    return at;
}

} // namespace

CliOptions Parse_Cli_Options(const std::vector<std::string>& arguments) {
    CliOptions options;
    Reset_Ink_Table(options.inks);
    std::vector<std::string> files;
    std::optional<std::string> name;
    bool loadGiven = false;
    bool cropAtGiven = false;
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
        else if (argument == "--amsdos")
            options.amsdos = true;
        else if (argument == "--load") {
            options.loadAddress = addressFrom(value());
            loadGiven = true;
        } else if (argument == "--name")
            name = value();
        else if (argument == "--fit")
            options.fit = fitModeFrom(value());
        else if (argument == "--crop-at") {
            options.cropAt = cropPositionFrom(value());
            cropAtGiven = true;
        }
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
    if (cropAtGiven && options.fit != TFitMode::Crop)
        throw Exception("--crop-at places the window of --fit crop; it needs --fit crop");
    if (files.size() != 2)
        throw Exception("expected an input picture file and an output file, got " + IntToStr(static_cast<int>(files.size())) +
                        " file names (see --help)");
    options.input = files[0];
    options.output = files[1];
    checkOutput(options, name, loadGiven);
    return options;
}

std::string Cli_Usage() {
    return "Usage: tintora-cli IN OUT [--inks N,N,N,N | --inks auto] [--brightness A] [--contrast B] [--local C]\n"
           "                          [--stretch] [--amsdos] [--load ADDRESS] [--name NAME]\n"
           "                          [--fit crop|pad|stretch] [--crop-at X,Y]\n"
           "\n"
           "Converts the picture IN (BMP, PNG, JPEG, GIF; WebP and TIFF where Qt's image\n"
           "format plugins are installed) to the four inks of the Amstrad CPC's mode 1 with\n"
           "a 2x2 ordered dither, exactly as the Tintora window does, and saves the result as OUT.\n"
           "\n"
           "OUT is written by its last three characters (case-sensitive):\n"
           "  ...bmp   the result as a 24-bit BMP picture, at the input's size\n"
           "  ...png   the result as a PNG picture, at the input's size\n"
           "  ...scr   a 16384-byte mode 1 screen file (OCP Art Studio layout, no header);\n"
           "           the input must be exactly 320 x 200 pixels (or use --fit)\n"
           "  ...dat   a raw sprite: the mode 1 bytes of each row, (width + 3) / 4 a row,\n"
           "           top row first, for a picture of any size\n"
           "  ...pal   the inks as an OCP Art Studio palette (239 bytes)\n"
           "  ...dsk   a CPC data disc image (extended DSK) holding NAME.SCR and NAME.PAL\n"
           "           with headers and the loader DISC.BAS: RUN\"DISC\" shows the picture;\n"
           "           the input must be exactly 320 x 200 pixels (or use --fit)\n"
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
           "  --fit MODE       first bring the picture to the 320 x 200 screen: crop fills it,\n"
           "                   cutting the excess evenly; pad shows it whole between black bars;\n"
           "                   stretch ignores proportions. Crop and pad keep the proportions\n"
           "                   the CPC's screen shows (its pixels are 0.92 times as wide as high)\n"
           "  --crop-at X,Y    where --fit crop's window sits in the spare width and height,\n"
           "                   0..1 each: 0,0 keeps the top left, 1,1 the bottom right;\n"
           "                   default 0.5,0.5 (the middle)\n"
           "  --stretch        first stretch each colour channel to the full range 0..255\n"
           "  --amsdos         put an AMSDOS header in front of a scr (loads at &C000),\n"
           "                   dat (loads at &4000) or pal (loads at &8809) file, so that\n"
           "                   LOAD\"NAME.EXT\" on a CPC loads it\n"
           "  --load ADDRESS   where a dat file with --amsdos loads: &4000 or 0x4000\n"
           "                   (hexadecimal) or 16384 (decimal), 0 to 65535\n"
           "  --name NAME      the file name on the CPC, for dsk and --amsdos; default: OUT's\n"
           "                   name. Upper case letters and digits only, at most 8 are kept\n"
           "  --help           show this text\n"
           "\n"
           "Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments,\n"
           "3 the picture does not suit the output (scr and dsk need 320 x 200).\n"
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
            Fit_To_Screen(source, fitted, options.fit, options.cropAt);
            source = std::move(fitted);
        }
        if (options.stretch)
            Stretch_Palette(&source);
        // The result takes the source's size: a picture unfit for a screen
        // is refused before any work, the ink choice included.
        const bool needsScreen = options.format == TSaveFormat::Screen || options.format == TSaveFormat::Disc;
        if (needsScreen && !Fits_Screen(source)) {
            err << kScreenSizeMessage << '\n';
            return kCliUnsuitablePicture;
        }
        Local_Contrast_Map(source, map);
        if (options.chooseInks)
            options.inks = chosenInks(source, map, options, out);
        CPC_Mode1_Dither(source, result, map, options.inks, options.brightness, options.contrast, options.local);
        std::vector<std::uint8_t> bytes;
        switch (options.format) {
        case TSaveFormat::Bmp:
        case TSaveFormat::Png:
            result.SaveToFile(options.output,
                              options.format == TSaveFormat::Png ? TPictureFileFormat::Png : TPictureFileFormat::Bmp);
            return kCliOk;
        case TSaveFormat::Disc:
            Save_Picture_Disc(result, options.inks, options.cpcName, options.output);
            return kCliOk;
        case TSaveFormat::Screen:
            bytes = options.amsdos ? Screen_File_With_Header(result, options.inks, options.cpcName)
                                   : Screen_File_Bytes(result, options.inks);
            break;
        case TSaveFormat::Palette:
            if (options.amsdos)
                bytes = Palette_File_With_Header(options.inks, options.cpcName);
            else {
                const auto palette = Ocp_Palette(options.inks);
                bytes.assign(palette.begin(), palette.end());
            }
            break;
        case TSaveFormat::Sprite:
            bytes = Raw_Sprite(result, options.inks);
            if (options.amsdos && !Amsdos_Fits(options.loadAddress, bytes.size())) {
                err << "tintora-cli: the raw sprite of " << result.GetWidth() << " x " << result.GetHeight()
                    << " pixels takes " << bytes.size() << " bytes, more than the CPC's memory holds from &" << std::hex
                    << std::uppercase << options.loadAddress << '\n';
                return kCliUnsuitablePicture;
            }
            if (options.amsdos)
                bytes = Sprite_File_With_Header(result, options.inks, options.cpcName, options.loadAddress);
            break;
        case TSaveFormat::None: // refused with the arguments
            return kCliBadUsage;
        }
        Write_Raw_File(bytes.data(), bytes.size(), options.output);
    } catch (const std::exception& error) {
        err << "tintora-cli: " << ErrorText(error) << '\n';
        return kCliFailed;
    }
    return kCliOk;
}
