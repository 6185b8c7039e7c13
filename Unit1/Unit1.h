#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "Controls.h"
#include "Dialogs.h"
#include "Events.h"
#include "FitToScreen.h"
#include "Forms.h"
#include "InkChoice.h"
#include "Picture.h"
#include "RenderScheduler.h"
#include "ui_Unit1.h"

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
    // Dithers the source into the result with the inks and the three slider
    // positions, then repaints the result view. The map is made the first
    // time the local slider is not 0, and dropped while it is 0.
    void renderNow();
    // The source has changed: its map no longer holds, and it is rendered again.
    void sourceChanged();
    // Lets the user choose ink k's colour in the colour dialog; swatch and
    // label show the choice.
    void setInk(int k, TShape* swatch, TLabel* number);

    // The caption the layout gives, before any file name is put in front.
    std::string mCaption;
    // Where the next zoom change keeps its point, in the scrolling area's
    // visible part; its middle when not set.
    std::optional<QPoint> mZoomAnchor;
    TRenderScheduler mRenderer{[this] { renderNow(); }, this};

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
    // Fits a newly loaded picture in place by the fit mode; returns the
    // picture as loaded, or nothing when the mode is Off.
    std::unique_ptr<TPicture> fitLoaded(TPicture& source) const;
};

extern TForm1* Form1;
