#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "Engine.h"
#include "MonitorBorder.h"
#include "ScreenGeometry.h"

namespace {

struct AddressCase {
    const char* name;
    TScreen screen;
    int line, byte;
    int address;
};

class ScreenAddress : public testing::TestWithParam<AddressCase> {};

// Addresses that CPC documentation gives: the standard screen's character
// rows 80 bytes apart and its pixel lines &800 apart from &C000; the full
// screen from &8000, whose first pixel lines run from &87FF on at &C000.
TEST_P(ScreenAddress, IsWhereTheCrtcReadsTheByte) {
    const AddressCase& c = GetParam();
    EXPECT_EQ(Screen_Byte_Address(Screen_Geometry(c.screen), c.line, c.byte), c.address);
}

INSTANTIATE_TEST_SUITE_P(
    DocumentedAddresses, ScreenAddress,
    testing::Values(AddressCase{"StandardFirst", TScreen::Standard, 0, 0, 0xC000},
                    AddressCase{"StandardSecondLine", TScreen::Standard, 1, 0, 0xC800},
                    AddressCase{"StandardSecondRow", TScreen::Standard, 8, 0, 0xC050},
                    AddressCase{"OverscanFirst", TScreen::Overscan, 0, 0, 0x8000},
                    AddressCase{"OverscanSecondLine", TScreen::Overscan, 1, 0, 0x8800},
                    AddressCase{"OverscanLastOfFirstBank", TScreen::Overscan, 168, 31, 0x87FF},
                    AddressCase{"OverscanFirstOfSecondBank", TScreen::Overscan, 168, 32, 0xC000},
                    AddressCase{"OverscanSecondBankSecondLine", TScreen::Overscan, 169, 32,
                                0xC800}),
    [](const auto& info) { return std::string(info.param.name); });

// The full screen's sizes in pixels, as CPC artists know them.
TEST(ScreenGeometry, FullScreenPixelsFollowTheMode) {
    const std::array<std::pair<int, int>, kScreenModeCount> sizes = {
        {{192, 272}, {384, 272}, {768, 272}}};
    for (const ScreenMode& mode : kScreenModes) {
        const ScreenMode onScreen = Mode_On_Screen(mode, Screen_Geometry(TScreen::Overscan));
        EXPECT_EQ(std::pair(onScreen.width, onScreen.height),
                  sizes[static_cast<std::size_t>(mode.number)]);
    }
}

// The CRTC's addressing on the standard row gives the screen file's layout.
TEST(ScreenGeometry, StandardLayoutIsTheScreenFiles) {
    std::vector<std::uint8_t> packed(kScreenHeight * kScreenRowBytes);
    std::mt19937 random(3);
    for (std::uint8_t& byte : packed)
        byte = static_cast<std::uint8_t>(random());
    std::unique_ptr<std::uint8_t[]> screen;
    CPC_Screen_Layout(packed.data(), screen);
    EXPECT_EQ(Screen_Memory_Layout(packed, Screen_Geometry(TScreen::Standard)),
              std::vector<std::uint8_t>(screen.get(), screen.get() + kScreenBytes));
}

// The monitor's picture area does not change with the screen: each screen's
// sync positions put it wholly inside that area, its border making up the rest.
TEST(ScreenGeometry, EveryScreenFillsTheSameMonitorArea) {
    const auto area = [](const ScreenGeometry& geometry) {
        const MonitorBorder border = Monitor_Border(geometry);
        return std::pair(border.left + geometry.characterColumns + border.right,
                         border.top + Screen_Lines(geometry) + border.bottom);
    };
    for (const ScreenGeometry& geometry : kScreens)
        EXPECT_EQ(area(geometry), area(kScreens[0])) << geometry.name;
}

} // namespace
