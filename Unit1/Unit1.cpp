#include "Unit1.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include "About.h"
#include "AmsdosHeader.h"
#include "Colorselect.h"
#include "CpcExport.h"
#include "Engine.h"
#include "InkSearchProgress.h"
#include "Menus.h"
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
}

TForm1::~TForm1() = default;

void TForm1::setUpDialogs() {
    OpenPictureDialog1.SetTitle("Load Picture");
    // Every format the loader reads here, then anything: the loader goes by
    // a file's contents, not its name.
    const std::string patterns = Readable_Picture_Patterns();
    std::string separated = patterns;
    std::replace(separated.begin(), separated.end(), ' ', ';');
    OpenPictureDialog1.SetFilter("Bitmaps (*.bmp)|*.bmp|All pictures (" + patterns + ")|" + separated +
                                 "|All files (*)|*");
    OpenPictureDialog1.SetDefaultExt("bmp");

    SaveDialog1.SetTitle("Save picture");
    SaveDialog1.SetFilter("Bitmap (bmp)|*.bmp|OCP Art Studio (scr)|*.scr|Raw sprite (dat)|*.dat");
    SaveDialog1.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
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

void TForm1::FormShow(TObject*) {
    Reset_Ink_Table(Inks);
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
void TForm1::renderNow() {
    if (!loaded())
        return;
    TPicture& map = Image7->GetPicture();
    if (TrackBar1->GetPosition() == 0)
        map = TPicture();
    else if (map.GetWidth() != Image1->GetPicture().GetWidth() || map.GetHeight() != Image1->GetPicture().GetHeight())
        Local_Contrast_Map(Image1->GetPicture(), map);
    CPC_Mode1_Dither(Image1->GetPicture(), Image2->GetPicture(), map, Inks, TrackBar3->GetPosition(),
                     TrackBar4->GetPosition(), TrackBar1->GetPosition());
    Image2->Refresh();
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
    if (!OpenPictureDialog1.Execute())
        return;
    loadPicture(OpenPictureDialog1.GetFileName());
}

void TForm1::loadPicture(const std::string& fileName) {
    TBusyCursor busy(this);
    if (stretchOn())
        Panel2Click(this);
    TPicture source;
    source.LoadFromFile(fileName);
    std::unique_ptr<TPicture> asLoaded = fitLoaded(source);
    TPicture map;
    TPicture result;
    if (TrackBar1->GetPosition() != 0)
        Local_Contrast_Map(source, map);
    CPC_Mode1_Dither(source, result, map, Inks, TrackBar3->GetPosition(), TrackBar4->GetPosition(),
                     TrackBar1->GetPosition());
    mRenderer.Rendered();
    Image1->GetPicture() = std::move(source);
    LoadedPicture = std::move(asLoaded);
    Image7->GetPicture() = std::move(map);
    Image2->GetPicture() = std::move(result);
    Image1->Refresh();
    CSpinEdit1->SetEnabled(true);
    CSpinEdit1Change(CSpinEdit1);
    ScrollBox1->ScrollContentTo(QPoint(0, 0), QPoint(0, 0));
    ScrollBox1->SetPlaceholderText("");
    SetCaption(QFileInfo(QString::fromStdString(fileName)).fileName().toStdString() + " - " + mCaption);
    Image2->Refresh();
}

void TForm1::OpenWhenShown(const std::string& fileName) {
    QTimer::singleShot(0, this, [this, fileName] { RunGuarded([&] { loadPicture(fileName); }); });
}

void TForm1::FormDropFiles(TObject*) {
    const std::vector<std::string>& files = GetDroppedFiles();
    if (!files.empty())
        loadPicture(files.front());
}

// Save: only the last three characters of the typed name decide, case
// included; the selected filter entry plays no part. Any other ending
// writes nothing and says so.
void TForm1::SpeedButton5Click(TObject*) {
    if (!SaveDialog1.Execute())
        return;
    TBusyCursor busy(this);
    FlushRender();
    const std::string fileName = SaveDialog1.GetFileName();
    const TPicture& result = Image2->GetPicture();
    switch (Save_Format_Of(fileName)) {
    case TSaveFormat::Bmp:
        if (result.GetWidth() == 0 || result.GetHeight() == 0)
            ShowMessage(kNothingToSaveMessage);
        else
            result.SaveToFile(fileName);
        break;
    case TSaveFormat::Screen:
        if (Fits_Screen(result))
            Save_Screen_File(result, Inks, fileName);
        else
            ShowMessage(kScreenSizeMessage);
        break;
    case TSaveFormat::Sprite:
        if (result.GetWidth() == 0 || result.GetHeight() == 0)
            ShowMessage(kNothingToSaveMessage);
        else {
            const std::vector<std::uint8_t> sprite = Raw_Sprite(result, Inks);
            Write_Raw_File(sprite.data(), sprite.size(), fileName);
        }
        break;
    // The CPC exports have commands of their own; PNG is the command line's.
    case TSaveFormat::Png:
    case TSaveFormat::Palette:
    case TSaveFormat::Disc:
    case TSaveFormat::None:
        ShowMessage(unwrittenEndingMessage(fileName));
        break;
    }
}

// Stretch toggle. Turning it on keeps the unstretched source in
// StretchBackup; turning it off copies that back, byte for byte. A channel
// with one value throughout is left as it is by the stretch, and the toggle
// still counts as on.
void TForm1::Panel2Click(TObject*) {
    if (!loaded())
        return;
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
    render();
}

// Brightness and contrast share this handler; neither changes the map.
void TForm1::TrackBar3Change(TObject*) {
    render();
}

void TForm1::setInk(int k, TShape* swatch, TLabel* number) {
    F_ColorSelect->ShowModal();
    const std::string text = F_ColorSelect->Label3->GetText();
    if (text.empty())
        return;
    swatch->Brush->SetColor(F_ColorSelect->Shape2->Brush->GetColor());
    number->SetText(text);
    Set_Ink_From_Text(Inks, k, text);
    render();
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

bool TForm1::resultFitsScreen(const std::string& outputNeeds) {
    FlushRender();
    const TPicture& result = Image2->GetPicture();
    if (Fits_Screen(result))
        return true;
    if (result.GetWidth() == 0 || result.GetHeight() == 0)
        ShowMessage(kNothingToSaveMessage);
    else
        ShowMessage(Wrong_Size_Message("The picture", result.GetWidth(), result.GetHeight(), outputNeeds, kScreenWidth,
                                   kScreenHeight, "use Picture > Fit to CPC screen"));
    return false;
}

// The size is checked before the dialog: no name is asked for a file that
// cannot be made.
void TForm1::ExportDiscClick(TObject*) {
    if (!resultFitsScreen("a disc image needs") ||
        !runExportDialog(ExportDiscDialog, "Export disc image", "Disc image (*.dsk)|*.dsk", "dsk"))
        return;
    const std::string fileName = ExportDiscDialog.GetFileName();
    Save_Picture_Disc(Image2->GetPicture(), Inks, Amsdos_Name_Of_Path(fileName), fileName);
}

void TForm1::ExportScreenClick(TObject*) {
    if (!resultFitsScreen("a screen file needs") || !runExportDialog(ExportScreenDialog, "Export screen with AMSDOS header",
                                                "Screen with AMSDOS header (*.scr)|*.scr", "scr"))
        return;
    const std::string fileName = ExportScreenDialog.GetFileName();
    const std::vector<std::uint8_t> bytes =
        Screen_File_With_Header(Image2->GetPicture(), Inks, Amsdos_Name_Of_Path(fileName));
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
}

// The palette holds only the inks: it needs no picture.
void TForm1::ExportPaletteClick(TObject*) {
    if (!runExportDialog(ExportPaletteDialog, "Export palette", "OCP Art Studio palette (*.pal)|*.pal", "pal"))
        return;
    const std::string fileName = ExportPaletteDialog.GetFileName();
    const std::vector<std::uint8_t> bytes = Palette_File_With_Header(Inks, Amsdos_Name_Of_Path(fileName));
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
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
    // The search reads the map the latest render made.
    FlushRender();
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

std::unique_ptr<TPicture> TForm1::fitLoaded(TPicture& source) const {
    if (FitMode == TFitMode::Off)
        return nullptr;
    TPicture fitted;
    Fit_To_Screen(source, fitted, FitMode);
    auto asLoaded = std::make_unique<TPicture>(std::move(source));
    source = std::move(fitted);
    return asLoaded;
}

// The fitted source is built beside the current one and takes its place
// only once it exists; its map and result follow through the renderer.
void TForm1::SetFitMode(TFitMode mode) {
    if (!loaded()) {
        FitMode = mode;
        return;
    }
    if (stretchOn())
        Panel2Click(nullptr);
    TPicture& asLoaded = LoadedPicture ? *LoadedPicture : Image1->GetPicture();
    TPicture fitted;
    if (mode != TFitMode::Off)
        Fit_To_Screen(asLoaded, fitted, mode);
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
    sourceChanged();
    Image1->Refresh();
    CSpinEdit1Change(CSpinEdit1);
}

void TForm1::KeepInk0Click(TObject*) {
    SetKeepInk(0, !GetKeepInk(0));
}

void TForm1::KeepInk1Click(TObject*) {
    SetKeepInk(1, !GetKeepInk(1));
}

void TForm1::KeepInk2Click(TObject*) {
    SetKeepInk(2, !GetKeepInk(2));
}

void TForm1::KeepInk3Click(TObject*) {
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
