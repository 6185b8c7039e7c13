#include "CliOptions.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <sstream>
#include <sys/stat.h>

#include "AmsdosHeader.h"
#include "CpcExport.h"
#include "CpcSnapshot.h"
#include "Engine.h"
#include "FittedSource.h"
#include "ModeInkChoice.h"
#include "ModePacking.h"
#include "OcpPalette.h"
#include "OptionNumbers.h"
#include "PaletteInkChoice.h"
#include "PlusExport.h"
#include "PlusKit.h"
#include "PlusSnapshot.h"
#include "RawSprite.h"
#include "SlideshowCli.h"
#include "SpriteDescription.h"
#include "SpriteSheetInks.h"
#include "SysUtils.h"
#include "Zx0Encoder.h"

namespace {


// The mode's count of colours in the palette's form (colour numbers with
// cpc, three hexadecimal digits with plus), each of which may be "auto", or
// "auto" alone for all of them.
std::vector<int> inksFrom(const std::string& text, const ScreenMode& mode, const Palette& palette) {
    const std::size_t count = static_cast<std::size_t>(mode.inkCount);
    if (text == "auto")
        return std::vector<int>(count, kChooseInk);
    std::vector<std::string> numbers;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, ',');)
        numbers.push_back(part);
    if (numbers.size() != count || (!text.empty() && text.back() == ',')) {
        const std::string counted = count == 2 ? "two" : count == 4 ? "four" : IntToStr(mode.inkCount);
        const std::string form = palette.id == TPalette::Cpc
                                     ? "colour numbers from 0 to 26"
                                     : "colours of three hexadecimal digits R G B from 000 to FFF";
        throw Exception("--inks takes " + counted + " " + form + " (or auto) separated by commas" +
                        (mode.number == kDefaultScreenMode ? "" : " in mode " + IntToStr(mode.number)) + ", not '" +
                        text + "'");
    }
    std::vector<int> inks(count);
    const Palette& plus = Palette_Of(TPalette::Plus);
    for (std::size_t k = 0; k < count; ++k) {
        const std::string option = "--inks (ink " + IntToStr(static_cast<int>(k)) + ")";
        if (numbers[k] == "auto")
            inks[k] = kChooseInk;
        else if (palette.id == TPalette::Plus)
            try {
                inks[k] = Palette_Colour_From_Text(palette, numbers[k]);
            } catch (const Exception& error) {
                throw Exception(option + ": " + ErrorText(error));
            }
        else
            try {
                inks[k] = Option_Integer_In(option, numbers[k], 0, kColourCount - 1);
            } catch (const Exception& error) {
                // Three hexadecimal digits are a CPC+ colour given without its palette.
                bool plusColour = true;
                try {
                    Palette_Colour_From_Text(plus, numbers[k]);
                } catch (const Exception&) {
                    plusColour = false;
                }
                if (!plusColour || numbers[k].size() < 3)
                    throw;
                throw Exception(ErrorText(error) + "; '" + numbers[k] +
                                "' is a CPC+ colour: add --palette plus");
            }
    }
    return inks;
}

// A memory address 0..65535: "&4000", "#4000" or "0x4000" in hexadecimal, "16384" in decimal.
int addressFrom(const std::string& text) {
    const std::optional<long long> value = Option_Number_From(text, false, true);
    if (!value || *value < 0 || *value >= kCpcMemoryBytes)
        throw Exception("--load takes an address from 0 to 65535, written &4000, #4000, 0x4000 or 16384, not '" +
                        text + "'");
    return static_cast<int>(*value);
}

// The output endings that can carry an AMSDOS header.
bool takesHeader(TSaveFormat format) {
    return format == TSaveFormat::Screen || format == TSaveFormat::Sprite || format == TSaveFormat::Palette ||
           format == TSaveFormat::PlusPalette || format == TSaveFormat::Compressed;
}

// The output endings made of the whole screen of the mode.
bool needsScreen(TSaveFormat format) {
    return format == TSaveFormat::Screen || format == TSaveFormat::Disc || format == TSaveFormat::Compressed ||
           format == TSaveFormat::Snapshot;
}

// The largest sprite cell, and the most cells --cells keeps: beyond either
// the files would be too large for a CPC program anyway.
constexpr int kLargestCell = 4096;
constexpr int kMostCells = 65536;

// "WxH": the pixels across and down one sprite cell.
SpriteCutting cellSizeFrom(const std::string& text) {
    const std::size_t x = text.find('x');
    SpriteCutting cutting;
    const auto size = [&](const std::string& part, int& value) {
        const std::optional<long long> number = Option_Number_From(part, false, false);
        value = number && *number >= 1 && *number <= kLargestCell ? static_cast<int>(*number) : 0;
        return value > 0;
    };
    if (x == std::string::npos || !size(text.substr(0, x), cutting.cellWidth) ||
        !size(text.substr(x + 1), cutting.cellHeight))
        throw Exception("--sprite takes a cell size in pixels, width x height from 1 to " + IntToStr(kLargestCell) +
                        " as 16x16, not '" + text + "'");
    return cutting;
}

SpriteRows rowsFrom(const std::string& text) {
    if (text == "down")
        return SpriteRows::Down;
    if (text == "zigzag")
        return SpriteRows::Zigzag;
    throw Exception("--rows takes down or zigzag, not '" + text + "'");
}

// Why the output cannot hold CPC+ inks, or empty when it can. A "pal" file
// holds the CPC's hardware colours only, an "asm" or ".h" file names its
// inks by CPC colour number. The disc and the snapshot need the CPC+'s own
// viewer and palette writers: this is the one place that refuses them, to be
// opened when those writers are wired in.
std::string plusOutputRefusal(const CliOptions& options) {
    if (options.format == TSaveFormat::Palette)
        return "a \"pal\" output (an OCP Art Studio palette) holds only the CPC's 27 colours, not the CPC+ inks of "
               "--palette plus: save them as a \"kit\" palette file";
    if (options.spriteFormat == SpriteFormat::Assembler || options.spriteFormat == SpriteFormat::CHeader)
        return "an \"asm\" or \".h\" output names its inks by CPC colour number, which CPC+ inks have none of: "
               "use a \"bin\" output with --palette plus";
    return "";
}

// Checks what the output ending and the CPC options ask for together, and
// settles the CPC name.
void checkOutput(CliOptions& options, const std::optional<std::string>& name, bool loadGiven, bool spriteGiven) {
    options.format = Save_Format_Of(options.output);
    if (options.pack && options.format != TSaveFormat::Disc)
        throw Exception("--pack zx0 compresses the picture on a disc: it needs a \"dsk\" output");
    struct stat place {};
    if (stat(options.output.c_str(), &place) == 0 && S_ISDIR(place.st_mode))
        throw Exception("the output \"" + options.output + "\" is a folder: give the name of a file to write");
    if (options.format == TSaveFormat::None)
        options.spriteFormat = Sprite_Format_Of(options.output);
    if (options.format == TSaveFormat::None && options.spriteFormat == SpriteFormat::None)
        throw Exception("the output name \"" + options.output +
                        "\" must end in \"bmp\", \"png\", \"scr\", \"dat\", \"pal\", \"dsk\", \"zx0\", \"sna\", \"kit\", "
                        "\"asm\", \".h\" or \"bin\"; the ending is case-sensitive");
    if (options.palette == TPalette::Plus)
        if (const std::string refusal = plusOutputRefusal(options); !refusal.empty())
            throw Exception(refusal);
    if (spriteGiven && options.spriteFormat == SpriteFormat::None)
        throw Exception("--sprite, --cells, --rows and --transparent make sprite cells for \"asm\", \".h\" and "
                        "\"bin\" outputs only");
    if (options.spriteFormat != SpriteFormat::None) {
        if (options.amsdos)
            throw Exception("--amsdos adds a header to \"scr\", \"dat\" and \"pal\" outputs only");
        options.spriteName = Sprite_Symbol_Of(name ? *name : std::filesystem::path(options.output).stem().string());
        return;
    }
    if (options.amsdos && !takesHeader(options.format))
        throw Exception("--amsdos adds a header to \"scr\", \"dat\", \"pal\", \"kit\" and \"zx0\" outputs only");
    const bool loads = options.format == TSaveFormat::Sprite || options.format == TSaveFormat::Compressed;
    if (loadGiven && !(options.amsdos && loads))
        throw Exception("--load sets where a \"dat\" or \"zx0\" output with --amsdos loads; it needs both");
    if (options.zx0Classic && options.format != TSaveFormat::Compressed)
        throw Exception("--zx0-classic writes a \"zx0\" output in the classic format; it needs a \"zx0\" output");
    const bool named = options.amsdos || options.format == TSaveFormat::Disc;
    if (name && !named)
        throw Exception("--name names the file on the CPC: it needs a \"dsk\" output or --amsdos (or names the "
                        "labels of an \"asm\", \".h\" or \"bin\" output)");
    if (named)
        options.cpcName = name ? Amsdos_Name(*name) : Amsdos_Name_Of_Path(options.output);
}

// Chooses the inks marked "auto" on every core and prints the numbers of all
// the mode's inks (their error is not printed, so it is not measured).
InkList chosenInks(TPicture& source, const TPicture& map, const CliOptions& options, std::ostream& out) {
    const Palette& palette = Palette_Of(options.palette);
    const auto print = [&out, &palette](const std::vector<int>& numbers) {
        out << "inks ";
        for (std::size_t k = 0; k < numbers.size(); ++k)
            out << (k > 0 ? "," : "") << Palette_Colour_Text(palette, numbers[k]);
        out << '\n';
        return Palette_Inks(palette, numbers);
    };
    // A sprite sheet drawn in CPC colours keeps them, in order of appearance.
    const bool allChosen = std::count(options.keptInks.begin(), options.keptInks.end(), kChooseInk) ==
                           static_cast<std::ptrdiff_t>(options.keptInks.size());
    if (options.spriteFormat != SpriteFormat::None && allChosen && options.palette == TPalette::Cpc)
        if (const auto numbers = Sprite_Sheet_Colour_Numbers(source, Screen_Mode(options.mode).inkCount))
            return print(*numbers);
    Ink_Search_Control control;
    control.threads = Ink_Search_Control::AllCores();
    control.measureChoice = false;
    const std::vector<int> numbers =
        Choose_Palette_Inks(palette, source, map, options.keptInks, options.dither,
                            Mode_On_Screen(Screen_Mode(options.mode), Screen_Geometry(options.screen)),
                            options.brightness, options.contrast, options.local, control)
            .numbers;
    return print(numbers);
}


// True when both names lead to one file (the same device and inode, links
// followed); false when either does not exist.
bool sameFile(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
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
        // No sign, as the range has no negative values: "-0" is refused like "+0".
        if (begin != end && *begin == '-')
            return false;
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
    std::vector<std::string> files;
    std::optional<std::string> inksText;
    std::optional<std::string> name;
    bool loadGiven = false;
    bool cropAtGiven = false;
    bool spriteGiven = false;
    std::optional<std::string> transparentText;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&]() -> const std::string& { return Option_Value(arguments, i); };
        if (argument == "--help" || argument == "-h")
            options.help = true;
        else if (argument == "--stretch")
            options.stretch = true;
        else if (argument == "--amsdos")
            options.amsdos = true;
        else if (argument == "--zx0-classic")
            options.zx0Classic = true;
        else if (argument == "--pack") {
            const std::string& compression = value();
            if (compression != "zx0")
                throw Exception("--pack takes zx0, the one compression a disc's viewer unpacks; got \"" +
                                compression + "\"");
            options.pack = true;
        }
        else if (argument == "--load") {
            options.loadAddress = addressFrom(value());
            loadGiven = true;
        } else if (argument == "--name")
            name = value();
        else if (argument == "--sprite") {
            const SpriteCutting size = cellSizeFrom(value());
            options.sprite.cellWidth = size.cellWidth;
            options.sprite.cellHeight = size.cellHeight;
            spriteGiven = true;
        } else if (argument == "--cells") {
            options.sprite.cellCount = Option_Integer_In(argument, value(), 1, kMostCells);
            spriteGiven = true;
        } else if (argument == "--rows") {
            options.sprite.rows = rowsFrom(value());
            spriteGiven = true;
        } else if (argument == "--transparent") {
            transparentText = value();
            spriteGiven = true;
        } else if (argument == "--fit")
            options.fit = fitModeFrom(value());
        else if (argument == "--crop-at") {
            options.cropAt = cropPositionFrom(value());
            cropAtGiven = true;
        } else if (argument == "--inks")
            inksText = value();
        else if (argument == "--palette")
            options.palette = Palette_From_Option(value());
        else if (argument == "--mode") {
            options.modes = Screen_Modes_From_Option(value());
            options.mode = options.modes.front();
        }
        else if (argument == "--screen")
            options.screen = Screen_From_Option(value());
        else if (argument == "--dither")
            options.dither = Dither_From_Option(value());
        else if (argument == "--brightness")
            options.brightness = Option_Integer_In(argument, value(), kBrightnessMin, kBrightnessMax);
        else if (argument == "--contrast")
            options.contrast = Option_Integer_In(argument, value(), kContrastMin, kContrastMax);
        else if (argument == "--local")
            options.local = Option_Integer_In(argument, value(), kLocalMin, kLocalMax);
        else if (argument.size() > 1 && argument[0] == '-')
            throw Exception("unknown option " + argument + " (see --help)");
        else
            files.push_back(argument);
    }
    if (options.help)
        return options;
    if (cropAtGiven && options.fit != TFitMode::Crop)
        throw Exception("--crop-at places the window of --fit crop; it needs --fit crop");
    // The inks are read once the mode, which says how many there are, is known.
    const ScreenMode& mode = Screen_Mode(options.mode);
    options.inks = Start_Inks(mode);
    if (inksText) {
        Check_Slideshow_Inks(options.modes, *inksText);
        options.keptInks = inksFrom(*inksText, mode, Palette_Of(options.palette));
        options.chooseInks =
            std::find(options.keptInks.begin(), options.keptInks.end(), kChooseInk) != options.keptInks.end();
        if (!options.chooseInks)
            options.inks = Palette_Inks(Palette_Of(options.palette), options.keptInks);
    }
    if (transparentText)
        options.sprite.transparentInk = Option_Integer_In("--transparent", *transparentText, 0, mode.inkCount - 1);
    // A cell alone is a picture of whole cells: this checks the width's bytes.
    if (options.sprite.cellWidth > 0) {
        SpriteCutting one = options.sprite;
        one.cellCount = 0;
        const std::string refusal = Sprite_Cutting_Refusal(one.cellWidth, one.cellHeight, mode, one);
        if (!refusal.empty())
            throw Exception(refusal);
    }
    if (files.size() < 2)
        throw Exception("expected an input picture file and an output file, got " + IntToStr(static_cast<int>(files.size())) +
                        (files.size() == 1 ? " file name" : " file names") + " (see --help)");
    options.input = files[0];
    options.output = files.back();
    if (files.size() > 2) {
        options.inputs.assign(files.begin(), files.end() - 1);
        Check_Slideshow_Options(options, name.has_value());
    } else if (options.modes.size() > 1)
        throw Exception("--mode takes one mode for one picture; a list of modes (0,1,2) gives each picture of a "
                        "slideshow its own: several inputs and a \"dsk\" output");
    checkOutput(options, name, loadGiven, spriteGiven);
    return options;
}

std::string Repeated_Inks_Note(const std::vector<int>& inks, TPalette palette) {
    std::vector<int> given;
    for (const int ink : inks)
        if (ink != kChooseInk)
            given.push_back(ink);
    std::sort(given.begin(), given.end());
    const auto repeated = std::adjacent_find(given.begin(), given.end());
    if (repeated == given.end())
        return "";
    return "note: --inks gives colour " + Palette_Colour_Text(Palette_Of(palette), *repeated) + " more than once: the screen will show fewer than " +
           IntToStr(static_cast<int>(inks.size())) + " colours";
}

std::string Cli_Usage() {
    // The first lines are the forms help2man takes for the manual page's
    // SYNOPSIS; the page's full synopsis, every option, is in tintora-cli.h2m.
    return "Usage: tintora-cli [OPTION]... IN OUT\n"
           "  or:  tintora-cli [OPTION]... IN IN... OUT.dsk\n"
           "  or:  tintora-cli --help\n"
           "\n"
           "Converts the picture IN (BMP, PNG, JPEG, GIF; WebP and TIFF where Qt's image\n"
           "format plugins are installed) to the inks of an Amstrad CPC screen mode (by default\n"
           "the four of mode 1 with the classic 2x2 dither, exactly as the Tintora window does),\n"
           "and saves the result as OUT.\n"
           "\n"
           "OUT is written by its last three characters (case-sensitive):\n"
           "  ...bmp   the result as a 24-bit BMP picture, one pixel per CPC pixel, at the input's size\n"
           "  ...png   the result as a PNG picture, one pixel per CPC pixel, at the input's size\n"
           "  ...scr   a 16384-byte screen file of the mode (OCP Art Studio layout, no header);\n"
           "           the input must fill the mode's screen: 160, 320 or 640 x 200 pixels\n"
           "           in mode 0, 1 or 2 (or use --fit)\n"
           "  ...dat   a raw sprite: the mode's bytes of each row, (width + 1) / 2, (width + 3) / 4\n"
           "           or (width + 7) / 8 a row in mode 0, 1 or 2, top row first, for a picture\n"
           "           of any size\n"
           "  ...pal   the inks as an OCP Art Studio palette (239 bytes): the mode, all 16 pens\n"
           "  ...dsk   a CPC data disc image (extended DSK) holding NAME.SCR and NAME.PAL\n"
           "           with headers and the loader DISC.BAS, which sets the mode, the border\n"
           "           and the inks: RUN\"DISC\" shows the picture; the input must fill the\n"
           "           mode's screen (or use --fit). Every dsk prints what it holds and the\n"
           "           space left\n"
           "  ...zx0   the screen file's 16384 bytes compressed in the ZX0 format (version 2, or\n"
           "           the classic version 1 with --zx0-classic), for a program to unpack to\n"
           "           &C000; the input must fill the mode's screen (or use --fit)\n"
           "  ...sna   a CPC 6128 snapshot (version 3, 128 KB) that an emulator opens showing the\n"
           "           picture: the screen at &C000, the mode, inks and border set, the\n"
           "           processor in a loop; the input must fill the mode's screen (or use --fit)\n"
           "           With --palette plus, a dsk's viewer and a sna are for a 6128 Plus: the\n"
           "           viewer unlocks the ASIC and sets its palette, and the snapshot carries it\n"
           "  ...kit   the inks as a CPC+ palette file: 16 pens of 2 bytes in the ASIC's order\n"
           "           (red and blue, then green, 4 bits each), 32 bytes\n"
           "  ...asm   sprite cells (see --sprite) as Z80 assembler: a comment saying the mode,\n"
           "           inks, cell size and byte layout, a label NAME_0, NAME_1... per cell and\n"
           "           one db line a row, then NAME_WIDTH_BYTES, NAME_HEIGHT, NAME_CELLS and\n"
           "           NAME_CELL_BYTES\n"
           "  ...h     the cells as a C header: the same comment and constants (#define), the\n"
           "           inks in NAME_INKS and const unsigned char NAME[NAME_CELLS][NAME_CELL_BYTES]\n"
           "  ...bin   the cells back to back, raw: each cell's rows top to bottom, each row's\n"
           "           bytes left to right (with --transparent, a mask byte before each byte)\n"
           "\n"
           "Several inputs and a dsk OUT make a slideshow disc: each picture converted with\n"
           "the same options (with --inks auto, inks chosen for each, printed as\n"
           "\"inks N,N,... IN\"), in one mode or with --mode M,M,... each in its own (its\n"
           "inks then chosen in it with --inks auto, else its start inks: --inks gives the\n"
           "inks of one mode), compressed as NAME.ZX0 after its file's name; RUN\"DISC\"\n"
           "shows them in turn, the next on any key, the first again after the last. The\n"
           "standard screen only; at most 62 pictures, and nothing is written when they do\n"
           "not fit on the disc.\n"
           "\n"
           "Exit status:\n"
           "  0  done\n"
           "  1  a file could not be read or written\n"
           "  2  bad arguments (IN and OUT the same file, and sprite cells that do not fit the\n"
           "     picture, among them)\n"
           "  3  the picture does not suit the output (scr, dsk, zx0 and sna need the mode's\n"
           "     screen size)\n"
           "Nothing is written when the conversion fails.\n"
           "\n"
           "Options:\n"
           "  --mode M         the CPC screen mode, default 1: 0 has 160 x 200 pixels in 16 inks,\n"
           "                   1 has 320 x 200 in 4 inks, 2 has 640 x 200 in 2 inks. A slideshow\n"
           "                   takes M,M,... too: one mode for each picture, in order (--mode 0,1,2)\n"
           "  --screen NAME    the screen the picture fills, default standard: the 160, 320 or\n"
           "                   640 x 200 pixels inside the border; overscan fills the monitor to\n"
           "                   its edges: 192, 384 or 768 x 272 pixels in mode 0, 1 or 2. Its\n"
           "                   scr is the 32768 bytes of &8000-&FFFF as the CRTC reads them\n"
           "                   (each line's bytes run on from &8000 + its line in the character\n"
           "                   row x &800 into &C000 +; the last &340 bytes of each &800 block\n"
           "                   from &C000 are shown nowhere and are 0); its dsk adds a machine\n"
           "                   code viewer that DISC.BAS loads and calls: RUN\"DISC\" shows the\n"
           "                   picture until a key is pressed, then the CPC resets\n"
           "  --dither NAME    how the inks are spread over the picture, default classic (see\n"
           "                   Dithers below)\n"
           "  --palette NAME   the colours an ink can take, default cpc: the CPC's 27; plus: the\n"
           "                   4,096 of the CPC+ (464 Plus, 6128 Plus, GX4000), 16 levels each of\n"
           "                   red, green and blue. Not for pal, asm and .h outputs\n"
           "  --inks N,N,...   CPC colour numbers 0..26 (n = 9 green + 3 red + blue, each\n"
           "                   intensity 0..2), or with --palette plus three hexadecimal digits\n"
           "                   R G B each (000 black, F80 orange, FFF white), one for each of\n"
           "                   the mode's inks: 2, 4 or 16;\n"
           "                   default: in mode 1 the window's start inks black, dark red,\n"
           "                   orange, white; in modes 0 and 2 the CPC's inks after a reset.\n"
           "                   \"auto\" for an ink lets the converter choose it (--inks auto: all\n"
           "                   of them; 0,auto,auto,26 keeps inks 0 and 3 in mode 1): the\n"
           "                   different colours whose result by the dither looks closest to IN;\n"
           "                   it prints \"inks N,N,...\" with all the mode's inks before converting,\n"
           "                   in the form --inks takes\n"
           "  --brightness A   from -550 to 550, default 0; higher is lighter. The classic dither\n"
           "                   moves the inks' levels; the others move the picture's channels the\n"
           "                   opposite way: A > 0 lifts black to A / 3, A < 0 darkens towards black\n"
           "  --contrast B     from -370 to 370, default 0; higher is more contrast: B > 0 spreads\n"
           "                   the channels from the middle, so those B / 3 from either end clip\n"
           "  --local C        local contrast reinforcement, -20000..20000, default 0: a pixel\n"
           "                   moves away from (C > 0) or towards (C < 0) its neighbours' mean\n"
           "  --fit MODE       first bring the picture to the mode's screen: crop fills it,\n"
           "                   cutting the excess evenly; pad shows it whole between black bars;\n"
           "                   stretch ignores proportions. Crop and pad keep the proportions\n"
           "                   the CPC's screen shows (its pixels are 1.84, 0.92 or 0.46 times as\n"
           "                   wide as high in mode 0, 1 or 2), so a circle stays round\n"
           "  --crop-at X,Y    where --fit crop's window sits in the spare width and height,\n"
           "                   0..1 each: 0,0 keeps the top left, 1,1 the bottom right;\n"
           "                   default 0.5,0.5 (the middle)\n"
           "  --stretch        first stretch each colour channel to the full range 0..255\n"
           "  --amsdos         put an AMSDOS header in front of a scr (loads at &C000),\n"
           "                   dat or zx0 (load at &4000), pal (loads at &8809) or kit (loads at\n"
           "                   &6400) file, so that\n"
           "                   LOAD\"NAME.EXT\" on a CPC loads it\n"
           "  --load ADDRESS   where a dat or zx0 file with --amsdos loads: &4000, #4000 or 0x4000\n"
           "                   (hexadecimal) or 16384 (decimal), 0 to 65535\n"
           "  --name NAME      the file name on the CPC, for dsk and --amsdos; default: OUT's\n"
           "                   name. Upper case letters and digits only, at most 8 are kept.\n"
           "                   For asm, .h and bin: the labels' name (other characters become _)\n"
           "  --sprite WxH     cut the converted picture into cells of W x H pixels, left to right,\n"
           "                   then top to bottom, for asm, .h and bin; W a whole number of bytes\n"
           "                   (a multiple of 2, 4 or 8 in mode 0, 1 or 2) and the picture whole\n"
           "                   cells. Default: the whole picture is one cell. With --inks auto, a\n"
           "                   sheet drawn in at most the mode's count of CPC colours keeps them as\n"
           "                   inks in order of first appearance (use --dither none for exact bytes)\n"
           "  --cells N        keep the first N cells (a sheet's last row is often short)\n"
           "  --rows ORDER     down (default): each row left to right; zigzag: rows 0, 2, 4...\n"
           "                   left to right, rows 1, 3, 5... right to left\n"
           "  --transparent N  ink N is see-through: each byte is preceded by its mask byte,\n"
           "                   whose pixel bits are 1 where the pixel is ink N; those pixels' data\n"
           "                   bits are 0. Draw with (screen AND mask) OR data\n"
           "  --zx0-classic    write a zx0 output in the classic format (version 1) that older\n"
           "                   decoders read\n"
           "  --pack zx0       a dsk holds the picture compressed (NAME.ZX0) and the viewer\n"
           "                   VIEW.BIN that unpacks it to the screen, on either --screen;\n"
           "                   DISC.BAS loads both. Only for dsk\n"
           "  --help           show this text\n"
           "\n"
           "Numbers may have leading zeros; only options that take negative values take a sign.\n"
           "\n"
           "Dithers:\n"
           "  classic           the 2x2 dither by levels (R + G + B) of the Tintora window;\n"
           "                    in modes 0 and 2 the same rule over 16 or 2 levels\n"
           "  ordered2, ordered4, ordered8\n"
           "                    a regular 2x2, 4x4 or 8x8 pattern: each pixel takes two\n"
           "                    neighbouring inks and the mix of them that best shows its\n"
           "                    colour, mixed in linear light\n"
           "  diffusion         Floyd-Steinberg error diffusion in linear light\n"
           "  atkinson          Atkinson's error diffusion: crisper, less bleeding\n"
           "  none              each pixel its nearest ink\n"
           "A picture drawn in at most the mode's count of CPC colours (channels at 0/128/255\n"
           "or 0/127/254), given those colours as inks or --inks auto, comes out exactly by\n"
           "every dither but classic; so does one drawn in at most that many CPC+ colours\n"
           "(channels within 8 of a multiple of 17) with --palette plus.\n";
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
    if (const std::string note = Repeated_Inks_Note(options.keptInks, options.palette); !note.empty())
        err << "tintora-cli: " << note << '\n';
    if (!options.inputs.empty())
        return Run_Slideshow_Cli(options, out, err);
    if (sameFile(options.input, options.output)) {
        err << "tintora-cli: " << options.input << " and " << options.output
            << " are the same file: the output would replace the picture it is made from\n";
        return kCliBadUsage;
    }
    try {
        const ScreenGeometry& screen = Screen_Geometry(options.screen);
        const bool standard = options.screen == TScreen::Standard;
        // The mode's pixel counts on the chosen screen.
        const ScreenMode mode = Mode_On_Screen(Screen_Mode(options.mode), screen);
        // The classic dither in mode 1 writes its files as it always has.
        const bool classic = standard && options.mode == kDefaultScreenMode && options.dither == TDither::Classic;
        // CPC+ inks go to a 6128 Plus through its ASIC's palette.
        const bool plus = options.palette == TPalette::Plus;
        TPicture source = Load_Fitted_Source(options.input, options.fit, options.cropAt, options.stretch, mode);
        TPicture map, result;
        // The result takes the source's size: a picture unfit for a screen
        // is refused before any work, the ink choice included.
        if (needsScreen(options.format) && !Fits_Mode_Screen(source, mode)) {
            err << "tintora-cli: "
                << Wrong_Size_Message(options.input, source.GetWidth(), source.GetHeight(),
                                      standard ? "a screen file and a disc image need" : Screen_Needs(mode, screen),
                                      mode.width, mode.height,
                                      "add --fit crop, pad or stretch")
                << '\n';
            return kCliUnsuitablePicture;
        }
        // Sprite cells that do not fit the picture are refused before any work.
        SpriteCutting cutting = options.sprite;
        if (cutting.cellWidth == 0) {
            cutting.cellWidth = source.GetWidth();
            cutting.cellHeight = source.GetHeight();
        }
        if (options.spriteFormat != SpriteFormat::None) {
            const std::string refusal = Sprite_Cutting_Refusal(source.GetWidth(), source.GetHeight(), mode, cutting);
            if (!refusal.empty()) {
                err << "tintora-cli: " << options.input << ": " << refusal << '\n';
                return kCliBadUsage;
            }
        }
        // Only a local term reads the map: without one, no map is made.
        if (options.local != 0)
            Local_Contrast_Map(source, map);
        if (options.chooseInks)
            options.inks = chosenInks(source, map, options, out);
        Mode_Dither(options.dither, source, result, map, options.inks, options.brightness, options.contrast,
                    options.local, mode);
        const InkTable classicInks = Ink_Table_Of(options.inks);
        const auto screenBytes = [&] {
            return classic ? Screen_File_Bytes(result, classicInks)
                           : Mode_Screen_File_Bytes(result, options.inks, mode, screen);
        };
        std::vector<std::uint8_t> bytes;
        if (options.spriteFormat != SpriteFormat::None) {
            bytes = Sprite_File_Bytes(Cut_Sprite_Cells(result, options.inks, mode, cutting), options.inks, mode,
                                      options.spriteName, options.spriteFormat);
            Write_Raw_File(bytes.data(), bytes.size(), options.output);
            return kCliOk;
        }
        switch (options.format) {
        case TSaveFormat::Bmp:
        case TSaveFormat::Png:
            result.SaveToFile(options.output,
                              options.format == TSaveFormat::Png ? TPictureFileFormat::Png : TPictureFileFormat::Bmp);
            return kCliOk;
        case TSaveFormat::Disc:
            if (plus && options.pack)
                out << Save_Packed_Plus_Picture_Disc(result, options.inks, mode, screen, options.cpcName,
                                                     options.output)
                    << '\n';
            else if (plus)
                out << Save_Plus_Picture_Disc(result, options.inks, mode, screen, options.cpcName, options.output)
                    << '\n';
            else if (options.pack)
                out << Save_Packed_Picture_Disc(result, options.inks, mode, screen, options.cpcName, options.output)
                    << '\n';
            else if (classic)
                out << Save_Picture_Disc(result, classicInks, options.cpcName, options.output) << '\n';
            else
                out << Save_Picture_Disc(result, options.inks, mode, screen, options.cpcName, options.output) << '\n';
            return kCliOk;
        case TSaveFormat::Compressed:
            bytes = Zx0_Compress(screenBytes(), options.zx0Classic ? Zx0Version::Classic : Zx0Version::Current);
            if (options.amsdos)
                bytes = With_Amsdos_Header({options.cpcName, "ZX0", options.loadAddress}, bytes);
            break;
        case TSaveFormat::Snapshot: {
            const std::vector<std::uint8_t> memory = screenBytes();
            bytes = plus ? Plus_Snapshot(memory, options.inks, mode, screen)
                         : Cpc_Snapshot(Standard_Snapshot_Screen(memory, options.inks, mode, screen));
            break;
        }
        case TSaveFormat::Screen:
            if (classic)
                bytes = options.amsdos ? Screen_File_With_Header(result, classicInks, options.cpcName)
                                       : Screen_File_Bytes(result, classicInks);
            else
                bytes = options.amsdos ? Screen_File_With_Header(result, options.inks, mode, screen, options.cpcName)
                                       : Mode_Screen_File_Bytes(result, options.inks, mode, screen);
            break;
        case TSaveFormat::Palette:
            if (options.amsdos)
                bytes = Palette_File_With_Header(options.inks, mode, options.cpcName);
            else {
                const auto palette = Ocp_Palette(options.inks, mode);
                bytes.assign(palette.begin(), palette.end());
            }
            break;
        case TSaveFormat::PlusPalette:
            if (options.amsdos)
                bytes = Kit_File_With_Header(options.inks, mode, options.cpcName);
            else {
                const auto kit = Plus_Kit(options.inks, mode);
                bytes.assign(kit.begin(), kit.end());
            }
            break;
        case TSaveFormat::Sprite:
            bytes = classic ? Raw_Sprite(result, classicInks) : Pack_Mode_Rows(result, options.inks, mode);
            if (options.amsdos && !Amsdos_Fits(options.loadAddress, bytes.size())) {
                err << "tintora-cli: the raw sprite of " << result.GetWidth() << " x " << result.GetHeight()
                    << " pixels takes " << bytes.size() << " bytes, more than the CPC's memory holds from &" << std::hex
                    << std::uppercase << options.loadAddress << '\n';
                return kCliUnsuitablePicture;
            }
            if (options.amsdos)
                bytes = classic ? Sprite_File_With_Header(result, classicInks, options.cpcName, options.loadAddress)
                                : Sprite_File_With_Header(result, options.inks, mode, options.cpcName,
                                                          options.loadAddress);
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
