#include "GifFrame.h"

#include <cstdint>

#include "SysUtils.h"

namespace {

// Header: signature (6 bytes); logical screen: width (2), height (2),
// flags (1: bit 7 a global colour table follows, bits 0-2 its size),
// background colour (1), pixel aspect (1).
constexpr qsizetype kScreenFlagsAt = 10;
constexpr qsizetype kHeaderBytes = 13;
// Block introducers.
constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kImage = 0x2C;
// Image descriptor after its introducer: left (2), top (2), width (2),
// height (2), flags (1: bit 7 a local colour table follows, bits 0-2 its size).
constexpr qsizetype kImageFlagsAt = 8;
constexpr qsizetype kImageDescriptorBytes = 9;
constexpr std::uint8_t kColourTableFlag = 0x80;

// Bytes of the colour table flags announce: 3 for each of 2^(size + 1) colours.
qsizetype colourTableBytes(std::uint8_t flags) {
    return flags & kColourTableFlag ? 3 * (qsizetype{2} << (flags & 7)) : 0;
}

} // namespace

void checkGifFirstFrameWhole(const QByteArray& gif, const std::string& what) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(gif.constData());
    const qsizetype size = gif.size();
    if (size < kHeaderBytes)
        return;
    const auto cutShort = [&] { throw Exception("damaged " + what + " (its data is cut short)"); };
    // Each data sub-block: its length (1 byte, 0 ends the run), then its bytes.
    const auto passSubBlocks = [&](qsizetype at) {
        while (true) {
            if (at >= size)
                cutShort();
            const qsizetype length = bytes[at++];
            if (length == 0)
                return at;
            at += length;
        }
    };
    qsizetype at = kHeaderBytes + colourTableBytes(bytes[kScreenFlagsAt]);
    while (true) {
        if (at >= size)
            cutShort();
        const std::uint8_t introducer = bytes[at];
        if (introducer == kExtension) {
            at = passSubBlocks(at + 2); // after the introducer and the extension's label
        } else if (introducer == kImage) {
            if (size - at < 1 + kImageDescriptorBytes)
                cutShort();
            // After the descriptor and its colour table: the LZW code size (1 byte), then the data.
            at += 1 + kImageDescriptorBytes + colourTableBytes(bytes[at + 1 + kImageFlagsAt]) + 1;
            passSubBlocks(at);
            return;
        } else {
            return; // the trailer before any frame, or no block at all: the decoder says what it is
        }
    }
}
