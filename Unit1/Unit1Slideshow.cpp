// The slideshow disc: several picture files converted with the window's
// settings, each in the mode chosen for it, onto one disc that shows them in
// turn.
// Menu commands handled here:
//   File > Export slideshow…: ExportSlideshowClick

#include "Unit1.h"

#include <memory>
#include <string>
#include <vector>

#include "InkSearchJob.h"
#include "InkSearchProgress.h"
#include "ModeInkChoice.h"
#include "Slideshow.h"
#include "SlideshowModesDialog.h"
#include "SysUtils.h"

namespace {

const std::string kSlideshowTitle = "Export slideshow";

} // namespace

// Each picture gets the window's dither, sliders, stretch and fit, in the
// mode of that number. In the window's mode its inks are chosen for it, but
// for the inks kept (Inks > Keep ink); in another mode, where the window's
// inks mean nothing, all of them are chosen.
SlideshowSettings TForm1::slideshowSettings(int mode) const {
    SlideshowSettings settings;
    settings.mode = ScreenChoice.mode;
    settings.dither = ScreenChoice.dither;
    settings.inks = ModeInks();
    for (std::size_t k = 0; k < settings.inks.size(); ++k)
        settings.keptInks.push_back(mKeepInk[k] ? Colour_Number_Of_Ink(settings.inks[k]) : kChooseInk);
    for (const int kept : settings.keptInks)
        settings.chooseInks = settings.chooseInks || kept == kChooseInk;
    settings.brightness = TrackBar3->GetPosition();
    settings.contrast = TrackBar4->GetPosition();
    settings.local = TrackBar1->GetPosition();
    settings.stretch = stretchOn();
    settings.fit = FitMode;
    settings.cropAt = CropAt;
    settings.fitAdvice = "use Picture > Fit to CPC screen";
    if (mode != settings.mode) {
        settings.mode = mode;
        settings.inks = Start_Inks(Screen_Mode(mode));
        settings.keptInks.assign(settings.inks.size(), kChooseInk);
        settings.chooseInks = true;
    }
    return settings;
}

// The pictures are asked for first, then each one's mode, then the disc;
// the making runs on a thread of its own, with its progress and Cancel once
// it takes long.
void TForm1::ExportSlideshowClick(TObject*) {
    if (!standardScreen()) {
        ShowMessage("A slideshow shows the standard screen: a full screen covers the memory from &A600 to &BFFF "
                    "where the CPC's firmware keeps what BASIC needs to load the next picture. Turn off "
                    "Screen > Full screen (overscan) first.",
                    TMessageKind::Warning);
        return;
    }
    if (ColourPalette != TPalette::Cpc) {
        ShowMessage("A slideshow shows the CPC's 27 colours: its viewer sets the inks of a CPC, not the CPC+'s "
                    "palette. Turn off Palette > CPC+ colours first.",
                    TMessageKind::Warning);
        return;
    }
    SlideshowPicturesDialog.SetTitle(kSlideshowTitle + ": pictures");
    SlideshowPicturesDialog.SetFilter(OpenPictureDialog1.GetFilter());
    SlideshowPicturesDialog.SetOptions(ofAllowMultiSelect | ofHideReadOnly | ofEnableSizing);
    if (SlideshowPicturesDialog.GetInitialDir().empty())
        SlideshowPicturesDialog.SetInitialDir(OpenPictureDialog1.GetInitialDir());
    if (!SlideshowPicturesDialog.Execute())
        return;
    const std::vector<std::string> files = SlideshowPicturesDialog.GetFileNames();
    TSlideshowModesDialog modes;
    modes.Prepare(files, ScreenChoice.mode);
    if (modes.ShowModal() != mrOk ||
        !runExportDialog(ExportDiscDialog, kSlideshowTitle, "Disc image (*.dsk)|*.dsk", "dsk"))
        return;
    std::vector<SlideshowSettings> settings;
    for (const int mode : modes.Modes())
        settings.push_back(slideshowSettings(mode));
    const std::string fileName = ExportDiscDialog.GetFileName();
    auto outcome = std::make_shared<SlideshowOutcome>();
    InkSearchJob job([files, settings, fileName, outcome](const Ink_Search_Control& control, bool& cancelled) {
        *outcome = Save_Slideshow(files, settings, fileName, {control.progress, control.cancel});
        cancelled = outcome->cancelled;
        return std::vector<int>{};
    });
    waitFor(job, InkSearchProgressDelay);
    if (!job.done()) {
        TInkSearchProgress progress([&job] { return job.percent(); }, [&job] { return job.done(); });
        progress.SetCaption(kSlideshowTitle);
        progress.Label1->SetText("Converting and compressing " + IntToStr(static_cast<int>(files.size())) +
                                 " pictures...");
        if (progress.ShowModal() != mrOk)
            job.cancel();
    }
    // A Cancel that comes as the disc is written leaves the disc written.
    job.finish();
    if (!outcome->cancelled)
        ShowStatus("Saved " + fileName + ": " + outcome->listing);
}
