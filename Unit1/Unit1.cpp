#include "Unit1.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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
#include "CpcExport.h"
#include "Engine.h"
#include "FileKind.h"
#include "InkSearchProgress.h"
#include "Menus.h"
#include "OcpPalette.h"
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
    mCaption = GetCaption();
    ApplyAlternateShortcuts(this);
    setUpDialogs();
    bindEvents();
    bindMenus();
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
    BindCommand(actionSetInk0, this, &TForm1::Button2Click);
    BindCommand(actionSetInk1, this, &TForm1::Button3Click);
    BindCommand(actionSetInk2, this, &TForm1::Button4Click);
    BindCommand(actionSetInk3, this, &TForm1::Button5Click);
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
    const std::pair<QAction*, void (TForm1::*)(TObject*)> keepItems[] = {
        {actionKeepInk0, &TForm1::KeepInk0Click},
        {actionKeepInk1, &TForm1::KeepInk1Click},
        {actionKeepInk2, &TForm1::KeepInk2Click},
        {actionKeepInk3, &TForm1::KeepInk3Click},
    };
    for (int k = 0; k < kInkCount; ++k) {
        const auto& [item, handler] = keepItems[k];
        BindCommand(item, this, handler);
        MirrorCheck(item, [this, k] { return GetKeepInk(k); });
    }
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
    CPC_Mode1_Dither(Image1->GetPicture(), Image2->GetPicture(), Image7->GetPicture(), Inks,
                     TrackBar3->GetPosition(), TrackBar4->GetPosition(), TrackBar1->GetPosition());
    Image2->Refresh();
}

void TForm1::mapAndRender() {
    Local_Contrast_Map(Image1->GetPicture(), Image7->GetPicture());
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
    source.LoadFromFile(fileName);
    std::unique_ptr<TPicture> asLoaded = fitLoaded(source, TCropPosition{});
    TPicture map;
    TPicture result;
    Local_Contrast_Map(source, map);
    CPC_Mode1_Dither(source, result, map, Inks, TrackBar3->GetPosition(), TrackBar4->GetPosition(),
                     TrackBar1->GetPosition());
    Image1->GetPicture() = std::move(source);
    LoadedPicture = std::move(asLoaded);
    Image7->GetPicture() = std::move(map);
    Image2->GetPicture() = std::move(result);
    Image1->Refresh();
    CSpinEdit1->SetEnabled(true);
    CSpinEdit1Change(CSpinEdit1);
    ScrollBox1->ScrollContentTo(QPoint(0, 0), QPoint(0, 0));
    ScrollBox1->SetPlaceholderText("");
    mFileName = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
    SetCaption(mFileName + " - " + mCaption);
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
        if (!Fits_Screen(result)) {
            ShowMessage(kScreenSizeMessage);
            return false;
        }
        Save_Screen_File(result, Inks, fileName);
        break;
    case TSaveFormat::Sprite: {
        if (empty) {
            ShowMessage(kNothingToSaveMessage);
            return false;
        }
        const std::vector<std::uint8_t> sprite = Raw_Sprite(result, Inks);
        Write_Raw_File(sprite.data(), sprite.size(), fileName);
        break;
    }
    // The CPC exports have commands of their own; PNG is the command line's.
    case TSaveFormat::Png:
    case TSaveFormat::Palette:
    case TSaveFormat::Disc:
    case TSaveFormat::None:
        ShowMessage(unwrittenEndingMessage(fileName));
        return false;
    }
    mHistory.MarkSaved();
    return true;
}

// Stretch toggle. Turning it on keeps the unstretched source in
// StretchBackup; turning it off copies that back, byte for byte. A channel
// with one value throughout is left as it is by the stretch, and the toggle
// still counts as on.
void TForm1::Panel2Click(TObject*) {
    if (!loaded())
        return;
    StepScope step(*this, "Stretch palette");
    TBusyCursor busy(this);
    TPicture& source = Image1->GetPicture();
    if (!stretchOn()) {
        auto backup = std::make_unique<TPicture>();
        Copy_Picture(*backup, source);
        StretchBackup = std::move(backup);
        Stretch_Palette(&source);
        Panel2->SetBevelInner(TPanel::bvLowered);
        Panel2->SetBevelOuter(TPanel::bvLowered);
    } else {
        Copy_Picture(source, *StretchBackup);
        Panel2->SetBevelInner(TPanel::bvRaised);
        Panel2->SetBevelOuter(TPanel::bvRaised);
        StretchBackup.reset();
    }
    mapAndRender();
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
    Image2->SetHeight(source.GetHeight() * zoom);
    Image2->SetWidth(source.GetWidth() * zoom);

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
    Image2->ShowPictureOf(actionShowOriginal->isChecked() ? Image1 : nullptr);
}

void TForm1::TrackBar1Change(TObject*) {
    StepScope step(*this, "Local contrast", "local");
    syncNumberBoxes();
    if (loaded())
        mapAndRender();
}

// Brightness and contrast share this handler; neither changes the map.
void TForm1::TrackBar3Change(TObject* Sender) {
    const bool contrast = Sender == TrackBar4;
    StepScope step(*this, contrast ? "Contrast" : "Brightness", contrast ? "contrast" : "brightness");
    syncNumberBoxes();
    if (loaded())
        render();
}

void TForm1::setInk(int k, TShape* swatch, TLabel* number) {
    StepScope step(*this, "Set ink #" + IntToStr(k));
    F_ColorSelect->ShowModal();
    const std::string text = F_ColorSelect->Label3->GetText();
    if (text.empty())
        return;
    swatch->Brush->SetColor(F_ColorSelect->Shape2->Brush->GetColor());
    number->SetText(text);
    Set_Ink_From_Text(Inks, k, text);
    if (loaded()) {
        TBusyCursor busy(this);
        render();
    }
}

void TForm1::Button2Click(TObject*) {
    setInk(0, Shape1, Label6);
}

void TForm1::Button3Click(TObject*) {
    setInk(1, Shape2, Label7);
}

void TForm1::Button4Click(TObject*) {
    setInk(2, Shape3, Label8);
}

void TForm1::Button5Click(TObject*) {
    setInk(3, Shape4, Label9);
}

bool TForm1::runExportDialog(TSaveDialog& dialog, const std::string& title, const std::string& filter,
                             const std::string& ending) {
    dialog.SetTitle(title);
    dialog.SetFilter(filter);
    dialog.SetDefaultExt(ending);
    dialog.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
    return dialog.Execute();
}

bool TForm1::resultFitsScreen() const {
    if (Fits_Screen(Image2->GetPicture()))
        return true;
    ShowMessage(kScreenSizeMessage);
    return false;
}

// The size is checked before the dialog: no name is asked for a file that
// cannot be made.
void TForm1::ExportDiscClick(TObject*) {
    if (!resultFitsScreen() ||
        !runExportDialog(ExportDiscDialog, "Export disc image", "Disc image (*.dsk)|*.dsk", "dsk"))
        return;
    const std::string fileName = ExportDiscDialog.GetFileName();
    Save_Picture_Disc(Image2->GetPicture(), Inks, Amsdos_Name_Of_Path(fileName), fileName);
    mHistory.MarkSaved();
}

void TForm1::ExportScreenClick(TObject*) {
    if (!resultFitsScreen() || !runExportDialog(ExportScreenDialog, "Export screen with AMSDOS header",
                                                "Screen with AMSDOS header (*.scr)|*.scr", "scr"))
        return;
    const std::string fileName = ExportScreenDialog.GetFileName();
    const std::vector<std::uint8_t> bytes =
        Screen_File_With_Header(Image2->GetPicture(), Inks, Amsdos_Name_Of_Path(fileName));
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
    mHistory.MarkSaved();
}

// The palette holds only the inks: it needs no picture.
void TForm1::ExportPaletteClick(TObject*) {
    if (!runExportDialog(ExportPaletteDialog, "Export palette", "OCP Art Studio palette (*.pal)|*.pal", "pal"))
        return;
    const std::string fileName = ExportPaletteDialog.GetFileName();
    const std::vector<std::uint8_t> bytes = Palette_File_With_Header(Inks, Amsdos_Name_Of_Path(fileName));
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
    mHistory.MarkSaved();
}

// ---- Automatic inks ----

namespace {

// One automatic ink search on a thread of its own, over cells read from the
// pictures beforehand, so the window's pictures may change meanwhile.
class InkSearchJob {
  public:
    InkSearchJob(Ink_Search_Cells cells, const InkNumbers& kept)
        : mCells(std::move(cells)), mKept(kept) {
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
    // Waits for the search; raises the error it ended with, if any.
    Ink_Choice finish() {
        mThread.join();
        if (mError)
            std::rethrow_exception(mError);
        return mChoice;
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
            mChoice = Choose_Inks(mCells, mKept, control);
        } catch (...) {
            mError = std::current_exception();
        }
        mDone = true;
    }

    const Ink_Search_Cells mCells;
    const InkNumbers mKept;
    std::atomic<bool> mCancel{false};
    std::atomic<bool> mDone{false};
    std::atomic<int> mPercent{0};
    Ink_Choice mChoice;
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

void TForm1::ChooseInksClick(TObject*) {
    if (!loaded())
        return;
    StepScope step(*this, "Automatic inks");
    // A kept ink is the one in use: the number labels are not reset with the
    // inks when the window is shown again.
    InkNumbers kept;
    for (std::size_t k = 0; k < kInkCount; ++k)
        kept[k] = mKeepInk[k] ? Colour_Number_Of_Ink(Inks[k]) : kChooseInk;
    InkSearchJob job(Ink_Search_Cells_Of(Image1->GetPicture(), Image7->GetPicture(),
                                         TrackBar3->GetPosition(), TrackBar4->GetPosition(),
                                         TrackBar1->GetPosition()),
                     kept);
    waitFor(job, InkSearchProgressDelay);
    if (!job.done()) {
        TInkSearchProgress progress([&job] { return job.percent(); },
                                    [&job] { return job.done(); });
        if (progress.ShowModal() != mrOk) {
            job.cancel();
            return;
        }
    }
    const Ink_Choice choice = job.finish();
    if (!choice.cancelled)
        applyInkNumbers(choice.numbers);
}

// As if each colour had been chosen in the colour dialog: its swatch as the
// dialog's preview, its number, its ink; then the result again.
void TForm1::applyInkNumbers(const InkNumbers& numbers) {
    TShape* const swatches[kInkCount] = {Shape1, Shape2, Shape3, Shape4};
    TLabel* const labels[kInkCount] = {Label6, Label7, Label8, Label9};
    for (std::size_t k = 0; k < kInkCount; ++k) {
        const std::string text = IntToStr(numbers[k]);
        swatches[k]->Brush->SetColor(F_ColorSelect->Swatch(numbers[k])->GetColor());
        labels[k]->SetText(text);
        Set_Ink_From_Text(Inks, static_cast<int>(k), text);
    }
    if (loaded())
        render();
}

void TForm1::SetKeepInk(int k, bool keep) {
    if (k < 0 || k >= kInkCount)
        throw Exception("Ink " + IntToStr(k) + " does not exist: mode 1 has inks 0 to 3");
    mKeepInk[static_cast<std::size_t>(k)] = keep;
}

bool TForm1::GetKeepInk(int k) const {
    return k >= 0 && k < kInkCount && mKeepInk[static_cast<std::size_t>(k)];
}

// ---- Fit to the screen ----

std::unique_ptr<TPicture> TForm1::fitLoaded(TPicture& source, TCropPosition cropAt) const {
    if (FitMode == TFitMode::Off)
        return nullptr;
    TPicture fitted;
    Fit_To_Screen(source, fitted, FitMode, cropAt);
    auto asLoaded = std::make_unique<TPicture>(std::move(source));
    source = std::move(fitted);
    return asLoaded;
}

// The new source, its map and its result are built beside the current ones
// and take their place only once all three exist, as in Load.
void TForm1::SetFitMode(TFitMode mode) {
    static const char* const kNames[] = {"Fit off", "Fit crop", "Fit pad", "Fit stretch"};
    StepScope step(*this, kNames[static_cast<int>(mode)]);
    if (!loaded()) {
        FitMode = mode;
        return;
    }
    if (stretchOn())
        Panel2Click(nullptr);
    TPicture& asLoaded = LoadedPicture ? *LoadedPicture : Image1->GetPicture();
    TPicture fitted;
    if (mode != TFitMode::Off)
        Fit_To_Screen(asLoaded, fitted, mode, CropAt);
    TPicture& source = mode == TFitMode::Off ? asLoaded : fitted;
    TPicture map;
    TPicture result;
    Local_Contrast_Map(source, map);
    CPC_Mode1_Dither(source, result, map, Inks, TrackBar3->GetPosition(), TrackBar4->GetPosition(),
                     TrackBar1->GetPosition());
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
    Image7->GetPicture() = std::move(map);
    Image2->GetPicture() = std::move(result);
    Image1->Refresh();
    CSpinEdit1Change(CSpinEdit1);
    Image2->Refresh();
}

void TForm1::KeepInk0Click(TObject*) {
    StepScope step(*this, "Keep ink #0");
    SetKeepInk(0, !GetKeepInk(0));
}

void TForm1::KeepInk1Click(TObject*) {
    StepScope step(*this, "Keep ink #1");
    SetKeepInk(1, !GetKeepInk(1));
}

void TForm1::KeepInk2Click(TObject*) {
    StepScope step(*this, "Keep ink #2");
    SetKeepInk(2, !GetKeepInk(2));
}

void TForm1::KeepInk3Click(TObject*) {
    StepScope step(*this, "Keep ink #3");
    SetKeepInk(3, !GetKeepInk(3));
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
    state.inks = Inks;
    const TLabel* const labels[kInkCount] = {Label6, Label7, Label8, Label9};
    const TShape* const swatches[kInkCount] = {Shape1, Shape2, Shape3, Shape4};
    for (std::size_t k = 0; k < kInkCount; ++k) {
        state.inkNumbers[k] = labels[k]->GetText();
        state.swatches[k] = swatches[k]->Brush->GetColor();
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

// Puts every setting back at once and renders once: the sliders are set
// without their handlers, the fit and the stretch only when they differ.
void TForm1::applyWorkState(const TWorkState& state) {
    ++mStepDepth; // nothing done here is a step of its own
    struct Unwind {
        int& depth;
        ~Unwind() { --depth; }
    } unwind{mStepDepth};
    TBusyCursor busy(this);
    Inks = state.inks;
    TLabel* const labels[kInkCount] = {Label6, Label7, Label8, Label9};
    TShape* const swatches[kInkCount] = {Shape1, Shape2, Shape3, Shape4};
    for (std::size_t k = 0; k < kInkCount; ++k) {
        labels[k]->SetText(state.inkNumbers[k]);
        swatches[k]->Brush->SetColor(state.swatches[k]);
    }
    mKeepInk = state.keepInk;
    const bool mapChanged = TrackBar1->GetPosition() != state.local;
    {
        const QSignalBlocker local(TrackBar1), brightness(TrackBar3), contrast(TrackBar4);
        TrackBar1->SetPosition(state.local);
        TrackBar3->SetPosition(state.brightness);
        TrackBar4->SetPosition(state.contrast);
    }
    syncNumberBoxes();
    bool rendered = false;
    if (state.fit != FitMode || state.cropAt != CropAt) {
        CropAt = state.cropAt;
        if (state.fit != FitMode)
            SetFitMode(state.fit);
        else
            refit();
        rendered = true;
    }
    if (loaded() && state.stretch != stretchOn()) {
        Panel2Click(this);
        rendered = true;
    }
    if (loaded() && !rendered) {
        if (mapChanged)
            mapAndRender();
        else
            render();
    }
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
    switch (AskSaveChanges(mFileName)) {
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

void TForm1::refit() {
    if (!loaded() || !LoadedPicture || FitMode == TFitMode::Off)
        return;
    TBusyCursor busy(this);
    TPicture fitted;
    Fit_To_Screen(*LoadedPicture, fitted, FitMode, CropAt);
    std::unique_ptr<TPicture> backup;
    if (stretchOn()) {
        backup = std::make_unique<TPicture>();
        Copy_Picture(*backup, fitted);
        Stretch_Palette(&fitted);
    }
    TPicture map;
    TPicture result;
    Local_Contrast_Map(fitted, map);
    CPC_Mode1_Dither(fitted, result, map, Inks, TrackBar3->GetPosition(), TrackBar4->GetPosition(),
                     TrackBar1->GetPosition());
    Image1->GetPicture() = std::move(fitted);
    if (backup)
        StretchBackup = std::move(backup);
    Image7->GetPicture() = std::move(map);
    Image2->GetPicture() = std::move(result);
    Image2->Refresh();
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
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, CropAt);
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
    Fit_To_Screen(*LoadedPicture, drag->whole, TFitMode::Pad);
    drag->pad = Fit_Placement(LoadedPicture->GetWidth(), LoadedPicture->GetHeight(), TFitMode::Pad);
    mCropDrag = std::move(drag);
    drawCropPreview();
    Image2->ShowPictureOf(ImageCropPreview);
}

// The crop window follows the pointer over the whole picture, which shows at
// the same scale as the screen (Pad's), so a pixel of pointer movement is a
// pixel of the picture on the screen.
void TForm1::Image2MouseMove(TObject*) {
    if (!cropDragGoesOn())
        return;
    const int zoom = std::max(1, CSpinEdit1->GetValue());
    const QPoint moved = Image2->mapToGlobal(Image2->GetMousePoint()) - mCropDrag->start;
    const TPicture& whole = *LoadedPicture;
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, CropAt);
    const double spareX = whole.GetWidth() - crop.sourceWidth, spareY = whole.GetHeight() - crop.sourceHeight;
    const double sourcePerScreenX = static_cast<double>(whole.GetWidth()) / mCropDrag->pad.width;
    const double sourcePerScreenY = static_cast<double>(whole.GetHeight()) / mCropDrag->pad.height;
    TCropPosition at = mCropDrag->startAt;
    if (spareX > 0)
        at.x += moved.x() * sourcePerScreenX / zoom / spareX;
    if (spareY > 0)
        at.y += moved.y() * sourcePerScreenY / zoom / spareY;
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
    if (FitMode == TFitMode::Crop && LoadedPicture.get() == mCropDrag->picture)
        return true;
    endCropDrag();
    return false;
}

// The view shows what it showed before the drag.
void TForm1::endCropDrag() {
    mCropDrag.reset();
    Image2->ShowPictureOf(actionShowOriginal->isChecked() ? Image1 : nullptr);
    ImageCropPreview->GetPicture() = TPicture();
}

// The whole picture as Pad shows it, the part outside the crop window
// darkened, the window outlined.
void TForm1::drawCropPreview() {
    const TPicture& whole = *LoadedPicture;
    const TFitPlacement pad = mCropDrag->pad;
    const TFitPlacement crop = Fit_Placement(whole.GetWidth(), whole.GetHeight(), TFitMode::Crop, CropAt);
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
    // The window draws in mode 1 only: a palette of another mode would need
    // the window in that mode first.
    if (palette.mode != 1) {
        ShowMessage("\"" + fileName + "\" is a palette for mode " + IntToStr(palette.mode) +
                    ". This window works in mode 1: the inks were left as they were.");
        return;
    }
    StepScope step(*this, "Load inks from palette");
    applyInkNumbers({palette.pens[0], palette.pens[1], palette.pens[2], palette.pens[3]});
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
    kept.fit = FitMode;
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
    FitMode = kept.fit;
    CSpinEdit1->SetValue(kept.zoom);
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
