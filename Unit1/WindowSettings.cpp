#include "WindowSettings.h"

#include <QDataStream>
#include <QRect>
#include <QSettings>
#include <QStringList>

#include "LibraryMessages.h"
#include "SysUtils.h"

namespace {

constexpr const char* kModeKey = "screen/mode";
constexpr const char* kScreenKey = "screen/screen"; // "standard" or "overscan"
constexpr const char* kDitherKey = "screen/dither"; // the command line's name: "classic", "ordered4", ...
constexpr const char* kPaletteKey = "screen/palette"; // the command line's name: "cpc" or "plus"
constexpr const char* kFitKey = "view/fit";
constexpr const char* kZoomKey = "view/zoom";
constexpr const char* kMonitorKey = "view/monitor";
constexpr const char* kCpcProportionsKey = "view/cpcProportions";
constexpr const char* kOpenFolderKey = "folders/open";
constexpr const char* kSaveFolderKey = "folders/save";
constexpr const char* kExportFolderKey = "folders/export";
constexpr const char* kPaletteFolderKey = "folders/palette";
constexpr const char* kOpenFilterKey = "dialogs/openFilter";
constexpr const char* kRecentFilesKey = "recentFiles";
constexpr const char* kGeometryKey = "window/geometry";

// What QWidget::saveGeometry writes first: its mark (4 bytes), format
// version (2 + 2 bytes), then the frame's rectangle (four 4-byte edges).
constexpr quint32 kGeometryMark = 0x1D9D0CB;
constexpr quint16 kGeometryMajorVersion = 3;

std::string text(const QSettings& settings, const char* key) {
    const QVariant value = settings.value(key);
    return value.typeId() == QMetaType::QString ? value.toString().toStdString() : std::string();
}

TDither ditherIn(const QSettings& settings, TDither otherwise) {
    try {
        return Dither_From_Name(text(settings, kDitherKey));
    } catch (const Exception&) {
        return otherwise;
    }
}

TScreen screenIn(const QSettings& settings, TScreen otherwise) {
    try {
        return Screen_From_Option(text(settings, kScreenKey));
    } catch (const Exception&) {
        return otherwise;
    }
}

TPalette paletteIn(const QSettings& settings, TPalette otherwise) {
    try {
        return Palette_From_Option(text(settings, kPaletteKey));
    } catch (const Exception&) {
        return otherwise;
    }
}

} // namespace

int Setting_Integer_In(const QSettings& settings, const char* key, int lowest, int highest, int otherwise) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= lowest && value <= highest ? value : otherwise;
}

TWindowSettings Read_Window_Settings(const QSettings& settings) {
    // Qt parses a value when it is first read, and prints what it cannot parse.
    const LibraryMessages quiet;
    TWindowSettings kept;
    kept.screen.mode = Setting_Integer_In(settings, kModeKey, 0, kScreenModeCount - 1, kept.screen.mode);
    kept.screen.dither = ditherIn(settings, kept.screen.dither);
    kept.screen.screen = screenIn(settings, kept.screen.screen);
    kept.palette = paletteIn(settings, kept.palette);
    kept.monitor = static_cast<TMonitor>(Setting_Integer_In(settings, kMonitorKey, static_cast<int>(TMonitor::Plain),
                                                   static_cast<int>(TMonitor::Green),
                                                   static_cast<int>(kept.monitor)));
    kept.cpcProportions = Setting_Integer_In(settings, kCpcProportionsKey, 0, 1, kept.cpcProportions ? 1 : 0) == 1;
    kept.fit = static_cast<TFitMode>(Setting_Integer_In(settings, kFitKey, static_cast<int>(TFitMode::Off),
                                               static_cast<int>(TFitMode::Stretch),
                                               static_cast<int>(kept.fit)));
    kept.zoom = Setting_Integer_In(settings, kZoomKey, 1, 4, kept.zoom);
    kept.openFolder = text(settings, kOpenFolderKey);
    kept.saveFolder = text(settings, kSaveFolderKey);
    kept.exportFolder = text(settings, kExportFolderKey);
    kept.paletteFolder = text(settings, kPaletteFolderKey);
    kept.openFilter = Setting_Integer_In(settings, kOpenFilterKey, 0, 2, kept.openFilter);
    const QVariant recent = settings.value(kRecentFilesKey);
    const bool list = recent.typeId() == QMetaType::QStringList || recent.typeId() == QMetaType::QString;
    for (const QString& file : list ? recent.toStringList() : QStringList())
        if (!file.isEmpty())
            kept.recentFiles.push_back(file.toStdString());
    const QVariant geometry = settings.value(kGeometryKey);
    if (geometry.typeId() == QMetaType::QByteArray)
        kept.geometry = geometry.toByteArray();
    return kept;
}

bool Saved_Geometry_Fits(const QByteArray& geometry, const QRect& desktop) {
    QDataStream stream(geometry);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 mark = 0;
    quint16 major = 0, minor = 0;
    QRect frame;
    stream >> mark >> major >> minor >> frame;
    if (stream.status() != QDataStream::Ok || mark != kGeometryMark || major != kGeometryMajorVersion)
        return false;
    return frame.isValid() && frame.width() <= desktop.width() && frame.height() <= desktop.height() &&
           desktop.intersects(frame);
}

void Write_Window_Settings(QSettings& settings, const TWindowSettings& kept) {
    settings.setValue(kModeKey, kept.screen.mode);
    settings.setValue(kScreenKey, QString::fromUtf8(Screen_Geometry(kept.screen.screen).name));
    settings.setValue(kDitherKey, QString::fromUtf8(Dither_Info(kept.screen.dither).name));
    settings.setValue(kPaletteKey, QString::fromUtf8(Palette_Of(kept.palette).name));
    settings.setValue(kFitKey, static_cast<int>(kept.fit));
    settings.setValue(kZoomKey, kept.zoom);
    settings.setValue(kMonitorKey, static_cast<int>(kept.monitor));
    settings.setValue(kCpcProportionsKey, kept.cpcProportions ? 1 : 0);
    settings.setValue(kOpenFolderKey, QString::fromStdString(kept.openFolder));
    settings.setValue(kSaveFolderKey, QString::fromStdString(kept.saveFolder));
    settings.setValue(kExportFolderKey, QString::fromStdString(kept.exportFolder));
    settings.setValue(kPaletteFolderKey, QString::fromStdString(kept.paletteFolder));
    settings.setValue(kOpenFilterKey, kept.openFilter);
    QStringList recent;
    for (const std::string& file : kept.recentFiles)
        recent << QString::fromStdString(file);
    settings.setValue(kRecentFilesKey, recent);
    settings.setValue(kGeometryKey, kept.geometry);
    settings.sync();
}
