#include "Dialogs.h"

#include <algorithm>
#include <iostream>
#include <utility>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QDateTime>
#include <QGridLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeDatabase>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QMessageBox>

#include "FileKind.h"
#include "Forms.h"
#include "SysUtils.h"

QStringList ConvertFilter(const std::string& vclFilter) {
    const QStringList parts = QString::fromStdString(vclFilter).split(QLatin1Char('|'));
    QStringList filters;
    if (vclFilter.empty())
        return filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QStringLiteral("*");
        // Qt takes the patterns from the last brackets and wants them
        // separated by spaces where the platform separates them by ';'.
        const QString patterns = QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (description.endsWith(bracketed))
            filters << description;
        else
            filters << description + QLatin1Char(' ') + bracketed;
    }
    return filters;
}

namespace {

TFileDialogDriver& fileDialogDriver() {
    static TFileDialogDriver driver;
    return driver;
}

constexpr int kPreviewSize = 160;
// Pictures larger than this are not decoded for the preview, which would
// hold the dialog up while the user browses; their size is shown instead.
constexpr qint64 kPreviewPixelLimit = 16'000'000;

// A square beside the file list showing the selected picture scaled down,
// and its size under it.
void addPicturePreview(QFileDialog& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    auto* panel = new QWidget(&dialog);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto* picture = new QLabel(panel);
    picture->setFixedSize(kPreviewSize, kPreviewSize);
    picture->setAlignment(Qt::AlignCenter);
    picture->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* size = new QLabel(panel);
    size->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(picture);
    column->addWidget(size);
    column->addStretch();
    grid->addWidget(panel, 1, grid->columnCount());
    auto show = [&dialog, picture, size] {
        picture->clear();
        size->clear();
        const QStringList files = dialog.selectedFiles();
        // Only regular files: reading a pipe or a device would never end.
        if (files.isEmpty() || FileKindOf(files.constFirst().toStdString()) != TFileKind::Regular)
            return;
        QImageReader reader(files.constFirst());
        const QSize full = reader.size();
        if (!full.isValid())
            return;
        size->setText(QStringLiteral("%1 x %2").arg(full.width()).arg(full.height()));
        if (qint64(full.width()) * full.height() > kPreviewPixelLimit)
            return;
        const QImage image = reader.read();
        if (!image.isNull())
            picture->setPixmap(QPixmap::fromImage(
                image.scaled(kPreviewSize - 4, kPreviewSize - 4, Qt::KeepAspectRatio, Qt::FastTransformation)));
    };
    // The name box follows every choice: a click in the list, a name typed
    // or completed.
    QObject::connect(&dialog, &QFileDialog::currentChanged, picture, show);
    if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        QObject::connect(name, &QLineEdit::textChanged, picture, show);
}

// Room left for the window manager's frame around a dialog.
constexpr int kFrameAllowance = 16;

// Qt's own dialog opens its file list with the size, type and date columns
// cut short. Each gets the width of the widest text it shows for pictures
// and folders, the name at least as much as the date, and the list is made
// wide enough for them all, so the dialog opens wide enough where the
// screen has the room.
void widenListColumns(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list)
        return;
    const QFontMetrics metrics(list->font());
    const QLocale locale = list->locale();
    const auto widest = [&metrics](const QStringList& texts) {
        int width = 0;
        for (const QString& text : texts)
            width = std::max(width, metrics.horizontalAdvance(text));
        return width + 4 * metrics.averageCharWidth(); // the cell's margins and the sort arrow
    };
    QStringList types;
    for (const char* name : {"inode/directory", "image/bmp", "image/jpeg", "image/png", "image/gif"})
        types << QMimeDatabase().mimeTypeForName(QLatin1String(name)).comment();
    const int date = widest({locale.toString(QDateTime(QDate(2026, 12, 28), QTime(23, 59)), QLocale::ShortFormat)});
    const int widths[] = {std::max(date, widest({QStringLiteral("a picture's name.jpeg")})),
                          widest({locale.formattedDataSize(1023 * 1024 + 921), locale.formattedDataSize(999'900'000)}),
                          widest(types), date};
    int total = list->verticalScrollBar()->sizeHint().width() + 2 * list->frameWidth();
    for (int column = 0; column < 4; ++column) {
        list->header()->resizeSection(column, widths[column]);
        total += widths[column];
    }
    // Never wider than the screen leaves room for: on a small screen the list scrolls.
    const int besideList = dialog.sizeHint().width() - list->sizeHint().width();
    const int room = dialog.screen()->availableGeometry().width() - besideList - kFrameAllowance;
    list->setMinimumWidth(std::max(list->minimumSizeHint().width(), std::min(total, room)));
}

} // namespace

TFileDialogDriver SetFileDialogDriver(TFileDialogDriver driver) {
    return std::exchange(fileDialogDriver(), std::move(driver));
}

std::string FilterEnding(const std::string& vclFilter, int index) {
    const QStringList parts = QString::fromStdString(vclFilter).split(QLatin1Char('|'));
    const qsizetype at = 2 * qsizetype(index) + 1;
    if (index < 0 || at >= parts.size())
        return {};
    const QString first = parts[at].split(QLatin1Char(';')).constFirst().trimmed();
    const QString ending = first.mid(2);
    if (!first.startsWith(QLatin1String("*.")) || ending.isEmpty() || ending.contains(QLatin1Char('*')) ||
        ending.contains(QLatin1Char('?')))
        return {};
    return ending.toStdString();
}

bool TFileDialog::Execute() {
    if (!run())
        return false;
    // Qt's dialog adds the ending itself; the seam's answer gets it here.
    if (mRequest.options & ofFilterEnding) {
        const std::string ending = FilterEnding(mRequest.filter, mRequest.filterIndex);
        if (!ending.empty() && QFileInfo(QString::fromStdString(mFileName)).suffix().isEmpty() &&
            !mFileName.empty() && mFileName.back() != '.')
            mFileName += "." + ending;
    }
    mRequest.initialDir = QFileInfo(QString::fromStdString(mFileName)).absolutePath().toStdString();
    return true;
}

bool TFileDialog::run() {
    if (fileDialogDriver()) {
        TFileDialogRequest request = mRequest;
        const std::optional<std::string> answer = fileDialogDriver()(request);
        if (!answer)
            return false;
        mFileName = *answer;
        mFileNames = {mFileName};
        if (mRequest.options & ofAllowMultiSelect && !request.selectedFiles.empty())
            mFileNames = request.selectedFiles;
        mFileName = mFileNames.front();
        mRequest.filterIndex = request.filterIndex;
        return true;
    }
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(mRequest.title));
    dialog.setAcceptMode(mRequest.kind == TFileDialogKind::Save ? QFileDialog::AcceptSave
                                                                : QFileDialog::AcceptOpen);
    dialog.setFileMode(mRequest.kind == TFileDialogKind::Save          ? QFileDialog::AnyFile
                       : mRequest.options & ofAllowMultiSelect ? QFileDialog::ExistingFiles
                                                               : QFileDialog::ExistingFile);
    const QStringList filters = ConvertFilter(mRequest.filter);
    dialog.setNameFilters(filters);
    if (mRequest.filterIndex > 0 && mRequest.filterIndex < filters.size())
        dialog.selectNameFilter(filters[mRequest.filterIndex]);
    if (!mRequest.defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(mRequest.defaultExt));
    if (mRequest.options & ofFilterEnding) {
        // Qt then asks about replacing the file under its full name.
        const auto takeEnding = [&dialog, &filters, this](const QString& chosen) {
            dialog.setDefaultSuffix(QString::fromStdString(FilterEnding(mRequest.filter, int(filters.indexOf(chosen)))));
        };
        takeEnding(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, takeEnding);
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(mRequest.options & ofOverwritePrompt));
    dialog.setSizeGripEnabled(mRequest.options & ofEnableSizing);
    if (!mRequest.initialDir.empty())
        dialog.setDirectory(QString::fromStdString(mRequest.initialDir));
    if (!mRequest.suggestedName.empty())
        dialog.selectFile(QString::fromStdString(mRequest.suggestedName));
    if (mRequest.preview) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        addPicturePreview(dialog);
    }
    widenListColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    mFileNames.clear();
    for (const QString& file : dialog.selectedFiles())
        mFileNames.push_back(file.toStdString());
    mFileName = mFileNames.front();
    mRequest.filterIndex = std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
    return true;
}

void InstallMessageBox() {
    SetMessageSink([](const std::string& text) {
        if (!QApplication::instance()) {
            std::cerr << text << '\n';
            return;
        }
        QWidget* owner = QApplication::activeWindow();
        if (!owner)
            owner = Application->GetMainForm();
        const TMessageKind kind = ShownMessageKind();
        const QMessageBox::Icon icon = kind == TMessageKind::Error     ? QMessageBox::Critical
                                       : kind == TMessageKind::Warning ? QMessageBox::Warning
                                                                       : QMessageBox::Information;
        QMessageBox box(icon, QString::fromStdString(Application->GetTitle()),
                        BreakLongWords(QString::fromStdString(text)), QMessageBox::Ok, owner);
        // Stays with its window and cannot be minimised away from it.
        box.setWindowFlags(kDialogFrame);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    });
}

QString BreakLongWords(const QString& text) {
    constexpr int kLongestRun = 40;
    const QChar breakHere(0x200B);
    QString out;
    out.reserve(text.size() + text.size() / 8);
    int run = 0;
    for (const QChar c : text) {
        out += c;
        if (c.isSpace()) {
            run = 0;
            continue;
        }
        ++run;
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || run >= kLongestRun) {
            out += breakHere;
            run = 0;
        }
    }
    return out;
}

namespace {

TSaveChangesDriver& saveChangesDriver() {
    static TSaveChangesDriver driver;
    return driver;
}

} // namespace

TSaveChangesDriver SetSaveChangesDriver(TSaveChangesDriver driver) {
    return std::exchange(saveChangesDriver(), std::move(driver));
}

TSaveChangesAnswer AskSaveChanges(const std::string& documentName) {
    const std::string question = "Save changes to " + documentName + " before closing it?";
    if (saveChangesDriver())
        return saveChangesDriver()(question);
    QWidget* owner = QApplication::activeWindow();
    if (!owner)
        owner = Application->GetMainForm();
    QMessageBox box(QMessageBox::Question, QString::fromStdString(Application->GetTitle()),
                    BreakLongWords(QString::fromStdString(question)),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner);
    box.setWindowFlags(kDialogFrame);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return TSaveChangesAnswer::Save;
    case QMessageBox::Discard:
        return TSaveChangesAnswer::Discard;
    default:
        return TSaveChangesAnswer::Cancel;
    }
}
