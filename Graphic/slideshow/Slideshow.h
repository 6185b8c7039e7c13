#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "Dithers.h"
#include "FitToScreen.h"
#include "Picture.h"

// The settings a picture of a slideshow is converted with: the command
// line's options or the window's controls, each picture in its own mode.
struct SlideshowSettings {
    int mode = kDefaultScreenMode;
    TDither dither = TDither::Classic;
    // The mode's inks; with chooseInks, the kept colour numbers in keptInks
    // (kChooseInk for each ink chosen for each picture on its own).
    InkList inks;
    bool chooseInks = false;
    std::vector<int> keptInks;
    int brightness = 0;
    int contrast = 0;
    int local = 0;
    bool stretch = false;
    TFitMode fit = TFitMode::Off;
    TCropPosition cropAt{};
    // What a picture that does not fill the screen is told to do.
    std::string fitAdvice = "add --fit crop, pad or stretch";
};

// How a slideshow's making is followed and stopped: progress gets the
// pictures done and their count (read on the making's thread); cancel, when
// set, stops it before the next picture and within an ink search.
struct SlideshowControl {
    std::function<void(int done, int total)> progress;
    const std::atomic<bool>* cancel = nullptr;
};

// What a slideshow's making ended with: the disc's listing (Disc_Listing),
// the colour numbers chosen for each picture (one list a picture, empty for
// one without chooseInks), or cancelled with nothing written.
struct SlideshowOutcome {
    std::string listing;
    std::vector<std::vector<int>> chosenInks;
    bool cancelled = false;
};

// Converts each of files with its settings (pictureSettings[k] for files[k])
// on the standard screen in its mode (its inks chosen on its own when
// chooseInks), compresses it, and writes the slideshow disc
// (Save_Slideshow_Disc) to fileName, each picture named on the CPC after its
// file (a number added where two names meet). Nothing is written when any
// picture fails: an Exception names an unreadable file, or says that the
// counts of files and settings differ; a Slideshow_Refusal names a picture
// that does not fill the screen, or says that the pictures do not fit on the
// disc.
SlideshowOutcome Save_Slideshow(const std::vector<std::string>& files,
                                const std::vector<SlideshowSettings>& pictureSettings, const std::string& fileName,
                                const SlideshowControl& control = {});
// Every picture with the same settings.
SlideshowOutcome Save_Slideshow(const std::vector<std::string>& files, const SlideshowSettings& settings,
                                const std::string& fileName, const SlideshowControl& control = {});
