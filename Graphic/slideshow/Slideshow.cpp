#include "Slideshow.h"

#include <set>

#include "AmsdosHeader.h"
#include "Engine.h"
#include "FittedSource.h"
#include "ModeInkChoice.h"
#include "ModePacking.h"
#include "ScreenGeometry.h"
#include "SlideshowDisc.h"
#include "SysUtils.h"
#include "Zx0Encoder.h"

namespace {

// The CPC name of file, unique among taken: a name met before gets 2, 3 ...
// in place of its last letters. A file name with no letters or digits is
// "PIC".
std::string uniqueName(const std::string& file, std::set<std::string>& taken) {
    std::string name;
    try {
        name = Amsdos_Name_Of_Path(file);
    } catch (const Exception&) {
        name = "PIC";
    }
    std::string unique = name;
    for (int number = 2; !taken.insert(unique).second; ++number) {
        const std::string digits = IntToStr(number);
        unique = name.substr(0, std::min(name.size(), kAmsdosNameLength - digits.size())) + digits;
    }
    return unique;
}

bool cancelled(const SlideshowControl& control) {
    return control.cancel && control.cancel->load();
}

} // namespace

SlideshowOutcome Save_Slideshow(const std::vector<std::string>& files,
                                const std::vector<SlideshowSettings>& pictureSettings, const std::string& fileName,
                                const SlideshowControl& control) {
    if (pictureSettings.size() != files.size())
        throw Exception("a slideshow of " + IntToStr(static_cast<int>(files.size())) + " pictures was given " +
                        IntToStr(static_cast<int>(pictureSettings.size())) + " settings");
    const ScreenGeometry& screen = Screen_Geometry(TScreen::Standard);
    // Too many pictures are refused before any is converted.
    Check_Slideshow_Count(files.size());
    SlideshowOutcome outcome;
    outcome.chosenInks.resize(files.size());
    std::vector<SlideshowPicture> pictures;
    std::set<std::string> names;
    const int total = static_cast<int>(files.size());
    for (std::size_t k = 0; k < files.size(); ++k) {
        const std::string& file = files[k];
        const SlideshowSettings& settings = pictureSettings[k];
        const ScreenMode& mode = Screen_Mode(settings.mode);
        // The classic dither in mode 1 packs its pixels by level, as its screen files do.
        const bool classic = settings.mode == kDefaultScreenMode && settings.dither == TDither::Classic;
        if (control.progress)
            control.progress(static_cast<int>(pictures.size()), total);
        if (cancelled(control)) {
            outcome.cancelled = true;
            return outcome;
        }
        TPicture source = Load_Fitted_Source(file, settings.fit, settings.cropAt, settings.stretch, mode);
        TPicture map, result;
        if (!Fits_Mode_Screen(source, mode))
            throw Slideshow_Refusal(Wrong_Size_Message(file, source.GetWidth(), source.GetHeight(),
                                                       "a slideshow needs", mode.width, mode.height,
                                                       settings.fitAdvice));
        if (settings.local != 0)
            Local_Contrast_Map(source, map);
        InkList inks = settings.inks;
        if (settings.chooseInks) {
            Ink_Search_Control search;
            search.threads = Ink_Search_Control::AllCores();
            search.measureChoice = false;
            search.cancel = control.cancel;
            const Mode_Ink_Choice choice = Choose_Mode_Inks(source, map, settings.keptInks, settings.dither, mode,
                                                            settings.brightness, settings.contrast, settings.local,
                                                            search);
            if (choice.cancelled) {
                outcome.cancelled = true;
                return outcome;
            }
            outcome.chosenInks[k] = choice.numbers;
            inks = Ink_List_Of_Numbers(choice.numbers);
        }
        Mode_Dither(settings.dither, source, result, map, inks, settings.brightness, settings.contrast,
                    settings.local, mode);
        const std::vector<std::uint8_t> bytes = classic ? Screen_File_Bytes(result, Ink_Table_Of(inks))
                                                        : Mode_Screen_File_Bytes(result, inks, mode, screen);
        pictures.push_back({uniqueName(file, names), Zx0_Compress(bytes), {mode.number, inks}});
    }
    if (cancelled(control)) {
        outcome.cancelled = true;
        return outcome;
    }
    outcome.listing = Save_Slideshow_Disc(pictures, fileName);
    if (control.progress)
        control.progress(total, total);
    return outcome;
}

SlideshowOutcome Save_Slideshow(const std::vector<std::string>& files, const SlideshowSettings& settings,
                                const std::string& fileName, const SlideshowControl& control) {
    return Save_Slideshow(files, std::vector<SlideshowSettings>(files.size(), settings), fileName, control);
}
