// Files: open, drop, save, recent pictures, and the question before unsaved work is closed.
// Menu commands handled here:
//   File > Open recent > (each picture): OpenRecentClick
//   File > Open…: SpeedButton1Click
//   File > Quit: QuitClick
//   File > Save…: SpeedButton5Click

#include "Unit1.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include "CpcExport.h"
#include "Engine.h"
#include "Menus.h"
#include "ModeInkChoice.h"
#include "ModePacking.h"
#include "RawSprite.h"
#include "SysUtils.h"
#include "Unit1Steps.h"

namespace {
// Shown for a name whose ending Save does not write: saying nothing would
// look like a save that worked.
std::string unwrittenEndingMessage(const std::string& fileName) {
    return "Nothing was written to \"" + fileName +
           "\": Save writes names ending in \"bmp\" (BMP picture), \"png\" (PNG picture), \"scr\" (screen "
           "file) or \"dat\" (raw sprite), in lower case.";
}
} // namespace

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
    suggestName(SaveDialog1, FilterEnding(SaveDialog1.GetFilter(), SaveDialog1.GetFilterIndex()));
    return SaveDialog1.Execute() && saveResultAs(SaveDialog1.GetFileName());
}

bool TForm1::saveResultAs(const std::string& fileName) {
    TBusyCursor busy(this);
    FlushRender();
    const TPicture& result = Image2->GetPicture();
    const bool empty = result.GetWidth() == 0 || result.GetHeight() == 0;
    switch (Save_Format_Of(fileName)) {
    case TSaveFormat::Bmp:
    case TSaveFormat::Png:
        if (empty) {
            ShowMessage(kNothingToSaveMessage, TMessageKind::Warning);
            return false;
        }
        result.SaveToFile(fileName, Save_Format_Of(fileName) == TSaveFormat::Png ? TPictureFileFormat::Png
                                                                                 : TPictureFileFormat::Bmp);
        break;
    case TSaveFormat::Screen:
        if (!Fits_Mode_Screen(result, Mode())) {
            ShowMessage(standardScreen() ? Screen_Size_Message(Mode())
                                         : Wrong_Size_Message("The picture", result.GetWidth(), result.GetHeight(),
                                                              Screen_Needs(Mode(), Screen()), Mode().width,
                                                              Mode().height, "use Picture > Fit to CPC screen"),
                        TMessageKind::Warning);
            return false;
        }
        if (classicPath())
            Save_Screen_File(result, Inks, fileName);
        else {
            const std::vector<std::uint8_t> screen = Mode_Screen_File_Bytes(result, ModeInks(), Mode(), Screen());
            Write_Raw_File(screen.data(), screen.size(), fileName);
        }
        break;
    case TSaveFormat::Sprite: {
        if (empty) {
            ShowMessage(kNothingToSaveMessage, TMessageKind::Warning);
            return false;
        }
        const std::vector<std::uint8_t> sprite =
            classicPath() ? Raw_Sprite(result, Inks) : Pack_Mode_Rows(result, ModeInks(), Mode());
        Write_Raw_File(sprite.data(), sprite.size(), fileName);
        break;
    }
    // The CPC exports have commands of their own.
    case TSaveFormat::Palette:
    case TSaveFormat::Disc:
    case TSaveFormat::Compressed:
    case TSaveFormat::Snapshot:
    case TSaveFormat::PlusPalette:
    case TSaveFormat::None:
        ShowMessage(unwrittenEndingMessage(fileName), TMessageKind::Warning);
        return false;
    }
    reportWritten(fileName);
    return true;
}

void TForm1::QuitClick(TObject*) {
    Close();
}

// Until a file has been written with the dialog it opens in the picture's
// folder; it always offers the picture's name with the output's ending, never
// the picture's own file (a BMP saved as BMP is offered as NAME-cpc.bmp).
void TForm1::suggestName(TSaveDialog& dialog, const std::string& ending) const {
    if (mLoadedFile.empty())
        return;
    const QFileInfo picture(QString::fromStdString(mLoadedFile));
    if (dialog.GetInitialDir().empty())
        dialog.SetInitialDir(picture.absolutePath().toStdString());
    const QString suffix = ending.empty() ? QString() : QStringLiteral(".") + QString::fromStdString(ending);
    QString name = picture.completeBaseName() + suffix;
    if (QFileInfo(QDir(QString::fromStdString(dialog.GetInitialDir())), name) == picture)
        name = picture.completeBaseName() + QStringLiteral("-cpc") + suffix;
    dialog.SetSuggestedName(name.toStdString());
}

void TForm1::reportWritten(const std::string& fileName) {
    mHistory.MarkSaved();
    ShowStatus("Saved " + fileName);
}

void TForm1::ShowStatus(const std::string& text) {
    StatusBar1->showMessage(QString::fromStdString(text), kStatusMilliseconds);
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
