#include "SlideshowCli.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <sys/stat.h>

#include "CpcPalette.h"
#include "InkChoice.h"
#include "OptionNumbers.h"
#include "Slideshow.h"
#include "SlideshowDisc.h"
#include "SysUtils.h"

namespace {

// True when both names lead to one file (the same device and inode).
bool sameFile(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// The mode of the k-th input.
int modeOf(const CliOptions& options, std::size_t k) {
    return options.modes.size() > 1 ? options.modes[k] : options.mode;
}

// The settings of a picture in the mode of that number. In the options' own
// mode, the inks as the options give them; in another (where --inks was
// "auto" or not given, as Check_Slideshow_Inks holds) every ink chosen, or
// that mode's start inks.
SlideshowSettings pictureSettings(const CliOptions& options, int modeNumber) {
    SlideshowSettings settings;
    settings.mode = modeNumber;
    settings.dither = options.dither;
    settings.inks = options.inks;
    settings.chooseInks = options.chooseInks;
    settings.keptInks = options.keptInks;
    settings.brightness = options.brightness;
    settings.contrast = options.contrast;
    settings.local = options.local;
    settings.stretch = options.stretch;
    settings.fit = options.fit;
    settings.cropAt = options.cropAt;
    if (modeNumber != options.mode) {
        const ScreenMode& mode = Screen_Mode(modeNumber);
        settings.inks = Start_Inks(mode);
        if (settings.chooseInks)
            settings.keptInks.assign(static_cast<std::size_t>(mode.inkCount), kChooseInk);
    }
    return settings;
}

} // namespace

std::vector<int> Screen_Modes_From_Option(const std::string& text) {
    if (text.find(',') == std::string::npos)
        return {Screen_Mode_From_Option(text)};
    std::vector<int> modes;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        const std::string option = "--mode (picture " + IntToStr(static_cast<int>(modes.size()) + 1) + ")";
        modes.push_back(Option_Integer_In(option, text.substr(start, comma - start), kScreenModes.front().number,
                                          kScreenModes.back().number));
        if (comma == std::string::npos)
            return modes;
        start = comma + 1;
    }
}

void Check_Slideshow_Options(const CliOptions& options, bool nameGiven) {
    if (Save_Format_Of(options.output) != TSaveFormat::Disc)
        throw Exception("several inputs make a slideshow disc: the output \"" + options.output +
                        "\" must end in \"dsk\" (or give one input)");
    if (options.screen != TScreen::Standard)
        throw Exception("--screen overscan cannot make a slideshow: a full screen covers the memory from &A600 "
                        "to &BFFF where the CPC's firmware keeps what BASIC needs to load the next picture; a "
                        "slideshow shows the standard screen");
    if (options.palette != TPalette::Cpc)
        throw Exception("--palette plus cannot make a slideshow: its viewer sets the inks of a CPC, which takes "
                        "its 27 colours");
    if (nameGiven)
        throw Exception("--name names one picture: a slideshow's pictures are named after their files");
    const std::size_t modeCount = options.modes.size();
    if (modeCount > 1 && modeCount != options.inputs.size())
        throw Exception("--mode gives " + IntToStr(static_cast<int>(modeCount)) + " modes for " +
                        IntToStr(static_cast<int>(options.inputs.size())) +
                        " pictures: give one mode for all of them, or one for each in order");
}

void Check_Slideshow_Inks(const std::vector<int>& modes, const std::string& inksText) {
    const bool mixed = std::adjacent_find(modes.begin(), modes.end(), std::not_equal_to<>()) != modes.end();
    std::stringstream stream(inksText);
    bool colourGiven = false;
    for (std::string part; std::getline(stream, part, ',');)
        colourGiven = colourGiven || part != "auto";
    if (mixed && colourGiven)
        throw Exception("--inks " + inksText + " gives the inks of one mode, not of pictures in several: give "
                        "--inks auto (each picture's inks chosen in its mode) or no --inks (each mode's start inks)");
}

int Run_Slideshow_Cli(const CliOptions& options, std::ostream& out, std::ostream& err) {
    for (const std::string& input : options.inputs)
        if (sameFile(input, options.output)) {
            err << "tintora-cli: " << input << " and " << options.output
                << " are the same file: the output would replace a picture it is made from\n";
            return kCliBadUsage;
        }
    std::vector<SlideshowSettings> settings;
    for (std::size_t k = 0; k < options.inputs.size(); ++k)
        settings.push_back(pictureSettings(options, modeOf(options, k)));
    try {
        const SlideshowOutcome outcome = Save_Slideshow(options.inputs, settings, options.output);
        for (std::size_t k = 0; k < outcome.chosenInks.size(); ++k) {
            if (outcome.chosenInks[k].empty())
                continue;
            out << "inks ";
            for (std::size_t i = 0; i < outcome.chosenInks[k].size(); ++i)
                out << (i > 0 ? "," : "") << outcome.chosenInks[k][i];
            out << ' ' << options.inputs[k] << '\n';
        }
        out << outcome.listing << '\n';
    } catch (const Slideshow_Refusal& refusal) {
        err << "tintora-cli: " << refusal.what() << '\n';
        return kCliUnsuitablePicture;
    } catch (const std::exception& error) {
        err << "tintora-cli: " << ErrorText(error) << '\n';
        return kCliFailed;
    }
    return kCliOk;
}
