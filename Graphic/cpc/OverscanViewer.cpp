#include "OverscanViewer.h"

#include "OverscanViewerCode.h"
#include "Picture.h"
#include "SysUtils.h"
#include "ViewerSettings.h"

namespace {

namespace code = z80::OverscanViewer;
static_assert(code::kAddress == kViewerLoadAddress,
              "the build assembles the viewer where the loader puts it");
// Room for the stack: a call and its return address.
static_assert(static_cast<int>(code::kCode.size()) + 16 <= kViewerBytes,
              "the viewer leaves room for its stack");

constexpr int kPens = 16;

// Where a label of the viewer lies from its first byte.
constexpr int at(int label) {
    return label - code::kAddress;
}

constexpr int kColours = at(code::kSymbol_colours); // 17 bytes: pens 0..15, border
constexpr ViewerSettings kSettings = {
    at(code::kSymbol_mode_byte),    at(code::kSymbol_crtc_values), at(code::kSymbol_picture_last),
    at(code::kSymbol_screen_last),  at(code::kSymbol_picture_bytes), at(code::kSymbol_stack_top),
    at(code::kSymbol_decoder),      at(code::kSymbol_stream_first), at(code::kSymbol_screen_first)};
static_assert(kSettings.crtcValues - kColours == kPens + 1 && kSettings.pictureLast - kSettings.crtcValues == 12);

} // namespace

std::vector<std::uint8_t> Overscan_Viewer(const InkList& inks, const ScreenMode& mode,
                                          const ScreenGeometry& geometry) {
    if (static_cast<int>(inks.size()) != mode.inkCount)
        throw Exception("A mode " + IntToStr(mode.number) + " viewer takes " +
                        IntToStr(mode.inkCount) + " inks");
    std::vector<std::uint8_t> bytes(code::kCode.begin(), code::kCode.end());
    Set_Viewer_Screen(bytes, kSettings, mode, geometry, kViewerPictureAddress, kViewerLoadAddress + kViewerBytes,
                      kFirmwareMemoryStart);
    for (int pen = 0; pen <= kPens; ++pen) {
        const Ink& ink = inks[static_cast<std::size_t>(pen < mode.inkCount ? pen : 0)];
        bytes[static_cast<std::size_t>(kColours + pen)] =
            Hardware_Colour_Byte[Colour_Number_Of_Ink(ink)];
    }
    return bytes;
}

std::vector<std::uint8_t> Packed_Viewer(const InkList& inks, const ScreenMode& mode,
                                        const ScreenGeometry& geometry, int streamBytes) {
    return With_Viewer_Decoder(Overscan_Viewer(inks, mode, geometry), kSettings, geometry, kViewerBytes,
                               kPackedPictureAddress, streamBytes, kFirmwareMemoryStart);
}
