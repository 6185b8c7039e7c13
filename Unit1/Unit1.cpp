#include "Unit1.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QActionGroup>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QSettings>
#include <QSignalBlocker>
#include <QTimer>

#include "About.h"
#include "AmsdosHeader.h"
#include "Colorselect.h"
#include "Compare.h"
#include "CpcExport.h"
#include "Engine.h"
#include "FileKind.h"
#include "InkSearchProgress.h"
#include "Menus.h"
#include "ModeInkChoice.h"
#include "ModePacking.h"
#include "OcpPalette.h"
#include "PixelShape.h"
#include "QtPictureReader.h"
#include "RawSprite.h"
#include "SysUtils.h"

TForm1* Form1 = nullptr;

// The glyphs and icons are compiled into this static library; a resource
// file in a static library is registered only when asked for.
static void initUnit1Resources() {
    Q_INIT_RESOURCE(Unit1);
}

namespace {
constexpr int kOuterWidth = 456;
constexpr int kOuterHeight = 472;
constexpr int kMinimumOuterWidth = 456;
constexpr int kMinimumOuterHeight = 192;
// The tool strip's height in the design, and the room it leaves under the
// palette group when the group grows.
constexpr int kToolStripHeight = 97;
constexpr int kToolStripMargin = 8;

// Shown when a BMP is asked for before any picture has been loaded: the
// result is empty and there is nothing to write.
constexpr const char* kNothingToSaveMessage = "There is no picture to save yet.";

// Shown for a name whose ending Save does not write: saying nothing would
// look like a save that worked.
std::string unwrittenEndingMessage(const std::string& fileName) {
    return "Nothing was written to \"" + fileName +
           "\": Save writes names ending in \"bmp\" (BMP picture), \"scr\" (screen file) or "
           "\"dat\" (raw sprite), in lower case.";
}
} // namespace

// One change of the result as the history sees it: the outermost scope
// records the window's state when it ends, under its name, so a command made
// of others (a fit that turns the stretch off) is one step.
class TForm1::StepScope {
  public:
    StepScope(TForm1& form, std::string name, std::string run = {})
        : mForm(form), mName(std::move(name)), mRun(std::move(run)) {
        ++mForm.mStepDepth;
    }
    ~StepScope() {
        if (--mForm.mStepDepth != 0)
            return;
        // Recording copies a few strings; should even that fail, the step is
        // lost, which is better than an error escaping a destructor.
        try {
            mForm.mHistory.Record(mName, mForm.workState(), mRun);
            mForm.updateUndoItems();
        } catch (...) {
        }
    }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;

  private:
    TForm1& mForm;
    std::string mName, mRun;
};

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
    SaveDialog1.SetFilter("Bitmap (bmp)|*.bmp|OCP Art Studio (scr)|*.scr|Raw sprite (dat)|*.dat");
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
    for (TCSpinEdit* box : {EditLocal, EditBrightness, EditContrast})
        Bind(box, &TCSpinEdit::OnChange, this, &TForm1::EditModifierChange);
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
// reset; a picture's history starts with the picture.
void TForm1::FormShow(TObject*) {
    Reset_Ink_Table(Inks);
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

void TForm1::render() {
    if (loaded())
        mRenderer.Request();
}

void TForm1::FlushRender() {
    mRenderer.Flush();
}

// The map depends only on the source: it is dropped when the source changes
// and made again the first time a render needs it.
void TForm1::updateMap() {
    TPicture& map = Image7->GetPicture();
    if (TrackBar1->GetPosition() == 0)
        map = TPicture();
    else if (map.GetWidth() != Image1->GetPicture().GetWidth() || map.GetHeight() != Image1->GetPicture().GetHeight())
        Local_Contrast_Map(Image1->GetPicture(), map);
}

void TForm1::prepareSource() {
    settleSource();
    updateMap();
}

int TForm1::startRender() {
    mRun.reset();
    if (!loaded())
        return 0;
    prepareSource();
    mRun = Start_Mode_Dither(ScreenChoice.dither, Image1->GetPicture(), Image2->GetPicture(),
                             Image7->GetPicture(), ModeInks(), TrackBar3->GetPosition(),
                             TrackBar4->GetPosition(), TrackBar1->GetPosition(), Mode());
    return Image2->GetPicture().GetHeight();
}

void TForm1::renderRows(int first, int last) {
    mRun->Rows(Image1->GetPicture(), Image2->GetPicture(), Image7->GetPicture(), first, last);
}

std::pair<int, int> TForm1::rowsInView() const {
    if (greenShown())
        return {0, Image2->GetPicture().GetHeight()};
    if (!Image2->ShowsOwnPicture())
        return {0, 0};
    const QRect shown = Image2->VisiblePictureRect();
    return {shown.top(), shown.top() + shown.height()};
}

void TForm1::showRender() {
    updatePreview();
    Image2->Refresh();
}

// The classic dither in mode 1 is the design's CPC_Mode1_Dither, exactly.
void TForm1::convert(TPicture& source, TPicture& result, const TPicture& map) {
    Mode_Dither(ScreenChoice.dither, source, result, map, ModeInks(), TrackBar3->GetPosition(),
                TrackBar4->GetPosition(), TrackBar1->GetPosition(), Mode());
}

void TForm1::sourceChanged() {
    Image7->GetPicture() = TPicture();
    render();
}

// Load: the new picture, its map and its result are built beside the
// current ones and take their place only once all three exist, so a file
// that cannot be read (or a picture too large for the memory left) leaves
// the window exactly as it was.
void TForm1::SpeedButton1Click(TObject*) {
    if (!OpenPictureDialog1.Execute() || !ConfirmDiscardWork())
        return;
    loadPicture(OpenPictureDialog1.GetFileName());
}

void TForm1::loadPicture(const std::string& fileName) {
    TBusyCursor busy(this);
    if (stretchOn())
        Panel2Click(this);
    TPicture source;
    QSize fullSize;
    source.LoadFromFile(fileName, [&](int width, int height) {
        fullSize = QSize(width, height);
        return fitDecodeDivisor(width, height);
    });
    if (fullSize.width() == source.GetWidth() && fullSize.height() == source.GetHeight())
        fullSize = QSize();
    std::unique_ptr<TPicture> asLoaded = fitLoaded(source, TCropPosition{});
    TPicture map;
    TPicture result;
    if (TrackBar1->GetPosition() != 0)
        Local_Contrast_Map(source, map);
    convert(source, result, map);
    mRenderer.Rendered();
    Image1->GetPicture() = std::move(source);
    LoadedPicture = std::move(asLoaded);
    mLoadedFile = fileName;
    mFullSize = fullSize;
    mRefitPending = false;
    Image7->GetPicture() = std::move(map);
    Image2->GetPicture() = std::move(result);
    Image1->Refresh();
    CSpinEdit1->SetEnabled(true);
    CSpinEdit1Change(CSpinEdit1);
    ScrollBox1->ScrollContentTo(QPoint(0, 0), QPoint(0, 0));
    ScrollBox1->SetPlaceholderText("");
    mPictureName = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
    updateCaption();
    updatePreview();
    Image2->Refresh();
    CropAt = TCropPosition{};
    rememberRecent(fileName);
    mHistory.Start(workState());
    updateUndoItems();
}

void TForm1::OpenWhenShown(const std::string& fileName) {
    QTimer::singleShot(0, this, [this, fileName] { RunGuarded([&] { loadPicture(fileName); }); });
}

void TForm1::FormDropFiles(TObject*) {
    const std::vector<std::string> files = GetDroppedFiles();
    if (!files.empty() && ConfirmDiscardWork())
        loadPicture(files.front());
}

// Save: only the last three characters of the typed name decide, case
// included; the selected filter entry plays no part. Any other ending
// writes nothing and says so.
// A name typed without ending has been given the selected entry's by the
// dialog first.
void TForm1::SpeedButton5Click(TObject*) {
    runSave();
}

bool TForm1::runSave() {
    return SaveDialog1.Execute() && saveResultAs(SaveDialog1.GetFileName());
}

bool TForm1::saveResultAs(const std::string& fileName) {
    TBusyCursor busy(this);
    FlushRender();
    const TPicture& result = Image2->GetPicture();
    const bool empty = result.GetWidth() == 0 || result.GetHeight() == 0;
    switch (Save_Format_Of(fileName)) {
    case TSaveFormat::Bmp:
        if (empty) {
            ShowMessage(kNothingToSaveMessage);
            return false;
        }
        result.SaveToFile(fileName);
        break;
    case TSaveFormat::Screen:
        if (!Fits_Mode_Screen(result, Mode())) {
            ShowMessage(Screen_Size_Message(Mode()));
            return false;
        }
        if (classicPath())
            Save_Screen_File(result, Inks, fileName);
        else {
            const std::vector<std::uint8_t> screen = Mode_Screen_File_Bytes(result, ModeInks(), Mode());
            Write_Raw_File(screen.data(), screen.size(), fileName);
        }
        break;
    case TSaveFormat::Sprite: {
        if (empty) {
            ShowMessage(kNothingToSaveMessage);
            return false;
        }
        const std::vector<std::uint8_t> sprite =
            classicPath() ? Raw_Sprite(result, Inks) : Pack_Mode_Rows(result, ModeInks(), Mode());
        Write_Raw_File(sprite.data(), sprite.size(), fileName);
        break;
    }
    // The CPC exports have commands of their own; PNG is the command line's.
    case TSaveFormat::Png:
    case TSaveFormat::Palette:
    case TSaveFormat::Disc:
    case TSaveFormat::Compressed:
    case TSaveFormat::Snapshot:
    case TSaveFormat::None:
        ShowMessage(unwrittenEndingMessage(fileName));
        return false;
    }
    mHistory.MarkSaved();
    return true;
}

// Stretch toggle. Turning it on keeps the unstretched source in
// StretchBackup; turning it off puts that back, byte for byte. A channel
// with one value throughout is left as it is by the stretch, and the toggle
// still counts as on.
void TForm1::Panel2Click(TObject*) {
    if (!loaded())
        return;
    StepScope step(*this, "Stretch palette");
    TBusyCursor busy(this);
    settleSource();
    TPicture& source = Image1->GetPicture();
    if (!stretchOn()) {
        auto backup = std::make_unique<TPicture>();
        Copy_Picture(*backup, source);
        StretchBackup = std::move(backup);
        Stretch_Palette(&source);
        Panel2->SetBevelInner(TPanel::bvLowered);
        Panel2->SetBevelOuter(TPanel::bvLowered);
    } else {
        source = std::move(*StretchBackup);
        Panel2->SetBevelInner(TPanel::bvRaised);
        Panel2->SetBevelOuter(TPanel::bvRaised);
        StretchBackup.reset();
    }
    sourceChanged();
}

void TForm1::Image4Click(TObject* Sender) {
    Panel2Click(Sender);
}

void TForm1::SpeedButton2Click(TObject*) {
    if (CSpinEdit1->GetValue() < CSpinEdit1->GetMaxValue())
        CSpinEdit1->SetValue(CSpinEdit1->GetValue() + 1);
}

void TForm1::SpeedButton3Click(TObject*) {
    if (CSpinEdit1->GetValue() > CSpinEdit1->GetMinValue())
        CSpinEdit1->SetValue(CSpinEdit1->GetValue() - 1);
}

void TForm1::SpeedButton4Click(TObject*) {
    AboutBox->ShowModal();
}

// The view shows the result stretched to the source's size times the zoom;
// the result itself keeps the source's size. The point of the picture under
// the anchor (the middle of the visible part, or the pointer for a zoom by
// the wheel) stays where it is.
void TForm1::CSpinEdit1Change(TObject*) {
    const QPoint anchor = mZoomAnchor.value_or(ScrollBox1->viewport()->rect().center());
    mZoomAnchor.reset();
    const QPoint before = ScrollBox1->ContentAt(anchor) - Image2->pos();
    const QSize oldSize = Image2->size();

    const int zoom = CSpinEdit1->GetValue();
    const TPicture& source = Image1->GetPicture();
    const QSize view = View_Size(source.GetWidth(), source.GetHeight(), Mode(), CpcProportions, zoom);
    Image2->SetHeight(view.height());
    Image2->SetWidth(view.width());

    if (oldSize.isEmpty())
        return;
    const QPoint after(static_cast<int>(qint64(before.x()) * Image2->width() / oldSize.width()),
                       static_cast<int>(qint64(before.y()) * Image2->height() / oldSize.height()));
    ScrollBox1->ScrollContentTo(after + Image2->pos(), anchor);
}

void TForm1::ScrollBox1CtrlWheel(TObject* Sender) {
    const int notches = ScrollBox1->GetWheelNotches();
    for (int step = 0; step < std::abs(notches); ++step) {
        mZoomAnchor = ScrollBox1->GetWheelPoint();
        if (notches > 0)
            SpeedButton2Click(Sender);
        else
            SpeedButton3Click(Sender);
    }
    mZoomAnchor.reset();
}

void TForm1::QuitClick(TObject*) {
    Close();
}

// The source (stretched, if the stretch is on) takes the result's place in
// the view, at the view's zoom and scroll; nothing is rendered for it.
void TForm1::ShowOriginalClick(TObject*) {
    updatePreview();
}

void TForm1::TrackBar1Change(TObject*) {
    StepScope step(*this, "Local contrast", "local");
    syncNumberBoxes();
    render();
}

// Brightness and contrast share this handler; neither changes the map.
void TForm1::TrackBar3Change(TObject* Sender) {
    const bool contrast = Sender == TrackBar4;
    StepScope step(*this, contrast ? "Contrast" : "Brightness", contrast ? "contrast" : "brightness");
    syncNumberBoxes();
    render();
}

// The dialog opens on the ink's own colour, so "Ok" at once keeps that colour.
void TForm1::setInk(int k) {
    const InkList inks = ModeInks();
    if (k < 0 || k >= static_cast<int>(inks.size()))
        throw Exception("Ink " + IntToStr(k) + " is not an ink of mode " + IntToStr(ScreenChoice.mode));
    StepScope step(*this, "Set ink #" + IntToStr(k));
    F_ColorSelect->OpenOnInk(k, Colour_Number_Of_Ink(inks[static_cast<std::size_t>(k)]));
    F_ColorSelect->ShowModal();
    const std::string text = F_ColorSelect->Label3->GetText();
    if (text.empty())
        return;
    Palette->SetInk(k, F_ColorSelect->Shape2->Brush->GetColor(), text);
    if (k < kInkCount)
        Set_Ink_From_Text(Inks, k, text);
    else
        UpperInks[static_cast<std::size_t>(k - kInkCount)] = Ink_From_Colour_Number(StrToInt(text));
    render();
}

void TForm1::Button2Click(TObject*) {
    setInk(0);
}

void TForm1::Button3Click(TObject*) {
    setInk(1);
}

void TForm1::Button4Click(TObject*) {
    setInk(2);
}

void TForm1::Button5Click(TObject*) {
    setInk(3);
}

void TForm1::PaletteInkClick(TObject*) {
    setInk(Palette->GetClickedInk());
}

// Only the mode's inks can be set; the menu shows no others.
void TForm1::SetInkClick(TObject* Sender) {
    auto* item = qobject_cast<QAction*>(Sender);
    if (item && item->data().toInt() < Mode().inkCount)
        setInk(item->data().toInt());
}

bool TForm1::runExportDialog(TSaveDialog& dialog, const std::string& title, const std::string& filter,
                             const std::string& ending) {
    dialog.SetTitle(title);
    dialog.SetFilter(filter);
    dialog.SetDefaultExt(ending);
    dialog.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
    return dialog.Execute();
}

// The mode's size, and where to get it: the fit.
bool TForm1::resultFitsScreen(const std::string& outputNeeds) {
    FlushRender();
    const TPicture& result = Image2->GetPicture();
    const ScreenMode& mode = Mode();
    if (Fits_Mode_Screen(result, mode))
        return true;
    if (result.GetWidth() == 0 || result.GetHeight() == 0)
        ShowMessage(kNothingToSaveMessage);
    else
        ShowMessage(Wrong_Size_Message("The picture", result.GetWidth(), result.GetHeight(), outputNeeds, mode.width,
                                       mode.height, "use Picture > Fit to CPC screen"));
    return false;
}

// The size is checked before the dialog: no name is asked for a file that
// cannot be made. The classic dither in mode 1 packs its pixels as the
// design's screen file does (by level); every other mode and dither by exact
// colour, and the loader sets the mode.
void TForm1::ExportDiscClick(TObject*) {
    if (!resultFitsScreen("a disc image needs") ||
        !runExportDialog(ExportDiscDialog, "Export disc image", "Disc image (*.dsk)|*.dsk", "dsk"))
        return;
    const std::string fileName = ExportDiscDialog.GetFileName();
    const std::string name = Amsdos_Name_Of_Path(fileName);
    if (classicPath())
        Save_Picture_Disc(Image2->GetPicture(), Inks, name, fileName);
    else
        Save_Picture_Disc(Image2->GetPicture(), ModeInks(), Mode(), name, fileName);
    mHistory.MarkSaved();
}

void TForm1::ExportScreenClick(TObject*) {
    if (!resultFitsScreen("a screen file needs") || !runExportDialog(ExportScreenDialog, "Export screen with AMSDOS header",
                                                "Screen with AMSDOS header (*.scr)|*.scr", "scr"))
        return;
    const std::string fileName = ExportScreenDialog.GetFileName();
    const std::string name = Amsdos_Name_Of_Path(fileName);
    const std::vector<std::uint8_t> bytes = classicPath()
                                                ? Screen_File_With_Header(Image2->GetPicture(), Inks, name)
                                                : Screen_File_With_Header(Image2->GetPicture(), ModeInks(), Mode(), name);
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
    mHistory.MarkSaved();
}

// The palette holds only the inks and the mode: it needs no picture.
void TForm1::ExportPaletteClick(TObject*) {
    if (!runExportDialog(ExportPaletteDialog, "Export palette", "OCP Art Studio palette (*.pal)|*.pal", "pal"))
        return;
    const std::string fileName = ExportPaletteDialog.GetFileName();
    const std::string name = Amsdos_Name_Of_Path(fileName);
    const std::vector<std::uint8_t> bytes =
        classicPath() ? Palette_File_With_Header(Inks, name) : Palette_File_With_Header(ModeInks(), Mode(), name);
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
    mHistory.MarkSaved();
}

// ---- Automatic inks ----

namespace {

// One automatic ink search on a thread of its own, over what it was given
// beforehand (cells read from the pictures, or copies of them), so the
// window's pictures may change meanwhile.
class InkSearchJob {
  public:
    using Search = std::function<std::vector<int>(const Ink_Search_Control& control, bool& cancelled)>;

    explicit InkSearchJob(Search search) : mSearch(std::move(search)) {
        mThread = std::thread([this] { run(); });
    }
    ~InkSearchJob() {
        mCancel = true;
        if (mThread.joinable())
            mThread.join();
    }
    InkSearchJob(const InkSearchJob&) = delete;
    InkSearchJob& operator=(const InkSearchJob&) = delete;

    bool done() const { return mDone.load(); }
    int percent() const { return mPercent.load(); }
    void cancel() { mCancel = true; }
    // Waits for the search; raises the error it ended with, if any. Empty
    // when it was cancelled.
    std::vector<int> finish() {
        mThread.join();
        if (mError)
            std::rethrow_exception(mError);
        return mCancelled ? std::vector<int>{} : mNumbers;
    }

  private:
    void run() {
        try {
            Ink_Search_Control control;
            control.threads = Ink_Search_Control::AllCores();
            control.progress = [this](int done, int total) {
                mPercent = total > 0 ? done * 100 / total : 100;
            };
            control.cancel = &mCancel;
            mNumbers = mSearch(control, mCancelled);
        } catch (...) {
            mError = std::current_exception();
        }
        mDone = true;
    }

    const Search mSearch;
    std::atomic<bool> mCancel{false};
    std::atomic<bool> mDone{false};
    std::atomic<int> mPercent{0};
    std::vector<int> mNumbers;
    bool mCancelled = false;
    std::exception_ptr mError;
    std::thread mThread;
};

// Lets the window repaint, but takes no input, until the job is done or the
// time is up.
void waitFor(const InkSearchJob& job, int milliseconds) {
    if (milliseconds <= 0 || job.done())
        return;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (job.done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

// The classic dither in mode 1 keeps its own search over 2x2 cells (the
// design's inks, exactly); every other mode and dither is judged on copies
// of the source and its map by the dither in use.
void TForm1::ChooseInksClick(TObject*) {
    if (!loaded())
        return;
    StepScope step(*this, "Automatic inks");
    // The search reads the source and its map as the next render will.
    prepareSource();
    const ScreenMode& mode = Mode();
    // A kept ink is the one in use: the number labels are not reset with the
    // inks when the window is shown again.
    const InkList inks = ModeInks();
    std::vector<int> kept(inks.size(), kChooseInk);
    for (std::size_t k = 0; k < inks.size(); ++k)
        if (mKeepInk[k])
            kept[k] = Colour_Number_Of_Ink(inks[k]);
    const int a = TrackBar3->GetPosition(), b = TrackBar4->GetPosition(), c = TrackBar1->GetPosition();
    InkSearchJob::Search search;
    if (classicPath()) {
        InkNumbers keptFour{};
        std::copy(kept.begin(), kept.end(), keptFour.begin());
        search = [cells = Ink_Search_Cells_Of(Image1->GetPicture(), Image7->GetPicture(), a, b, c),
                  keptFour](const Ink_Search_Control& control, bool& cancelled) {
            const Ink_Choice choice = Choose_Inks(cells, keptFour, control);
            cancelled = choice.cancelled;
            return std::vector<int>(choice.numbers.begin(), choice.numbers.end());
        };
    } else {
        // Shared with the window, not copied: the search only reads them,
        // and a change the window makes meanwhile gets pixels of its own.
        auto source = std::make_shared<TPicture>();
        auto map = std::make_shared<TPicture>();
        source->Assign(Image1->GetPicture().Image());
        map->Assign(Image7->GetPicture().Image());
        search = [source, map, kept, dither = ScreenChoice.dither, &mode, a, b,
                  c](const Ink_Search_Control& control, bool& cancelled) {
            const Mode_Ink_Choice choice = Choose_Mode_Inks(*source, *map, kept, dither, mode, a, b, c, control);
            cancelled = choice.cancelled;
            return choice.numbers;
        };
    }
    InkSearchJob job(std::move(search));
    waitFor(job, InkSearchProgressDelay);
    if (!job.done()) {
        TInkSearchProgress progress([&job] { return job.percent(); },
                                    [&job] { return job.done(); });
        if (progress.ShowModal() != mrOk) {
            job.cancel();
            return;
        }
    }
    const std::vector<int> numbers = job.finish();
    if (!numbers.empty())
        applyInkNumbers(numbers);
}

// As if each colour had been chosen in the colour dialog: its swatch as the
// dialog's preview, its number, its ink; then the result again.
void TForm1::applyInkNumbers(const std::vector<int>& numbers) {
    for (std::size_t k = 0; k < numbers.size(); ++k)
        SetInkNumber(static_cast<int>(k), numbers[k]);
    render();
}

void TForm1::SetKeepInk(int k, bool keep) {
    if (k < 0 || k >= kMaxInkCount)
        throw Exception("Ink " + IntToStr(k) + " does not exist: the inks are 0 to 15");
    mKeepInk[static_cast<std::size_t>(k)] = keep;
}

bool TForm1::GetKeepInk(int k) const {
    return k >= 0 && k < kMaxInkCount && mKeepInk[static_cast<std::size_t>(k)];
}

// ---- Fit to the screen ----

std::unique_ptr<TPicture> TForm1::fitLoaded(TPicture& source, TCropPosition cropAt) const {
    if (FitMode == TFitMode::Off)
        return nullptr;
    TPicture fitted;
    fitToMode(source, fitted, FitMode, Mode(), cropAt);
    auto asLoaded = std::make_unique<TPicture>(std::move(source));
    source = std::move(fitted);
    return asLoaded;
}

// The fitted source is built beside the current one and takes its place
// only once it exists; its map and result follow through the renderer.
void TForm1::SetFitMode(TFitMode mode) {
    static const char* const kNames[] = {"Fit off", "Fit crop", "Fit pad", "Fit stretch"};
    StepScope step(*this, kNames[static_cast<int>(mode)]);
    if (!loaded()) {
        FitMode = mode;
        return;
    }
    if (mode == TFitMode::Off)
        loadFullSize();
    if (stretchOn())
        Panel2Click(nullptr);
    TPicture& asLoaded = LoadedPicture ? *LoadedPicture : Image1->GetPicture();
    TPicture fitted;
    if (mode != TFitMode::Off)
        fitToMode(asLoaded, fitted, mode, Mode(), CropAt);
    if (mode == TFitMode::Off) {
        if (LoadedPicture)
            Image1->GetPicture() = std::move(*LoadedPicture);
        LoadedPicture.reset();
    } else {
        if (!LoadedPicture)
            LoadedPicture = std::make_unique<TPicture>(std::move(Image1->GetPicture()));
        Image1->GetPicture() = std::move(fitted);
    }
    FitMode = mode;
    mRefitPending = false;
    sourceChanged();
    Image1->Refresh();
    CSpinEdit1Change(CSpinEdit1);
}

// The step names the ink as the menu item does.
void TForm1::KeepInkClick(TObject* Sender) {
    auto* item = qobject_cast<QAction*>(Sender);
    if (!item)
        return;
    const int k = item->data().toInt();
    StepScope step(*this, "Keep ink #" + IntToStr(k));
    SetKeepInk(k, !GetKeepInk(k));
}

int TForm1::fitDecodeDivisor(int width, int height) const {
    if (FitMode == TFitMode::Off)
        return 1;
    int divisor = 8;
    for (const ScreenMode& mode : kScreenModes)
        for (const TFitMode fit : {TFitMode::Crop, TFitMode::Pad, TFitMode::Stretch})
            divisor = std::min(divisor, Fit_Decode_Divisor(width, height, fit, mode));
    return divisor;
}

void TForm1::loadFullSize() {
    if (mFullSize.isEmpty() || !LoadedPicture)
        return;
    TBusyCursor busy(this);
    TPicture full;
    full.LoadFromFile(mLoadedFile);
    if (full.GetWidth() != mFullSize.width() || full.GetHeight() != mFullSize.height())
        throw Exception(mLoadedFile + " has changed since it was loaded: open it again to see it whole");
    *LoadedPicture = std::move(full);
    mFullSize = QSize();
}

void TForm1::FitOffClick(TObject*) {
    SetFitMode(TFitMode::Off);
}

void TForm1::FitCropClick(TObject*) {
    SetFitMode(TFitMode::Crop);
}

void TForm1::FitPadClick(TObject*) {
    SetFitMode(TFitMode::Pad);
}

void TForm1::FitStretchClick(TObject*) {
    SetFitMode(TFitMode::Stretch);
}

// ---- Undo and redo ----

TWorkState TForm1::workState() const {
    TWorkState state;
    state.screen = ScreenChoice;
    state.inks = Inks;
    state.upperInks = UpperInks;
    for (int k = 0; k < kMaxInkCount; ++k) {
        state.inkNumbers[static_cast<std::size_t>(k)] = Palette->GetNumberText(k);
        state.swatches[static_cast<std::size_t>(k)] = Palette->GetSwatchColour(k);
    }
    state.keepInk = mKeepInk;
    state.brightness = TrackBar3->GetPosition();
    state.contrast = TrackBar4->GetPosition();
    state.local = TrackBar1->GetPosition();
    state.stretch = stretchOn();
    state.fit = FitMode;
    state.cropAt = CropAt;
    return state;
}

// Puts every setting back at once: the inks and sliders first, without
// their handlers, so that the screen choice, the fit and the stretch, each
// changed only when it differs, refit and render with them; what is left
// renders once, through the renderer.
void TForm1::applyWorkState(const TWorkState& state) {
    ++mStepDepth; // nothing done here is a step of its own
    struct Unwind {
        int& depth;
        ~Unwind() { --depth; }
    } unwind{mStepDepth};
    TBusyCursor busy(this);
    Inks = state.inks;
    UpperInks = state.upperInks;
    for (int k = 0; k < kMaxInkCount; ++k)
        Palette->SetInk(k, state.swatches[static_cast<std::size_t>(k)],
                        state.inkNumbers[static_cast<std::size_t>(k)]);
    mKeepInk = state.keepInk;
    {
        const QSignalBlocker local(TrackBar1), brightness(TrackBar3), contrast(TrackBar4);
        TrackBar1->SetPosition(state.local);
        TrackBar3->SetPosition(state.brightness);
        TrackBar4->SetPosition(state.contrast);
    }
    syncNumberBoxes();
    const bool cropMoved = state.cropAt != CropAt;
    const bool modeChanged = state.screen.mode != ScreenChoice.mode;
    CropAt = state.cropAt;
    // A new mode fits the picture again, at the crop position just set.
    // A new screen choice renders at once; anything else asks for a render.
    if (state.screen != ScreenChoice)
        SetScreenChoice(state.screen);
    else
        render();
    if (state.fit != FitMode)
        SetFitMode(state.fit);
    else if (cropMoved && !modeChanged)
        refit();
    if (loaded() && state.stretch != stretchOn())
        Panel2Click(this);
}

void TForm1::updateUndoItems() {
    actionUndo->setEnabled(mHistory.CanUndo());
    actionUndo->setText(QString::fromStdString(mHistory.CanUndo() ? "&Undo " + mHistory.UndoName() : "&Undo"));
    actionRedo->setEnabled(mHistory.CanRedo());
    actionRedo->setText(QString::fromStdString(mHistory.CanRedo() ? "&Redo " + mHistory.RedoName() : "&Redo"));
}

void TForm1::UndoClick(TObject*) {
    if (!mHistory.CanUndo())
        return;
    applyWorkState(mHistory.Undo());
    updateUndoItems();
}

void TForm1::RedoClick(TObject*) {
    if (!mHistory.CanRedo())
        return;
    applyWorkState(mHistory.Redo());
    updateUndoItems();
}

void TForm1::EndStepRun(TObject*) {
    mHistory.EndRun();
}

// ---- Number boxes beside the sliders ----

void TForm1::syncNumberBoxes() {
    const std::pair<TCSpinEdit*, TTrackBar*> pairs[] = {
        {EditLocal, TrackBar1}, {EditBrightness, TrackBar3}, {EditContrast, TrackBar4}};
    for (const auto& [box, slider] : pairs) {
        const QSignalBlocker quiet(box);
        box->SetValue(slider->GetPosition());
    }
}

// A typed number is a step of its own, not part of the slider's last run.
void TForm1::EditModifierChange(TObject* Sender) {
    TTrackBar* const slider = Sender == EditLocal ? TrackBar1 : Sender == EditBrightness ? TrackBar3 : TrackBar4;
    mHistory.EndRun();
    slider->SetPosition(static_cast<TCSpinEdit*>(Sender)->GetValue());
    mHistory.EndRun();
}

// ---- The close question ----

bool TForm1::WorkChanged() const {
    return loaded() && mHistory.Changed();
}

bool TForm1::ConfirmDiscardWork() {
    if (!WorkChanged())
        return true;
    switch (AskSaveChanges(mPictureName)) {
    case TSaveChangesAnswer::Save:
        return runSave();
    case TSaveChangesAnswer::Discard:
        return true;
    case TSaveChangesAnswer::Cancel:
        break;
    }
    return false;
}

// Refused until the question is answered: a save that fails with an error
// keeps the window.
void TForm1::FormCloseQuery(TObject*) {
    SetCanClose(false);
    SetCanClose(ConfirmDiscardWork());
}

// ---- Crop position ----

// A run of crop moves (keys held, a drag let go) fits the picture once, for
// the last position, when the render it asks for runs.
void TForm1::refit() {
    if (!loaded() || !LoadedPicture || FitMode == TFitMode::Off)
        return;
    mRefitPending = true;
    render();
}

// The fitted picture is built beside the source and takes its place once it
// exists; unstretched, it becomes the stretch's backup.
void TForm1::settleSource() {
    if (!mRefitPending)
        return;
    if (!loaded() || !LoadedPicture || FitMode == TFitMode::Off) {
        mRefitPending = false;
        return;
    }
    TBusyCursor busy(this);
    TPicture fitted;
    fitToMode(*LoadedPicture, fitted, FitMode, Mode(), CropAt);
    std::unique_ptr<TPicture> backup;
    if (stretchOn()) {
        backup = std::make_unique<TPicture>();
        Copy_Picture(*backup, fitted);
        Stretch_Palette(&fitted);
    }
    Image1->GetPicture() = std::move(fitted);
    if (backup)
        StretchBackup = std::move(backup);
    Image7->GetPicture() = TPicture();
    mRefitPending = false;
}

void TForm1::SetCropPosition(TCropPosition at) {
    CropAt = {std::clamp(at.x, 0.0, 1.0), std::clamp(at.y, 0.0, 1.0)};
    if (FitMode == TFitMode::Crop)
        refit();
}

// A run of key presses is one step. Only a direction with a spare part moves.
void TForm1::moveCropBy(double dx, double dy) {
    if (FitMode != TFitMode::Crop || !LoadedPicture)
        return;
    constexpr double kStep = 0.1;
    const TPicture& whole = *LoadedPicture;
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, Mode(), CropAt);
    const bool acrossSpare = crop.sourceWidth < whole.GetWidth(), downSpare = crop.sourceHeight < whole.GetHeight();
    if ((dx != 0 && !acrossSpare) || (dy != 0 && !downSpare))
        return;
    StepScope step(*this, "Move crop window", "crop keys");
    SetCropPosition({CropAt.x + dx * kStep, CropAt.y + dy * kStep});
}

void TForm1::CropLeftClick(TObject*) { moveCropBy(-1, 0); }
void TForm1::CropRightClick(TObject*) { moveCropBy(1, 0); }
void TForm1::CropUpClick(TObject*) { moveCropBy(0, -1); }
void TForm1::CropDownClick(TObject*) { moveCropBy(0, 1); }

void TForm1::Image2MouseDown(TObject*) {
    if (FitMode != TFitMode::Crop || !loaded() || !LoadedPicture)
        return;
    TBusyCursor busy(this);
    auto drag = std::make_unique<CropDrag>();
    drag->start = Image2->mapToGlobal(Image2->GetMousePoint());
    drag->startAt = CropAt;
    drag->picture = LoadedPicture.get();
    drag->mode = ScreenChoice.mode;
    fitToMode(*LoadedPicture, drag->whole, TFitMode::Pad, Mode(), {});
    drag->pad = Fit_Placement(LoadedPicture->GetWidth(), LoadedPicture->GetHeight(), TFitMode::Pad, Mode());
    mCropDrag = std::move(drag);
    drawCropPreview();
    updatePreview();
}

// The crop window follows the pointer over the whole picture, which shows at
// the same scale as the screen (Pad's), so a pixel of pointer movement is a
// pixel of the picture on the screen. The view's pixels per screen pixel
// (the zoom, the mode's pixel shape) come from the view's size. Only the
// preview is drawn while the pointer moves; the picture is fitted when the
// drag ends.
void TForm1::Image2MouseMove(TObject*) {
    if (!cropDragGoesOn())
        return;
    const QPoint moved = Image2->mapToGlobal(Image2->GetMousePoint()) - mCropDrag->start;
    const TPicture& whole = *LoadedPicture;
    const TPicture& screen = mCropDrag->whole;
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, Mode(), CropAt);
    const double spareX = whole.GetWidth() - crop.sourceWidth, spareY = whole.GetHeight() - crop.sourceHeight;
    const double viewPerScreenX = std::max(1, Image2->width()) / static_cast<double>(screen.GetWidth());
    const double viewPerScreenY = std::max(1, Image2->height()) / static_cast<double>(screen.GetHeight());
    const double sourcePerScreenX = static_cast<double>(whole.GetWidth()) / mCropDrag->pad.width;
    const double sourcePerScreenY = static_cast<double>(whole.GetHeight()) / mCropDrag->pad.height;
    TCropPosition at = mCropDrag->startAt;
    if (spareX > 0)
        at.x += moved.x() / viewPerScreenX * sourcePerScreenX / spareX;
    if (spareY > 0)
        at.y += moved.y() / viewPerScreenY * sourcePerScreenY / spareY;
    CropAt = {std::clamp(at.x, 0.0, 1.0), std::clamp(at.y, 0.0, 1.0)};
    drawCropPreview();
    Image2->update();
}

void TForm1::Image2MouseUp(TObject*) {
    if (!cropDragGoesOn())
        return;
    const TCropPosition startAt = mCropDrag->startAt;
    endCropDrag();
    if (CropAt == startAt)
        return;
    mHistory.EndRun();
    StepScope step(*this, "Move crop window");
    SetCropPosition(CropAt);
}

// A key pressed while dragging (Undo, a fit, a picture loaded) may have
// taken away the picture or the crop the drag began with: the drag ends.
bool TForm1::cropDragGoesOn() {
    if (!mCropDrag)
        return false;
    if (FitMode == TFitMode::Crop && LoadedPicture.get() == mCropDrag->picture &&
        ScreenChoice.mode == mCropDrag->mode)
        return true;
    endCropDrag();
    return false;
}

// The view shows what it showed before the drag.
void TForm1::endCropDrag() {
    mCropDrag.reset();
    ImageCropPreview->GetPicture() = TPicture();
    updatePreview();
}

// The whole picture as Pad shows it, the part outside the crop window
// darkened, the window outlined.
void TForm1::drawCropPreview() {
    const TPicture& whole = *LoadedPicture;
    const TFitPlacement pad = mCropDrag->pad;
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, Mode(), CropAt);
    const QRectF window(pad.left + crop.sourceX * pad.width / whole.GetWidth(),
                        pad.top + crop.sourceY * pad.height / whole.GetHeight(),
                        crop.sourceWidth * pad.width / whole.GetWidth(),
                        crop.sourceHeight * pad.height / whole.GetHeight());
    QImage preview = mCropDrag->whole.Image().convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&preview);
        QPainterPath outside;
        outside.addRect(QRectF(preview.rect()));
        outside.addRect(window);
        painter.fillPath(outside, QColor(0, 0, 0, 150));
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(window.adjusted(0, 0, -1, -1));
    }
    ImageCropPreview->GetPicture().Assign(preview);
}

// ---- Load inks from palette ----

void TForm1::LoadPaletteClick(TObject*) {
    if (PaletteDialog.Execute())
        LoadInksFromPalette(PaletteDialog.GetFileName());
}

void TForm1::LoadInksFromPalette(const std::string& fileName) {
    const TFileKind kind = FileKindOf(fileName);
    if (kind != TFileKind::Regular)
        throw Exception("Cannot load inks from \"" + fileName + "\": " +
                        (kind == TFileKind::Missing ? std::string("there is no such file") : "it is " + FileKindText(kind)));
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot load inks from \"" + fileName + "\": " + file.errorString().toStdString());
    // One byte more than the largest palette is enough to tell a file too long.
    const QByteArray data = file.read(static_cast<qint64>(kAmsdosHeaderBytes + kOcpPaletteBytes + 1));
    OcpPaletteContents palette;
    try {
        palette = Ocp_Palette_Contents(
            std::span(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())));
    } catch (const Exception& error) {
        throw Exception("Cannot load inks from \"" + fileName + "\": " + error.what());
    }
    // The palette's mode comes with its inks; the dither stays. Inks the
    // mode does not show keep their colours.
    StepScope step(*this, "Load inks from palette");
    const ScreenMode& mode = Screen_Mode(palette.mode);
    for (int k = 0; k < mode.inkCount; ++k)
        SetInkNumber(k, palette.pens[static_cast<std::size_t>(k)]);
    if (palette.mode != ScreenChoice.mode)
        SetScreenChoice(TScreenChoice{palette.mode, ScreenChoice.dither});
    else
        render();
}

// ---- Recent files ----

void TForm1::rememberRecent(const std::string& fileName) {
    const std::string path = QFileInfo(QString::fromStdString(fileName)).absoluteFilePath().toStdString();
    std::erase(RecentFiles, path);
    RecentFiles.insert(RecentFiles.begin(), path);
    if (RecentFiles.size() > static_cast<std::size_t>(kRecentFiles))
        RecentFiles.resize(kRecentFiles);
    rebuildRecentMenu();
}

void TForm1::rebuildRecentMenu() {
    menuRecent->clear();
    for (std::size_t i = 0; i < RecentFiles.size(); ++i) {
        const QString name = QFileInfo(QString::fromStdString(RecentFiles[i])).fileName();
        QAction* item = menuRecent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QString(name).replace('&', "&&")));
        item->setToolTip(QString::fromStdString(RecentFiles[i]));
        item->setData(QString::fromStdString(RecentFiles[i]));
        BindCommand(item, this, &TForm1::OpenRecentClick);
    }
    menuRecent->setEnabled(!RecentFiles.empty());
}

void TForm1::OpenRecentClick(TObject* Sender) {
    const auto* item = qobject_cast<QAction*>(Sender);
    if (!item || !ConfirmDiscardWork())
        return;
    loadPicture(item->data().toString().toStdString());
}

// ---- Settings ----

TWindowSettings TForm1::GetSettings() const {
    TWindowSettings kept;
    kept.screen = ScreenChoice;
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
    if (!kept.geometry.isEmpty() && restoreGeometry(kept.geometry))
        SetPosition(TPosition::poDesigned);
    mHistory.Start(workState());
    updateUndoItems();
}

void TForm1::UseSettings(QSettings* settings) {
    mSettings = settings;
    if (mSettings)
        RestoreSettings(Read_Window_Settings(*mSettings));
}

void TForm1::FormClose(TObject*) {
    if (mSettings)
        Write_Window_Settings(*mSettings, GetSettings());
}

// ---- Screen modes, dithers and the palette ----

void TForm1::fitToMode(TPicture& source, TPicture& result, TFitMode fit, const ScreenMode& mode,
                       TCropPosition cropAt) {
    Fit_To_Screen(source, result, fit, mode, cropAt);
}

void TForm1::bindScreenMenus() {
    auto* modes = new QActionGroup(this);
    for (const ScreenMode& mode : kScreenModes) {
        QAction* item = menuScreenMode->addAction(QStringLiteral("Mode &%1 (%2 x %3, %4 inks)")
                                                      .arg(mode.number)
                                                      .arg(mode.width)
                                                      .arg(mode.height)
                                                      .arg(mode.inkCount));
        item->setObjectName(QStringLiteral("actionMode%1").arg(mode.number));
        item->setCheckable(true);
        item->setData(mode.number);
        modes->addAction(item);
        BindCommand(item, this, &TForm1::ScreenModeClick);
        MirrorCheck(item, [this, number = mode.number] { return ScreenChoice.mode == number; });
    }
    auto* dithers = new QActionGroup(this);
    for (const DitherInfo& info : kDithers) {
        QAction* item = menuDither->addAction(QString::fromUtf8(info.title));
        item->setObjectName(QStringLiteral("actionDither_%1").arg(QString::fromUtf8(info.name)));
        item->setCheckable(true);
        item->setData(static_cast<int>(info.dither));
        dithers->addAction(item);
        BindCommand(item, this, &TForm1::DitherClick);
        MirrorCheck(item, [this, dither = info.dither] { return ScreenChoice.dither == dither; });
    }
    auto* monitors = new QActionGroup(this);
    for (QAction* item : {actionMonitorPlain, actionMonitorColour, actionMonitorGreen})
        monitors->addAction(item);
    // Items for the start's choices are checked before any menu opens.
    for (QMenu* menu : {menuScreenMode, menuDither, menuMonitor})
        for (QAction* item : menu->actions())
            item->setChecked(item->data().isValid()
                                 ? (menu == menuScreenMode ? item->data().toInt() == ScreenChoice.mode
                                                           : item->data().toInt() == static_cast<int>(ScreenChoice.dither))
                                 : item == actionMonitorPlain);
}

bool TForm1::classicPath() const {
    return ScreenChoice.mode == kDefaultScreenMode && ScreenChoice.dither == TDither::Classic;
}

const ScreenMode& TForm1::Mode() const {
    return Screen_Mode(ScreenChoice.mode);
}

InkList TForm1::ModeInks() const {
    InkList inks = Ink_List_Of(Inks);
    inks.insert(inks.end(), UpperInks.begin(), UpperInks.end());
    inks.resize(static_cast<std::size_t>(Mode().inkCount));
    return inks;
}

void TForm1::SetInkNumber(int k, int colourNumber) {
    const std::string text = IntToStr(colourNumber);
    const Ink ink = Ink_From_Colour_Number(colourNumber);
    Palette->SetInk(k, Swatch_Colour_Of(colourNumber), text);
    if (k < kInkCount)
        Inks[static_cast<std::size_t>(k)] = ink;
    else
        UpperInks[static_cast<std::size_t>(k - kInkCount)] = ink;
}

void TForm1::sourceForMode(const ScreenMode& mode, TPicture& source) {
    if (FitMode == TFitMode::Off || !LoadedPicture) {
        // Shared, not copied: the comparison only reads it.
        source.Assign(Image1->GetPicture().Image());
        return;
    }
    fitToMode(*LoadedPicture, source, FitMode, mode, CropAt);
    if (stretchOn())
        Stretch_Palette(&source);
}

// With a fit on, the new source, its map and its result are built beside the
// current ones and take their place only once all three exist, as in Load;
// the new fitted picture, unstretched, becomes the stretch's backup.
void TForm1::SetScreenChoice(const TScreenChoice& choice) {
    const ScreenMode& mode = Screen_Mode(choice.mode);
    Dither_Info(choice.dither); // raises for a dither that does not exist, as Screen_Mode does for a mode
    StepScope step(*this, choice.mode != ScreenChoice.mode ? "Screen mode" : "Dither");
    if (loaded()) {
        TBusyCursor busy(this);
        const TScreenChoice previous = ScreenChoice;
        const bool refit = FitMode != TFitMode::Off && LoadedPicture && choice.mode != previous.mode;
        TPicture source, map, result;
        std::unique_ptr<TPicture> backup;
        if (refit) {
            fitToMode(*LoadedPicture, source, FitMode, mode, CropAt);
            if (stretchOn()) {
                backup = std::make_unique<TPicture>();
                Copy_Picture(*backup, source);
                Stretch_Palette(&source);
            }
            if (TrackBar1->GetPosition() != 0)
                Local_Contrast_Map(source, map);
        } else {
            prepareSource();
        }
        // A drag over the old mode's screen does not go on over the new one.
        if (choice.mode != previous.mode && mCropDrag)
            endCropDrag();
        ScreenChoice = choice;
        try {
            convert(refit ? source : Image1->GetPicture(), result, refit ? map : Image7->GetPicture());
        } catch (...) {
            ScreenChoice = previous;
            throw;
        }
        if (refit) {
            Image1->GetPicture() = std::move(source);
            Image7->GetPicture() = std::move(map);
            if (backup)
                StretchBackup = std::move(backup);
            mRefitPending = false;
        }
        Image2->GetPicture() = std::move(result);
        mRenderer.Rendered();
    } else {
        ScreenChoice = choice;
    }
    showModeInks();
    updateCaption();
    CSpinEdit1Change(CSpinEdit1);
    updatePreview();
    Image2->Refresh();
}

void TForm1::ScreenModeClick(TObject* Sender) {
    if (auto* item = qobject_cast<QAction*>(Sender))
        SetScreenChoice(TScreenChoice{item->data().toInt(), ScreenChoice.dither});
}

void TForm1::DitherClick(TObject* Sender) {
    if (auto* item = qobject_cast<QAction*>(Sender))
        SetScreenChoice(TScreenChoice{ScreenChoice.mode, static_cast<TDither>(item->data().toInt())});
}

// The tool strip is as high as the design makes it, or as the palette group
// needs; the window grows and shrinks by the difference, its picture area
// staying as it was.
void TForm1::showModeInks() {
    const int count = Mode().inkCount;
    Palette->ShowInks(count);
    const int stripHeight = std::max(kToolStripHeight, GroupBox1->geometry().bottom() + 1 + kToolStripMargin);
    const int grow = stripHeight - Panel1->height();
    // The Set ink and Keep ink items follow the inks shown.
    for (QMenu* menu : {menuSetInk, menuKeepInk})
        for (QAction* item : menu->actions())
            item->setVisible(item->data().toInt() < count);
    if (grow == 0)
        return;
    Panel1->SetHeight(stripHeight);
    setMinimumHeight(std::max(0, minimumHeight() + grow));
    resize(width(), height() + grow);
    AlignChildren(this, rect());
}

void TForm1::updateCaption() {
    SetCaption(Window_Caption(mPictureName, ScreenChoice.mode));
}

// ---- What the view shows ----

void TForm1::SetMonitor(TMonitor monitor) {
    Monitor = monitor;
    updatePreview();
}

void TForm1::CpcProportionsClick(TObject*) {
    CpcProportions = !CpcProportions;
    CSpinEdit1Change(CSpinEdit1);
    updatePreview();
}

void TForm1::MonitorPlainClick(TObject*) {
    SetMonitor(TMonitor::Plain);
}

void TForm1::MonitorColourClick(TObject*) {
    SetMonitor(TMonitor::Colour);
}

void TForm1::MonitorGreenClick(TObject*) {
    SetMonitor(TMonitor::Green);
}

// The original, when asked for, is shown as it is; the result as the
// monitor would show it. A crop drag's preview stays in view through any
// render that lands meanwhile. The result picture itself never changes here.
bool TForm1::greenShown() const {
    return Monitor == TMonitor::Green && !actionShowOriginal->isChecked() && !mCropDrag;
}

void TForm1::updatePreview() {
    const bool dragging = mCropDrag != nullptr;
    const bool original = actionShowOriginal->isChecked();
    const bool green = greenShown();
    if (green)
        Green_Monitor_Picture(Image2->GetPicture(), GreenView->GetPicture());
    else
        GreenView->GetPicture() = TPicture();
    Image2->ShowPictureOf(dragging ? ImageCropPreview : original ? Image1 : green ? GreenView : nullptr);
    LineGaps->SetRows(Image2->GetPicture().GetHeight());
    LineGaps->setVisible(Monitor != TMonitor::Plain && !original && !dragging && loaded());
    LineGaps->update();
    Image2->update();
}

// ---- Compare ----

TF_Compare* TForm1::CompareWindow() {
    if (!mCompare)
        mCompare = std::make_unique<TF_Compare>();
    return mCompare.get();
}

// Each mode gets its own source when a fit is on (the picture as loaded
// fitted to that mode's screen); otherwise all three convert the source. The
// choice applied, inks and screen choice together, is one step.
void TForm1::CompareClick(TObject*) {
    if (!loaded())
        return;
    settleSource();
    TCompareInput input;
    input.brightness = TrackBar3->GetPosition();
    input.contrast = TrackBar4->GetPosition();
    input.local = TrackBar1->GetPosition();
    std::shared_ptr<TPicture> shared;
    for (const ScreenMode& mode : kScreenModes) {
        auto& source = input.sources[static_cast<std::size_t>(mode.number)];
        if (FitMode == TFitMode::Off && shared) {
            source = shared;
            continue;
        }
        source = std::make_shared<TPicture>();
        sourceForMode(mode, *source);
        shared = source;
    }
    const std::optional<TCompareCell> chosen = CompareWindow()->Choose(std::move(input));
    if (!chosen)
        return;
    StepScope step(*this, "Compare");
    for (std::size_t k = 0; k < chosen->inkNumbers.size(); ++k)
        SetInkNumber(static_cast<int>(k), chosen->inkNumbers[k]);
    if (chosen->choice == ScreenChoice)
        render();
    else
        SetScreenChoice(chosen->choice);
}
