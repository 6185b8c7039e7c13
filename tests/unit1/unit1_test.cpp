#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Colorselect.h"
#include "CpcExport.h"
#include "CpmDisc.h"
#include "Engine.h"
#include "InkChoice.h"
#include "InkSearchProgress.h"
#include "LandscapePicture.h"
#include "MainWindowFixture.h"
#include "PictureBuilder.h"
#include "RawSprite.h"
#include "RawFile.h"
#include "SysUtils.h"
#include "Unit1.h"

namespace {

TEST(MainWindow, SlidersCoverTheEngineRangesAndStartAtZero) {
    TForm1 form;
    struct Expected {
        TTrackBar* slider;
        int min, max;
    };
    for (const Expected& e : {Expected{form.TrackBar1, kLocalMin, kLocalMax},
                              Expected{form.TrackBar3, kBrightnessMin, kBrightnessMax},
                              Expected{form.TrackBar4, kContrastMin, kContrastMax}}) {
        SCOPED_TRACE(e.slider->objectName().toStdString());
        EXPECT_EQ(e.slider->GetMin(), e.min);
        EXPECT_EQ(e.slider->GetMax(), e.max);
        EXPECT_EQ(e.slider->GetPosition(), 0);
    }
}

TEST(MainWindow, ZoomSpinBoxStartsHiddenDisabledAtOne) {
    TForm1 form;
    form.Show();
    EXPECT_FALSE(form.CSpinEdit1->isVisible());
    EXPECT_FALSE(form.CSpinEdit1->GetEnabled()) << "no picture loaded yet";
    EXPECT_EQ(form.CSpinEdit1->GetValue(), 1);
    EXPECT_EQ(form.CSpinEdit1->GetMinValue(), 1);
    EXPECT_EQ(form.CSpinEdit1->GetMaxValue(), 4);
    form.Close();
}

TEST(MainWindow, InkSwatchesAndNumbersStartAtTheDefaultInks) {
    TForm1 form;
    EXPECT_EQ(form.Label6->GetText(), "0");
    EXPECT_EQ(form.Label7->GetText(), "3");
    EXPECT_EQ(form.Label8->GetText(), "15");
    EXPECT_EQ(form.Label9->GetText(), "26");
    EXPECT_EQ(form.Shape1->Brush->GetColor(), (TColor{0, 0, 0}));
    EXPECT_EQ(form.Shape2->Brush->GetColor(), (TColor{128, 0, 0}));
    EXPECT_EQ(form.Shape3->Brush->GetColor(), (TColor{255, 128, 0}));
    EXPECT_EQ(form.Shape4->Brush->GetColor(), (TColor{255, 255, 255}));
}

TEST(MainWindow, StretchStartsOffWithBothBevelsRaised) {
    TForm1 form;
    EXPECT_EQ(form.Panel2->GetBevelInner(), TPanel::bvRaised);
    EXPECT_EQ(form.Panel2->GetBevelOuter(), TPanel::bvRaised);
    EXPECT_EQ(form.StretchBackup, nullptr);
}

TEST(MainWindow, ShowingResetsTheInkTable) {
    TForm1 form;
    InkTable defaults;
    Reset_Ink_Table(defaults);
    form.Inks.fill(Ink{1, 2, 3});
    form.Show();
    EXPECT_EQ(form.Inks, defaults);
    form.Close();
    form.Inks[2] = Ink{9, 9, 9};
    form.Show();
    EXPECT_EQ(form.Inks, defaults) << "every showing resets it";
    form.Close();
}

TEST(MainWindow, PicturesStartEmptyAndOnlyTheResultIsShown) {
    TForm1 form;
    form.Show();
    EXPECT_EQ(form.Image1->GetPicture().GetWidth(), 0);
    EXPECT_FALSE(form.Image1->isVisible());
    EXPECT_FALSE(form.Image7->isVisible());
    EXPECT_TRUE(form.Image2->isVisible());
    EXPECT_TRUE(form.Image2->GetStretch());
    form.Close();
}

TEST(MainWindow, ResultViewResizingScrollsTheArea) {
    TForm1 form;
    form.Show();
    form.Image2->SetHeight(600);
    form.Image2->SetWidth(960);
    EXPECT_EQ(form.ScrollBox1->widget()->size(), QSize(960, 600));
    form.Close();
}

TEST(MainWindow, LayoutFillsTheWindowMenuThenTopStripThenScrollAreaThenStatusBar) {
    TForm1 form;
    form.Show();
    form.resize(600, 500);
    QTest::qWait(0);
    const int menu = form.MainMenu->height();
    EXPECT_GT(menu, 0);
    EXPECT_EQ(form.MainMenu->geometry(), QRect(0, 0, 600, menu));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, menu, 600, 97));
    const int status = form.StatusBar1->height();
    EXPECT_GT(status, 0);
    EXPECT_EQ(form.ScrollBox1->geometry(), QRect(0, menu + 97, 600, 403 - menu - status))
        << "the area gives up the menu's and the status bar's height";
    EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 500 - status, 600, status));
    form.Close();
}

TEST(MainWindow, FileDialogsAskForWhatTheCommandsNeed) {
    TForm1 form;
    EXPECT_EQ(form.OpenPictureDialog1.GetTitle(), "Load picture");
    EXPECT_EQ(form.SaveDialog1.GetTitle(), "Save picture");
    EXPECT_EQ(ConvertFilter(form.SaveDialog1.GetFilter()).size(), 4) << "BMP, screen, sprite and PNG";
    const QStringList open = ConvertFilter(form.OpenPictureDialog1.GetFilter());
    EXPECT_EQ(open.size(), 3);
    EXPECT_EQ(open.first(), "Bitmaps (*.bmp)");
    EXPECT_TRUE(open.value(1).startsWith("All pictures (*.bmp *.png *.jpg *.jpeg *.gif")) << open.join('|').toStdString();
    EXPECT_EQ(open.last(), "All files (*)");
    EXPECT_EQ(form.SaveDialog1.GetDefaultExt(), "") << "only the typed ending decides the format";
    EXPECT_TRUE(form.SaveDialog1.GetOptions() & ofOverwritePrompt);
}

TEST(MainWindow, GlyphsAndIconsAreLoaded) {
    TForm1 form;
    for (TSpeedButton* button : {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3,
                                 form.SpeedButton4, form.SpeedButton5}) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_FALSE(button->toolTip().isEmpty());
    }
    for (TImage* icon : {form.Image3, form.Image4, form.Image5, form.Image6}) {
        SCOPED_TRACE(icon->objectName().toStdString());
        EXPECT_EQ(icon->GetPicture().GetWidth(), 16);
        EXPECT_EQ(icon->GetPicture().GetHeight(), 16);
    }
}


// ---- The commands, worked through the real controls ----

using namespace main_window_testing;

TEST_F(MainWindowCommands, LoadBuildsMapAndResultAsTheEngineDoes) {
    const std::string file = writeLandscape("land.bmp");
    load(file);
    const Conversion expected = convert(testing_pictures::landscape(), defaultInks(), 0, 0, 0);
    EXPECT_EQ(source(), rows(expected.source));
    EXPECT_EQ(map(), rows(expected.map));
    EXPECT_EQ(result(), rows(expected.result));
    EXPECT_TRUE(form.CSpinEdit1->GetEnabled()) << "loaded";
    EXPECT_EQ(view(), QSize(320, 200));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, TFileDialogKind::Open);
    EXPECT_EQ(requests[0].title, "Load picture");
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowCommands, CancelledLoadChangesNothing) {
    answers.push_back(std::nullopt);
    form.SpeedButton1->click();
    EXPECT_FALSE(form.CSpinEdit1->GetEnabled());
    EXPECT_EQ(form.Image1->GetPicture().GetWidth(), 0);
    EXPECT_EQ(view(), QSize(49, 25)) << "not even the zoom is applied";
}

TEST_F(MainWindowCommands, LoadAppliesTheCurrentZoomAndSliders) {
    form.CSpinEdit1->SetValue(3);
    form.TrackBar3->SetPosition(-120);
    form.TrackBar4->SetPosition(90);
    form.TrackBar1->SetPosition(4000);
    load(writeLandscape("land.bmp"));
    const Conversion expected = convert(testing_pictures::landscape(), defaultInks(), -120, 90, 4000);
    EXPECT_EQ(result(), rows(expected.result));
    EXPECT_EQ(view(), QSize(960, 600));
    EXPECT_EQ(form.Image2->GetPicture().GetWidth(), 320) << "the result keeps the source's size";
}

// One slider moved after a load.
struct SliderCase {
    const char* name;
    int brightness, contrast, local;
};

class MainWindowSliders : public MainWindowCommands, public ::testing::WithParamInterface<SliderCase> {};

TEST_P(MainWindowSliders, RenderAsTheEngineDoes) {
    const SliderCase& c = GetParam();
    load(writeLandscape("land.bmp"));
    form.TrackBar3->SetPosition(c.brightness);
    form.TrackBar4->SetPosition(c.contrast);
    form.TrackBar1->SetPosition(c.local);
    const Conversion expected = convert(testing_pictures::landscape(), defaultInks(), c.brightness, c.contrast, c.local);
    EXPECT_EQ(map(), rows(expected.map));
    EXPECT_EQ(result(), rows(expected.result));
    const Conversion unmoved = convert(testing_pictures::landscape(), defaultInks(), 0, 0, 0);
    EXPECT_NE(result(), rows(unmoved.result)) << "the slider had an effect";
}

INSTANTIATE_TEST_SUITE_P(, MainWindowSliders,
                         ::testing::Values(SliderCase{"Brighter", 180, 0, 0}, SliderCase{"Darkest", -550, 0, 0},
                                           SliderCase{"MoreContrast", 0, 370, 0},
                                           SliderCase{"LessContrast", 0, -200, 0},
                                           SliderCase{"LocalReinforced", 0, 0, 12000},
                                           SliderCase{"LocalSoftened", 0, 0, -20000},
                                           SliderCase{"AllThree", 60, -90, 7000}),
                         [](const auto& info) { return std::string(info.param.name); });

// The map depends on the source alone: it is made the first time the local
// slider is not 0, reused by every step after, dropped at 0, and made again
// for a changed source.
TEST_F(MainWindowCommands, TheMapIsMadeOnlyForALocalTermAndReusedUntilTheSourceChanges) {
    load(writeLandscape("land.bmp"));
    EXPECT_TRUE(map().empty()) << "no map without a local term";
    form.TrackBar1->SetPosition(9000);
    EXPECT_EQ(map(), rows(convert(testing_pictures::landscape(), defaultInks(), 0, 0, 9000).map));
    // Spoil the map: a step that made it again would put it right.
    TPicture& mapPicture = form.Image7->GetPicture();
    for (int y = 0; y < mapPicture.GetHeight(); ++y)
        for (int x = 0; x < 3 * mapPicture.GetWidth(); ++x)
            mapPicture.GetScanline(y)[x] = static_cast<std::uint8_t>(64 + (x * 7 + y) % 127);
    const Bytes spoiled = map();

    form.TrackBar3->SetPosition(40);
    form.TrackBar4->SetPosition(-40);
    chooseColour(form.Button3, 6);
    form.TrackBar1->SetPosition(9001);
    EXPECT_EQ(map(), spoiled) << "brightness, contrast, inks and local steps reuse the map";
    InkTable inks = defaultInks();
    inks[1] = Ink_From_Colour_Number(6);
    TPicture expectedResult;
    CPC_Mode1_Dither(form.Image1->GetPicture(), expectedResult, mapPicture, inks, 40, -40, 9001);
    EXPECT_EQ(result(), rows(expectedResult));

    form.TrackBar1->SetPosition(0);
    EXPECT_TRUE(map().empty()) << "dropped at 0";
    form.TrackBar1->SetPosition(9001);
    const Conversion remade = convert(testing_pictures::landscape(), inks, 40, -40, 9001);
    EXPECT_EQ(map(), rows(remade.map));
    EXPECT_EQ(result(), rows(remade.result));
    clickStretch();
    const Conversion stretched = convert(testing_pictures::landscape(), inks, 40, -40, 9001, true);
    EXPECT_EQ(map(), rows(stretched.map)) << "made again for the stretched source";
}

TEST_F(MainWindowCommands, BeforeAnyLoadCommandsChangeOnlyTheirOwnState) {
    form.TrackBar3->SetPosition(100);
    form.TrackBar4->SetPosition(-100);
    form.TrackBar1->SetPosition(500);
    EXPECT_EQ(view(), QSize(49, 25));
    clickStretch();
    QTest::mouseClick(form.Panel2, Qt::LeftButton, {}, QPoint(0, 0));
    EXPECT_TRUE(stretchBevelsRaised()) << "the toggle does nothing, not even the bevel";
    EXPECT_EQ(form.StretchBackup, nullptr);

    chooseColour(form.Button4, 20);
    InkTable inks = defaultInks();
    inks[2] = Ink_From_Colour_Number(20);
    EXPECT_EQ(form.Inks, inks);
    EXPECT_EQ(form.Label8->GetText(), "20");
    EXPECT_EQ(form.Shape3->Brush->GetColor(), (TColor{0, 255, 255}));

    EXPECT_FALSE(form.CSpinEdit1->GetEnabled());
    for (TImage* picture : {form.Image1, form.Image2, form.Image7}) {
        EXPECT_EQ(picture->GetPicture().GetWidth(), 0);
        EXPECT_EQ(picture->GetPicture().GetHeight(), 0);
    }
    form.SpeedButton2->click();
    EXPECT_EQ(form.CSpinEdit1->GetValue(), 2);
    EXPECT_EQ(view(), QSize(0, 0)) << "the zoom applies to the empty source as well";
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowCommands, ZoomStepsBetweenOneAndFour) {
    load(writeLandscape("land.bmp"));
    const QSize sizes[] = {QSize(320, 200), QSize(640, 400), QSize(960, 600), QSize(1280, 800)};
    for (int zoom = 2; zoom <= 4; ++zoom) {
        form.SpeedButton2->click();
        EXPECT_EQ(form.CSpinEdit1->GetValue(), zoom);
        EXPECT_EQ(view(), sizes[zoom - 1]);
    }
    form.SpeedButton2->click();
    EXPECT_EQ(form.CSpinEdit1->GetValue(), 4) << "zoom in from 4 does nothing";
    EXPECT_EQ(view(), QSize(1280, 800));
    EXPECT_EQ(form.ScrollBox1->widget()->size(), QSize(1280, 800)) << "the area scrolls over the view";
    for (int zoom = 3; zoom >= 1; --zoom) {
        form.SpeedButton3->click();
        EXPECT_EQ(view(), sizes[zoom - 1]);
    }
    form.SpeedButton3->click();
    EXPECT_EQ(form.CSpinEdit1->GetValue(), 1) << "zoom out from 1 does nothing";
    EXPECT_EQ(view(), QSize(320, 200));
    EXPECT_EQ(form.Image2->GetPicture().GetWidth(), 320);
    EXPECT_EQ(form.Image2->GetPicture().GetHeight(), 200);
}

// A landscape squeezed into the middle of the range, so the stretch widens it.
TPicture dullLandscape() {
    TPicture picture = testing_pictures::landscape();
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < 3 * picture.GetWidth(); ++x) {
            std::uint8_t& byte = picture.GetScanline(y)[x];
            byte = static_cast<std::uint8_t>(60 + byte / 2);
        }
    return picture;
}

TEST_F(MainWindowCommands, StretchOnThenOffGivesTheSourceBack) {
    const TPicture dull = dullLandscape();
    load(writePicture("dull.bmp", dull));
    form.TrackBar3->SetPosition(30);
    const Bytes before = result();

    clickStretch();
    EXPECT_TRUE(stretchBevelsLowered());
    ASSERT_NE(form.StretchBackup, nullptr);
    EXPECT_EQ(rows(*form.StretchBackup), rows(dull));
    const Conversion stretched = convert(dull, defaultInks(), 30, 0, 0, true);
    EXPECT_EQ(source(), rows(stretched.source));
    EXPECT_NE(source(), rows(dull));
    EXPECT_EQ(map(), rows(stretched.map));
    EXPECT_EQ(result(), rows(stretched.result));

    QTest::mouseClick(form.Panel2, Qt::LeftButton, {}, QPoint(0, 0));
    EXPECT_TRUE(stretchBevelsRaised());
    EXPECT_EQ(form.StretchBackup, nullptr);
    EXPECT_EQ(source(), rows(dull)) << "byte for byte";
    EXPECT_EQ(map(), rows(convert(dull, defaultInks(), 30, 0, 0).map));
    EXPECT_EQ(result(), before);
}

// The window keeps the picture as loaded: every fit starts from it, Off
// gives it back, and a new load is fitted by the mode in force.
TEST_F(MainWindowCommands, FitModeRefitsThePictureAsLoadedWithTheStretchOffFirst) {
    load(writeLandscape("wide.bmp", 400, 120));
    form.TrackBar3->SetPosition(25);
    clickStretch();
    for (TFitMode mode : {TFitMode::Pad, TFitMode::Crop, TFitMode::Off}) {
        form.SetFitMode(mode);
        EXPECT_TRUE(stretchBevelsRaised());
        EXPECT_EQ(form.StretchBackup, nullptr);
        TPicture loaded = testing_pictures::landscape(400, 120), fitted;
        Fit_To_Screen(loaded, fitted, mode);
        const Conversion expected = convert(fitted, defaultInks(), 25, 0, 0);
        EXPECT_EQ(source(), rows(expected.source));
        EXPECT_EQ(map(), rows(expected.map));
        EXPECT_EQ(result(), rows(expected.result));
        EXPECT_EQ(view(), QSize(fitted.GetWidth(), fitted.GetHeight()));
    }
    form.SetFitMode(TFitMode::Stretch);
    load(writeLandscape("tall.bmp", 90, 300));
    TPicture tall = testing_pictures::landscape(90, 300), fitted;
    Fit_To_Screen(tall, fitted, TFitMode::Stretch);
    EXPECT_EQ(source(), rows(fitted));
    ASSERT_NE(form.LoadedPicture, nullptr);
    EXPECT_EQ(rows(*form.LoadedPicture), rows(tall));
}

// A JPEG loaded while a fit is on is decoded only as large as the fits
// need, and fits within 2 levels of the whole picture's fit; turning the fit
// off reads the file again whole, unless it is no longer that picture,
// which is said and changes nothing.
TEST_F(MainWindowCommands, AJpegLoadedWithAFitIsReadWholeWhenTheFitTurnsOff) {
    const std::string file = path("photo.jpg");
    const auto writeJpeg = [&](int width, int height) {
        ASSERT_TRUE(testing_pictures::landscape(width, height).Image().save(QString::fromStdString(file), "jpeg", 92));
    };
    writeJpeg(2800, 1900);
    TPicture whole, wholeFitted;
    whole.LoadFromFile(file);
    Fit_To_Screen(whole, wholeFitted, TFitMode::Crop);
    form.SetFitMode(TFitMode::Crop);
    load(file);
    ASSERT_NE(form.LoadedPicture, nullptr);
    EXPECT_LT(form.LoadedPicture->GetWidth(), 2800);
    const Bytes fitted = source(), expected = rows(wholeFitted);
    ASSERT_EQ(fitted.size(), expected.size());
    double difference = 0;
    for (std::size_t i = 0; i < fitted.size(); ++i)
        difference += std::abs(fitted[i] - expected[i]);
    EXPECT_LE(difference / static_cast<double>(fitted.size()), 2.0);

    form.actionFitOff->trigger();
    EXPECT_EQ(source(), rows(whole));

    form.actionFitCrop->trigger();
    load(file);
    writeJpeg(2000, 1900);
    form.actionFitOff->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("has changed since it was loaded"), std::string::npos) << messages[0];
    EXPECT_EQ(form.FitMode, TFitMode::Crop);
    EXPECT_EQ(source(), fitted);
}

TEST_F(MainWindowCommands, StretchWithAConstantChannelCountsAsOn) {
    TPicture picture = dullLandscape();
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x)
            picture.GetScanline(y)[3 * x] = 77; // blue
    load(writePicture("flatblue.bmp", picture));
    clickStretch();
    EXPECT_TRUE(stretchBevelsLowered());
    ASSERT_NE(form.StretchBackup, nullptr);
    const TPicture& stretched = form.Image1->GetPicture();
    int lowestRed = 255, highestRed = 0;
    bool blueKept = true;
    for (int y = 0; y < stretched.GetHeight(); ++y)
        for (int x = 0; x < stretched.GetWidth(); ++x) {
            blueKept = blueKept && stretched.GetScanline(y)[3 * x] == 77;
            lowestRed = std::min<int>(lowestRed, stretched.GetScanline(y)[3 * x + 2]);
            highestRed = std::max<int>(highestRed, stretched.GetScanline(y)[3 * x + 2]);
        }
    EXPECT_TRUE(blueKept);
    EXPECT_EQ(lowestRed, 0);
    EXPECT_EQ(highestRed, 255);
    clickStretch();
    EXPECT_TRUE(stretchBevelsRaised());
    EXPECT_EQ(source(), rows(picture));
}

TEST_F(MainWindowCommands, LoadWhileStretchedTurnsTheStretchOffFirst) {
    load(writePicture("dull.bmp", dullLandscape()));
    clickStretch();
    ASSERT_TRUE(stretchBevelsLowered());
    const TPicture other = testing_pictures::landscape(200, 120);
    load(writePicture("other.bmp", other));
    EXPECT_TRUE(stretchBevelsRaised());
    EXPECT_EQ(form.StretchBackup, nullptr);
    EXPECT_EQ(source(), rows(other)) << "the new picture is not stretched";
    EXPECT_EQ(result(), rows(convert(other, defaultInks(), 0, 0, 0).result));
    EXPECT_EQ(view(), QSize(200, 120));
}

TEST_F(MainWindowCommands, FailedLoadWhileStretchedLeavesTheStretchUndone) {
    const TPicture dull = dullLandscape();
    load(writePicture("dull.bmp", dull));
    clickStretch();
    writeFile(path("broken.bmp"), "BM not really a picture");
    load(path("broken.bmp"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(stretchBevelsRaised());
    EXPECT_EQ(form.StretchBackup, nullptr);
    const Conversion unstretched = convert(dull, defaultInks(), 0, 0, 0);
    EXPECT_EQ(source(), rows(unstretched.source));
    EXPECT_EQ(map(), rows(unstretched.map));
    EXPECT_EQ(result(), rows(unstretched.result));
}

TEST_F(MainWindowCommands, FailedLoadLeavesEverythingAsItWas) {
    writeFile(path("broken.bmp"), QByteArray("BM\x10\x00\x00\x00garbage", 14));
    load(path("broken.bmp"));
    load(path("missing.bmp"));
    ASSERT_EQ(messages.size(), 2u) << "each failure is shown";
    EXPECT_NE(messages[0].find("broken.bmp"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("missing.bmp"), std::string::npos) << messages[1];
    EXPECT_FALSE(form.CSpinEdit1->GetEnabled()) << "still not loaded";
    EXPECT_EQ(view(), QSize(49, 25));

    load(writeLandscape("land.bmp"));
    form.SpeedButton2->click();
    form.TrackBar1->SetPosition(3000);
    const Bytes sourceBefore = source(), mapBefore = map(), resultBefore = result();
    load(path("broken.bmp"));
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(source(), sourceBefore);
    EXPECT_EQ(map(), mapBefore);
    EXPECT_EQ(result(), resultBefore);
    EXPECT_TRUE(form.CSpinEdit1->GetEnabled());
    EXPECT_EQ(form.CSpinEdit1->GetValue(), 2);
    EXPECT_EQ(view(), QSize(640, 400));
}

// An ink set through the colour dialog.
struct InkCase {
    const char* name;
    int ink;
    int colour;
    TColor swatch;
};

class MainWindowInks : public MainWindowCommands, public ::testing::WithParamInterface<InkCase> {
  protected:
    TButton* setButton(int ink) const {
        TButton* const buttons[] = {form.Button2, form.Button3, form.Button4, form.Button5};
        return buttons[ink];
    }
    TLabel* number(int ink) const {
        TLabel* const labels[] = {form.Label6, form.Label7, form.Label8, form.Label9};
        return labels[ink];
    }
    TShape* swatch(int ink) const {
        TShape* const shapes[] = {form.Shape1, form.Shape2, form.Shape3, form.Shape4};
        return shapes[ink];
    }
};

TEST_P(MainWindowInks, ChosenColourSetsInkSwatchNumberAndResult) {
    const InkCase& c = GetParam();
    load(writeLandscape("land.bmp"));
    chooseColour(setButton(c.ink), c.colour);
    InkTable inks = defaultInks();
    inks[static_cast<std::size_t>(c.ink)] = Ink_From_Colour_Number(c.colour);
    EXPECT_EQ(form.Inks, inks);
    EXPECT_EQ(number(c.ink)->GetText(), IntToStr(c.colour));
    EXPECT_EQ(swatch(c.ink)->Brush->GetColor(), c.swatch);
    EXPECT_EQ(result(), rows(convert(testing_pictures::landscape(), inks, 0, 0, 0).result));
}

INSTANTIATE_TEST_SUITE_P(, MainWindowInks,
                         ::testing::Values(InkCase{"Ink0Blue", 0, 2, TColor{0, 0, 255}},
                                           InkCase{"Ink1BrightMagenta", 1, 8, TColor{255, 0, 255}},
                                           InkCase{"Ink2Grey", 2, 13, TColor{128, 128, 128}},
                                           InkCase{"Ink3Lime", 3, 22, TColor{128, 255, 128}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowCommands, ColourTwentySixIsNotTheDefaultWhite) {
    chooseColour(form.Button2, 26);
    EXPECT_EQ(form.Inks[0], (Ink{254, 254, 254}));
    EXPECT_EQ(form.Inks[3], (Ink{255, 255, 255})) << "the default ink 3 stays until changed";
}

TEST_F(MainWindowCommands, CancelAndTheCloseButtonChangeNothing) {
    load(writeLandscape("land.bmp"));
    chooseColour(form.Button3, 5);
    const InkTable inks = form.Inks;
    const Bytes before = result();
    inkDialog(form.Button3, [](TF_ColorSelect& d) {
        QTest::mouseClick(d.Swatch(9), Qt::LeftButton);
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    inkDialog(form.Button3, [](TF_ColorSelect& d) {
        QTest::mouseClick(d.Swatch(11), Qt::LeftButton);
        d.Close();
    });
    EXPECT_EQ(form.Inks, inks);
    EXPECT_EQ(form.Label7->GetText(), "5");
    EXPECT_EQ(form.Shape2->Brush->GetColor(), (TColor{128, 0, 255}));
    EXPECT_EQ(result(), before);
}

TEST_F(MainWindowCommands, MinimisingTheColourDialogDoesNotEndIt) {
    inkDialog(form.Button2, [](TF_ColorSelect& d) {
        d.showMinimized();
        d.showNormal();
        // Ok comes from the loop later: only a dialog still shown modally gets it.
        QTimer::singleShot(0, &d, [&d] {
            QTest::mouseClick(d.Swatch(5), Qt::LeftButton);
            QTest::mouseClick(d.Button2, Qt::LeftButton);
        });
    });
    QTest::qWait(0);
    EXPECT_EQ(form.Inks[0], Ink_From_Colour_Number(5));
    EXPECT_EQ(form.Label6->GetText(), "5");
}

TEST_F(MainWindowCommands, RestoringFromMinimisedDoesNotResetTheInks) {
    chooseColour(form.Button3, 24);
    const InkTable chosen = form.Inks;
    form.showMinimized();
    form.showNormal();
    QTest::qWait(0);
    EXPECT_EQ(form.Inks, chosen);
    form.Close();
    form.Show();
    EXPECT_EQ(form.Inks, defaultInks()) << "a showing by the program resets them";
    EXPECT_EQ(form.Label7->GetText(), "24") << "the labels are not reset with them";
}

} // namespace
