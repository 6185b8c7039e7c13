#include <gtest/gtest.h>

#include <random>

#include "CpcSnapshot.h"
#include "Engine.h"
#include "SysUtils.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

unsigned little(const Bytes& bytes, std::size_t at) { return bytes[at] | (bytes[at + 1] << 8u); }

class SnapshotOfMode : public ::testing::TestWithParam<int> {};

// The header read back by the published snapshot layout: what an emulator
// restores shows the screen and stays there.
TEST_P(SnapshotOfMode, ShowsTheScreenWithItsInksAndLoops) {
    const ScreenMode& mode = Screen_Mode(GetParam());
    std::vector<int> numbers(static_cast<std::size_t>(mode.inkCount));
    for (std::size_t k = 0; k < numbers.size(); ++k)
        numbers[k] = static_cast<int>(26 - 3 * k % 27);
    Bytes screen(16384);
    std::mt19937 generator(5);
    for (auto& byte : screen)
        byte = static_cast<std::uint8_t>(generator());
    const Bytes sna = Cpc_Snapshot(Standard_Snapshot_Screen(screen, Ink_List_Of_Numbers(numbers), mode));
    ASSERT_EQ(sna.size(), 256u + 128 * 1024);
    EXPECT_EQ(std::string(sna.begin(), sna.begin() + 8), "MV - SNA");
    EXPECT_EQ(sna[0x10], 3) << "version";
    EXPECT_EQ(little(sna, 0x6B), 128u) << "KB of memory";
    EXPECT_EQ(sna[0x6D], 2) << "CPC 6128";
    const Bytes memory(sna.begin() + 256, sna.end());
    EXPECT_EQ(Bytes(memory.begin() + 0xC000, memory.begin() + 0x10000), screen);
    const unsigned pc = little(sna, 0x23);
    EXPECT_EQ(memory[pc], 0x18) << "JR";
    EXPECT_EQ(memory[pc + 1], 0xFE) << "to itself";
    EXPECT_EQ(sna[0x1B] | sna[0x1C], 0) << "interrupts off";
    EXPECT_EQ(sna[0x40] & 0xE3, 0x80 | mode.number) << "gate array mode";
    for (std::size_t pen = 0; pen < 17; ++pen) {
        const int number = pen < numbers.size() ? numbers[pen] : numbers[0];
        EXPECT_EQ(sna[0x2F + pen], Hardware_Colour_Byte[number] & 0x1F) << "pen " << pen;
    }
    // The CRTC shows 2 bytes a character, R9 + 1 lines a row, from the bank R12 bits 5..4 select.
    const std::uint8_t* crtc = &sna[0x43];
    EXPECT_EQ(2 * crtc[1], kScreenRowBytes);
    EXPECT_EQ(crtc[6] * (crtc[9] + 1), mode.height);
    EXPECT_EQ(((crtc[12] >> 4) & 3) * 0x4000 + ((crtc[12] & 3) * 256 + crtc[13]) * 2, 0xC000);
}

INSTANTIATE_TEST_SUITE_P(, SnapshotOfMode, ::testing::Values(0, 1, 2));

TEST(Snapshot, RefusesScreensOutsideMemoryOrOverTheLoop) {
    const Bytes screen(16384);
    SnapshotScreen bad = Standard_Snapshot_Screen(screen, Start_Inks(Screen_Mode(1)), Screen_Mode(1));
    for (const int address : {0xC001, 0x3000, -1}) {
        bad.address = address;
        EXPECT_THROW(Cpc_Snapshot(bad), Exception) << address;
    }
    bad.address = 0xC000;
    bad.border = 27;
    EXPECT_THROW(Cpc_Snapshot(bad), Exception) << "colour 27";
}

} // namespace
