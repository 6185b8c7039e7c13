// Undo and redo, the close question, the crop window, settings and palettes
// in the main window.
#include <algorithm>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QMouseEvent>
#include <QSettings>
#include <QTest>

#include "History.h"
#include "MainWindowFixture.h"
#include "OcpPalette.h"
#include "RawFile.h"
#include "StartOptions.h"
#include "WindowSettings.h"

namespace {

using namespace main_window_testing;

// ---- Undo and redo ----

enum class Change {
    InkDialog,
    AutomaticInks,
    Palette,
    SliderRun,
    NumberTyped,
    Stretch,
    Fit,
    CropKeys,
    ScreenMode,
    Dither
};

struct UndoCase {
    const char* name;
    const char* step; // as the Edit menu names it
    Change change;
    int mode = kDefaultScreenMode; // the screen mode the picture is loaded in
};

void trigger(QAction* item) {
    item->trigger();
}

class MainWindowUndo : public MainWindowCommands, public ::testing::WithParamInterface<UndoCase> {
  protected:
    // Each number box shows its slider's position.
    void expectNumbersInStep() {
        EXPECT_EQ(form.EditLocal->GetValue(), form.TrackBar1->GetPosition());
        EXPECT_EQ(form.EditBrightness->GetValue(), form.TrackBar3->GetPosition());
        EXPECT_EQ(form.EditContrast->GetValue(), form.TrackBar4->GetPosition());
    }

    void make(Change change) {
        switch (change) {
        case Change::InkDialog:
            return chooseColour(form.Button3, 24);
        case Change::AutomaticInks:
            return trigger(form.actionChooseInks);
        case Change::Palette: {
            const auto bytes =
                Ocp_Palette({Ink_From_Colour_Number(1), Ink_From_Colour_Number(2),
                             Ink_From_Colour_Number(20), Ink_From_Colour_Number(24)});
            Write_Raw_File(bytes.data(), bytes.size(), path("p.pal"));
            return form.LoadInksFromPalette(path("p.pal"));
        }
        case Change::SliderRun:
            for (int position : {100, 200, 300})
                form.TrackBar3->SetPosition(position);
            return;
        case Change::NumberTyped:
            return form.EditLocal->setValue(9000);
        case Change::Stretch:
            return clickStretch();
        case Change::Fit:
            return trigger(form.actionFitPad);
        case Change::CropKeys:
            trigger(form.actionCropLeft);
            return trigger(form.actionCropLeft);
        case Change::ScreenMode:
            return form.SetScreenChoice({0, form.ScreenChoice.dither});
        case Change::Dither:
            return form.SetScreenChoice({form.ScreenChoice.mode, TDither::Ordered4});
        }
    }
};

TEST_P(MainWindowUndo, UndoPutsTheResultBackAndRedoMakesItAgain) {
    const UndoCase& c = GetParam();
    form.SetScreenChoice({c.mode, TDither::Classic});
    load(writeLandscape("land.bmp"));
    if (c.change == Change::CropKeys)
        trigger(form.actionFitCrop);
    const Bytes before = result();
    const InkTable inksBefore = form.Inks;
    const TScreenChoice choiceBefore = form.ScreenChoice;
    make(c.change);
    const Bytes after = result();
    const InkTable inksAfter = form.Inks;
    ASSERT_TRUE(after != before || inksAfter != inksBefore) << "the change shows";
    expectNumbersInStep();
    EXPECT_EQ(form.actionUndo->text().toStdString(), std::string("&Undo ") + c.step);
    trigger(form.actionUndo);
    EXPECT_EQ(result(), before);
    EXPECT_EQ(form.Inks, inksBefore);
    EXPECT_EQ(form.ScreenChoice, choiceBefore);
    expectNumbersInStep();
    EXPECT_EQ(form.actionRedo->text().toStdString(), std::string("&Redo ") + c.step);
    trigger(form.actionRedo);
    EXPECT_EQ(result(), after);
    EXPECT_EQ(form.Inks, inksAfter);
    EXPECT_FALSE(form.actionRedo->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    , MainWindowUndo,
    ::testing::Values(UndoCase{"InkFromTheDialog", "Set ink #1", Change::InkDialog},
                      UndoCase{"AutomaticInks", "Automatic inks", Change::AutomaticInks},
                      UndoCase{"InksFromAPalette", "Load inks from palette", Change::Palette},
                      UndoCase{"ARunOfSliderMovesIsOneStep", "Brightness", Change::SliderRun},
                      UndoCase{"ANumberTyped", "Local contrast", Change::NumberTyped},
                      UndoCase{"Stretch", "Stretch palette", Change::Stretch},
                      UndoCase{"Fit", "Fit pad", Change::Fit},
                      UndoCase{"CropWindowByKeys", "Move crop window", Change::CropKeys},
                      UndoCase{"CropWindowByKeysInMode0", "Move crop window", Change::CropKeys, 0},
                      UndoCase{"ScreenMode", "Screen mode", Change::ScreenMode},
                      UndoCase{"Dither", "Dither", Change::Dither, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowHistory, KeepsTheLatestHundredSteps) {
    THistory history;
    TWorkState state;
    for (state.brightness = 1; state.brightness <= 150; ++state.brightness)
        history.Record("Brightness", state);
    int undone = 0;
    for (; history.CanUndo(); ++undone)
        history.Undo();
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(history.Current().brightness, 50);
}

// ---- The close question ----

enum class SaveOutcome { NotAsked, Written, DialogCancelled, WriteFails };

struct CloseCase {
    const char* name;
    bool change;
    TSaveChangesAnswer answer;
    SaveOutcome save;
    bool closes;
};

class MainWindowClose : public MainWindowCommands,
                        public ::testing::WithParamInterface<CloseCase> {};

TEST_P(MainWindowClose, AsksAboutChangedWorkOnly) {
    const CloseCase& c = GetParam();
    load(writeLandscape("land.bmp"));
    if (c.change)
        form.TrackBar3->SetPosition(120);
    saveAnswers.push_back(c.answer);
    if (c.save == SaveOutcome::Written)
        answers.push_back(path("out.bmp"));
    else if (c.save == SaveOutcome::DialogCancelled)
        answers.push_back(std::nullopt);
    else if (c.save == SaveOutcome::WriteFails)
        answers.push_back(path("missing/out.bmp"));
    EXPECT_EQ(form.close(), c.closes);
    EXPECT_EQ(form.isVisible(), !c.closes);
    EXPECT_EQ(questions,
              c.change ? std::vector<std::string>{"Save changes to land.bmp before closing it?"}
                       : std::vector<std::string>{});
    EXPECT_EQ(fileExists(path("out.bmp")), c.save == SaveOutcome::Written);
    EXPECT_EQ(messages.size(), c.save == SaveOutcome::WriteFails ? 1u : 0u);
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(form.Image2->GetPicture().GetWidth(), 320) << "the picture stays either way";
}

INSTANTIATE_TEST_SUITE_P(
    , MainWindowClose,
    ::testing::Values(
        CloseCase{"Unchanged", false, TSaveChangesAnswer::Cancel, SaveOutcome::NotAsked, true},
        CloseCase{"Discard", true, TSaveChangesAnswer::Discard, SaveOutcome::NotAsked, true},
        CloseCase{"Cancel", true, TSaveChangesAnswer::Cancel, SaveOutcome::NotAsked, false},
        CloseCase{"Save", true, TSaveChangesAnswer::Save, SaveOutcome::Written, true},
        CloseCase{"SaveCancelled", true, TSaveChangesAnswer::Save, SaveOutcome::DialogCancelled,
                  false},
        CloseCase{"SaveFails", true, TSaveChangesAnswer::Save, SaveOutcome::WriteFails, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Saved work asks nothing; opening another picture over changed work asks.
TEST_F(MainWindowCommands, OpeningOverChangedWorkAsksFirst) {
    load(writeLandscape("land.bmp"));
    form.TrackBar3->SetPosition(50);
    save(path("land-saved.bmp"));
    load(writeLandscape("other.bmp", 100, 80));
    EXPECT_TRUE(questions.empty());
    form.TrackBar3->SetPosition(60);
    saveAnswers.push_back(TSaveChangesAnswer::Cancel);
    load(writeLandscape("third.bmp", 90, 70));
    EXPECT_EQ(questions, std::vector<std::string>{"Save changes to other.bmp before closing it?"});
    EXPECT_EQ(form.Image2->GetPicture().GetWidth(), 100) << "cancelled: the picture stays";
}

// ---- The crop window ----

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A 100 x 200 picture shows 200 screen pixels high in Pad's view, as its
// crop window's 68 rows spare 132: a drag of 66 pixels down is half of them.
TEST_F(MainWindowCommands, DraggingTheResultMovesTheCropWindow) {
    trigger(form.actionFitCrop);
    const TPicture tall = testing_pictures::landscape(100, 200);
    load(writePicture("tall.bmp", tall));
    sendMouse(form.Image2, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton);
    sendMouse(form.Image2, QEvent::MouseMove, {50, 116}, Qt::LeftButton);
    EXPECT_FALSE(form.Image2->ShowsOwnPicture()) << "the whole picture shows while dragging";
    sendMouse(form.Image2, QEvent::MouseButtonRelease, {50, 116}, Qt::NoButton);
    EXPECT_TRUE(form.Image2->ShowsOwnPicture());
    EXPECT_EQ(form.CropAt.x, 0.5);
    EXPECT_NEAR(form.CropAt.y, 1.0, 0.02);
    TPicture copy, fitted;
    copy.Assign(tall.Image());
    Fit_To_Screen(copy, fitted, TFitMode::Crop, Screen_Mode(kDefaultScreenMode), form.CropAt);
    EXPECT_EQ(source(), rows(fitted));
    EXPECT_EQ(form.actionUndo->text(), "&Undo Move crop window");
}

// ---- Settings ----

TEST_F(MainWindowCommands, SettingsComeBackInTheNextRunAndResetForgetsThem) {
    QSettings settings(folder.filePath("settings.ini"), QSettings::IniFormat);
    form.UseSettings(&settings);
    trigger(form.actionFitPad);
    form.SpeedButton2->click();
    const TScreenChoice choice{0, TDither::Ordered4, TScreen::Overscan};
    form.SetScreenChoice(choice);
    trigger(form.actionMonitorGreen);
    trigger(form.actionCpcProportions);
    const std::string picture = writeLandscape("land.bmp");
    load(picture);
    form.Close();

    TForm1 next;
    next.UseSettings(&settings);
    EXPECT_EQ(next.FitMode, TFitMode::Pad);
    EXPECT_EQ(next.CSpinEdit1->GetValue(), 2);
    EXPECT_EQ(next.ScreenChoice, choice);
    EXPECT_EQ(next.Monitor, TMonitor::Green);
    EXPECT_TRUE(next.CpcProportions);
    // A mode or dither on the command line wins over the kept one.
    EXPECT_EQ(Start_Screen_Choice(Parse_Start_Options({"--dither", "none"}), next.ScreenChoice),
              (TScreenChoice{0, TDither::None, TScreen::Overscan}));
    EXPECT_EQ(next.RecentFiles, std::vector<std::string>{picture});
    EXPECT_EQ(next.OpenPictureDialog1.GetInitialDir(), folder.path().toStdString());
    EXPECT_FALSE(next.actionUndo->isEnabled()) << "kept settings are not a step";

    settings.clear();
    TForm1 reset;
    reset.UseSettings(&settings);
    const TWindowSettings start;
    EXPECT_EQ(reset.FitMode, start.fit);
    EXPECT_EQ(reset.ScreenChoice, TScreenChoice{});
    EXPECT_EQ(reset.Monitor, TMonitor::Plain);
    EXPECT_EQ(reset.CSpinEdit1->GetValue(), start.zoom);
    EXPECT_TRUE(reset.RecentFiles.empty());
    EXPECT_FALSE(reset.menuRecent->isEnabled());
}

// Open starts on all pictures, then on the entry chosen last.
TEST_F(MainWindowCommands, OpenRemembersTheFilterChosen) {
    filterChoice = 2;
    load(writeLandscape("land.bmp"));
    load(writeLandscape("land.bmp"));
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].filterIndex, 1);
    EXPECT_EQ(requests[1].filterIndex, 2);
}

// Undo before any picture goes back to the inks the window was shown with.
TEST_F(MainWindowCommands, UndoBeforeAPictureGoesBackToTheShownInks) {
    chooseColour(form.Button3, 24);
    trigger(form.actionUndo);
    EXPECT_EQ(form.Inks, defaultInks());
    EXPECT_EQ(form.Label7->GetText(), "3");
}

// ---- Palettes ----

TEST_F(MainWindowCommands, AnExportedPaletteLoadsTheSameInksBack) {
    chooseColour(form.Button2, 13);
    chooseColour(form.Button5, 20);
    const InkTable exported = form.Inks;
    answers.push_back(path("inks.pal"));
    form.ExportPaletteClick(nullptr);
    chooseColour(form.Button2, 1);
    chooseColour(form.Button5, 2);
    answers.push_back(path("inks.pal"));
    trigger(form.actionLoadPalette);
    for (std::size_t k = 0; k < kInkCount; ++k)
        EXPECT_EQ(Colour_Number_Of_Ink(form.Inks[k]), Colour_Number_Of_Ink(exported[k])) << k;
    EXPECT_EQ(form.Label6->GetText(), "13");
    EXPECT_EQ(form.Label9->GetText(), "20");

    // A mode 0 palette brings its mode and all sixteen inks, in one step.
    InkList sixteen;
    for (int k = 0; k < kMaxInkCount; ++k)
        sixteen.push_back(Ink_From_Colour_Number(26 - k));
    const auto mode0 = Ocp_Palette(sixteen, Screen_Mode(0));
    Write_Raw_File(mode0.data(), mode0.size(), path("mode0.pal"));
    const InkTable before = form.Inks;
    form.LoadInksFromPalette(path("mode0.pal"));
    EXPECT_EQ(form.ScreenChoice.mode, 0);
    EXPECT_EQ(form.ModeInks(), sixteen);
    EXPECT_EQ(form.Palette->GetNumberText(15), "11");
    EXPECT_TRUE(messages.empty());
    trigger(form.actionUndo);
    EXPECT_EQ(form.ScreenChoice.mode, 1);
    EXPECT_EQ(form.Inks, before);
}

} // namespace

namespace {

// Tab runs as the eye reads the tool strip: its buttons, the inks, each
// modifier's slider and number, then the picture. Mode 0's sixteen swatches
// take the four ink buttons' place, in reading order.
TEST(MainWindowKeyboard, TabFollowsTheScreen) {
    TForm1 form;
    form.Show();
    const auto tabOrder = [&form] {
        std::vector<QWidget*> order;
        QWidget* at = form.SpeedButton1;
        do {
            // A number box's text field takes the focus for its box.
            const bool insideBox = qobject_cast<QAbstractSpinBox*>(at->parentWidget());
            if (at->isVisible() && at->isEnabled() && (at->focusPolicy() & Qt::TabFocus) && !insideBox)
                order.push_back(at);
            at = at->nextInFocusChain();
        } while (at != form.SpeedButton1 && order.size() < 40);
        return order;
    };
    const std::vector<QWidget*> expected = {
        form.SpeedButton1, form.SpeedButton5,   form.Panel2,    form.SpeedButton2,
        form.SpeedButton3, form.SpeedButton4,   form.Button2,   form.Button3,
        form.Button4,      form.Button5,        form.TrackBar1, form.EditLocal,
        form.TrackBar3,    form.EditBrightness, form.TrackBar4, form.EditContrast,
        form.ScrollBox1};
    EXPECT_EQ(tabOrder(), expected);
    form.SetScreenChoice({0, TDither::Classic});
    std::vector<QWidget*> mode0 = expected;
    auto inks = mode0.erase(std::find(mode0.begin(), mode0.end(), form.Button2), std::find(mode0.begin(), mode0.end(), form.TrackBar1));
    for (int k = kMaxInkCount - 1; k >= 0; --k)
        inks = mode0.insert(inks, form.findChild<QWidget*>(QStringLiteral("InkSwatch%1").arg(k)));
    EXPECT_EQ(tabOrder(), mode0);
    form.Close();
}

} // namespace

namespace {

// Undo pressed in the middle of a drag takes the crop away: the drag ends
// instead of reading the picture that went with it.
TEST_F(MainWindowCommands, UndoDuringACropDragEndsTheDrag) {
    load(writeLandscape("land.bmp"));
    form.actionFitCrop->trigger();
    sendMouse(form.Image2, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton);
    form.actionUndo->trigger();
    sendMouse(form.Image2, QEvent::MouseMove, {10, 50}, Qt::LeftButton);
    sendMouse(form.Image2, QEvent::MouseButtonRelease, {10, 50}, Qt::NoButton);
    EXPECT_EQ(form.FitMode, TFitMode::Off);
    EXPECT_TRUE(form.Image2->ShowsOwnPicture());
}

} // namespace

namespace {

// A render asked for before the drag (by the fit) lands while dragging: the
// preview stays in view.
TEST_F(MainWindowCommands, ARenderDuringACropDragKeepsThePreview) {
    load(writeLandscape("land.bmp"));
    form.actionFitCrop->trigger();
    sendMouse(form.Image2, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton);
    form.FlushRender();
    EXPECT_FALSE(form.Image2->ShowsOwnPicture());
    sendMouse(form.Image2, QEvent::MouseButtonRelease, {50, 50}, Qt::NoButton);
    EXPECT_TRUE(form.Image2->ShowsOwnPicture());
}

} // namespace
