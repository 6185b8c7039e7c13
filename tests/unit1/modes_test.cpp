// The main window in every screen mode: the mode and dither items, the
// palette of the mode's inks, the Compare window, the monitor previews, the
// start options and the view's pixel shape.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>

#include "Compare.h"
#include "FitToScreen.h"
#include "MainWindowFixture.h"
#include "ModeInkChoice.h"
#include "ModePacking.h"
#include "PixelShape.h"
#include "StartOptions.h"

namespace {

using namespace main_window_testing;

QAction* item(TForm1& form, const QString& name) {
    auto* found = form.findChild<QAction*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

int shownSwatches(const TForm1& form) {
    int shown = 0;
    for (int k = 0; k < kMaxInkCount; ++k)
        if (form.Palette->ShownSwatch(k) && form.Palette->ShownSwatch(k)->isVisible())
            ++shown;
    return shown;
}

struct ModeCase {
    const char* name;
    int mode;
    const char* dither;
};

class MainWindowModes : public MainWindowCommands, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(MainWindowModes, ItemsReachTheEngineAndTheTitleAndPaletteFollow) {
    EXPECT_FALSE(form.actionKeepInk4->isVisible()) << "mode 1 at start: four inks";
    form.SetFitMode(TFitMode::Crop);
    load(writeLandscape("land.bmp", 90, 70));
    item(form, QStringLiteral("actionMode%1").arg(GetParam().mode))->trigger();
    item(form, QStringLiteral("actionDither_%1").arg(QString::fromLatin1(GetParam().dither)))->trigger();

    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    TPicture loaded = testing_pictures::landscape(90, 70);
    Conversion expected;
    Fit_To_Screen(loaded, expected.source, TFitMode::Crop, mode);
    Local_Contrast_Map(expected.source, expected.map);
    Mode_Dither(Dither_From_Name(GetParam().dither), expected.source, expected.result, expected.map, form.ModeInks(),
                0, 0, 0, mode);
    EXPECT_EQ(form.Image2->GetPicture().GetWidth(), mode.width);
    EXPECT_EQ(result(), rows(expected.result));
    EXPECT_EQ(form.GetCaption(), "land.bmp - Tintora (CPC mode " + std::to_string(mode.number) + ")");
    EXPECT_EQ(shownSwatches(form), mode.inkCount);
    EXPECT_EQ(form.ModeInks().size(), static_cast<std::size_t>(mode.inkCount));
    EXPECT_TRUE(form.actionSetInk1->isVisible());
    EXPECT_EQ(form.actionSetInk3->isVisible(), mode.inkCount > 3);
    EXPECT_EQ(form.actionKeepInk15->isVisible(), mode.inkCount > 15);
}

INSTANTIATE_TEST_SUITE_P(, MainWindowModes,
                         ::testing::Values(ModeCase{"Mode0Diffusion", 0, "diffusion"},
                                           ModeCase{"Mode1Ordered4", 1, "ordered4"},
                                           ModeCase{"Mode1Classic", 1, "classic"},
                                           ModeCase{"Mode2Atkinson", 2, "atkinson"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A swatch click opens the dialog for its ink, on its colour; an ink the next
// mode does not show is there again when a mode shows it.
TEST_F(MainWindowCommands, AnInkSurvivesModesThatDoNotShowIt) {
    load(writeLandscape("land.bmp"));
    form.SetScreenChoice(TScreenChoice{0, TDither::Ordered4});
    const int before = Colour_Number_Of_Ink(form.ModeInks()[9]);
    colourSteps = [&](TF_ColorSelect& d) {
        EXPECT_EQ(d.GetCaption(), "Ink #9");
        EXPECT_EQ(d.Label2->GetText(), IntToStr(before));
        QTest::keyClick(&d, Qt::Key_Down);
        QTest::keyClick(&d, Qt::Key_Return);
    };
    QTest::mouseClick(form.InkSwatch9, Qt::LeftButton);
    const int chosen = Colour_Number_Of_Ink(form.ModeInks()[9]);
    EXPECT_NE(chosen, before) << "Down moves the mark one red step";
    chooseColour(form.Button3, 5); // ink 1, hidden in mode 0: set through its menu item's button

    for (const int mode : {2, 1, 0})
        form.SetScreenChoice(TScreenChoice{mode, TDither::Ordered4});
    EXPECT_EQ(Colour_Number_Of_Ink(form.ModeInks()[9]), chosen);
    EXPECT_EQ(form.ModeInks()[1], Ink_From_Colour_Number(5));
    EXPECT_EQ(form.Palette->GetNumberText(9), IntToStr(chosen));
    EXPECT_EQ(form.InkSwatch1->GetCaption(), "5");
    Conversion expected = convert(testing_pictures::landscape(), defaultInks(), 0, 0, 0);
    Mode_Dither(TDither::Ordered4, expected.source, expected.result, expected.map, form.ModeInks(), 0, 0, 0,
                Screen_Mode(0));
    EXPECT_EQ(result(), rows(expected.result)) << "the result is made with the kept inks";
}

TEST_F(MainWindowCommands, ChoosingInksSearchesForTheModeAndDitherInUseKeepingAKeptInk) {
    load(writeLandscape("land.bmp", 64, 40));
    form.SetScreenChoice(TScreenChoice{2, TDither::Ordered4});
    form.SetKeepInk(1, true);
    const int kept = Colour_Number_Of_Ink(form.ModeInks()[1]);
    form.InkSearchProgressDelay = 600000;
    type(QKeySequence(QStringLiteral("Ctrl+I")));

    Conversion expected = convert(testing_pictures::landscape(64, 40), defaultInks(), 0, 0, 0);
    const Mode_Ink_Choice chosen = Choose_Mode_Inks(expected.source, expected.map, {kChooseInk, kept},
                                                    TDither::Ordered4, Screen_Mode(2), 0, 0, 0, Ink_Search_Control{});
    InkList inks;
    for (const int number : chosen.numbers)
        inks.push_back(Ink_From_Colour_Number(number));
    EXPECT_EQ(form.ModeInks(), inks);
    EXPECT_EQ(chosen.numbers[1], kept);
}

TEST_F(MainWindowCommands, CompareAppliesTheModeDitherAndInksClicked) {
    load(writeLandscape("land.bmp", 48, 30));
    constexpr int kClicked = 5; // mode 1, error diffusion
    std::optional<TCompareCell> clicked;
    SetModalDriver([&](TForm& shown) {
        auto* compare = qobject_cast<TF_Compare*>(&shown);
        ASSERT_NE(compare, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return compare->IsCellDone(kClicked); }, 120000));
        clicked = compare->GetCell(kClicked);
        QTest::mouseClick(compare->Thumbnail(kClicked), Qt::LeftButton);
    });
    form.actionCompare->trigger();
    ASSERT_TRUE(clicked.has_value());
    EXPECT_EQ(form.ScreenChoice, (TScreenChoice{1, TDither::Diffusion}));
    InkList inks;
    for (const int number : clicked->inkNumbers)
        inks.push_back(Ink_From_Colour_Number(number));
    EXPECT_EQ(form.ModeInks(), inks);
    Conversion expected = convert(testing_pictures::landscape(48, 30), defaultInks(), 0, 0, 0);
    Mode_Dither(TDither::Diffusion, expected.source, expected.result, expected.map, inks, 0, 0, 0, Screen_Mode(1));
    EXPECT_EQ(result(), rows(expected.result));
    form.actionUndo->trigger();
    EXPECT_EQ(form.ScreenChoice, TScreenChoice{}) << "the choice applied is one step";
    EXPECT_EQ(form.Inks, defaultInks());
}

// Screen > Full screen fits the picture to the larger screen, whose screen
// file is the overscan memory; undo brings the standard screen back.
TEST_F(MainWindowCommands, FullScreenFitsTheLargerScreenAndSavesItsMemoryUndoably) {
    form.SetFitMode(TFitMode::Crop);
    load(writeLandscape("land.bmp", 90, 70));
    const Bytes standard = result();
    form.actionFullScreen->trigger();
    EXPECT_TRUE(form.actionFullScreen->isChecked());

    const ScreenGeometry& screen = Screen_Geometry(TScreen::Overscan);
    const ScreenMode mode = Mode_On_Screen(Screen_Mode(kDefaultScreenMode), screen);
    EXPECT_EQ(form.GetCaption(), "land.bmp - Tintora (CPC mode 1, full screen)");
    EXPECT_TRUE(item(form, "actionMode1")->text().contains(QStringLiteral("%1 x %2").arg(mode.width).arg(mode.height)));
    TPicture loaded = testing_pictures::landscape(90, 70);
    TPicture fitted;
    Fit_To_Screen(loaded, fitted, TFitMode::Crop, mode);
    Conversion expected = convert(fitted, defaultInks(), 0, 0, 0);
    EXPECT_EQ(result(), rows(expected.result));
    save(path("full.scr"));
    const std::vector<std::uint8_t> memory = Mode_Screen_File_Bytes(expected.result, form.ModeInks(), mode, screen);
    EXPECT_EQ(fileBytes(path("full.scr")),
              QByteArray(reinterpret_cast<const char*>(memory.data()), static_cast<qsizetype>(memory.size())));
    form.actionUndo->trigger();
    EXPECT_EQ(form.ScreenChoice, TScreenChoice{});
    EXPECT_EQ(result(), standard);
    EXPECT_EQ(form.GetCaption(), "land.bmp - Tintora (CPC mode 1)");
}

class MonitorPreview : public MainWindowCommands, public ::testing::WithParamInterface<const char*> {};

TEST_P(MonitorPreview, ShowsInTheViewButLeavesTheSavedBytesAlone) {
    load(writeLandscape("land.bmp"));
    form.SpeedButton2->click(); // lines two pixels high: room for the gaps
    const QImage plainView = form.Image2->grab().toImage();
    save(path("plain.bmp"));
    save(path("plain.scr"));
    item(form, QString::fromLatin1(GetParam()))->trigger();
    EXPECT_NE(form.Image2->grab().toImage(), plainView) << "the preview shows";
    save(path("preview.bmp"));
    save(path("preview.scr"));
    EXPECT_EQ(fileBytes(path("preview.bmp")), fileBytes(path("plain.bmp")));
    EXPECT_EQ(fileBytes(path("preview.scr")), fileBytes(path("plain.scr")));
}

INSTANTIATE_TEST_SUITE_P(, MonitorPreview, ::testing::Values("actionMonitorColour", "actionMonitorGreen"),
                         [](const auto& info) { return std::string(info.param).substr(13); });

TEST(GreenMonitor, LevelsRiseWithTheColourNumberFromBlackToWhite) {
    EXPECT_EQ(Green_Monitor_Level(0), 0);
    EXPECT_EQ(Green_Monitor_Level(26), 255);
    for (int n = 1; n < kColourCount; ++n)
        EXPECT_GT(Green_Monitor_Level(n), Green_Monitor_Level(n - 1)) << "colour " << n;
}

TEST(StartOptions, TakeTheCommandLinesModeAndDitherAndAFile) {
    const TStartOptions options = Parse_Start_Options({"--mode", "0", "--dither", "ordered4", "a.bmp"});
    EXPECT_EQ(options.choice, (TScreenChoice{0, TDither::Ordered4}));
    EXPECT_EQ(options.file, "a.bmp");
    EXPECT_EQ(Parse_Start_Options({}).choice, TScreenChoice{});
    EXPECT_EQ(Parse_Start_Options({"--screen", "overscan"}).choice.screen, TScreen::Overscan);
    EXPECT_TRUE(Parse_Start_Options({"--reset", "a.bmp"}).reset);
    EXPECT_EQ(Parse_Start_Options({"--palette", "plus"}).palette, TPalette::Plus);
    EXPECT_FALSE(Parse_Start_Options({}).palette.has_value());
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--mode", "3"}, {"--dither", "fuzzy"}, {"--screen", "wide"}, {"--mode"}, {"a.bmp", "b.bmp"}, {"--zoom", "2"},
             {"--palette", "gx4000"}})
        EXPECT_THROW(Parse_Start_Options(bad), Exception) << bad.front();
}

// A whole screen looks the same shape in every mode, as on the CPC.
TEST(ViewSize, EveryModesScreenHasTheSameShape) {
    for (const bool proportions : {false, true})
        for (const ScreenMode& mode : kScreenModes) {
            const QSize view = View_Size(mode.width, mode.height, mode, proportions, 2);
            const double expected = proportions ? kScreenAspect : 1.6;
            EXPECT_NEAR(static_cast<double>(view.width()) / view.height(), expected, 0.01)
                << "mode " << mode.number << (proportions ? " in CPC proportions" : "");
            EXPECT_GE(std::min(view.width() / mode.width, view.height() / mode.height), 1) << "no pixel is lost";
        }
}

TEST(ViewSize, EveryModesScreenShowsAtTheSameSize) {
    for (const bool proportions : {false, true})
        for (int zoom = 1; zoom <= 4; ++zoom)
            for (const ScreenMode& mode : kScreenModes)
                EXPECT_EQ(View_Size(mode.width, mode.height, mode, proportions, zoom),
                          View_Size(320, 200, Screen_Mode(1), proportions, zoom))
                    << "mode " << mode.number << " at zoom " << zoom << (proportions ? " in CPC proportions" : "");
}

} // namespace
