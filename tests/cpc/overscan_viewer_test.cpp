#include <gtest/gtest.h>

#include <random>

#include "CpcBench.h"
#include "CpcExport.h"
#include "CpmDisc.h"
#include "ModePacking.h"
#include "PictureBuilder.h"

using namespace testing_pictures;

namespace {

// A quarter of a second of the CPC's 4 MHz Z80: the viewer must show the
// picture and wait for a key within it.
constexpr std::uint64_t kShowBound = 1'000'000;
constexpr int kSpaceLine = 5, kSpaceBit = 7;

// Every pixel one of the mode's inks at random; the inks distinct colours.
TPicture randomIn(const InkList& inks, int width, int height) {
    TPicture picture = filled(width, height, 0, 0, 0);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Ink& ink = inks[random() % inks.size()];
            setPixel(picture, x, y, ink.b, ink.g, ink.r);
        }
    return picture;
}

class OverscanDisc : public testing::TestWithParam<int> {};

// RUN"DISC" as the bench runs it: the files that cpmtools reads off the disc
// go where DISC.BAS loads them, and the Z80 starts at its CALL.
TEST_P(OverscanDisc, ShowsThePackedScreenInItsInksUntilAKeyResetsTheCpc) {
    const ScreenGeometry& screen = Screen_Geometry(TScreen::Overscan);
    const ScreenMode& mode = Screen_Mode(GetParam());
    const ScreenMode onScreen = Mode_On_Screen(mode, screen);
    InkList inks;
    for (int k = 0; k < mode.inkCount; ++k)
        inks.push_back(Ink_From_Colour_Number(5 * k % kColourCount));
    const TPicture result = randomIn(inks, onScreen.width, onScreen.height);
    QTemporaryDir folder;
    const std::string image = folder.filePath("pic.dsk").toStdString();
    Save_Picture_Disc(result, inks, mode, screen, "PIC", image);
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& [name, bytes] : cpmFiles(image))
        files[name] = std::vector<std::uint8_t>(bytes.begin(), bytes.end());

    CpcBench bench;
    Run_Basic_Loader(bench, std::string(files["disc.bas"].begin(), files["disc.bas"].end()), files);
    ASSERT_EQ(bench.run(kShowBound, true), CpcBench::Stop::KeyboardRead);

    const std::vector<std::uint8_t> packed = Mode_Screen_File_Bytes(result, inks, mode, screen);
    EXPECT_TRUE(
        std::equal(packed.begin(), packed.end(), bench.memory().begin() + screen.baseAddress))
        << "the screen memory";
    const std::vector<std::pair<int, int>> crtc = {
        {1, screen.characterColumns}, {2, screen.hsyncPosition}, {6, screen.characterRows},
        {7, screen.vsyncPosition},    {12, screen.startHigh},    {13, screen.startLow}};
    for (const auto& [reg, value] : crtc)
        EXPECT_EQ(bench.crtc()[static_cast<std::size_t>(reg)], value) << "R" << reg;
    for (int pen = 0; pen < CpcBench::kPensAndBorder; ++pen) // the border and unused pens: ink 0's
        EXPECT_EQ(bench.colours()[static_cast<std::size_t>(pen)],
                  Hardware_Colour_Byte[Colour_Number_Of_Ink(inks[pen < mode.inkCount ? pen : 0])] &
                      0x1F)
            << "pen " << pen;
    EXPECT_EQ(bench.mode(), mode.number);

    EXPECT_EQ(bench.run(bench.tStates() + kShowBound), CpcBench::Stop::TimeOut)
        << "shows it with no key";
    bench.setKey(kSpaceLine, kSpaceBit, true);
    EXPECT_EQ(bench.run(bench.tStates() + kShowBound), CpcBench::Stop::Reset);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, OverscanDisc, testing::Values(0, 1, 2),
                         [](const auto& info) { return "Mode" + std::to_string(info.param); });

} // namespace
