#include <gtest/gtest.h>

#include <random>

#include "CpcBench.h"
#include "CpcExport.h"
#include "CpmDisc.h"
#include "ModePacking.h"
#include "OverscanViewer.h"
#include "PictureBuilder.h"
#include "SysUtils.h"

using namespace testing_pictures;

namespace {

// A quarter of a second of the CPC's 4 MHz Z80: the viewer must show the
// picture and wait for a key within it.
constexpr std::uint64_t kShowBound = 1'000'000;
// Two seconds: a compressed full screen takes over a second to unpack.
constexpr std::uint64_t kPackedShowBound = 8'000'000;
constexpr int kSpaceLine = 5, kSpaceBit = 7;

// Each run of `run` pixels in a row one of the mode's inks at random; the inks distinct colours.
TPicture randomIn(const InkList& inks, int width, int height, int run = 1) {
    TPicture picture = filled(width, height, 0, 0, 0);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += run) {
            const Ink& ink = inks[random() % inks.size()];
            for (int k = x; k < std::min(width, x + run); ++k)
                setPixel(picture, k, y, ink.b, ink.g, ink.r);
        }
    return picture;
}

// A viewer disc: the screen, the mode, compressed or not, and the pixels a
// run of one random ink takes (a full screen compressed needs some order to
// fit below the screen memory).
struct ViewerDisc {
    TScreen screen;
    int mode;
    bool packed;
    int run;
};

class OverscanDisc : public testing::TestWithParam<ViewerDisc> {};

// RUN"DISC" as the bench runs it: the files that cpmtools reads off the disc
// go where DISC.BAS loads them, and the Z80 starts at its CALL.
TEST_P(OverscanDisc, ShowsThePackedScreenInItsInksUntilAKeyResetsTheCpc) {
    const ScreenGeometry& screen = Screen_Geometry(GetParam().screen);
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    const ScreenMode onScreen = Mode_On_Screen(mode, screen);
    InkList inks;
    for (int k = 0; k < mode.inkCount; ++k)
        inks.push_back(Ink_From_Colour_Number(5 * k % kColourCount));
    const TPicture result = randomIn(inks, onScreen.width, onScreen.height, GetParam().run);
    QTemporaryDir folder;
    const std::string image = folder.filePath("pic.dsk").toStdString();
    const std::string listing = GetParam().packed ? Save_Packed_Picture_Disc(result, inks, mode, screen, "PIC", image)
                                                  : Save_Picture_Disc(result, inks, mode, screen, "PIC", image);
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::string names;
    for (const auto& [name, bytes] : cpmFiles(image)) {
        files[name] = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
        names += name;
    }
    std::string listed; // the names the listing gives, in the order cpmtools gives them
    for (const auto& [name, bytes] : files)
        if (QString::fromStdString(listing).contains(QString::fromStdString(name), Qt::CaseInsensitive))
            listed += name;
    EXPECT_EQ(listed, names) << listing;
    EXPECT_EQ(files.count("pic.zx0"), GetParam().packed ? 1u : 0u) << listing;

    CpcBench bench;
    Run_Basic_Loader(bench, std::string(files["disc.bas"].begin(), files["disc.bas"].end()), files);
    ASSERT_EQ(bench.run(GetParam().packed ? kPackedShowBound : kShowBound, true), CpcBench::Stop::KeyboardRead);

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

INSTANTIATE_TEST_SUITE_P(EveryMode, OverscanDisc,
                         testing::Values(ViewerDisc{TScreen::Overscan, 0, false, 1}, ViewerDisc{TScreen::Overscan, 1, false, 1},
                                         ViewerDisc{TScreen::Overscan, 2, false, 1}, ViewerDisc{TScreen::Standard, 0, true, 1},
                                         ViewerDisc{TScreen::Standard, 1, true, 1}, ViewerDisc{TScreen::Standard, 2, true, 1},
                                         ViewerDisc{TScreen::Overscan, 0, true, 4}, ViewerDisc{TScreen::Overscan, 1, true, 8},
                                         ViewerDisc{TScreen::Overscan, 2, true, 16}),
                         [](const auto& info) {
                             return std::string(info.param.packed ? "Packed" : "") +
                                    (info.param.screen == TScreen::Overscan ? "Overscan" : "Standard") + "Mode" +
                                    std::to_string(info.param.mode);
                         });

// A stream is loaded below the screen memory and the firmware's: one byte more than fits there is refused.
TEST(PackedDisc, RefusesAStreamThatWouldReachTheScreen) {
    for (const TScreen which : {TScreen::Standard, TScreen::Overscan}) {
        const ScreenGeometry& screen = Screen_Geometry(which);
        const ScreenMode& mode = Screen_Mode(1);
        const int room = std::min(screen.baseAddress, kFirmwareMemoryStart) - kPackedPictureAddress;
        EXPECT_NO_THROW(Packed_Viewer(Start_Inks(mode), mode, screen, room)) << screen.name;
        EXPECT_THROW(Packed_Viewer(Start_Inks(mode), mode, screen, room + 1), Exception) << screen.name;
    }
}

} // namespace
