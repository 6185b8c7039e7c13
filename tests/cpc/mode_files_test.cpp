#include <gtest/gtest.h>

#include "CpcExport.h"
#include "CpmDisc.h"
#include "OcpPalette.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

// Colour numbers first + step x k for the mode's inks k.
InkList inksOf(const ScreenMode& mode, int first, int step) {
    InkList inks;
    for (int k = 0; k < mode.inkCount; ++k)
        inks.push_back(Ink_From_Colour_Number(first + step * k));
    return inks;
}

class ModePalette : public testing::TestWithParam<int> {};

TEST_P(ModePalette, HoldsTheModeAndTheModesInksInItsPens) {
    const ScreenMode& mode = Screen_Mode(GetParam());
    const InkList inks = inksOf(mode, 1, 1);
    std::array<std::uint8_t, kOcpPaletteBytes> expected{};
    expected[0] = static_cast<std::uint8_t>(mode.number);
    for (int pen = 0; pen < 17; ++pen) // 16 pens, then the border: ink 0's
        for (int frame = 0; frame < 12; ++frame)
            expected[static_cast<std::size_t>(3 + pen * 12 + frame)] =
                Hardware_Colour_Byte[pen < mode.inkCount && pen < 16 ? 1 + pen : 1];
    EXPECT_EQ(Ocp_Palette(inks, mode), expected);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, ModePalette, testing::Values(0, 1, 2),
                         [](const auto& info) { return "Mode" + std::to_string(info.param); });

struct DiscCase {
    const char* name;
    int mode;
    int firstColour, colourStep;
    std::string loader;
};

class ModeDisc : public testing::TestWithParam<DiscCase> {};

// A screen all in the last ink sets every bit of the picture's bytes.
TEST_P(ModeDisc, CpmtoolsReadsTheScreenInTheLastInkAndTheModesLoader) {
    const DiscCase& c = GetParam();
    const ScreenMode& mode = Screen_Mode(c.mode);
    const InkList inks = inksOf(mode, c.firstColour, c.colourStep);
    const Ink& last = inks.back();
    QTemporaryDir folder;
    const std::string image = folder.filePath("pic.dsk").toStdString();
    Save_Picture_Disc(filled(mode.width, mode.height, last.b, last.g, last.r), inks, mode, "PIC",
                      image);
    std::map<std::string, QByteArray> files = cpmFiles(image);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files["disc.bas"].left(files["disc.bas"].indexOf('\x1A')).toStdString(), c.loader);
    EXPECT_EQ(static_cast<std::uint8_t>(files["pic.pal"][128]), mode.number)
        << "the palette's mode";
    const QByteArray screen = files["pic.scr"].mid(128, 16384);
    for (int block = 0; block < 8; ++block)
        EXPECT_EQ(screen.mid(block * 2048, 2048), QByteArray(2000, '\xFF') + QByteArray(48, '\0'))
            << block;
}

INSTANTIATE_TEST_SUITE_P(SmallAndLargeModes, ModeDisc,
                         testing::Values(DiscCase{"Mode0", 0, 26, -1,
                                                  "10 MODE 0:BORDER 26\r\n"
                                                  "20 INK 0,26:INK 1,25:INK 2,24:INK 3,23\r\n"
                                                  "21 INK 4,22:INK 5,21:INK 6,20:INK 7,19\r\n"
                                                  "22 INK 8,18:INK 9,17:INK 10,16:INK 11,15\r\n"
                                                  "23 INK 12,14:INK 13,13:INK 14,12:INK 15,11\r\n"
                                                  "30 LOAD\"PIC.SCR\",&C000\r\n"
                                                  "40 CALL &BB18\r\n"},
                                         DiscCase{"Mode2", 2, 0, 26,
                                                  "10 MODE 2:BORDER 0\r\n"
                                                  "20 INK 0,0:INK 1,26\r\n"
                                                  "30 LOAD\"PIC.SCR\",&C000\r\n"
                                                  "40 CALL &BB18\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
