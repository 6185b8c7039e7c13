// What the window keeps between runs: a kept geometry only where it fits the
// desktop, and damaged values ignored without a word.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <tuple>
#include <utility>

#include "WindowSettings.h"

namespace {

TEST(WindowSettings, AKeptGeometryIsUsedOnlyWhereItFitsTheDesktop) {
    const QRect desktop(0, 0, 1280, 1000);
    const std::pair<QRect, bool> cases[] = {
        {{100, 80, 800, 600}, true},        {desktop, true},  {{0, 0, 200'000, 600}, false} /* too wide */,
        {{0, 0, 800, 1001}, false} /* too tall */, {{5000, 4000, 800, 600}, false} /* off the desktop */};
    for (const auto& [rect, kept] : cases) {
        QWidget window;
        window.setGeometry(rect);
        EXPECT_EQ(Saved_Geometry_Fits(window.saveGeometry(), desktop), kept) << rect.x() << ", " << rect.width();
    }
    for (const QByteArray& foreign : {QByteArray(), QByteArray("not a geometry"), QByteArray(8, '\x01')})
        EXPECT_FALSE(Saved_Geometry_Fits(foreign, desktop)) << foreign.toHex().toStdString();
}

// Each key holds what it never could: a number out of range, text for a
// number, a value of an unknown type (which Qt cannot parse, and says so).
TEST(WindowSettings, DamagedValuesAreIgnoredQuietly) {
    QTemporaryDir folder;
    const QString path = folder.filePath("settings.ini");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[screen]\nmode=7\ndither=sparkle\n"
               "[view]\nzoom=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\vNoSuchType\\0)\nmonitor=green\nfit=-1\n"
               "[folders]\nopen=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\vNoSuchType\\0)\n"
               "[dialogs]\nopenFilter=9\n"
               "[window]\ngeometry=not bytes\n"
               "[General]\nrecentFiles=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\vNoSuchType\\0)\n");
    file.close();
    static int printed = 0;
    const QtMessageHandler before = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {
        ++printed;
    });
    const QSettings settings(path, QSettings::IniFormat);
    const TWindowSettings kept = Read_Window_Settings(settings);
    qInstallMessageHandler(before);
    const TWindowSettings start;
    EXPECT_EQ(printed, 0);
    EXPECT_EQ(std::tie(kept.screen, kept.zoom, kept.monitor, kept.fit, kept.openFolder, kept.openFilter),
              std::tie(start.screen, start.zoom, start.monitor, start.fit, start.openFolder, start.openFilter));
    EXPECT_TRUE(kept.geometry.isEmpty() && kept.recentFiles.empty());
}

} // namespace
