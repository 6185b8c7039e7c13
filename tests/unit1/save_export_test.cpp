// The main window's Save and Export commands: what they write, and what they refuse.

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

#include <QComboBox>
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
#include "Slideshow.h"
#include "SlideshowModesDialog.h"
#include "SysUtils.h"
#include "Unit1.h"

namespace {

using namespace main_window_testing;

// The 16384 bytes the engine makes of a four-ink result.
Bytes screenOf(const TPicture& result, const InkTable& inks) {
    std::unique_ptr<std::uint8_t[]> packed, screen;
    CPC_Mode1_Convert(result, packed, inks);
    CPC_Screen_Layout(packed.get(), screen);
    return Bytes(screen.get(), screen.get() + kScreenBytes);
}

enum class Written { Nothing, Screen, Bmp, Sprite };

struct SaveCase {
    const char* name;
    const char* fileName; // as typed
    Written written;
    int filter = 0;                 // the filter entry selected: bmp, scr, dat
    const char* writtenAs = nullptr; // the name written, when not the typed one
};

class MainWindowSaveEndings : public MainWindowCommands, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(MainWindowSaveEndings, OnlyTheLastThreeCharactersDecide) {
    const SaveCase& c = GetParam();
    load(writeLandscape("land.bmp"));
    const std::string typed = path(c.fileName);
    const std::string file = c.writtenAs ? path(c.writtenAs) : typed;
    save(typed, c.filter);
    ASSERT_EQ(fileExists(file), c.written != Written::Nothing);
    if (c.written == Written::Nothing) {
        ASSERT_EQ(messages.size(), 1u) << "an ending Save does not write is reported";
        EXPECT_NE(messages[0].find(file), std::string::npos);
        EXPECT_NE(messages[0].find("Nothing was written"), std::string::npos);
    } else {
        EXPECT_TRUE(messages.empty());
    }
    if (c.written == Written::Screen) {
        EXPECT_EQ(fileBytes(file).size(), kScreenBytes);
    } else if (c.written == Written::Bmp) {
        TPicture back;
        back.LoadFromFile(file);
        EXPECT_EQ(rows(back), result());
    } else if (c.written == Written::Sprite) {
        const QByteArray bytes = fileBytes(file);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), Raw_Sprite(form.Image2->GetPicture(), form.Inks));
    }
}

INSTANTIATE_TEST_SUITE_P(, MainWindowSaveEndings,
                         ::testing::Values(SaveCase{"ScrWithDot", "x.scr", Written::Screen},
                                           SaveCase{"ScrWithoutDotGetsTheChosenEnding", "xscr", Written::Screen, 1, "xscr.scr"},
                                           SaveCase{"UpperCaseScr", "x.SCR", Written::Nothing},
                                           SaveCase{"BmpWithDot", "x.bmp", Written::Bmp},
                                           SaveCase{"BmpWithoutDotGetsTheChosenEnding", "xbmp", Written::Bmp, 0, "xbmp.bmp"},
                                           SaveCase{"MixedCaseBmp", "x.Bmp", Written::Nothing},
                                           SaveCase{"NoEndingWithBmpChosen", "coffee", Written::Bmp, 0, "coffee.bmp"},
                                           SaveCase{"NoEndingWithScreenChosen", "coffee", Written::Screen, 1, "coffee.scr"},
                                           SaveCase{"NoEndingWithSpriteChosen", "coffee", Written::Sprite, 2, "coffee.dat"},
                                           SaveCase{"EndingOfAnotherTypeIsKept", "x.scr", Written::Screen, 0},
                                           SaveCase{"RawSprite", "x.dat", Written::Sprite},
                                           SaveCase{"UpperCaseDat", "x.DAT", Written::Nothing}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowCommands, ScreenFileHoldsTheResultInScreenMemoryOrder) {
    load(writeLandscape("land.bmp"));
    chooseColour(form.Button5, 26);
    form.TrackBar3->SetPosition(-60);
    save(path("land.scr"));
    const QByteArray bytes = fileBytes(path("land.scr"));
    ASSERT_EQ(bytes.size(), kScreenBytes);

    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), screenOf(form.Image2->GetPicture(), form.Inks));
    InkTable inks = defaultInks();
    inks[3] = Ink_From_Colour_Number(26);
    EXPECT_EQ(result(), rows(convert(testing_pictures::landscape(), inks, -60, 0, 0).result));
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowCommands, BmpIsTheResultAtItsOwnSizeIn24Bits) {
    load(writeLandscape("land.bmp", 321, 77));
    form.SpeedButton2->click();
    save(path("out.bmp"));
    const QByteArray bytes = fileBytes(path("out.bmp"));
    ASSERT_GE(bytes.size(), 54);
    auto little = [&](int at, int count) {
        int value = 0;
        for (int i = count - 1; i >= 0; --i)
            value = value * 256 + static_cast<std::uint8_t>(bytes[at + i]);
        return value;
    };
    EXPECT_EQ(little(18, 4), 321) << "not the zoomed view";
    EXPECT_EQ(little(22, 4), 77);
    EXPECT_EQ(little(28, 2), 24);
    TPicture back;
    back.LoadFromFile(path("out.bmp"));
    EXPECT_EQ(rows(back), result());
}

struct ScreenSizeCase {
    const char* name;
    int width, height;
};

class MainWindowScreenSize : public MainWindowCommands, public ::testing::WithParamInterface<ScreenSizeCase> {};

TEST_P(MainWindowScreenSize, OnlyExactly320By200BecomesAScreenFile) {
    const ScreenSizeCase& c = GetParam();
    load(writeLandscape("land.bmp", c.width, c.height));
    save(path("x.scr"));
    form.ExportDiscClick(nullptr);
    form.ExportScreenClick(nullptr);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "This image hasn't the right dimensions. a .src file must be 320x200.");
    const std::string size = "The picture is " + std::to_string(c.width) + " x " + std::to_string(c.height) + "; ";
    EXPECT_EQ(messages[1], size + "a disc image needs 320 x 200: use Picture > Fit to CPC screen");
    EXPECT_EQ(messages[2], size + "a screen file needs 320 x 200: use Picture > Fit to CPC screen");
    EXPECT_FALSE(fileExists(path("x.scr")));
}

INSTANTIATE_TEST_SUITE_P(, MainWindowScreenSize,
                         ::testing::Values(ScreenSizeCase{"OneRowShort", 320, 199},
                                           ScreenSizeCase{"OneColumnLong", 321, 200},
                                           ScreenSizeCase{"Transposed", 200, 320}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowCommands, SavingBeforeAnyLoad) {
    save(path("x.scr"));
    save(path("x.bmp"));
    save(path("x.dat"));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "This image hasn't the right dimensions. a .src file must be 320x200.");
    EXPECT_EQ(messages[1], "There is no picture to save yet.");
    EXPECT_EQ(messages[2], "There is no picture to save yet.");
    for (const char* name : {"x.scr", "x.bmp", "x.dat"})
        EXPECT_FALSE(fileExists(path(name))) << name;
}

TEST_F(MainWindowCommands, ExportCommandsWriteTheCpcFiles) {
    form.ExportDiscClick(nullptr);
    form.ExportScreenClick(nullptr);
    EXPECT_TRUE(requests.empty()) << "no name is asked for a file that cannot be made";
    EXPECT_EQ(messages, std::vector<std::string>(2, "There is no picture to save yet."));

    answers = {path("My inks.pal")};
    form.ExportPaletteClick(nullptr);
    load(writeLandscape("land.bmp"));
    answers = {path("shot.scr"), path("land.dsk"), std::nullopt};
    form.ExportScreenClick(nullptr);
    form.ExportDiscClick(nullptr);
    form.ExportDiscClick(nullptr);
    const TPicture& shown = form.Image2->GetPicture();
    const auto asBytes = [](const QByteArray& bytes) { return Bytes(bytes.begin(), bytes.end()); };
    EXPECT_EQ(asBytes(fileBytes(path("My inks.pal"))), Palette_File_With_Header(form.Inks, "MYINKS"));
    EXPECT_EQ(asBytes(fileBytes(path("shot.scr"))), Screen_File_With_Header(shown, form.Inks, "SHOT"));
    EXPECT_EQ(asBytes(cpmFiles(path("land.dsk")).at("land.scr")), Screen_File_With_Header(shown, form.Inks, "LAND"));
    EXPECT_EQ(messages.size(), 2u);
    ASSERT_EQ(requests.size(), 5u) << "the last export was cancelled";
    EXPECT_EQ(requests[3].filter, "Disc image (*.dsk)|*.dsk");
}

TEST_F(MainWindowCommands, CancelledSaveWritesNothing) {
    load(writeLandscape("land.bmp"));
    answers.push_back(std::nullopt);
    form.SpeedButton5->click();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"land.bmp"});
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].kind, TFileDialogKind::Save);
}

TEST_F(MainWindowCommands, SavingOverAnExistingFileReplacesIt) {
    load(writeLandscape("land.bmp"));
    writeFile(path("old.scr"), QByteArray(20000, 'x'));
    writeFile(path("old.bmp"), "old");
    save(path("old.scr"));
    save(path("old.bmp"));
    EXPECT_TRUE(messages.empty());
    const QByteArray screen = fileBytes(path("old.scr"));
    EXPECT_EQ(Bytes(screen.begin(), screen.end()), screenOf(form.Image2->GetPicture(), form.Inks))
        << "the old file is replaced whole, not written over";
    TPicture back;
    back.LoadFromFile(path("old.bmp"));
    EXPECT_EQ(rows(back), result());
}

TEST_F(MainWindowCommands, FailedSaveShowsTheErrorAndKeepsTheOldFile) {
    load(writeLandscape("land.bmp"));
    const Bytes before = result();
    save(path("no such folder/x.scr"));
    save(path("no such folder/x.bmp"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("x.scr"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("x.bmp"), std::string::npos) << messages[1];
    EXPECT_FALSE(QDir(folder.filePath("no such folder")).exists());

    const QByteArray old(5000, 'o');
    writeFile(path("full.scr"), old);
    writeFile(path("full.bmp"), old);
    SetFileWriteLimitForTesting(100);
    save(path("full.scr"));
    save(path("full.bmp"));
    SetFileWriteLimitForTesting(-1);
    EXPECT_EQ(messages.size(), 4u) << "a short write is an error too";
    EXPECT_EQ(fileBytes(path("full.scr")), old);
    EXPECT_EQ(fileBytes(path("full.bmp")), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3) << "no temporary file left behind";
    EXPECT_EQ(result(), before);
    EXPECT_TRUE(form.CSpinEdit1->GetEnabled());
}

TEST_F(MainWindowCommands, EscapeNeverClosesTheMainWindow) {
    load(writeLandscape("land.bmp"));
    const Bytes before = result();
    QTest::keyClick(&form, Qt::Key_Escape);
    QTest::keyClick(form.TrackBar3, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(result(), before);
}

// ---- Automatic inks ----

} // namespace

// File > Export slideshow asks for the pictures (several at once), then
// each one's mode (the window's to begin with), then the disc, and writes
// through the engine's slideshow with the window's settings: here every ink
// kept, so a picture in the window's mode takes the window's inks, and one
// in another mode has all its inks chosen in that mode.
TEST_F(MainWindowCommands, ExportSlideshowWritesThePicturesChosenTogetherEachInItsMode) {
    load(writeLandscape("land.bmp"));
    for (int k = 0; k < 4; ++k)
        form.SetKeepInk(k, true);
    const std::vector<std::string> pictures = {writeLandscape("one.bmp"),
                                               writePicture("two.bmp", testing_pictures::random(160, 200, 5))};
    selectedFiles = pictures;
    answers = {pictures[0], path("show.dsk")};
    std::vector<int> shownModes;
    const TModalDriver fixtureDriver = SetModalDriver([&](TForm& shown) {
        auto& dialog = dynamic_cast<TSlideshowModesDialog&>(shown);
        shownModes = dialog.Modes();
        dialog.ModeBox(1)->setCurrentIndex(dialog.ModeBox(1)->findData(0));
        dialog.ButtonOk->click();
    });
    form.ExportSlideshowClick(nullptr);
    SetModalDriver(fixtureDriver);
    EXPECT_TRUE(answers.empty() && messages.empty()) << (messages.empty() ? "" : messages[0]);
    ASSERT_GE(requests.size(), 2u);
    EXPECT_NE(requests[requests.size() - 2].options & ofAllowMultiSelect, 0u);
    EXPECT_EQ(shownModes, std::vector<int>(2, kDefaultScreenMode));

    SlideshowSettings inWindowMode, inModeZero;
    inWindowMode.inks = Ink_List_Of(form.Inks);
    inModeZero.mode = 0;
    inModeZero.chooseInks = true;
    inModeZero.keptInks.assign(16, kChooseInk);
    Save_Slideshow(pictures, {inWindowMode, inModeZero}, path("expected.dsk"));
    const std::map<std::string, QByteArray> written = cpmFiles(path("show.dsk"));
    EXPECT_EQ(written.count("one.zx0") + written.count("two.zx0"), 2u);
    EXPECT_EQ(written, cpmFiles(path("expected.dsk")));
}

// A slideshow its viewer cannot show is refused before any file is asked
// for: the full screen, and CPC+ colours.
TEST_F(MainWindowCommands, ExportSlideshowRefusesWhatItsViewerCannotShow) {
    for (const auto& [option, told] : {std::pair{form.actionFullScreen, "Full screen (overscan)"},
                                       {form.actionPlusColours, "CPC+ colours"}}) {
        option->trigger();
        messages.clear();
        form.ExportSlideshowClick(nullptr);
        ASSERT_EQ(messages.size(), 1u) << told;
        EXPECT_NE(messages[0].find(told), std::string::npos) << messages[0];
        option->trigger();
    }
    EXPECT_TRUE(requests.empty());
}
