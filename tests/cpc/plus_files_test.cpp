#include <gtest/gtest.h>

#include "AsicColour.h"
#include "CpcBench.h"
#include "CpmDisc.h"
#include "ModePacking.h"
#include "PictureBuilder.h"
#include "PlusExport.h"
#include "PlusKit.h"
#include "PlusSnapshot.h"
#include "SysUtils.h"

using namespace testing_pictures;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint64_t kShowBound = 1'000'000;
constexpr std::uint64_t kPackedShowBound = 8'000'000;
// The published unlock sequence: a non-zero and a zero byte, 13 bytes, &CD, any byte.
const Bytes kUnlock = {0xFF, 0x00, 0xFF, 0x77, 0xB3, 0x51, 0xA8, 0xD4, 0x62,
                       0x39, 0x9C, 0x46, 0x2B, 0x15, 0x8A, 0xCD, 0xEE};

// Distinct 12-bit inks (level v of a channel shown as 17 v), and a picture in them.
InkList plusInks(const ScreenMode& mode) {
    InkList inks;
    for (int k = 0; k < mode.inkCount; ++k)
        inks.push_back({static_cast<std::uint8_t>(17 * k), static_cast<std::uint8_t>(17 * (15 - k)),
                        static_cast<std::uint8_t>(17 * (7 * k % 16))});
    return inks;
}
TPicture pictureIn(const InkList& inks, int width, int height) {
    TPicture picture = filled(width, height, 0, 0, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Ink& ink = inks[static_cast<std::size_t>(x * 7 + y * y * 3) % inks.size()];
            setPixel(picture, x, y, ink.b, ink.g, ink.r);
        }
    return picture;
}

// Entries worked by hand from the ASIC's published layout: byte 0 red in
// bits 7-4 and blue in bits 3-0, byte 1 green in bits 3-0.
TEST(AsicColour, PacksRedAndBlueThenGreen) {
    const struct {
        Ink ink;
        AsicColour bytes;
    } cases[] = {
        {{255, 136, 17}, {0xF1, 0x08}},
        {{0, 255, 0}, {0x00, 0x0F}},
        {{0, 0, 255}, {0x0F, 0x00}},
        {{127, 128, 254}, {0x7F, 0x08}}, // the CPC's half and full levels: their nearest
    };
    for (const auto& c : cases)
        EXPECT_EQ(Asic_Colour(c.ink), c.bytes)
            << int(c.ink.r) << " " << int(c.ink.g) << " " << int(c.ink.b);
    EXPECT_THROW(Asic_Colour(0, 16, 0), Exception);
    EXPECT_THROW(Asic_Colour(-1, 0, 0), Exception);
}

// The .KIT file: 32 bytes, pen after pen; pens the mode lacks take ink 0.
TEST(PlusKit, HoldsSixteenPensInTheAsicOrder) {
    const InkList inks = {{0, 0, 0}, {255, 136, 17}, {0, 255, 0}, {34, 51, 68}};
    const auto kit = Plus_Kit(inks, Screen_Mode(1));
    const Bytes pens01 = {0x00, 0x00, 0xF1, 0x08}, pen3 = {0x24, 0x03};
    EXPECT_EQ(Bytes(kit.begin(), kit.begin() + 4), pens01);
    EXPECT_EQ(Bytes(kit.begin() + 6, kit.begin() + 8), pen3);
    EXPECT_EQ(Bytes(kit.begin() + 8, kit.end()), Bytes(24, 0)) << "pens 4..15: ink 0";
    EXPECT_THROW(Plus_Kit(inks, Screen_Mode(0)), Exception) << "4 inks in mode 0";
}

struct PlusDiscCase {
    TScreen screen;
    int mode;
    bool packed;
};
class PlusDisc : public testing::TestWithParam<PlusDiscCase> {};

// RUN"DISC" in the bench: the ASIC unlocked before its page comes in, the 32
// bytes of the pens and 2 of the border written into the page only, the page
// out and the ASIC locked again, then the screen, the CRTC and the mode as on
// a CPC; a key resets.
TEST_P(PlusDisc, UnlocksTheAsicWritesThePaletteAndShowsThePicture) {
    const ScreenGeometry& screen = Screen_Geometry(GetParam().screen);
    const ScreenMode& mode = Screen_Mode(GetParam().mode);
    const InkList inks = plusInks(mode);
    const ScreenMode onScreen = Mode_On_Screen(mode, screen);
    const TPicture result = pictureIn(inks, onScreen.width, onScreen.height);
    QTemporaryDir folder;
    const std::string image = folder.filePath("pic.dsk").toStdString();
    GetParam().packed ? Save_Packed_Plus_Picture_Disc(result, inks, mode, screen, "PIC", image)
                      : Save_Plus_Picture_Disc(result, inks, mode, screen, "PIC", image);
    std::map<std::string, Bytes> files;
    for (const auto& [name, bytes] : cpmFiles(image))
        files[name] = Bytes(bytes.begin(), bytes.end());
    EXPECT_EQ(files.count("pic.kit"), GetParam().packed ? 0u : 1u)
        << "the palette file beside the raw picture";

    CpcBench bench;
    Run_Basic_Loader(bench, std::string(files["disc.bas"].begin(), files["disc.bas"].end()), files);
    ASSERT_EQ(bench.run(GetParam().packed ? kPackedShowBound : kShowBound, true),
              CpcBench::Stop::KeyboardRead);

    EXPECT_EQ(Bytes(bench.crtcSelectBytes().begin(), bench.crtcSelectBytes().begin() + 17),
              kUnlock);
    EXPECT_FALSE(bench.asicUnlocked()) << "locked again, as after power-on";
    ASSERT_EQ(bench.rmr2Writes().size(), 2u);
    EXPECT_LT(bench.asicUnlockedAt(), bench.rmr2Writes()[0].tState);
    EXPECT_FALSE(bench.registerPageIn());
    std::map<int, std::uint8_t> written;
    for (const auto& write : bench.asicWrites()) {
        EXPECT_GT(write.tState, bench.rmr2Writes()[0].tState);
        EXPECT_LT(write.tState, bench.rmr2Writes()[1].tState);
        written[write.address] = write.value;
    }
    ASSERT_EQ(written.size(), 34u);
    for (int pen = 0; pen <= 16; ++pen) { // the border and unused pens: ink 0's
        const AsicColour colour =
            Asic_Colour(inks[static_cast<std::size_t>(pen < mode.inkCount ? pen : 0)]);
        EXPECT_EQ(written[0x6400 + 2 * pen], colour[0]) << "pen " << pen;
        EXPECT_EQ(written[0x6401 + 2 * pen], colour[1]) << "pen " << pen;
    }

    const Bytes packed = Mode_Screen_File_Bytes(result, inks, mode, screen);
    EXPECT_TRUE(
        std::equal(packed.begin(), packed.end(), bench.memory().begin() + screen.baseAddress));
    EXPECT_EQ(bench.crtc()[1], screen.characterColumns);
    EXPECT_EQ(bench.mode(), mode.number);
    EXPECT_EQ(bench.run(bench.tStates() + kShowBound), CpcBench::Stop::TimeOut)
        << "shows it with no key";
    bench.setKey(5, 7, true);
    EXPECT_EQ(bench.run(bench.tStates() + kShowBound), CpcBench::Stop::Reset);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, PlusDisc,
                         testing::Values(PlusDiscCase{TScreen::Standard, 0, false},
                                         PlusDiscCase{TScreen::Overscan, 1, false},
                                         PlusDiscCase{TScreen::Standard, 2, false},
                                         PlusDiscCase{TScreen::Standard, 1, true},
                                         PlusDiscCase{TScreen::Overscan, 0, true},
                                         PlusDiscCase{TScreen::Overscan, 2, true}),
                         [](const auto& info) {
                             return std::string(info.param.packed ? "Packed" : "") +
                                    Screen_Geometry(info.param.screen).name +
                                    std::to_string(info.param.mode);
                         });

// The bench's lock: only the published sequence on the CRTC's select port opens it.
TEST(CpcBenchAsic, UnlocksOnlyOnThePublishedSequence) {
    Bytes lockingByte = kUnlock, outOfStep = kUnlock, noSync(kUnlock.begin() + 1, kUnlock.end());
    lockingByte[15] = 0xCC;
    outOfStep[7] = 0xD5;
    const struct {
        Bytes bytes;
        bool unlocked;
    } cases[] = {{kUnlock, true}, {lockingByte, false}, {outOfStep, false}, {noSync, false}};
    for (const auto& c : cases) {
        Bytes code = {0x01, 0x00,
                      0xBC}; // LD BC,&BC00, then LD A,byte: OUT (C),A for each, then JR to itself
        for (const std::uint8_t byte : c.bytes)
            code.insert(code.end(), {0x3E, byte, 0xED, 0x79});
        code.insert(code.end(), {0x18, 0xFE});
        CpcBench bench;
        bench.load(0x1000, code);
        bench.jumpTo(0x1000);
        bench.run(10'000);
        EXPECT_EQ(bench.asicUnlocked(), c.unlocked) << testing::PrintToString(c.bytes);
    }
}

// The snapshot read back by the published layout: a 6128 Plus whose CPC+
// chunk holds the pens and the border in the palette, the ASIC locked.
TEST(PlusSnapshot, CarriesThePaletteInTheCpcPlusChunk) {
    for (const TScreen which : {TScreen::Standard, TScreen::Overscan}) {
        const ScreenGeometry& screen = Screen_Geometry(which);
        const ScreenMode& mode = Screen_Mode(0);
        const Bytes memory(static_cast<std::size_t>(screen.memoryBytes), 0x5A);
        const Bytes sna = Plus_Snapshot(memory, plusInks(mode), mode, screen);
        const std::size_t chunk =
            256 + 128 * 1024; // header, memory, then the chunk's name and length
        ASSERT_EQ(sna.size(), chunk + 8 + 0x8F8) << screen.name;
        EXPECT_EQ(sna[0x6D], 4) << "6128 Plus";
        EXPECT_EQ(std::string(sna.begin() + chunk, sna.begin() + chunk + 4), "CPC+");
        EXPECT_EQ(sna[chunk + 4] | sna[chunk + 5] << 8 | sna[chunk + 6] << 16 |
                      sna[chunk + 7] << 24,
                  0x8F8);
        const auto palette = Asic_Pens_And_Border(plusInks(mode), mode);
        EXPECT_TRUE(std::equal(palette.begin(), palette.end(), sna.begin() + chunk + 8 + 0x880));
        EXPECT_EQ(sna[chunk + 8 + 0x8F6], 0) << "locked";
    }
}

} // namespace
