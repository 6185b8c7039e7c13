// The main window: its making, its events and menus bound in one place, and
// the settings it keeps between runs.
// Menu commands handled here:
//   Help > About…: SpeedButton4Click

#include "Unit1.h"

#include <algorithm>
#include <string>

#include <QSettings>
#include <QScreen>

#include "About.h"
#include "Compare.h"
#include "Engine.h"
#include "InkSearchProgress.h"
#include "Menus.h"
#include "ModeInkChoice.h"
#include "ModeStart.h"
#include "PaletteSwitch.h"
#include "QtPictureReader.h"
#include "SpriteExportDialog.h"

namespace {
constexpr int kOuterWidth = 456;
constexpr int kOuterHeight = 472;
constexpr int kMinimumOuterWidth = 456;
constexpr int kMinimumOuterHeight = 192;
} // namespace

TForm1* Form1 = nullptr;

// The glyphs and icons are compiled into this static library; a resource
// file in a static library is registered only when asked for.
static void initUnit1Resources() {
    Q_INIT_RESOURCE(Unit1);
}

TForm1::TForm1(QWidget* parent) : TForm(parent) {
    initUnit1Resources();
    setupUi(this);
    SetOuterSize(kOuterWidth, kOuterHeight);
    SetOuterMinimumSize(kMinimumOuterWidth, kMinimumOuterHeight);
    SetPosition(TPosition::poScreenCenter);
    SetAcceptFiles(true);
    ApplyAlternateShortcuts(this);
    Palette = new TPaletteGroup(GroupBox1,
                                {{{Label2, Label6, Shape1, Button2},
                                  {Label3, Label7, Shape2, Button3},
                                  {Label4, Label8, Shape3, Button4},
                                  {Label5, Label9, Shape4, Button5}}},
                                {InkNumber0, InkNumber1, InkNumber2, InkNumber3, InkNumber4, InkNumber5,
                                 InkNumber6, InkNumber7, InkNumber8, InkNumber9, InkNumber10, InkNumber11,
                                 InkNumber12, InkNumber13, InkNumber14, InkNumber15},
                                {InkSwatch0, InkSwatch1, InkSwatch2, InkSwatch3, InkSwatch4, InkSwatch5,
                                 InkSwatch6, InkSwatch7, InkSwatch8, InkSwatch9, InkSwatch10, InkSwatch11,
                                 InkSwatch12, InkSwatch13, InkSwatch14, InkSwatch15});
    // Inks 4..15 start as the CPC's own pens 4..15; inks 0..3 as the design gives them.
    const InkList powerOn = Start_Inks(Screen_Mode(0));
    for (int k = kInkCount; k < kMaxInkCount; ++k)
        SetInkNumber(k, Colour_Number_Of_Ink(powerOn[static_cast<std::size_t>(k)]));
    // The green monitor's picture is drawn in the result's place; it is never
    // shown on its own.
    GreenView = new TImage(ScrollBox1Contents);
    GreenView->setObjectName(QStringLiteral("GreenView"));
    GreenView->SetVisible(false);
    // Rows scrolled or zoomed into view before the render has reached them
    // are rendered before they are drawn.
    Image2->SetBeforePaint([this](const QRect& area) {
        mRenderer.RenderRows(area.top(), area.top() + area.height());
    });
    LineGaps = new TScanlineGaps(Image2);
    LineGaps->setVisible(false);
    MonitorFrame = new TMonitorFrame(ScrollBox1Contents);
    StatusBar1->resize(StatusBar1->width(), StatusBar1->sizeHint().height());
    // Each number box names its range, as the note for a number out of it does.
    for (TCSpinEdit* box : {EditLocal, EditBrightness, EditContrast})
        box->setToolTip(box->toolTip() + QStringLiteral(", %1").arg(QString::fromStdString(box->RangeText())));
    setUpDialogs();
    bindEvents();
    bindMenus();
    bindScreenMenus();
    showModeInks();
    updateCaption();
    syncNumberBoxes();
    updateUndoItems();
    rebuildRecentMenu();
}

TForm1::~TForm1() = default;

void TForm1::setUpDialogs() {
    OpenPictureDialog1.SetTitle("Load picture");
    // Every format the loader reads here, then anything: the loader goes by
    // a file's contents, not its name.
    const std::string patterns = Readable_Picture_Patterns();
    std::string separated = patterns;
    std::replace(separated.begin(), separated.end(), ' ', ';');
    OpenPictureDialog1.SetFilter("Bitmaps (*.bmp)|*.bmp|All pictures (" + patterns + ")|" + separated +
                                 "|All files (*)|*");
    OpenPictureDialog1.SetDefaultExt("bmp");
    OpenPictureDialog1.SetFilterIndex(1); // all pictures

    PaletteDialog.SetTitle("Load inks from palette");
    PaletteDialog.SetFilter("OCP Art Studio palette (*.pal)|*.pal|All files (*)|*");

    SaveDialog1.SetTitle("Save picture");
    SaveDialog1.SetFilter(
        "Bitmap (bmp)|*.bmp|OCP Art Studio (scr)|*.scr|Raw sprite (dat)|*.dat|PNG picture (png)|*.png");
    SaveDialog1.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing | ofFilterEnding);
}

// Every event of the window, in one place.
void TForm1::bindEvents() {
    Bind(this, &TForm::OnShow, this, &TForm1::FormShow);
    Bind(SpeedButton1, &TSpeedButton::OnClick, this, &TForm1::SpeedButton1Click);
    Bind(SpeedButton5, &TSpeedButton::OnClick, this, &TForm1::SpeedButton5Click);
    Bind(Panel2, &TPanel::OnClick, this, &TForm1::Panel2Click);
    Bind(Image4, &TImage::OnClick, this, &TForm1::Image4Click);
    Bind(SpeedButton2, &TSpeedButton::OnClick, this, &TForm1::SpeedButton2Click);
    Bind(SpeedButton3, &TSpeedButton::OnClick, this, &TForm1::SpeedButton3Click);
    Bind(SpeedButton4, &TSpeedButton::OnClick, this, &TForm1::SpeedButton4Click);
    Bind(CSpinEdit1, &TCSpinEdit::OnChange, this, &TForm1::CSpinEdit1Change);
    Bind(TrackBar1, &TTrackBar::OnChange, this, &TForm1::TrackBar1Change);
    Bind(TrackBar3, &TTrackBar::OnChange, this, &TForm1::TrackBar3Change);
    Bind(TrackBar4, &TTrackBar::OnChange, this, &TForm1::TrackBar3Change);
    Bind(Button2, &TButton::OnClick, this, &TForm1::Button2Click);
    Bind(Button3, &TButton::OnClick, this, &TForm1::Button3Click);
    Bind(Button4, &TButton::OnClick, this, &TForm1::Button4Click);
    Bind(Button5, &TButton::OnClick, this, &TForm1::Button5Click);
    Bind(this, &TForm::OnDropFiles, this, &TForm1::FormDropFiles);
    Bind(Palette, &TPaletteGroup::OnInkClick, this, &TForm1::PaletteInkClick);
    Bind(ScrollBox1, &TScrollBox::OnCtrlWheel, this, &TForm1::ScrollBox1CtrlWheel);
    Bind(this, &TForm::OnCloseQuery, this, &TForm1::FormCloseQuery);
    Bind(this, &TForm::OnClose, this, &TForm1::FormClose);
    for (TTrackBar* slider : {TrackBar1, TrackBar3, TrackBar4}) {
        Bind(slider, &QSlider::sliderPressed, this, &TForm1::EndStepRun);
        Bind(slider, &QSlider::sliderReleased, this, &TForm1::EndStepRun);
    }
    for (TCSpinEdit* box : {EditLocal, EditBrightness, EditContrast}) {
        Bind(box, &TCSpinEdit::OnChange, this, &TForm1::EditModifierChange);
        Bind(box, &TCSpinEdit::OnClamped, this, &TForm1::EditModifierClamped);
    }
    Bind(Image2, &TImage::OnMouseDown, this, &TForm1::Image2MouseDown);
    Bind(Image2, &TImage::OnMouseMove, this, &TForm1::Image2MouseMove);
    Bind(Image2, &TImage::OnMouseUp, this, &TForm1::Image2MouseUp);
}

// Every menu item runs the handler of its button.
void TForm1::bindMenus() {
    BindCommand(actionOpen, this, &TForm1::SpeedButton1Click);
    BindCommand(actionSave, this, &TForm1::SpeedButton5Click);
    BindCommand(actionQuit, this, &TForm1::QuitClick);
    BindCommand(actionZoomIn, this, &TForm1::SpeedButton2Click);
    BindCommand(actionZoomOut, this, &TForm1::SpeedButton3Click);
    BindCommand(actionShowOriginal, this, &TForm1::ShowOriginalClick);
    BindCommand(actionStretchPalette, this, &TForm1::Panel2Click);
    MirrorCheck(actionStretchPalette, [this] { return stretchOn(); });
    BindCommand(actionAbout, this, &TForm1::SpeedButton4Click);

    BindCommand(actionExportDisc, this, &TForm1::ExportDiscClick);
    BindCommand(actionExportScreen, this, &TForm1::ExportScreenClick);
    BindCommand(actionExportPalette, this, &TForm1::ExportPaletteClick);
    BindCommand(actionExportSprites, this, &TForm1::ExportSpritesClick);
    BindCommand(actionExportSlideshow, this, &TForm1::ExportSlideshowClick);
    const struct {
        QAction* item;
        void (TForm1::*handler)(TObject*);
        TFitMode mode;
    } fitItems[] = {
        {actionFitOff, &TForm1::FitOffClick, TFitMode::Off},
        {actionFitCrop, &TForm1::FitCropClick, TFitMode::Crop},
        {actionFitPad, &TForm1::FitPadClick, TFitMode::Pad},
        {actionFitStretch, &TForm1::FitStretchClick, TFitMode::Stretch},
    };
    for (const auto& fit : fitItems) {
        BindCommand(fit.item, this, fit.handler);
        MirrorCheck(fit.item, [this, mode = fit.mode] { return FitMode == mode; });
    }
    BindCommand(actionUndo, this, &TForm1::UndoClick);
    BindCommand(actionRedo, this, &TForm1::RedoClick);
    BindCommand(actionLoadPalette, this, &TForm1::LoadPaletteClick);
    BindCommand(actionCropLeft, this, &TForm1::CropLeftClick);
    BindCommand(actionCropRight, this, &TForm1::CropRightClick);
    BindCommand(actionCropUp, this, &TForm1::CropUpClick);
    BindCommand(actionCropDown, this, &TForm1::CropDownClick);
    BindCommand(actionChooseInks, this, &TForm1::ChooseInksClick);
    QAction* const setItems[kMaxInkCount] = {
        actionSetInk0, actionSetInk1, actionSetInk2,  actionSetInk3,  actionSetInk4,  actionSetInk5,
        actionSetInk6, actionSetInk7, actionSetInk8,  actionSetInk9,  actionSetInk10, actionSetInk11,
        actionSetInk12, actionSetInk13, actionSetInk14, actionSetInk15};
    QAction* const keepItems[kMaxInkCount] = {
        actionKeepInk0,  actionKeepInk1,  actionKeepInk2,  actionKeepInk3,  actionKeepInk4,  actionKeepInk5,
        actionKeepInk6,  actionKeepInk7,  actionKeepInk8,  actionKeepInk9,  actionKeepInk10, actionKeepInk11,
        actionKeepInk12, actionKeepInk13, actionKeepInk14, actionKeepInk15};
    for (int k = 0; k < kMaxInkCount; ++k) {
        // The items say which ink they are for; the handlers read it.
        setItems[k]->setData(k);
        keepItems[k]->setData(k);
        BindCommand(setItems[k], this, &TForm1::SetInkClick);
        BindCommand(keepItems[k], this, &TForm1::KeepInkClick);
        MirrorCheck(keepItems[k], [this, k] { return GetKeepInk(k); });
    }

    BindCommand(actionFullScreen, this, &TForm1::FullScreenClick);
    MirrorCheck(actionFullScreen, [this] { return !standardScreen(); });
    BindCommand(actionPlusColours, this, &TForm1::PlusColoursClick);
    MirrorCheck(actionPlusColours, [this] { return ColourPalette == TPalette::Plus; });
    BindCommand(actionCpcProportions, this, &TForm1::CpcProportionsClick);
    MirrorCheck(actionCpcProportions, [this] { return CpcProportions; });
    const struct {
        QAction* item;
        void (TForm1::*handler)(TObject*);
        TMonitor monitor;
    } monitorItems[] = {
        {actionMonitorPlain, &TForm1::MonitorPlainClick, TMonitor::Plain},
        {actionMonitorColour, &TForm1::MonitorColourClick, TMonitor::Colour},
        {actionMonitorGreen, &TForm1::MonitorGreenClick, TMonitor::Green},
    };
    for (const auto& item : monitorItems) {
        BindCommand(item.item, this, item.handler);
        MirrorCheck(item.item, [this, monitor = item.monitor] { return Monitor == monitor; });
    }
    BindCommand(actionCompare, this, &TForm1::CompareClick);
}

// Before a picture is loaded the history starts here, from the inks just
// reset; a picture's history starts with the picture. In CPC+ colours the
// reset inks become CPC+ colours, as a switch to them makes them.
void TForm1::FormShow(TObject*) {
    Reset_Ink_Table(Inks);
    if (ColourPalette != TPalette::Cpc)
        for (int k = 0; k < kInkCount; ++k)
            SetInkColour(k, Palette_Colour_For(InkPalette(), Inks[static_cast<std::size_t>(k)]));
    if (!loaded()) {
        mHistory.Start(workState());
        updateUndoItems();
    }
}

bool TForm1::loaded() const {
    return CSpinEdit1->GetEnabled();
}

bool TForm1::stretchOn() const {
    return Panel2->GetBevelInner() == TPanel::bvLowered;
}

void TForm1::SpeedButton4Click(TObject*) {
    AboutBox->ShowModal();
}

TWindowSettings TForm1::GetSettings() const {
    TWindowSettings kept;
    kept.screen = ScreenChoice;
    kept.palette = ColourPalette;
    kept.fit = FitMode;
    kept.monitor = Monitor;
    kept.cpcProportions = CpcProportions;
    kept.zoom = CSpinEdit1->GetValue();
    kept.openFolder = OpenPictureDialog1.GetInitialDir();
    kept.saveFolder = SaveDialog1.GetInitialDir();
    kept.exportFolder = ExportDiscDialog.GetInitialDir();
    for (const TSaveDialog* dialog : {&ExportScreenDialog, &ExportPaletteDialog})
        if (kept.exportFolder.empty())
            kept.exportFolder = dialog->GetInitialDir();
    kept.paletteFolder = PaletteDialog.GetInitialDir();
    kept.openFilter = OpenPictureDialog1.GetFilterIndex();
    kept.recentFiles = RecentFiles;
    kept.geometry = saveGeometry();
    return kept;
}

void TForm1::RestoreSettings(const TWindowSettings& kept) {
    SetScreenChoice(kept.screen);
    applyPalette(kept.palette);
    FitMode = kept.fit;
    SetMonitor(kept.monitor);
    CpcProportions = kept.cpcProportions;
    CSpinEdit1->SetValue(kept.zoom);
    CSpinEdit1Change(CSpinEdit1);
    OpenPictureDialog1.SetInitialDir(kept.openFolder);
    SaveDialog1.SetInitialDir(kept.saveFolder);
    for (TSaveDialog* dialog : {&ExportDiscDialog, &ExportScreenDialog, &ExportPaletteDialog})
        dialog->SetInitialDir(kept.exportFolder);
    PaletteDialog.SetInitialDir(kept.paletteFolder);
    OpenPictureDialog1.SetFilterIndex(kept.openFilter);
    RecentFiles = kept.recentFiles;
    if (RecentFiles.size() > static_cast<std::size_t>(kRecentFiles))
        RecentFiles.resize(kRecentFiles);
    rebuildRecentMenu();
    // A kept place replaces the centring of a first start.
    if (!kept.geometry.isEmpty() && Saved_Geometry_Fits(kept.geometry, screen()->availableVirtualGeometry()) &&
        restoreGeometry(kept.geometry))
        SetPosition(TPosition::poDesigned);
    mHistory.Start(workState());
    updateUndoItems();
}

// A kept dither or fit that is not its mode's start was chosen, even where
// the settings predate the record of choices.
void TForm1::UseSettings(QSettings* settings) {
    mSettings = settings;
    if (!mSettings)
        return;
    const TWindowSettings kept = Read_Window_Settings(*mSettings);
    Chosen = Read_Mode_Choices(*mSettings);
    auto& dither = Chosen.dither.at(static_cast<std::size_t>(kept.screen.mode));
    if (!dither && kept.screen.dither != Start_Dither(kept.screen.mode))
        dither = kept.screen.dither;
    if (!Chosen.fit && kept.fit != Start_Fit(kept.screen.mode))
        Chosen.fit = kept.fit;
    RestoreSettings(kept);
}

void TForm1::FormClose(TObject*) {
    if (!mSettings)
        return;
    Write_Window_Settings(*mSettings, GetSettings());
    Write_Mode_Choices(*mSettings, Chosen);
}
