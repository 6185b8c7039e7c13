#include "ViewerSettings.h"

#include <algorithm>
#include <string>

#include "SysUtils.h"
#include "Zx0Z80Decoder.h"

namespace {

constexpr std::uint8_t kModeRomOff = 0x8C; // gate array: mode and ROM select, both ROMs off
constexpr int kCrtcPairs = 6;

// Little-endian word, as the Z80 reads it.
void putWord(std::vector<std::uint8_t>& bytes, int offset, int value) {
    bytes.at(static_cast<std::size_t>(offset)) = static_cast<std::uint8_t>(value & 0xFF);
    bytes.at(static_cast<std::size_t>(offset) + 1) = static_cast<std::uint8_t>(value >> 8 & 0xFF);
}

} // namespace

void Set_Viewer_Screen(std::vector<std::uint8_t>& viewer, const ViewerSettings& settings,
                       const ScreenMode& mode, const ScreenGeometry& geometry, int pictureAddress,
                       int stackTop, int firmwareMemoryStart) {
    if (pictureAddress + geometry.memoryBytes > firmwareMemoryStart)
        throw Exception("A " + std::string(geometry.name) +
                        " picture does not fit below the firmware's memory");
    viewer.at(static_cast<std::size_t>(settings.modeByte)) =
        static_cast<std::uint8_t>(kModeRomOff | mode.number);
    const int crtc[kCrtcPairs][2] = {{1, geometry.characterColumns}, {2, geometry.hsyncPosition},
                                     {6, geometry.characterRows},    {7, geometry.vsyncPosition},
                                     {12, geometry.startHigh},       {13, geometry.startLow}};
    for (int k = 0; k < kCrtcPairs; ++k) {
        viewer.at(static_cast<std::size_t>(settings.crtcValues + 2 * k)) =
            static_cast<std::uint8_t>(crtc[k][0]);
        viewer.at(static_cast<std::size_t>(settings.crtcValues + 2 * k + 1)) =
            static_cast<std::uint8_t>(crtc[k][1]);
    }
    putWord(viewer, settings.pictureLast, pictureAddress + geometry.memoryBytes - 1);
    putWord(viewer, settings.screenLast, geometry.baseAddress + geometry.memoryBytes - 1);
    putWord(viewer, settings.pictureBytes, geometry.memoryBytes);
    putWord(viewer, settings.stackTop, stackTop);
}

std::vector<std::uint8_t> With_Viewer_Decoder(std::vector<std::uint8_t> viewer,
                                              const ViewerSettings& settings,
                                              const ScreenGeometry& geometry, int viewerRoom,
                                              int streamAddress, int streamBytes,
                                              int firmwareMemoryStart) {
    const int room = std::min(geometry.baseAddress, firmwareMemoryStart) - streamAddress;
    if (streamBytes > room)
        throw Exception("The compressed picture takes " + IntToStr(streamBytes) +
                        " bytes, more than the " + IntToStr(room) +
                        " the viewer can load below the " + std::string(geometry.name) +
                        " screen: write the disc without --pack");
    putWord(viewer, settings.decoder, kZx0Z80DecoderAddress);
    putWord(viewer, settings.streamFirst, streamAddress);
    putWord(viewer, settings.screenFirst, geometry.baseAddress);
    viewer.resize(static_cast<std::size_t>(viewerRoom), 0);
    const std::vector<std::uint8_t> decoder = Zx0_Z80_Decoder();
    viewer.insert(viewer.end(), decoder.begin(), decoder.end());
    return viewer;
}
