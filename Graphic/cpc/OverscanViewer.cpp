#include "OverscanViewer.h"

#include <algorithm>

#include "OverscanViewerCode.h"
#include "Picture.h"
#include "SysUtils.h"

namespace {

namespace code = z80::OverscanViewer;
static_assert(code::kAddress == kViewerLoadAddress,
              "the build assembles the viewer where the loader puts it");
// Room for the stack: a call and its return address.
static_assert(static_cast<int>(code::kCode.size()) + 16 <= kViewerBytes,
              "the viewer leaves room for its stack");

constexpr int kPens = 16;
constexpr std::uint8_t kModeRomOff = 0x8C; // gate array: mode and ROM select, both ROMs off

// Where a label of the viewer lies from its first byte.
constexpr int at(int label) {
    return label - code::kAddress;
}

// Settings block fields, at the assembled addresses of their labels.
constexpr int kModeByte = at(code::kSymbol_mode_byte);         // 1 byte: &8C + mode
constexpr int kColours = at(code::kSymbol_colours);            // 17 bytes: pens 0..15, border
constexpr int kCrtcValues = at(code::kSymbol_crtc_values);     // 6 x (register, value)
constexpr int kPictureLast = at(code::kSymbol_picture_last);   // word: picture's last byte
constexpr int kScreenLast = at(code::kSymbol_screen_last);     // word: screen's last byte
constexpr int kPictureBytes = at(code::kSymbol_picture_bytes); // word: bytes to copy
constexpr int kStackTop = at(code::kSymbol_stack_top);         // word: stack while showing
constexpr int kDecoder = at(code::kSymbol_decoder);            // word: decoder, 0 for none
constexpr int kStreamFirst = at(code::kSymbol_stream_first);   // word: stream's first byte
constexpr int kScreenFirst = at(code::kSymbol_screen_first);   // word: screen's first byte
static_assert(kCrtcValues - kColours == kPens + 1 && kPictureLast - kCrtcValues == 12);

// Little-endian word, as the Z80 reads it.
void putWord(std::vector<std::uint8_t>& bytes, int offset, int value) {
    bytes[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[static_cast<std::size_t>(offset) + 1] = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

} // namespace

std::vector<std::uint8_t> Overscan_Viewer(const InkList& inks, const ScreenMode& mode,
                                          const ScreenGeometry& geometry) {
    if (static_cast<int>(inks.size()) != mode.inkCount)
        throw Exception("A mode " + IntToStr(mode.number) + " viewer takes " +
                        IntToStr(mode.inkCount) + " inks");
    if (kViewerPictureAddress + geometry.memoryBytes > kFirmwareMemoryStart)
        throw Exception("A " + std::string(geometry.name) +
                        " picture does not fit below the firmware's memory");
    std::vector<std::uint8_t> bytes(code::kCode.begin(), code::kCode.end());
    bytes[kModeByte] = static_cast<std::uint8_t>(kModeRomOff | mode.number);
    for (int pen = 0; pen <= kPens; ++pen) {
        const Ink& ink = inks[static_cast<std::size_t>(pen < mode.inkCount ? pen : 0)];
        bytes[static_cast<std::size_t>(kColours + pen)] =
            Hardware_Colour_Byte[Colour_Number_Of_Ink(ink)];
    }
    const int crtc[6][2] = {{1, geometry.characterColumns}, {2, geometry.hsyncPosition},
                            {6, geometry.characterRows},    {7, geometry.vsyncPosition},
                            {12, geometry.startHigh},       {13, geometry.startLow}};
    for (int k = 0; k < 6; ++k) {
        bytes[static_cast<std::size_t>(kCrtcValues + 2 * k)] =
            static_cast<std::uint8_t>(crtc[k][0]);
        bytes[static_cast<std::size_t>(kCrtcValues + 2 * k + 1)] =
            static_cast<std::uint8_t>(crtc[k][1]);
    }
    putWord(bytes, kPictureLast, kViewerPictureAddress + geometry.memoryBytes - 1);
    putWord(bytes, kScreenLast, geometry.baseAddress + geometry.memoryBytes - 1);
    putWord(bytes, kPictureBytes, geometry.memoryBytes);
    putWord(bytes, kStackTop, kViewerLoadAddress + kViewerBytes);
    return bytes;
}

std::vector<std::uint8_t> Packed_Viewer(const InkList& inks, const ScreenMode& mode,
                                        const ScreenGeometry& geometry, int streamBytes) {
    const int room = std::min(geometry.baseAddress, kFirmwareMemoryStart) - kPackedPictureAddress;
    if (streamBytes > room)
        throw Exception("The compressed picture takes " + IntToStr(streamBytes) + " bytes, more than the " +
                        IntToStr(room) + " the viewer can load below the " + std::string(geometry.name) +
                        " screen: write the disc without --pack");
    std::vector<std::uint8_t> bytes = Overscan_Viewer(inks, mode, geometry);
    putWord(bytes, kDecoder, kZx0Z80DecoderAddress);
    putWord(bytes, kStreamFirst, kPackedPictureAddress);
    putWord(bytes, kScreenFirst, geometry.baseAddress);
    bytes.resize(static_cast<std::size_t>(kViewerBytes), 0);
    const std::vector<std::uint8_t> decoder = Zx0_Z80_Decoder();
    bytes.insert(bytes.end(), decoder.begin(), decoder.end());
    return bytes;
}
