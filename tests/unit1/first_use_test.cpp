// The main window as a new user meets it: what each mode starts with, the
// Compare window by keyboard, and the note a save leaves.
#include <string>

#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QTest>

#include "Compare.h"
#include "MainWindowFixture.h"
#include "ModeStart.h"

namespace {

using namespace main_window_testing;

void chooseMode(TForm1& form, int mode) {
    form.findChild<QAction*>(QStringLiteral("actionMode%1").arg(mode))->trigger();
}

struct ModeStartCase {
    const char* name;
    int mode;
    TDither dither;
    TFitMode fit;
};

class ModeStart : public MainWindowCommands, public ::testing::WithParamInterface<ModeStartCase> {};

// The picture is not any mode's screen size: a fit shows as the mode's size.
TEST_P(ModeStart, AModeChosenFromTheMenuStartsWithItsDitherAndFit) {
    load(writeLandscape("land.bmp", 90, 70));
    chooseMode(form, GetParam().mode == 1 ? 0 : 1);
    chooseMode(form, GetParam().mode);
    EXPECT_EQ(form.ScreenChoice, (TScreenChoice{GetParam().mode, GetParam().dither}));
    EXPECT_EQ(form.FitMode, GetParam().fit);
    form.FlushRender();
    EXPECT_EQ(form.Image2->GetPicture().GetWidth(),
              GetParam().fit == TFitMode::Off ? 90 : Screen_Mode(GetParam().mode).width);
}

INSTANTIATE_TEST_SUITE_P(, ModeStart,
                         ::testing::Values(ModeStartCase{"Mode0", 0, TDither::Diffusion, TFitMode::Pad},
                                           ModeStartCase{"Mode1", 1, TDither::Classic, TFitMode::Off},
                                           ModeStartCase{"Mode2", 2, TDither::Diffusion, TFitMode::Pad}),
                         [](const auto& info) { return std::string(info.param.name); });

// A dither chosen is kept for its mode alone; a fit chosen holds in every mode.
TEST_F(MainWindowCommands, DithersAreRememberedPerModeAndAcrossRuns) {
    load(writeLandscape("land.bmp", 90, 70));
    chooseMode(form, 0);
    form.findChild<QAction*>(QStringLiteral("actionDither_atkinson"))->trigger();
    form.actionFitCrop->trigger();
    chooseMode(form, 1);
    EXPECT_EQ(form.ScreenChoice.dither, TDither::Classic);
    EXPECT_EQ(form.FitMode, TFitMode::Crop);
    chooseMode(form, 0);
    EXPECT_EQ(form.ScreenChoice.dither, TDither::Atkinson);

    QSettings settings(QString::fromStdString(path("kept.ini")), QSettings::IniFormat);
    Write_Mode_Choices(settings, form.Chosen);
    EXPECT_EQ(Read_Mode_Choices(settings).dither, form.Chosen.dither);
}

// Arrows move over the three by three cells and stop at the edges; Return picks.
TEST_F(MainWindowCommands, CompareCellsArePickedByKeyboard) {
    load(writeLandscape("land.bmp", 48, 30));
    constexpr int kPicked = 7; // mode 2, Ordered 4x4
    SetModalDriver([&](TForm& shown) {
        auto* compare = qobject_cast<TF_Compare*>(&shown);
        ASSERT_NE(compare, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return compare->IsCellDone(kPicked); }, 120000));
        compare->Cell0->setFocus();
        for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down,
                                  Qt::Key_Down, Qt::Key_Left})
            QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(QApplication::focusWidget(), compare->Cell7);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    form.actionCompare->trigger();
    EXPECT_EQ(form.ScreenChoice, TF_Compare::CellChoice(kPicked));
    EXPECT_EQ(form.FitMode, Start_Fit(2)) << "the picture as the cell showed it";
}

struct WrittenCase {
    const char* name;
    const char* file;
    QAction* TForm1::*command;
};

class WrittenNote : public MainWindowCommands, public ::testing::WithParamInterface<WrittenCase> {};

TEST_P(WrittenNote, ASaveOrExportSaysWhereInTheStatusBar) {
    load(writeLandscape("land.bmp"));
    const std::string file = path(GetParam().file);
    answers.push_back(file);
    (form.*GetParam().command)->trigger();
    ASSERT_TRUE(fileExists(file));
    EXPECT_EQ(form.StatusBar1->currentMessage().toStdString(), "Saved " + file);
    EXPECT_EQ(requests.back().initialDir, folder.path().toStdString()) << "a first run opens in the picture's folder";
    const std::string suggested = requests.back().suggestedName;
    EXPECT_TRUE(suggested.starts_with("land.") || suggested.starts_with("land-cpc.")) << suggested;
    EXPECT_NE(suggested, "land.bmp") << "the picture itself is never offered";
}

INSTANTIATE_TEST_SUITE_P(, WrittenNote,
                         ::testing::Values(WrittenCase{"Bmp", "out.bmp", &TForm1::actionSave},
                                           WrittenCase{"Png", "out.png", &TForm1::actionSave},
                                           WrittenCase{"Disc", "out.dsk", &TForm1::actionExportDisc},
                                           WrittenCase{"Palette", "out.pal", &TForm1::actionExportPalette}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
