#include "SpriteExportDialog.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include <QComboBox>
#include <QPainter>
#include <QPixmap>
#include <QSettings>

#include "Engine.h"
#include "SpriteDescription.h"
#include "SysUtils.h"

namespace {

// The save dialog's title, filter and ending of each format, in the order of
// the format box (SpriteFormat::Assembler first).
struct FormatFile {
    SpriteFormat format;
    const char* filter;
    const char* ending;
};
constexpr std::array<FormatFile, 3> kFormatFiles = {{
    {SpriteFormat::Assembler, "Assembler source (*.asm)|*.asm", "asm"},
    {SpriteFormat::CHeader, "C header (*.h)|*.h", "h"},
    {SpriteFormat::Binary, "Binary (*.bin)|*.bin", "bin"},
}};

// The nearest whole number of bytes' pixels to width, at least one byte.
int snappedWidth(int width, int pixelsPerByte) {
    return std::max(pixelsPerByte, (width + pixelsPerByte / 2) / pixelsPerByte * pixelsPerByte);
}

const QColor kGridColour(255, 0, 255);
const QColor kLeftOutShade(0, 0, 0, 160);

} // namespace

TSpriteExportDialog::TSpriteExportDialog(QWidget* parent) : TForm(parent) {
    setupUi(this);
    SetPosition(TPosition::poMainFormCenter);
    SetBorderStyle(TBorderStyle::bsDialog);
    Bind(SpinWidth, &TCSpinEdit::OnChange, this, &TSpriteExportDialog::SettingsChange);
    Bind(SpinHeight, &TCSpinEdit::OnChange, this, &TSpriteExportDialog::SettingsChange);
    Bind(SpinCells, &TCSpinEdit::OnChange, this, &TSpriteExportDialog::SettingsChange);
    Bind(ComboTransparent, &QComboBox::currentIndexChanged, this, &TSpriteExportDialog::SettingsChange);
    Bind(ComboRows, &QComboBox::currentIndexChanged, this, &TSpriteExportDialog::SettingsChange);
    Bind(ComboFormat, &QComboBox::currentIndexChanged, this, &TSpriteExportDialog::SettingsChange);
    Bind(ButtonExport, &TButton::OnClick, this, &TSpriteExportDialog::ExportClick);
}

bool TSpriteExportDialog::Execute(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                            QSettings* settings) {
    Prepare(result, inks, mode, settings ? Read_Sprite_Settings(*settings) : mKept);
    mWritten = false;
    ShowModal();
    mKept = GetSettings();
    if (settings)
        Write_Sprite_Settings(*settings, mKept);
    return mWritten;
}

void TSpriteExportDialog::Prepare(const TPicture& result, const InkList& inks, const ScreenMode& mode,
                            const TSpriteSettings& kept) {
    mResult.Assign(result.Image());
    mInks = inks;
    mModeNumber = mode.number;
    const QSignalBlocker blockWidth(SpinWidth), blockTransparent(ComboTransparent);
    SpinWidth->setSingleStep(mode.pixelsPerByte);
    SpinWidth->setMinimum(mode.pixelsPerByte);
    SpinWidth->SetValue(snappedWidth(kept.cellWidth, mode.pixelsPerByte));
    SpinHeight->SetValue(kept.cellHeight);
    SpinCells->SetValue(kept.cellCount);
    ComboTransparent->clear();
    ComboTransparent->addItem("None");
    for (int ink = 0; ink < mode.inkCount; ++ink)
        ComboTransparent->addItem("Ink " + QString::number(ink));
    ComboTransparent->setCurrentIndex(kept.transparentInk < mode.inkCount ? kept.transparentInk + 1 : 0);
    ComboFormat->setCurrentIndex(static_cast<int>(kept.format) - static_cast<int>(SpriteFormat::Assembler));
    ComboRows->setCurrentIndex(static_cast<int>(kept.rows));
    showCells();
}

TSpriteSettings TSpriteExportDialog::GetSettings() const {
    TSpriteSettings settings;
    settings.cellWidth = SpinWidth->GetValue();
    settings.cellHeight = SpinHeight->GetValue();
    settings.cellCount = SpinCells->GetValue();
    settings.transparentInk = ComboTransparent->currentIndex() - 1;
    settings.format = kFormatFiles[static_cast<std::size_t>(std::max(0, ComboFormat->currentIndex()))].format;
    settings.rows = ComboRows->currentIndex() == 1 ? SpriteRows::Zigzag : SpriteRows::Down;
    return settings;
}

SpriteCutting TSpriteExportDialog::cutting() const {
    const TSpriteSettings settings = GetSettings();
    SpriteCutting cutting{settings.cellWidth, settings.cellHeight, settings.cellCount, settings.rows, {}};
    if (settings.transparentInk >= 0)
        cutting.transparentInk = settings.transparentInk;
    return cutting;
}

std::string TSpriteExportDialog::Refusal() const {
    return Sprite_Cutting_Refusal(mResult.GetWidth(), mResult.GetHeight(), Screen_Mode(mModeNumber), cutting());
}

std::vector<std::uint8_t> TSpriteExportDialog::FileBytes(const std::string& fileName) const {
    const ScreenMode& mode = Screen_Mode(mModeNumber);
    return Sprite_File_Bytes(Cut_Sprite_Cells(mResult, mInks, mode, cutting()), mInks, mode,
                             Sprite_Symbol_Of(std::filesystem::path(fileName).stem().string()), GetSettings().format);
}

void TSpriteExportDialog::SettingsChange(TObject* Sender) {
    const int step = Screen_Mode(mModeNumber).pixelsPerByte;
    if (Sender == SpinWidth && SpinWidth->GetValue() % step != 0) {
        SpinWidth->SetValue(snappedWidth(SpinWidth->GetValue(), step)); // raises this again, snapped
        return;
    }
    showCells();
}

void TSpriteExportDialog::ExportClick(TObject*) {
    if (!Refusal().empty())
        return;
    const FormatFile& file = kFormatFiles[static_cast<std::size_t>(std::max(0, ComboFormat->currentIndex()))];
    mSaveDialog.SetTitle("Export sprites");
    mSaveDialog.SetFilter(file.filter);
    mSaveDialog.SetDefaultExt(file.ending);
    mSaveDialog.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofEnableSizing);
    if (!mSaveDialog.Execute())
        return;
    const std::string fileName = mSaveDialog.GetFileName();
    const std::vector<std::uint8_t> bytes = FileBytes(fileName);
    Write_Raw_File(bytes.data(), bytes.size(), fileName);
    mWritten = true;
    SetModalResult(mrOk);
}

void TSpriteExportDialog::showCells() {
    const std::string refusal = Refusal();
    ButtonExport->setEnabled(refusal.empty());
    const SpriteCutting cut = cutting();
    const int width = mResult.GetWidth(), height = mResult.GetHeight();
    if (refusal.empty()) {
        const int all = (width / cut.cellWidth) * (height / cut.cellHeight);
        const int kept = cut.cellCount > 0 ? cut.cellCount : all;
        const int bytes = cut.cellWidth / Screen_Mode(mModeNumber).pixelsPerByte * cut.cellHeight *
                          (cut.transparentInk ? 2 : 1);
        LabelSummary->setText(QString("%1 of %2 cells, %3 bytes each: %4 bytes")
                                  .arg(kept)
                                  .arg(all)
                                  .arg(bytes)
                                  .arg(static_cast<long long>(kept) * bytes));
    } else {
        QString reason = QString::fromStdString(refusal); // a sentence of its own here
        reason[0] = reason[0].toUpper();
        LabelSummary->setText(reason + ".");
    }
    if (width == 0 || height == 0) {
        Preview->clear();
        return;
    }
    // The result scaled to fit the preview whole, the grid drawn over it.
    const QRect area = Preview->contentsRect();
    const double scale = std::min(static_cast<double>(area.width()) / width, static_cast<double>(area.height()) / height);
    QPixmap view = QPixmap::fromImage(mResult.Image().scaled(std::max(1, static_cast<int>(width * scale)),
                                                             std::max(1, static_cast<int>(height * scale))));
    if (refusal.empty()) {
        QPainter painter(&view);
        const int across = width / cut.cellWidth, down = height / cut.cellHeight;
        const int kept = cut.cellCount > 0 ? cut.cellCount : across * down;
        for (int cell = kept; cell < across * down; ++cell)
            painter.fillRect(QRectF((cell % across) * cut.cellWidth * scale, (cell / across) * cut.cellHeight * scale,
                                    cut.cellWidth * scale, cut.cellHeight * scale),
                             kLeftOutShade);
        painter.setPen(kGridColour);
        for (int x = 1; x < across; ++x)
            painter.drawLine(QPointF(x * cut.cellWidth * scale, 0), QPointF(x * cut.cellWidth * scale, view.height()));
        for (int y = 1; y < down; ++y)
            painter.drawLine(QPointF(0, y * cut.cellHeight * scale), QPointF(view.width(), y * cut.cellHeight * scale));
    }
    Preview->setPixmap(view);
}
