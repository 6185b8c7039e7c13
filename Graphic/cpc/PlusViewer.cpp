#include "PlusViewer.h"

#include <algorithm>

#include "AsicColour.h"
#include "PlusViewerCode.h"
#include "ViewerSettings.h"

namespace {

namespace code = z80::PlusViewer;
static_assert(code::kAddress == kPlusViewerLoadAddress,
              "the build assembles the viewer where the loader puts it");
// Room for the stack: a call and its return address, and the decoder's.
static_assert(static_cast<int>(code::kCode.size()) + 16 <= kPlusViewerBytes,
              "the viewer leaves room for its stack");

// Where a label of the viewer lies from its first byte.
constexpr int at(int label) {
    return label - code::kAddress;
}

constexpr int kAsicColours = at(code::kSymbol_asic_colours); // 34 bytes: pens 0..15, border
constexpr ViewerSettings kSettings = {
    at(code::kSymbol_mode_byte),   at(code::kSymbol_crtc_values),   at(code::kSymbol_picture_last),
    at(code::kSymbol_screen_last), at(code::kSymbol_picture_bytes), at(code::kSymbol_stack_top),
    at(code::kSymbol_decoder),     at(code::kSymbol_stream_first),  at(code::kSymbol_screen_first)};
static_assert(kSettings.crtcValues - kAsicColours == static_cast<int>(kAsicPensAndBorderBytes));

} // namespace

std::vector<std::uint8_t> Plus_Viewer(const InkList& inks, const ScreenMode& mode,
                                      const ScreenGeometry& geometry) {
    const auto colours = Asic_Pens_And_Border(inks, mode);
    std::vector<std::uint8_t> bytes(code::kCode.begin(), code::kCode.end());
    Set_Viewer_Screen(bytes, kSettings, mode, geometry, kViewerPictureAddress,
                      kPlusViewerLoadAddress + kPlusViewerBytes, kFirmwareMemoryStart);
    std::copy(colours.begin(), colours.end(), bytes.begin() + kAsicColours);
    return bytes;
}

std::vector<std::uint8_t> Packed_Plus_Viewer(const InkList& inks, const ScreenMode& mode,
                                             const ScreenGeometry& geometry, int streamBytes) {
    return With_Viewer_Decoder(Plus_Viewer(inks, mode, geometry), kSettings, geometry,
                               kPlusViewerBytes, kPackedPictureAddress, streamBytes,
                               kFirmwareMemoryStart);
}
