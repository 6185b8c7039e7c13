// The main window as a desktop program is used: menu shortcuts, files given
// at start-up or dropped, the title, sliders reset by a double-click, and the
// original shown in the result's place.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWheelEvent>
#include <QKeySequence>
#include <QTest>

#include "MainWindowFixture.h"

namespace {

using namespace main_window_testing;

// A shortcut and what its handler visibly does.
struct ShortcutCase {
    const char* name;
    const char* keys;
    int zoomAfter; // the zoom once the keys are typed after a load at zoom 2
};

class MainWindowShortcuts : public MainWindowCommands, public ::testing::WithParamInterface<ShortcutCase> {};

TEST_P(MainWindowShortcuts, ReachTheButtonsHandler) {
    load(writeLandscape("land.bmp"));
    form.SpeedButton2->click();
    type(QKeySequence(QString::fromLatin1(GetParam().keys)));
    EXPECT_EQ(form.CSpinEdit1->GetValue(), GetParam().zoomAfter);
    EXPECT_EQ(view(), QSize(320, 200) * GetParam().zoomAfter);
}

INSTANTIATE_TEST_SUITE_P(, MainWindowShortcuts,
                         ::testing::Values(ShortcutCase{"CtrlPlus", "Ctrl++", 3}, ShortcutCase{"Plus", "+", 3},
                                           ShortcutCase{"CtrlMinus", "Ctrl+-", 1}, ShortcutCase{"Minus", "-", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowCommands, CtrlOLoadsThroughTheOpenDialog) {
    answers.push_back(writeLandscape("land.bmp"));
    type(QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(result(), rows(convert(testing_pictures::landscape(), defaultInks(), 0, 0, 0).result));
}

// The ways of naming the file to load.
enum class Route { StartUp, Drop, LoadButton };

std::string routeName(Route route) {
    switch (route) {
    case Route::StartUp: return "StartUp";
    case Route::Drop: return "Drop";
    case Route::LoadButton: return "LoadButton";
    }
    return "";
}

class MainWindowOpenRoutes : public MainWindowCommands, public ::testing::WithParamInterface<Route> {
  protected:
    void open(const std::string& file) {
        switch (GetParam()) {
        case Route::StartUp: openAtStartUp(file); break;
        case Route::Drop: drop(file); break;
        case Route::LoadButton: load(file); break;
        }
    }
};

TEST_P(MainWindowOpenRoutes, LoadAsLoadDoesAndShowTheSameError) {
    const std::string bad = path("bad.bmp");
    writeFile(bad, "BM not a picture");
    load(bad);
    ASSERT_EQ(messages.size(), 1u);
    const std::string loadError = messages.front();
    messages.clear();

    open(writeLandscape("land.bmp"));
    EXPECT_EQ(result(), rows(convert(testing_pictures::landscape(), defaultInks(), 0, 0, 0).result));
    EXPECT_TRUE(form.CSpinEdit1->GetEnabled());
    EXPECT_EQ(form.GetCaption(), "land.bmp - Tintora (CPC mode 1)");
    EXPECT_TRUE(messages.empty());

    const Bytes before = result();
    open(bad);
    EXPECT_EQ(messages, std::vector<std::string>{loadError});
    EXPECT_EQ(result(), before);
    EXPECT_EQ(form.GetCaption(), "land.bmp - Tintora (CPC mode 1)");
}

INSTANTIATE_TEST_SUITE_P(, MainWindowOpenRoutes,
                         ::testing::Values(Route::StartUp, Route::Drop, Route::LoadButton),
                         [](const auto& info) { return routeName(info.param); });

class MainWindowSliderReset : public MainWindowCommands, public ::testing::WithParamInterface<const char*> {};

TEST_P(MainWindowSliderReset, DoubleClickGoesBackToZeroAndRenders) {
    load(writeLandscape("land.bmp"));
    auto* slider = form.findChild<TTrackBar*>(QString::fromLatin1(GetParam()));
    ASSERT_NE(slider, nullptr);
    slider->SetPosition(slider->GetMax() / 2);
    ASSERT_NE(result(), rows(convert(testing_pictures::landscape(), defaultInks(), 0, 0, 0).result));
    QTest::mouseDClick(slider, Qt::LeftButton);
    EXPECT_EQ(slider->GetPosition(), 0);
    EXPECT_EQ(result(), rows(convert(testing_pictures::landscape(), defaultInks(), 0, 0, 0).result))
        << "the change event rendered again";
}

INSTANTIATE_TEST_SUITE_P(, MainWindowSliderReset, ::testing::Values("TrackBar1", "TrackBar3", "TrackBar4"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(MainWindowCommands, ShowOriginalDrawsTheSourceAndLeavesTheResult) {
    load(writeLandscape("land.bmp"));
    form.SpeedButton2->click();
    const Bytes before = result();
    const QImage resultShown = form.Image2->grab().toImage();

    type(QKeySequence(QStringLiteral("O")));
    const QImage shown = form.Image2->grab().toImage().convertToFormat(QImage::Format_RGB888);
    const QImage source = form.Image1->GetPicture().Image().convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(shown, source.scaled(shown.size()));
    EXPECT_EQ(result(), before);

    type(QKeySequence(QStringLiteral("O")));
    EXPECT_EQ(form.Image2->grab().toImage(), resultShown);
}

} // namespace

namespace {

// A zoom step and the point of the view it keeps in place.
struct ZoomCase {
    const char* name;
    bool byWheel; // Ctrl+wheel at the point, or the zoom-in button (the view's middle)
};

class MainWindowZoomPoint : public MainWindowCommands, public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(MainWindowZoomPoint, StaysUnderTheSamePartOfThePicture) {
    load(writeLandscape("land.bmp", 640, 480));
    form.ScrollBox1->ScrollContentTo(QPoint(150, 100), QPoint(0, 0));
    QWidget* viewport = form.ScrollBox1->viewport();
    const QPoint point = GetParam().byWheel ? QPoint(60, 50) : viewport->rect().center();
    const QPoint before = form.ScrollBox1->ContentAt(point);

    if (GetParam().byWheel) {
        QWheelEvent wheel(point, viewport->mapToGlobal(point), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
    } else {
        form.SpeedButton2->click();
    }
    EXPECT_EQ(form.CSpinEdit1->GetValue(), 2);
    const QPoint after = form.ScrollBox1->ContentAt(point);
    EXPECT_LE((after - before * 2).manhattanLength(), 2) << "the part of the picture under the point stays there";
}

INSTANTIATE_TEST_SUITE_P(, MainWindowZoomPoint,
                         ::testing::Values(ZoomCase{"ButtonKeepsTheMiddle", false},
                                           ZoomCase{"CtrlWheelKeepsThePointer", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowCommands, EachFileDialogStartsInTheFolderLastUsedWithIt) {
    ASSERT_TRUE(QDir(folder.path()).mkpath("in") && QDir(folder.path()).mkpath("out"));
    load(writeLandscape("in/land.bmp"));
    save(path("out/land.bmp"));
    load(path("in/land.bmp"));
    save(path("out/again.bmp"));
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].initialDir, "") << "the working folder at first";
    EXPECT_EQ(requests[2].initialDir, path("in"));
    EXPECT_EQ(requests[3].initialDir, path("out"));
}

// The commands the converter adds to the menus: each item reaches its
// handler, and a check item shows the state it stands for.
TEST_F(MainWindowCommands, CpcMenuItemsReachTheirHandlers) {
    load(writeLandscape("land.bmp", 400, 300));
    form.actionFitCrop->trigger();
    EXPECT_EQ(QSize(form.Image1->GetPicture().GetWidth(), form.Image1->GetPicture().GetHeight()), QSize(320, 200));
    EXPECT_TRUE(form.actionFitCrop->isChecked());
    EXPECT_FALSE(form.actionFitOff->isChecked());

    form.actionKeepInk2->trigger();
    EXPECT_TRUE(form.GetKeepInk(2));
    EXPECT_TRUE(form.actionKeepInk2->isChecked());
    const std::string keptNumber = form.Label8->GetText();
    type(QKeySequence(QStringLiteral("Ctrl+I")));
    EXPECT_EQ(form.Label8->GetText(), keptNumber);
    EXPECT_NE(form.Inks, defaultInks()) << "the other inks are chosen";

    const std::string palette = path("inks.pal");
    answers.push_back(palette);
    form.actionExportPalette->trigger();
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(fileExists(palette));
    EXPECT_TRUE(messages.empty());
}

} // namespace
