#include "SlideshowCli.h"

#include <sys/stat.h>

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

} // namespace

void Check_Slideshow_Options(const CliOptions& options, bool nameGiven) {
    if (Save_Format_Of(options.output) != TSaveFormat::Disc)
        throw Exception("several inputs make a slideshow disc: the output \"" + options.output +
                        "\" must end in \"dsk\" (or give one input)");
    if (options.screen != TScreen::Standard)
        throw Exception("--screen overscan cannot make a slideshow: a full screen covers the memory from &A600 "
                        "to &BFFF where the CPC's firmware keeps what BASIC needs to load the next picture; a "
                        "slideshow shows the standard screen");
    if (nameGiven)
        throw Exception("--name names one picture: a slideshow's pictures are named after their files");
}

int Run_Slideshow_Cli(const CliOptions& options, std::ostream& out, std::ostream& err) {
    for (const std::string& input : options.inputs)
        if (sameFile(input, options.output)) {
            err << "tintora-cli: " << input << " and " << options.output
                << " are the same file: the output would replace a picture it is made from\n";
            return kCliBadUsage;
        }
    SlideshowSettings settings;
    settings.mode = options.mode;
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
    try {
        const SlideshowOutcome outcome = Save_Slideshow(options.inputs, settings, options.output);
        for (std::size_t k = 0; k < outcome.chosenInks.size(); ++k) {
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
