#include <array>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QTest>

#include "Colorselect.h"
#include "CpcPalette.h"
#include "SysUtils.h"

namespace {

// One showing of the dialog, worked by the given steps from inside its modal
// loop, as the user would.
void showAndDo(TF_ColorSelect& dialog, const std::function<void(TF_ColorSelect&)>& steps) {
    const TModalDriver previous = SetModalDriver([&](TForm&) { steps(dialog); });
    dialog.ShowModal();
    SetModalDriver(previous);
    ASSERT_FALSE(dialog.isVisible());
}

void clickSwatch(TF_ColorSelect& dialog, int number) {
    QTest::mouseClick(dialog.Swatch(number), Qt::LeftButton);
}
void pressOk(TF_ColorSelect& dialog) {
    QTest::mouseClick(dialog.Button2, Qt::LeftButton);
}
void pressCancel(TF_ColorSelect& dialog) {
    QTest::mouseClick(dialog.Button1, Qt::LeftButton);
}

std::string result(const TF_ColorSelect& dialog) {
    return dialog.Label3->GetText();
}
TColor preview(const TF_ColorSelect& dialog) {
    return dialog.Shape2->Brush->GetColor();
}

TEST(ColorSelect, OkWithoutASwatchOnTheFirstShowingGivesNothing) {
    TF_ColorSelect dialog;
    showAndDo(dialog, pressOk);
    EXPECT_EQ(result(dialog), "");
    EXPECT_EQ(preview(dialog), clWhite);
}

// The buttons' strip once carried two stray bevel lines at its left.
TEST(ColorSelect, DrawsNoLinesBesideItsControls) {
    const TF_ColorSelect dialog;
    EXPECT_TRUE(dialog.findChildren<TBevel*>().isEmpty());
}

TEST(ColorSelect, ChoiceIsKeptAcrossShowings) {
    TF_ColorSelect dialog;
    showAndDo(dialog, [](TF_ColorSelect& d) {
        clickSwatch(d, 5);
        EXPECT_TRUE(d.isVisible()) << "a swatch click leaves the dialog open";
        pressOk(d);
    });
    EXPECT_EQ(result(dialog), "5");
    EXPECT_EQ(preview(dialog), (TColor{128, 0, 255}));

    showAndDo(dialog, pressOk);
    EXPECT_EQ(result(dialog), "5");
    EXPECT_EQ(preview(dialog), (TColor{128, 0, 255}));
}

struct DismissCase {
    const char* name;
    std::function<void(TF_ColorSelect&)> dismiss;
};

class DismissingTheDialog : public ::testing::TestWithParam<DismissCase> {};

TEST_P(DismissingTheDialog, GivesNothingWhateverWasClicked) {
    TF_ColorSelect dialog;
    showAndDo(dialog, [](TF_ColorSelect& d) {
        clickSwatch(d, 5);
        pressOk(d);
    });
    ASSERT_EQ(result(dialog), "5");

    showAndDo(dialog, [](TF_ColorSelect& d) {
        clickSwatch(d, 9);
        GetParam().dismiss(d);
    });
    EXPECT_EQ(result(dialog), "");
    EXPECT_EQ(preview(dialog), (TColor{0, 128, 0})) << "the preview shows the last swatch clicked";

    showAndDo(dialog, pressOk);
    EXPECT_EQ(result(dialog), "9") << "the number label kept the last swatch clicked";
}

INSTANTIATE_TEST_SUITE_P(
    ColorSelect, DismissingTheDialog,
    ::testing::Values(DismissCase{"CancelButton", pressCancel},
                      DismissCase{"WindowCloseButton", [](TF_ColorSelect& d) { d.close(); }},
                      DismissCase{"EscapeKey",
                                  [](TF_ColorSelect& d) { QTest::keyClick(&d, Qt::Key_Escape); }}),
    [](const ::testing::TestParamInfo<DismissCase>& info) { return std::string(info.param.name); });

std::uint8_t channelOf(int intensity) {
    return intensity == 0 ? 0 : intensity == 1 ? 128 : 255;
}

TEST(ColorSelect, EverySwatchAgreesWithItsColourNumber) {
    TF_ColorSelect dialog;
    for (int n = 0; n < kColourCount; ++n) {
        SCOPED_TRACE("colour " + std::to_string(n));
        const int g = n / 9, r = (n / 3) % 3, b = n % 3;
        TPanel* swatch = dialog.Swatch(n);
        ASSERT_NE(swatch, nullptr);
        EXPECT_EQ(swatch->objectName().toStdString(), "Panel" + std::to_string(n + 1));
        EXPECT_EQ(swatch->GetTag(), n);
        EXPECT_EQ(swatch->GetColor(), (TColor{channelOf(r), channelOf(g), channelOf(b)}));
        EXPECT_EQ(swatch->GetLeft(), 8 + 104 * g + 32 * b);
        EXPECT_EQ(swatch->GetTop(), 8 + 24 * r);
        EXPECT_EQ(swatch->GetBevelOuter(), TPanel::bvLowered);
    }
}

TEST(ColorSelect, EverySwatchClickShowsItsColourAndNumber) {
    TF_ColorSelect dialog;
    dialog.Show();
    for (int n = 0; n < kColourCount; ++n) {
        clickSwatch(dialog, n);
        EXPECT_EQ(dialog.Label2->GetText(), IntToStr(n));
        EXPECT_EQ(preview(dialog), dialog.Swatch(n)->GetColor());
        EXPECT_TRUE(dialog.Swatch(n)->GetMarked()) << "the swatch clicked last is marked";
        if (n > 0) {
            EXPECT_FALSE(dialog.Swatch(n - 1)->GetMarked());
        }
    }
    dialog.Close();
}

class ColorSelectEnter : public ::testing::TestWithParam<Qt::Key> {};

TEST_P(ColorSelectEnter, PressesOk) {
    TF_ColorSelect dialog;
    showAndDo(dialog, [](TF_ColorSelect& d) {
        clickSwatch(d, 5);
        QTest::keyClick(&d, GetParam());
    });
    EXPECT_EQ(result(dialog), "5");
}

INSTANTIATE_TEST_SUITE_P(, ColorSelectEnter, ::testing::Values(Qt::Key_Return, Qt::Key_Enter),
                         [](const auto& info) { return info.param == Qt::Key_Return ? "Return" : "KeypadEnter"; });

// The Plus form, worked from the keyboard alone: keys go to the control with
// the focus, as the user's do.
struct PlusKeysCase {
    const char* name;
    int start;
    std::vector<QKeyCombination> keys;
    const char* chosen; // the result text; empty when the dialog gives nothing
};

class ColorSelectPlusForm : public ::testing::TestWithParam<PlusKeysCase> {};

TEST_P(ColorSelectPlusForm, ChoosesALevelAChannelFromTheKeyboard) {
    TF_ColorSelect dialog;
    dialog.OpenOnInk(3, GetParam().start, TPalette::Plus);
    showAndDo(dialog, [](TF_ColorSelect& d) {
        // A number box takes the focus with its text selected in an active window only.
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        EXPECT_TRUE(d.PlusForm->isVisible());
        EXPECT_FALSE(d.Swatch(0)->isVisible());
        for (const QKeyCombination key : GetParam().keys)
            QTest::keyClick(d.focusWidget(), key.key(), key.keyboardModifiers());
    });
    EXPECT_EQ(result(dialog), GetParam().chosen);
    const Palette& plus = Palette_Of(TPalette::Plus);
    const int shown = Palette_Colour_From_Text(plus, dialog.PlusText->GetText());
    const Ink ink = Palette_Ink(plus, shown);
    EXPECT_EQ(preview(dialog), (TColor{ink.r, ink.g, ink.b}));
    EXPECT_EQ(dialog.PlusSwatch->Brush->GetColor(), preview(dialog));
    const std::array<TTrackBar*, 3> sliders = {dialog.RedSlider, dialog.GreenSlider, dialog.BlueSlider};
    const std::array<TCSpinEdit*, 3> boxes = {dialog.RedBox, dialog.GreenBox, dialog.BlueBox};
    for (int channel = 0; channel < 3; ++channel) {
        const auto i = static_cast<std::size_t>(channel);
        EXPECT_EQ(sliders[i]->GetPosition(), shown >> (4 * (2 - channel)) & 15) << "channel " << channel;
        EXPECT_EQ(boxes[i]->GetValue(), sliders[i]->GetPosition()) << "channel " << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(
    ColorSelect, ColorSelectPlusForm,
    ::testing::Values(PlusKeysCase{"EnterAtOnceKeepsTheInksColour", 0x8C3, {Qt::Key_Return}, "8C3"},
                      PlusKeysCase{"ArrowsMoveRedFirst", 0x000, {Qt::Key_Right, Qt::Key_Up, Qt::Key_Return}, "200"},
                      PlusKeysCase{"TabGoesFromSliderToBoxToTheNextSlider", 0x000,
                                   {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Right, Qt::Key_Enter}, "010"},
                      PlusKeysCase{"ATypedLevelIsTakenByEnter", 0x000,
                                   {Qt::Key_Tab, Qt::Key_1, Qt::Key_2, Qt::Key_Return}, "C00"},
                      PlusKeysCase{"ShiftTabGoesBack", 0x000,
                                   {Qt::Key_Tab, Qt::Key_Tab, Qt::ShiftModifier | Qt::Key_Tab, Qt::Key_1, Qt::Key_Return},
                                   "100"},
                      PlusKeysCase{"LevelsStopAtTheirEnds", 0xF0F,
                                   {Qt::Key_Right, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Left, Qt::Key_End, Qt::Key_Return},
                                   "FFF"},
                      PlusKeysCase{"EscapeGivesNothing", 0x123, {Qt::Key_Right, Qt::Key_Escape}, ""}),
    [](const ::testing::TestParamInfo<PlusKeysCase>& info) { return std::string(info.param.name); });

// The same dialog opened on a CPC ink after a CPC+ one shows its swatches again.
TEST(ColorSelect, OpenedOnACpcInkAfterACpcPlusOneShowsTheSwatches) {
    TF_ColorSelect dialog;
    dialog.OpenOnInk(0, 0xF80, TPalette::Plus);
    dialog.OpenOnInk(0, 13);
    showAndDo(dialog, pressOk);
    EXPECT_FALSE(dialog.PlusForm->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.Swatch(13)->isVisibleTo(&dialog) && dialog.Swatch(13)->GetMarked());
    EXPECT_EQ(result(dialog), "13");
}

} // namespace

// Opened on an ink's colour, the dialog shows it chosen; the arrow keys move
// the mark over the nine columns and three rows, stopping at the edges; Enter
// hands back the marked colour.
struct ArrowCase {
    const char* name;
    int start;
    std::vector<Qt::Key> keys;
    int chosen;
};

class ColorSelectOpenedOnAnInk : public ::testing::TestWithParam<ArrowCase> {};

TEST_P(ColorSelectOpenedOnAnInk, ChoosesWithTheArrowKeysAndEnter) {
    TF_ColorSelect dialog;
    showAndDo(dialog, [](TF_ColorSelect& d) { // a choice left by an earlier showing
        clickSwatch(d, 20);
        pressOk(d);
    });
    dialog.OpenOnInk(5, GetParam().start);
    showAndDo(dialog, [](TF_ColorSelect& d) {
        EXPECT_EQ(d.GetCaption(), "Ink #5");
        EXPECT_EQ(d.Label2->GetText(), IntToStr(GetParam().start));
        EXPECT_EQ(preview(d), d.Swatch(GetParam().start)->GetColor());
        EXPECT_TRUE(d.Swatch(GetParam().start)->GetMarked());
        for (const Qt::Key key : GetParam().keys)
            QTest::keyClick(&d, key);
        QTest::keyClick(&d, Qt::Key_Return);
    });
    EXPECT_EQ(result(dialog), IntToStr(GetParam().chosen));
    EXPECT_EQ(preview(dialog), dialog.Swatch(GetParam().chosen)->GetColor());
    EXPECT_TRUE(dialog.Swatch(GetParam().chosen)->GetMarked());
}

INSTANTIATE_TEST_SUITE_P(
    ColorSelect, ColorSelectOpenedOnAnInk,
    ::testing::Values(ArrowCase{"EnterAtOnceKeepsTheInksColour", 13, {}, 13},
                      ArrowCase{"RightIsOneBlueStepMore", 13, {Qt::Key_Right}, 14},
                      ArrowCase{"DownIsOneRedStepMore", 13, {Qt::Key_Down}, 16},
                      ArrowCase{"RightCrossesIntoTheNextGreenBlock", 2, {Qt::Key_Right}, 9},
                      ArrowCase{"LeftAndUpStopAtTheEdge", 0, {Qt::Key_Left, Qt::Key_Up}, 0},
                      ArrowCase{"RightAndDownStopAtTheEdge", 26, {Qt::Key_Right, Qt::Key_Down}, 26},
                      ArrowCase{"AWalkOverTheBlocks", 0, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left}, 5}),
    [](const ::testing::TestParamInfo<ArrowCase>& info) { return std::string(info.param.name); });
