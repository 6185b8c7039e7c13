#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QSize>

#include "Controls.h"
#include "DitherRun.h"
#include "Dialogs.h"
#include "Events.h"
#include "FitToScreen.h"
#include "Forms.h"
#include "History.h"
#include "InkChoice.h"
#include "ModeStart.h"
#include "MonitorPreview.h"
#include "PaletteGroup.h"
#include "Picture.h"
#include "RenderScheduler.h"
#include "ScreenChoice.h"
#include "Slideshow.h"
#include "WindowSettings.h"
#include "ui_Unit1.h"

class TF_Compare;
class TSpriteExportDialog;

// The main window: the tool strip (file, zoom, stretch and About buttons, the
// four ink swatches, the three modifier sliders) above the scrolling result.
// The working pictures live in the picture views: Image1 the source, Image7
// its local-contrast map (held only while the local slider is not 0), Image2
// the result. Changes are rendered through a render scheduler: a quick run of
// them is rendered once, for the last. The hidden spin box CSpinEdit1
// holds the zoom (its value) and whether a picture is loaded (its enabled
// flag); Panel2's inner bevel holds whether the stretch is on (lowered).
// The menu bar above the tool strip runs the buttons' handlers; a picture
// also loads when dropped on the window or named on the command line.
// The window converts for one of the CPC's screen modes by one dither
// (ScreenChoice); the palette group shows that mode's inks.
class TForm1 : public TForm, public Ui::TForm1 {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TOpenPictureDialog OpenPictureDialog1;
    TSaveDialog SaveDialog1;

    // The four inks of the conversion, owned by the window.
    InkTable Inks;
    // The unstretched source, exactly while the stretch is on.
    std::unique_ptr<TPicture> StretchBackup;

    void FormShow(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton5Click(TObject* Sender);
    void Panel2Click(TObject* Sender);
    void Image4Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    void SpeedButton3Click(TObject* Sender);
    void SpeedButton4Click(TObject* Sender);
    void CSpinEdit1Change(TObject* Sender);
    void TrackBar1Change(TObject* Sender);
    void TrackBar3Change(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button3Click(TObject* Sender);
    void Button4Click(TObject* Sender);
    void Button5Click(TObject* Sender);

    // Menu commands and window events that have no button of their own.
    void QuitClick(TObject* Sender);
    void ShowOriginalClick(TObject* Sender);
    void FormDropFiles(TObject* Sender);
    void ScrollBox1CtrlWheel(TObject* Sender);

    // Renders now a render that changes have asked for and that has not run
    // yet; commands that read the result call it first.
    void FlushRender();
    // True while a render asked for has not run yet.
    bool RenderPending() const { return mRenderer.Pending(); }

    // Loads the file as Load does once the dialog has confirmed it, as soon
    // as the message loop runs (after the window is shown); an error is
    // shown as any handler's is.
    void OpenWhenShown(const std::string& fileName);

  private:
    void setUpDialogs();
    void bindEvents();
    void bindMenus();

    // Load after the open dialog: the new picture replaces the old one only
    // when it has been read and converted.
    void loadPicture(const std::string& fileName);

    // True once a picture has been loaded (the spin box's enabled flag).
    bool loaded() const;
    // True while the stretch is on (Panel2's inner bevel lowered).
    bool stretchOn() const;
    // Asks for a render of the current state (see TRenderScheduler).
    void render();
    // A render in parts (see TRenderScheduler): made ready for the mode and
    // dither in use, the mode's inks and the three slider positions, with
    // the source settled and its map made; returns the result's row count.
    int startRender();
    // Dithers rows [first, last) of the source into the result.
    void renderRows(int first, int last);
    // The result's rows the view shows now; all of them while the green
    // monitor, made from the whole result, is shown.
    std::pair<int, int> rowsInView() const;
    // The rows in view are rendered: the view and its monitor follow.
    void showRender();
    // True while the view shows the result as the green monitor would.
    bool greenShown() const;
    // Makes the map the first time the local slider is not 0 for the current
    // source, and drops it while the slider is 0.
    void updateMap();
    // The source as a render reads it: a waiting refit done, the map made.
    void prepareSource();
    // The source has changed: its map no longer holds, and it is rendered again.
    void sourceChanged();
    // Dithers source into result by the mode and dither in use, with the
    // mode's inks and the three slider positions.
    void convert(TPicture& source, TPicture& result, const TPicture& map);
    // Lets the user choose ink k's colour in the colour dialog, opened on
    // the ink's colour; swatch and label show the choice.
    void setInk(int k);

    // The loaded picture's file name (without its folder), empty before.
    std::string mPictureName;
    // Where the next zoom change keeps its point, in the scrolling area's
    // visible part; its middle when not set.
    std::optional<QPoint> mZoomAnchor;
    // The render in progress, made ready for the state it renders.
    std::unique_ptr<TDitherRun> mRun;
    TRenderScheduler mRenderer{{[this] { return startRender(); }, [this] { return mRun && mRun->InOrder(); },
                                [this](int first, int last) { renderRows(first, last); },
                                [this] { return rowsInView(); }, [this] { showRender(); }},
                               this};

    // File > Export for CPC: a disc image, a screen file with its AMSDOS
    // header, the inks as a palette with its header. The CPC name of the
    // files comes from the chosen file's name.
  public:
    TSaveDialog ExportDiscDialog;
    TSaveDialog ExportScreenDialog;
    TSaveDialog ExportPaletteDialog;

    void ExportDiscClick(TObject* Sender);
    void ExportScreenClick(TObject* Sender);
    void ExportPaletteClick(TObject* Sender);
    // Export for CPC > Sprites: the result cut into cells for a program.
    void ExportSpritesClick(TObject* Sender);
    // File > Export slideshow: picture files onto one disc that shows them in
    // turn; the pictures are chosen in SlideshowPicturesDialog.
    TOpenDialog SlideshowPicturesDialog;
    void ExportSlideshowClick(TObject* Sender);
    TSpriteExportDialog* SpriteExportWindow();

  private:
    SlideshowSettings slideshowSettings(int mode) const;
    // Runs an export dialog with its title, filter and ending; true when the
    // user chose a file.
    bool runExportDialog(TSaveDialog& dialog, const std::string& title, const std::string& filter,
                         const std::string& ending);
    // Offers the picture's folder (until the dialog has one of its own) and
    // name, with the ending given.
    void suggestName(TSaveDialog& dialog, const std::string& ending) const;
    // A file was written: the work counts as saved, and the status bar says where.
    void reportWritten(const std::string& fileName);

  public:
    // Shows a note in the status bar for kStatusMilliseconds.
    void ShowStatus(const std::string& text);
    static constexpr int kStatusMilliseconds = 5000;

  private:
    // True when the latest result can become a screen; otherwise shows why
    // not, outputNeeds naming the output with its verb ("a disc image needs").
    bool resultFitsScreen(const std::string& outputNeeds);

    // ---- Automatic inks ----
  public:
    // Chooses the inks that are not kept, on threads of their own, and
    // applies them as the colour dialog would: swatch, number label, ink,
    // render. A progress window with "Cancel" shows once the search has run
    // for InkSearchProgressDelay milliseconds; a cancelled search changes
    // nothing. Does nothing before a picture is loaded.
    void ChooseInksClick(TObject* Sender);
    // Whether ink k (0..15) keeps its colour when inks are chosen
    // automatically; only the mode's inks take part in a choice.
    void SetKeepInk(int k, bool keep);
    bool GetKeepInk(int k) const;
    // Inks > Keep ink > Ink #k: each item turns its ink's keeping on or off.
    void KeepInkClick(TObject* Sender);
    int InkSearchProgressDelay = 200;

  private:
    std::array<bool, kMaxInkCount> mKeepInk{};
    // Sets inks 0 .. colours.size() - 1 to the colour indices of the palette
    // in use as the colour dialog would, then renders.
    void applyInkColours(const std::vector<int>& colours);

    // ---- Fit to the screen ----
  public:
    // How loaded pictures are brought to the mode's screen; Off at start.
    TFitMode FitMode = TFitMode::Off;
    // The picture as loaded, exactly while the fit mode is not Off; while it
    // is Off the source is the picture as loaded (StretchBackup while the
    // stretch is on), so a big picture is not held twice.
    std::unique_ptr<TPicture> LoadedPicture;

    // Sets the fit mode. Once a picture is loaded: turns the stretch off
    // first, as Load does, then fits the picture as loaded into the source,
    // maps and renders.
    void SetFitMode(TFitMode mode);
    // Picture > Fit to CPC screen: one item a mode.
    void FitOffClick(TObject* Sender);
    void FitCropClick(TObject* Sender);
    void FitPadClick(TObject* Sender);
    void FitStretchClick(TObject* Sender);

  private:
    // SetFitMode's work, for a fit the user did not choose (a mode's start
    // fit, an undo).
    void applyFitMode(TFitMode mode);
    // Fits a newly loaded picture in place to the mode's screen by the fit
    // mode (a crop at cropAt); returns the picture as loaded, or nothing when
    // the fit is Off.
    std::unique_ptr<TPicture> fitLoaded(TPicture& source, TCropPosition cropAt) const;
    // A JPEG loaded while a fit is on is decoded no larger than any fit in
    // any mode needs (twice the screen, see Fit_Decode_Divisor); the fit
    // reads no more. Turning the fit off reads the file again at full size.
    int fitDecodeDivisor(int width, int height) const;
    // Makes LoadedPicture the file's picture at full size when it was
    // decoded smaller; raises, changing nothing, when the file can no longer
    // be read or is no longer that picture.
    void loadFullSize();
    std::string mLoadedFile;
    QSize mFullSize; // the file's picture size while LoadedPicture is smaller; empty otherwise

    // ---- Undo, the close question, crop position, number boxes ----
  public:
    // Edit > Undo and Redo: every change of the result is a step.
    void UndoClick(TObject* Sender);
    void RedoClick(TObject* Sender);
    // The next slider change starts a new step (a drag starts or ends, a
    // number is typed).
    void EndStepRun(TObject* Sender);
    // A number box changed: its slider follows.
    void EditModifierChange(TObject* Sender);
    // A number typed outside a box's range became its nearest end: the
    // status bar says so.
    void EditModifierClamped(TObject* Sender);
    // Before the window closes (Quit, the close box): the close question.
    void FormCloseQuery(TObject* Sender);
    // True when the result changed since the picture was loaded, saved or exported.
    bool WorkChanged() const;
    // Asks "Save changes to NAME before closing it?" when the work changed;
    // true when the work may go (saved or discarded), false to keep it.
    bool ConfirmDiscardWork();

    // Where Crop's window sits; the middle for each picture loaded.
    TCropPosition CropAt{};
    // Moves the crop window; with Crop and a picture, fits it again (keeping
    // the stretch) and renders.
    void SetCropPosition(TCropPosition at);
    // Picture > Move crop window, a tenth of the spare part a press.
    void CropLeftClick(TObject* Sender);
    void CropRightClick(TObject* Sender);
    void CropUpClick(TObject* Sender);
    void CropDownClick(TObject* Sender);
    // Dragging the result with Crop moves the crop window; while it moves,
    // the view shows the whole picture with the spare part dimmed.
    void Image2MouseDown(TObject* Sender);
    void Image2MouseMove(TObject* Sender);
    void Image2MouseUp(TObject* Sender);

    // File > Load inks from palette: an OCP palette's mode and inks.
    TOpenDialog PaletteDialog;
    void LoadPaletteClick(TObject* Sender);
    // Sets the inks from a palette file, as the menu item does once its
    // dialog has confirmed the file.
    void LoadInksFromPalette(const std::string& fileName);

  private:
    class StepScope;
    friend class StepScope;
    TWorkState workState() const;
    void applyWorkState(const TWorkState& state);
    void updateUndoItems();
    void syncNumberBoxes();
    // Save's work once the name is known; true when a file was written.
    bool saveResultAs(const std::string& fileName);
    // Runs Save; true when a file was written.
    bool runSave();
    void moveCropBy(double dx, double dy);
    void drawCropPreview();
    // The crop position has moved: the picture as loaded is fitted again by
    // the fit mode, the mode and the crop position, keeping the stretch as it
    // is, when the render this asks for runs (or settleSource is called).
    void refit();
    // Makes the source the refit asked for, if one waits; every reader of
    // the source calls it first (the render does).
    void settleSource();
    bool mRefitPending = false;

    THistory mHistory;
    int mStepDepth = 0;
    // A crop drag: where it started, the crop position then, and the whole
    // picture as Pad shows it.
    struct CropDrag {
        QPoint start;
        TCropPosition startAt;
        TPicture whole;
        TFitPlacement pad{};
        const TPicture* picture = nullptr; // the picture as loaded it began on
        int mode = kDefaultScreenMode;     // the screen mode it began in
    };
    bool cropDragGoesOn();
    void endCropDrag();
    std::unique_ptr<CropDrag> mCropDrag;

    // ---- Settings and recent files ----
  public:
    // The pictures loaded last, the latest first; at most kRecentFiles.
    static constexpr int kRecentFiles = 8;
    std::vector<std::string> RecentFiles;
    void OpenRecentClick(TObject* Sender);

    // What the window keeps between runs, as it is now, and taking it back
    // (before the window is first shown; the history starts afresh).
    TWindowSettings GetSettings() const;
    void RestoreSettings(const TWindowSettings& kept);
    // Restores from settings now and writes to them whenever the window
    // closes. Without it the window neither reads nor writes any.
    void UseSettings(QSettings* settings);
    void FormClose(TObject* Sender);

  private:
    QSettings* mSettings = nullptr;
    void rememberRecent(const std::string& fileName);
    void rebuildRecentMenu();

    // ---- Screen modes, dithers and the palette ----
  public:
    // The mode and the dither in use; every command that changes either goes
    // through SetScreenChoice.
    TScreenChoice ScreenChoice;
    // Inks 4..15, shown by mode 0; inks 0..3 are Inks. An ink keeps its
    // colour while the mode does not show it.
    std::array<Ink, kMaxInkCount - kInkCount> UpperInks{};
    // The palette group's swatches (owned by GroupBox1).
    TPaletteGroup* Palette = nullptr;

    // Converts for another mode and dither: once a picture is loaded, the
    // picture as loaded is fitted to the new mode's screen again (when a fit
    // is on) and the result rendered; the palette, the view and the title
    // follow. Inks do not change.
    void SetScreenChoice(const TScreenChoice& choice);
    // The dither and fit chosen so far, per mode where it matters.
    TModeChoices Chosen;
    // Picture > Screen mode: the mode with the dither chosen there (or its
    // start dither) and the fit chosen (or its start fit), as one step.
    void SetScreenMode(int mode);
    // Picture > Dither: the dither, remembered as the mode's choice.
    void ChooseDither(TDither dither);
    // The mode on the screen in use (its pixel counts those of the screen).
    const ScreenMode& Mode() const;
    const ScreenGeometry& Screen() const;
    bool standardScreen() const;
    // True for the design's own path, the classic dither in mode 1 in the
    // CPC's colours: its inks, search and files are exactly the design's.
    bool classicPath() const;
    // The inks of the mode in use, ink 0 first.
    InkList ModeInks() const;
    // Sets ink k (0..15) to a CPC colour number as the colour dialog does:
    // swatch, number, ink; in CPC+ colours, to that colour's CPC+ colour
    // (Palette_Colour_For). Nothing is rendered.
    void SetInkNumber(int k, int colourNumber);
    // Sets ink k (0..15) to a colour index of the palette in use, as the
    // colour dialog does: swatch, text, ink. Nothing is rendered.
    void SetInkColour(int k, int colour);

    // The colours an ink can take: the CPC's 27 or the CPC+'s 4,096. Every
    // ink, shown by the mode or not, is a colour of it.
    TPalette ColourPalette = kDefaultPalette;
    const ::Palette& InkPalette() const;
    // Palette > CPC+ colours: another palette, as one step. Every ink becomes
    // its colour there (Palette_Colour_For) and the result is rendered again.
    void SetPalette(TPalette palette);
    void PlusColoursClick(TObject* Sender);

    // Picture > Screen mode and Picture > Dither: the item's mode or dither.
    void ScreenModeClick(TObject* Sender);
    void FullScreenClick(TObject* Sender);
    void DitherClick(TObject* Sender);
    // A click on a swatch of the palette group, and Inks > Set ink > Ink #k.
    void PaletteInkClick(TObject* Sender);
    void SetInkClick(TObject* Sender);

  private:
    void bindScreenMenus();
    // SetPalette's work without its step and render (an undo, the settings).
    void applyPalette(TPalette palette);
    // Ink k (0..15), shown by the mode or not.
    Ink inkAt(int k) const;
    // Fits a picture to the mode's screen, a crop at cropAt (the one place
    // the window fits).
    static void fitToMode(TPicture& source, TPicture& result, TFitMode fit, const ScreenMode& mode,
                          TCropPosition cropAt);
    // The picture to convert for mode: the picture as loaded fitted to the
    // mode's screen by fit and stretched when the stretch is on, or the
    // source itself for no fit.
    void sourceForMode(const ScreenMode& mode, TFitMode fit, TPicture& source);
    // The fit Compare shows a mode with: the fit in use, or while it is Off
    // the mode's start fit, so that every cell keeps the picture's proportions.
    TFitMode compareFit(int mode) const;
    // Shows the mode's inks in the palette group; the tool strip and the
    // window grow or shrink by what the group needs.
    void showModeInks();
    void updateCaption();

    // ---- What the view shows ----
  public:
    // View > CPC proportions: the pixels at the screen's own shape.
    bool CpcProportions = false;
    TMonitor Monitor = TMonitor::Plain;
    // The green monitor's picture of the result, while that monitor is chosen.
    TImage* GreenView = nullptr;
    TScanlineGaps* LineGaps = nullptr;
    // The monitor's border round the view, while a monitor is chosen.
    TMonitorFrame* MonitorFrame = nullptr;

    void SetMonitor(TMonitor monitor);
    void CpcProportionsClick(TObject* Sender);
    void MonitorPlainClick(TObject* Sender);
    void MonitorColourClick(TObject* Sender);
    void MonitorGreenClick(TObject* Sender);

  private:
    // Brings the monitor preview up to date with the result: the green
    // picture, the gaps, and which picture the view draws.
    void updatePreview();
    // Shows the monitor's border round the view, sized as the screen in use
    // and the view's zoom make it, while a monitor is chosen.
    void placeMonitorFrame();

    // ---- Compare ----
  public:
    // View > Compare: the picture in every mode by three dithers, with inks
    // chosen for each, in a window of its own, in CPC+ colours beside CPC
    // colours while the palette is plus; the one clicked is applied, its
    // palette with it.
    void CompareClick(TObject* Sender);
    TF_Compare* CompareWindow();

  private:
    std::unique_ptr<TF_Compare> mCompare;
    std::unique_ptr<TSpriteExportDialog> mSpriteExport;
};

extern TForm1* Form1;
