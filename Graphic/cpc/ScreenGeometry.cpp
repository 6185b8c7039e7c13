#include "ScreenGeometry.h"

#include "SysUtils.h"

// standard: the screen the firmware sets up, 16 KB at &C000: R12 = &30 puts
// MA13-MA12 = 3 (bank &C000), R2 = 46 and R7 = 30 centre 40 x 25 characters.
//
// overscan: 48 x 34 characters fill a PAL monitor to its edges. 96 bytes a
// line and 272 lines take more than 16 KB, so R12 = &2C starts the CRTC in
// bank 2 (&8000; MA13-MA12 = 2) with MA11 and MA10 both set: MA11-MA10 reach
// no address line, and when MA9-MA0 run past &3FF their carry goes through
// them into MA12, so the display runs on in bank 3 (&C000). Each pixel line
// thus reads 2048 bytes of bank 2, then bank 3. R2 = 50 and R7 = 35 move the
// syncs by half the extra characters (4 across, 4.5 down, rounded up) so the
// larger picture stays centred.
const std::array<ScreenGeometry, kScreenCount> kScreens = {{
    {TScreen::Standard, "standard", 40, 25, 8, 0xC000, 0x4000, 46, 30, 0x30, 0x00},
    {TScreen::Overscan, "overscan", 48, 34, 8, 0x8000, 0x8000, 50, 35, 0x2C, 0x00},
}};

namespace {

constexpr int kBytesPerCharacter = 2;
constexpr int kMaMask = 0x3FFF;       // MA is 14 bits
constexpr int kMaBankShift = 12;      // MA13-MA12 ...
constexpr int kAddressBankShift = 14; // ... become A15-A14
constexpr int kLineShift = 11;        // RA2-RA0 become A13-A11
constexpr int kMaWordMask = 0x3FF;    // MA9-MA0 become A10-A1

} // namespace

const ScreenGeometry& Screen_Geometry(TScreen screen) {
    for (const ScreenGeometry& geometry : kScreens)
        if (geometry.screen == screen)
            return geometry;
    throw Exception("Unknown screen");
}

TScreen Screen_From_Option(const std::string& text) {
    for (const ScreenGeometry& geometry : kScreens)
        if (text == geometry.name)
            return geometry.screen;
    throw Exception("--screen takes standard or overscan, not '" + text + "'");
}

int Screen_Line_Bytes(const ScreenGeometry& geometry) {
    return geometry.characterColumns * kBytesPerCharacter;
}

int Screen_Lines(const ScreenGeometry& geometry) {
    return geometry.characterRows * geometry.linesPerCharacter;
}

int Screen_Byte_Address(const ScreenGeometry& geometry, int y, int b) {
    const int start = geometry.startHigh << 8 | geometry.startLow;
    const int ma = (start + y / geometry.linesPerCharacter * geometry.characterColumns +
                    b / kBytesPerCharacter) &
                   kMaMask;
    const int ra = y % geometry.linesPerCharacter;
    return (ma >> kMaBankShift) << kAddressBankShift | ra << kLineShift | (ma & kMaWordMask) << 1 |
           b % kBytesPerCharacter;
}

const ScreenMode& Screen_Mode_On(int number, TScreen screen) {
    static const auto table = [] {
        std::array<std::array<ScreenMode, kScreenModeCount>, kScreenCount> modes{};
        for (std::size_t s = 0; s < kScreens.size(); ++s)
            for (std::size_t m = 0; m < kScreenModes.size(); ++m)
                modes[s][m] = Mode_On_Screen(kScreenModes[m], kScreens[s]);
        return modes;
    }();
    const ScreenMode& mode = Screen_Mode(number);
    for (std::size_t s = 0; s < kScreens.size(); ++s)
        if (kScreens[s].screen == screen)
            return table[s][static_cast<std::size_t>(&mode - kScreenModes.data())];
    throw Exception("Unknown screen");
}

ScreenMode Mode_On_Screen(const ScreenMode& mode, const ScreenGeometry& geometry) {
    ScreenMode onScreen = mode;
    onScreen.width = Screen_Line_Bytes(geometry) * mode.pixelsPerByte;
    onScreen.height = Screen_Lines(geometry);
    return onScreen;
}

std::vector<std::uint8_t> Screen_Memory_Layout(const std::vector<std::uint8_t>& packed,
                                               const ScreenGeometry& geometry) {
    const int lineBytes = Screen_Line_Bytes(geometry);
    const int lines = Screen_Lines(geometry);
    if (packed.size() != static_cast<std::size_t>(lineBytes) * static_cast<std::size_t>(lines))
        throw Exception("A " + std::string(geometry.name) + " screen takes " + IntToStr(lines) +
                        " rows of " + IntToStr(lineBytes) + " bytes");
    std::vector<std::uint8_t> memory(static_cast<std::size_t>(geometry.memoryBytes), 0);
    for (int y = 0; y < lines; ++y)
        for (int b = 0; b < lineBytes; ++b) {
            const int offset = Screen_Byte_Address(geometry, y, b) - geometry.baseAddress;
            if (offset < 0 || offset >= geometry.memoryBytes)
                throw Exception("The " + std::string(geometry.name) +
                                " screen reads outside its memory");
            memory[static_cast<std::size_t>(offset)] =
                packed[static_cast<std::size_t>(y * lineBytes + b)];
        }
    return memory;
}
