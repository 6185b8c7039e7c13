#include "Compare.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include <QImage>
#include <QKeyEvent>
#include <QMetaObject>

#include "Engine.h"
#include "ModeInkChoice.h"
#include "PaletteInkChoice.h"
#include "PixelShape.h"
#include "SysUtils.h"

namespace {
// The order the pictures are made in: the quickest modes first, so the
// window fills early (mode 0's sixteen inks take longest to choose).
constexpr std::array<int, kScreenModeCount> kModeOrder = {1, 2, 0};
constexpr std::array<TDither, 3> kColumnDithers = {TDither::Classic, TDither::Ordered4, TDither::Diffusion};
constexpr int kColumns = static_cast<int>(kColumnDithers.size());
// The room right of the last column shown.
constexpr int kRightMargin = 4;
} // namespace

// Makes the nine pictures one after another on a thread of its own and hands
// each to the window's thread as it is done. Cancelled and joined when it ends.
class CompareJob {
  public:
    CompareJob(TF_Compare* window, TCompareInput input, QSize thumbnailSize,
               std::function<void(int, QImage, std::vector<int>)> done,
               std::function<void(int, std::string)> failed)
        : mThumbnailSize(thumbnailSize), mWindow(window), mInput(std::move(input)), mDone(std::move(done)),
          mFailed(std::move(failed)) {
        mThread = std::thread([this] { run(); });
    }
    ~CompareJob() {
        mCancel = true;
        if (mThread.joinable())
            mThread.join();
    }
    CompareJob(const CompareJob&) = delete;
    CompareJob& operator=(const CompareJob&) = delete;

  private:
    // Modes that share a source share its map, made only for a local term.
    void run() {
        TPicture map;
        const TPicture* mapped = nullptr;
        for (const int modeNumber : kModeOrder) {
            const ScreenMode& mode = Screen_Mode(modeNumber);
            TPicture& source = *mInput.sources[static_cast<std::size_t>(modeNumber)];
            if (mInput.local != 0 && &source != mapped) {
                Local_Contrast_Map(source, map);
                mapped = &source;
            }
            // Each CPC cell with its CPC+ cell beside it, so both fill in together.
            for (int column = 0; column < kColumns; ++column)
                for (const TPalette palette : {TPalette::Cpc, TPalette::Plus}) {
                    if (palette != TPalette::Cpc && mInput.palette == TPalette::Cpc)
                        continue;
                    if (mCancel)
                        return;
                    const int cell = (palette == TPalette::Cpc ? 0 : TF_Compare::kCpcCellCount) +
                                     modeNumber * kColumns + column;
                    try {
                        makeCell(cell, source, map, mode, kColumnDithers[static_cast<std::size_t>(column)],
                                 Palette_Of(palette));
                    } catch (const std::exception& error) {
                        post([failed = mFailed, cell, reason = ErrorText(error)] { failed(cell, reason); });
                    }
                }
        }
    }

    void makeCell(int cell, TPicture& source, const TPicture& map, const ScreenMode& mode, TDither dither,
                  const Palette& palette) {
        Ink_Search_Control control;
        control.threads = Ink_Search_Control::AllCores();
        control.cancel = &mCancel;
        const std::vector<int> kept(static_cast<std::size_t>(mode.inkCount), kChooseInk);
        const Mode_Ink_Choice chosen = Choose_Palette_Inks(palette, source, map, kept, dither, mode, mInput.brightness,
                                                           mInput.contrast, mInput.local, control);
        if (chosen.cancelled || mCancel)
            return;
        const InkList inks = Palette_Inks(palette, chosen.numbers);
        TPicture result;
        Mode_Dither(dither, source, result, map, inks, mInput.brightness, mInput.contrast, mInput.local, mode);
        // The picture at the mode's shape on a CPC screen, made small.
        const QSize shape = View_Size(result.GetWidth(), result.GetHeight(), mode, true, 1);
        QImage thumbnail = result.Image()
                               .scaled(shape, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .scaled(mThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        post([done = mDone, cell, thumbnail = std::move(thumbnail), numbers = chosen.numbers] {
            done(cell, thumbnail, numbers);
        });
    }

    // Runs on the window's thread, inside the guard, possibly after this job
    // has ended: the work holds nothing of the job.
    template <class Work> void post(Work work) {
        QMetaObject::invokeMethod(
            mWindow, [work = std::move(work)] { RunGuarded(work); }, Qt::QueuedConnection);
    }

    const QSize mThumbnailSize;
    TF_Compare* mWindow;
    TCompareInput mInput;
    std::function<void(int, QImage, std::vector<int>)> mDone;
    std::function<void(int, std::string)> mFailed;
    std::atomic<bool> mCancel{false};
    std::thread mThread;
};

TF_Compare::TF_Compare(QWidget* parent) : TForm(parent) {
    setupUi(this);
    SetPosition(TPosition::poScreenCenter);
    SetBorderStyle(TBorderStyle::bsDialog);
    for (int cell = 0; cell < kCellCount; ++cell) {
        Bind(Thumbnail(cell), &TImage::OnClick, this, &TF_Compare::ThumbnailClick);
        // The cells take the focus in reading order; the focused one shows a dotted frame.
        cellPanel(cell)->setFocusPolicy(Qt::StrongFocus);
        cellPanel(cell)->installEventFilter(this);
    }
    const int columns = 2 * kColumns;
    for (int at = 1; at < kCellCount; ++at)
        setTabOrder(cellPanel(cellAt((at - 1) / columns, (at - 1) % columns)),
                    cellPanel(cellAt(at / columns, at % columns)));
    Bind(this, &TForm::OnClose, this, &TF_Compare::FormClose);
}

// Arrow keys move the focus over the three by three cells, stopping at the
// edges; Return, Enter or Space picks the focused cell once it is made.
bool TF_Compare::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return TForm::eventFilter(watched, event);
    int cell = 0;
    while (cell < kCellCount && watched != cellPanel(cell))
        ++cell;
    if (cell == kCellCount)
        return TForm::eventFilter(watched, event);
    const int row = cell % kCpcCellCount / kColumns;
    const int column = cell % kColumns + (cell < kCpcCellCount ? 0 : kColumns);
    const int lastColumn = mShownCells / kScreenModeCount - 1;
    const auto focus = [](TPanel* panel) {
        panel->setFocus(Qt::OtherFocusReason);
        return true;
    };
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Left: return focus(cellPanel(cellAt(row, std::max(0, column - 1))));
    case Qt::Key_Right: return focus(cellPanel(cellAt(row, std::min(lastColumn, column + 1))));
    case Qt::Key_Up: return focus(cellPanel(cellAt(std::max(0, row - 1), column)));
    case Qt::Key_Down: return focus(cellPanel(cellAt(std::min(kScreenModeCount - 1, row + 1), column)));
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        pick(cell);
        return true;
    default:
        return TForm::eventFilter(watched, event);
    }
}

TF_Compare::~TF_Compare() {
    stopWork();
}

TScreenChoice TF_Compare::CellChoice(int cell) {
    const int inGrid = cell % kCpcCellCount;
    return TScreenChoice{inGrid / kColumns, kColumnDithers[static_cast<std::size_t>(inGrid % kColumns)]};
}

TPalette TF_Compare::CellPalette(int cell) {
    return cell < kCpcCellCount ? TPalette::Cpc : TPalette::Plus;
}

int TF_Compare::cellAt(int row, int column) {
    return (column < kColumns ? 0 : kCpcCellCount) + row * kColumns + column % kColumns;
}

TPanel* TF_Compare::cellPanel(int cell) const {
    TPanel* const panels[kCellCount] = {Cell0,  Cell1,  Cell2,  Cell3,  Cell4,  Cell5,  Cell6,  Cell7,  Cell8,
                                        Cell9,  Cell10, Cell11, Cell12, Cell13, Cell14, Cell15, Cell16, Cell17};
    return cell >= 0 && cell < kCellCount ? panels[cell] : nullptr;
}

TImage* TF_Compare::Thumbnail(int cell) const {
    TImage* const thumbnails[kCellCount] = {Thumb0,  Thumb1,  Thumb2,  Thumb3,  Thumb4,  Thumb5,
                                            Thumb6,  Thumb7,  Thumb8,  Thumb9,  Thumb10, Thumb11,
                                            Thumb12, Thumb13, Thumb14, Thumb15, Thumb16, Thumb17};
    return cell >= 0 && cell < kCellCount ? thumbnails[cell] : nullptr;
}

void TF_Compare::showCells(TPalette palette) {
    mShownCells = palette == TPalette::Cpc ? kCpcCellCount : kCellCount;
    for (int cell = kCpcCellCount; cell < kCellCount; ++cell)
        cellPanel(cell)->SetVisible(cell < mShownCells);
    for (TLabel* label : {DitherLabel3, DitherLabel4, DitherLabel5})
        label->SetVisible(mShownCells > kCpcCellCount);
    // A dialog's size is fixed (bsDialog).
    setFixedSize(cellPanel(mShownCells - 1)->geometry().right() + 1 + kRightMargin, height());
}

bool TF_Compare::IsCellDone(int cell) const {
    return cell >= 0 && cell < kCellCount && mCells[static_cast<std::size_t>(cell)].has_value();
}

std::optional<TCompareCell> TF_Compare::GetCell(int cell) const {
    return IsCellDone(cell) ? mCells[static_cast<std::size_t>(cell)] : std::nullopt;
}

std::optional<TCompareCell> TF_Compare::Choose(TCompareInput input) {
    stopWork();
    mChosen.reset();
    showCells(input.palette);
    for (int cell = 0; cell < kCellCount; ++cell) {
        mCells[static_cast<std::size_t>(cell)].reset();
        Thumbnail(cell)->SetVisible(false);
        cellPanel(cell)->SetCaption("Working…");
        cellPanel(cell)->setToolTip(QString());
    }
    // Pictures of an earlier showing that arrive late are dropped.
    const int showing = mShowing;
    mJob = std::make_unique<CompareJob>(
        this, std::move(input), Thumbnail(0)->size(),
        [this, showing](int cell, QImage thumbnail, std::vector<int> colours) {
            if (showing == mShowing)
                cellDone(cell, thumbnail, colours);
        },
        [this, showing](int cell, std::string reason) {
            if (showing == mShowing)
                cellFailed(cell, reason);
        });
    ShowModal();
    stopWork();
    return mChosen;
}

void TF_Compare::cellDone(int cell, const QImage& thumbnail, const std::vector<int>& inkColours) {
    const Palette& palette = Palette_Of(CellPalette(cell));
    mCells[static_cast<std::size_t>(cell)] = TCompareCell{CellChoice(cell), palette.id, inkColours};
    TImage* view = Thumbnail(cell);
    view->GetPicture().Assign(thumbnail);
    view->SetVisible(true);
    view->Refresh();
    QStringList colours;
    for (const int colour : inkColours)
        colours << QString::fromStdString(Palette_Colour_Text(palette, colour));
    view->setToolTip(QStringLiteral("Mode %1, %2, %3 colours; inks %4")
                         .arg(CellChoice(cell).mode)
                         .arg(QString::fromUtf8(Dither_Info(CellChoice(cell).dither).title))
                         .arg(QString::fromUtf8(palette.title))
                         .arg(colours.join(QLatin1Char(','))));
}

void TF_Compare::cellFailed(int cell, const std::string& reason) {
    cellPanel(cell)->SetCaption("Not made");
    cellPanel(cell)->setToolTip(QString::fromStdString(reason));
}

void TF_Compare::ThumbnailClick(TObject* Sender) {
    for (int cell = 0; cell < kCellCount; ++cell)
        if (Sender == Thumbnail(cell))
            pick(cell);
}

void TF_Compare::pick(int cell) {
    if (!IsCellDone(cell))
        return;
    mChosen = mCells[static_cast<std::size_t>(cell)];
    SetModalResult(mrOk);
}

void TF_Compare::FormClose(TObject*) {
    stopWork();
}

void TF_Compare::stopWork() {
    mJob.reset();
    ++mShowing;
}
