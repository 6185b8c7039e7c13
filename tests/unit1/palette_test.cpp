// Palette > CPC+ colours: the switch keeps the inks, is one step, shows in
// the swatches and the title, and is kept between runs (--palette: modes_test).
#include <algorithm>
#include <array>
#include <string>

#include <gtest/gtest.h>

#include <QSettings>

#include "CpcPalette.h"
#include "MainWindowFixture.h"

namespace {

using namespace main_window_testing;

// The CPC+ level of each CPC intensity after a switch: the nearest by value.
constexpr std::array<int, 3> kPlusLevelOfIntensity = {0, 7, 15};

std::array<Ink, kMaxInkCount> allInks(const TForm1& form) {
    std::array<Ink, kMaxInkCount> inks{};
    for (int k = 0; k < kMaxInkCount; ++k)
        inks[static_cast<std::size_t>(k)] = k < kInkCount ? form.Inks[static_cast<std::size_t>(k)]
                                                          : form.UpperInks[static_cast<std::size_t>(k - kInkCount)];
    return inks;
}

// The item's check mark as the Palette menu shows it once opened.
bool plusChecked(TForm1& form) {
    emit form.menuPalette->aboutToShow();
    return form.actionPlusColours->isChecked();
}

struct PaletteSwitchCase {
    const char* name;
    int mode;
};

class PaletteSwitch : public MainWindowCommands, public ::testing::WithParamInterface<PaletteSwitchCase> {};

TEST_P(PaletteSwitch, KeepsTheInksAsOneStepShownAndKept) {
    const Palette& plus = Palette_Of(TPalette::Plus);
    const Palette& cpc = Palette_Of(TPalette::Cpc);
    load(writeLandscape("land.bmp", 40, 24));
    form.SetScreenMode(GetParam().mode);
    const auto before = allInks(form);
    const Bytes cpcResult = result();

    form.actionPlusColours->trigger();
    EXPECT_TRUE(plusChecked(form));
    EXPECT_EQ(form.GetCaption(), "land.bmp - Tintora (CPC+ mode " + std::to_string(GetParam().mode) + ")");
    const auto after = allInks(form);
    for (int k = 0; k < kMaxInkCount; ++k) {
        const int number = Palette_Colour_Of(cpc, before[static_cast<std::size_t>(k)]);
        const int colour = kPlusLevelOfIntensity[static_cast<std::size_t>(number / 3 % 3)] << 8 |
                           kPlusLevelOfIntensity[static_cast<std::size_t>(number / 9)] << 4 |
                           kPlusLevelOfIntensity[static_cast<std::size_t>(number % 3)];
        const Ink ink = after[static_cast<std::size_t>(k)];
        EXPECT_EQ(ink, Palette_Ink(plus, colour)) << "ink " << k;
        EXPECT_EQ(form.Palette->GetNumberText(k), Palette_Colour_Text(plus, colour));
        EXPECT_EQ(form.Palette->GetSwatchColour(k), (TColor{ink.r, ink.g, ink.b}));
    }
    const InkList modeInks = form.ModeInks();
    const Bytes plusResult = result();
    // Pixels are stored B, G, R.
    for (std::size_t i = 0; i + 2 < plusResult.size(); i += 3)
        ASSERT_NE(std::find(modeInks.begin(), modeInks.end(), Ink{plusResult[i + 2], plusResult[i + 1], plusResult[i]}),
                  modeInks.end())
            << "the result is rendered in the CPC+ inks";

    form.actionUndo->trigger();
    EXPECT_EQ(form.ColourPalette, TPalette::Cpc);
    EXPECT_FALSE(plusChecked(form));
    EXPECT_EQ(allInks(form), before);
    EXPECT_EQ(result(), cpcResult);
    EXPECT_EQ(form.GetCaption(), "land.bmp - Tintora (CPC mode " + std::to_string(GetParam().mode) + ")");
    form.actionRedo->trigger();
    EXPECT_EQ(allInks(form), after);
    EXPECT_EQ(result(), plusResult);

    // Kept between runs, and taken back by the next window.
    QSettings settings(QString::fromStdString(path("tintora.conf")), QSettings::IniFormat);
    Write_Window_Settings(settings, form.GetSettings());
    TForm1 next;
    next.RestoreSettings(Read_Window_Settings(settings));
    EXPECT_EQ(next.ColourPalette, TPalette::Plus);
    EXPECT_TRUE(plusChecked(next));

    // Back to the CPC's colours, a CPC+ colour becomes its nearest CPC colour.
    const Ink orange = Palette_Ink(plus, 0x8C3);
    form.SetInkColour(1, 0x8C3);
    form.actionPlusColours->trigger();
    EXPECT_EQ(form.Inks[1], Palette_Ink(cpc, Nearest_Palette_Colour(cpc, orange)));
}

INSTANTIATE_TEST_SUITE_P(MainWindow, PaletteSwitch,
                         ::testing::Values(PaletteSwitchCase{"Mode0", 0}, PaletteSwitchCase{"Mode1", 1},
                                           PaletteSwitchCase{"Mode2", 2}),
                         [](const ::testing::TestParamInfo<PaletteSwitchCase>& info) { return info.param.name; });

} // namespace
