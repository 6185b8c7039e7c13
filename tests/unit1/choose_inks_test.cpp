// The main window's automatic inks: the choice applied as the colour dialog would, kept inks, and searches that change nothing.

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

using namespace main_window_testing;

struct KeepCase {
    const char* name;
    std::array<bool, kInkCount> keep;
    friend void PrintTo(const KeepCase& c, std::ostream* out) { *out << c.name; }
};

class MainWindowChoosesInks : public MainWindowCommands, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(MainWindowChoosesInks, AppliesTheChoiceAsTheColourDialogWould) {
    load(writeLandscape("land.bmp"));
    chooseColour(form.Button3, 6);
    InkNumbers kept;
    for (int k = 0; k < kInkCount; ++k) {
        form.SetKeepInk(k, GetParam().keep[static_cast<std::size_t>(k)]);
        kept[static_cast<std::size_t>(k)] = GetParam().keep[static_cast<std::size_t>(k)]
                                                ? std::vector<int>{0, 6, 15, 26}[static_cast<std::size_t>(k)]
                                                : kChooseInk;
    }
    form.InkSearchProgressDelay = 600000; // long enough for no progress window to show
    form.ChooseInksClick(nullptr);

    const Conversion picture = convert(form.Image1->GetPicture(), form.Inks, 0, 0, 0);
    const InkNumbers chosen = Choose_Inks(Ink_Search_Cells_Of(picture.source, picture.map, 0, 0, 0), kept, {}).numbers;
    const TShape* swatches[] = {form.Shape1, form.Shape2, form.Shape3, form.Shape4};
    const TLabel* labels[] = {form.Label6, form.Label7, form.Label8, form.Label9};
    for (std::size_t k = 0; k < kInkCount; ++k) {
        EXPECT_EQ(labels[k]->GetText(), std::to_string(chosen[k])) << "ink " << k;
        EXPECT_EQ(swatches[k]->Brush->GetColor(), colourDialog.Swatch(chosen[k])->GetColor()) << "ink " << k;
    }
    EXPECT_EQ(form.Inks, Inks_Of_Numbers(chosen));
    EXPECT_EQ(result(), rows(convert(form.Image1->GetPicture(), form.Inks, 0, 0, 0).result));
}

INSTANTIATE_TEST_SUITE_P(, MainWindowChoosesInks,
                         ::testing::Values(KeepCase{"AllFour", {false, false, false, false}},
                                           KeepCase{"KeepingInks1And3", {false, true, false, true}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowCommands, AKeptInkIsTheInkInUseNotItsLabel) {
    load(writeLandscape("land.bmp"));
    chooseColour(form.Button3, 24);
    form.Close();
    form.Show(); // resets the inks, not the labels
    form.SetKeepInk(1, true);
    form.InkSearchProgressDelay = 600000;
    form.ChooseInksClick(nullptr);
    EXPECT_EQ(form.Inks[1], Ink_From_Colour_Number(3));
    EXPECT_EQ(form.Label7->GetText(), "3");
}

struct NoChoiceCase {
    const char* name;
    bool loaded;
    std::function<void(TForm&)> answer; // how the progress window is closed
    friend void PrintTo(const NoChoiceCase& c, std::ostream* out) { *out << c.name; }
};

class MainWindowInkSearchChangesNothing : public MainWindowCommands,
                                          public ::testing::WithParamInterface<NoChoiceCase> {};

TEST_P(MainWindowInkSearchChangesNothing, LeavesInksSwatchesLabelsAndResult) {
    if (GetParam().loaded)
        load(writeLandscape("land.bmp"));
    int progressShown = 0;
    const TModalDriver fixtureDriver = SetModalDriver([&](TForm& shown) {
        ++progressShown;
        EXPECT_NE(dynamic_cast<TInkSearchProgress*>(&shown), nullptr);
        GetParam().answer(shown);
    });
    const InkTable inks = form.Inks;
    const Bytes before = result();
    form.InkSearchProgressDelay = 0; // the progress window at once
    form.ChooseInksClick(nullptr);
    SetModalDriver(fixtureDriver);

    EXPECT_EQ(progressShown, GetParam().loaded ? 1 : 0);
    EXPECT_EQ(form.Inks, inks);
    EXPECT_EQ(result(), before);
    EXPECT_EQ(form.Label6->GetText() + form.Label7->GetText() + form.Label8->GetText() + form.Label9->GetText(),
              "031526");
    EXPECT_EQ(form.Shape2->Brush->GetColor(), (TColor{128, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    , MainWindowInkSearchChangesNothing,
    ::testing::Values(NoChoiceCase{"BeforeAnyPicture", false, [](TForm&) {}},
                      NoChoiceCase{"CancelButton", true,
                                   [](TForm& shown) {
                                       QTest::mouseClick(static_cast<TInkSearchProgress&>(shown).Button1,
                                                         Qt::LeftButton);
                                   }},
                      NoChoiceCase{"Escape", true, [](TForm& shown) { QTest::keyClick(&shown, Qt::Key_Escape); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
