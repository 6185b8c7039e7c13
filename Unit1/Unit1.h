#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "FitToScreen.h"
#include "Forms.h"
#include "History.h"
#include "WindowSettings.h"
#include "InkChoice.h"
#include "Picture.h"
#include "ui_Unit1.h"

// The main window: the tool strip (file, zoom, stretch and About buttons, the
// four ink swatches, the three modifier sliders) above the scrolling result.
// The working pictures live in the picture views: Image1 the source, Image7
// its local-contrast map, Image2 the result. The hidden spin box CSpinEdit1
// holds the zoom (its value) and whether a picture is loaded (its enabled
// flag); Panel2's inner bevel holds whether the stretch is on (lowered).
// The menu bar above the tool strip runs the buttons' handlers; a picture
// also loads when dropped on the window or named on the command line.
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
    // Dithers the source into the result with the inks and the three slider
    // positions, then repaints the result view.
    void render();
    // Rebuilds the local-contrast map from the source, then renders.
    void mapAndRender();
    // Lets the user choose ink k's colour in the colour dialog; swatch and
    // label show the choice.
    void setInk(int k, TShape* swatch, TLabel* number);

    // The caption the layout gives, before any file name is put in front.
    std::string mCaption;
    // Where the next zoom change keeps its point, in the scrolling area's
    // visible part; its middle when not set.
    std::optional<QPoint> mZoomAnchor;

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

  private:
    // Runs an export dialog with its title, filter and ending; true when the
    // user chose a file.
    static bool runExportDialog(TSaveDialog& dialog, const std::string& title, const std::string& filter,
                                const std::string& ending);
    // The dimension message when the result cannot become a screen; true when it can.
    bool resultFitsScreen() const;

    // ---- Automatic inks ----
  public:
    // Chooses the inks that are not kept, on threads of their own, and
    // applies them as the colour dialog would: swatch, number label, ink,
    // render. A progress window with "Cancel" shows once the search has run
    // for InkSearchProgressDelay milliseconds; a cancelled search changes
    // nothing. Does nothing before a picture is loaded.
    void ChooseInksClick(TObject* Sender);
    // Whether ink k (0..3) keeps its colour when inks are chosen automatically.
    void SetKeepInk(int k, bool keep);
    bool GetKeepInk(int k) const;
    // Inks > Keep ink #k: each item turns its ink's keeping on or off.
    void KeepInk0Click(TObject* Sender);
    void KeepInk1Click(TObject* Sender);
    void KeepInk2Click(TObject* Sender);
    void KeepInk3Click(TObject* Sender);
    int InkSearchProgressDelay = 200;

  private:
    std::array<bool, kInkCount> mKeepInk{};
    void applyInkNumbers(const InkNumbers& numbers);

    // ---- Fit to the screen ----
  public:
    // How loaded pictures are brought to the 320 x 200 screen; Off at start.
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
    // Fits a newly loaded picture in place by the fit mode (a crop at
    // cropAt); returns the picture as loaded, or nothing when the mode is Off.
    std::unique_ptr<TPicture> fitLoaded(TPicture& source, TCropPosition cropAt) const;

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
    // Refits the picture as loaded by the fit mode and the crop position,
    // keeping the stretch as it is, and renders.
    void refit();

    THistory mHistory;
    int mStepDepth = 0;
    std::string mFileName; // the picture's file name, without folder
    // A crop drag: where it started, the crop position then, and the whole
    // picture as Pad shows it.
    struct CropDrag {
        QPoint start;
        TCropPosition startAt;
        TPicture whole;
        TFitPlacement pad{};
        const TPicture* picture = nullptr; // the picture as loaded it began on
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
};

extern TForm1* Form1;
