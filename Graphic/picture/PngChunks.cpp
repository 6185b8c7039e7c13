#include "PngChunks.h"

#include <array>
#include <cstdint>
#include <functional>
#include <zlib.h>

#include "Picture.h"
#include "SysUtils.h"

namespace {

constexpr qsizetype kSignatureBytes = 8;
// Every chunk: length (4 bytes, big-endian, of the data only), type (4
// ASCII letters), data, CRC-32 of type and data (4 bytes).
constexpr qsizetype kChunkFrameBytes = 12;
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
// IHDR's data: width (4), height (4), bit depth (1), colour type (1),
// compression (1), filter (1), interlace (1).
constexpr std::uint32_t kHeaderLength = 13;
constexpr int kPaletteColourType = 3;
// libpng refuses a side longer than this unless told otherwise.
constexpr long long kLibpngMaxSide = 1'000'000;

struct Chunk {
    qsizetype start;      // first byte of the length field
    std::uint32_t length; // bytes of data
    std::string type;     // four letters
    const std::uint8_t* data;
    qsizetype end() const { return start + kChunkFrameBytes + length; }
    // Critical chunks have an upper-case first letter.
    bool critical() const { return (type[0] & 0x20) == 0; }
};

std::uint32_t big32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// A chunk type as it may be printed: four letters, a byte that is none as \ and its value.
std::string typeText(const std::uint8_t* p) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const bool letter = (p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= 'a' && p[i] <= 'z');
        if (letter)
            text.push_back(static_cast<char>(p[i]));
        else
            text.append("\\").append(std::to_string(p[i]));
    }
    return text;
}

bool checksumMatches(const Chunk& chunk) {
    const std::uint8_t* type = chunk.data - 4;
    return crc32_z(0L, type, 4 + std::size_t{chunk.length}) == big32(chunk.data + chunk.length);
}

// Samples per pixel by colour type (grey, -, RGB, palette, grey + alpha,
// -, RGBA), 0 for the types that do not exist; and the depths each allows.
int channelsOf(int colourType) {
    static constexpr std::array<int, 7> kChannels{1, 0, 3, 1, 2, 0, 4};
    return colourType >= 0 && colourType < 7 ? kChannels[static_cast<std::size_t>(colourType)] : 0;
}

bool depthAllowed(int colourType, int depth) {
    const bool low = depth == 1 || depth == 2 || depth == 4;
    if (colourType == 0)
        return low || depth == 8 || depth == 16;
    if (colourType == kPaletteColourType)
        return low || depth == 8;
    return depth == 8 || depth == 16;
}

// Checks the header chunk's fields, calling damaged with the reason for any a PNG cannot have.
void checkHeader(const Chunk& header, const std::function<void(const std::string&)>& damaged) {
    if (header.length != kHeaderLength)
        damaged("its header chunk IHDR holds " + std::to_string(header.length) + " bytes, not 13");
    const long long width = big32(header.data), height = big32(header.data + 4);
    const int depth = header.data[8], colourType = header.data[9], interlace = header.data[12];
    if (width == 0 || height == 0)
        damaged("its header gives a size of " + std::to_string(width) + " x " + std::to_string(height));
    if (channelsOf(colourType) == 0 || !depthAllowed(colourType, depth))
        damaged("its header gives colour type " + std::to_string(colourType) + " at " + std::to_string(depth) +
                " bits");
    if (header.data[10] != 0 || header.data[11] != 0 || interlace > 1)
        damaged("its header gives a compression, filter or interlace method PNG does not have");
}

} // namespace

void walkPngPictureChunks(const QByteArray& png, const std::string& what,
                          const std::function<void(std::span<const unsigned char>)>& keep) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
    const qsizetype size = png.size();
    const std::function<void(const std::string&)> damaged = [&](const std::string& reason) {
        throw Exception("damaged " + what + " (" + reason + ")");
    };

    keep({bytes, static_cast<std::size_t>(kSignatureBytes)});
    int colourType = 0;
    bool palette = false, imageData = false, ended = false, started = false;
    qsizetype at = kSignatureBytes;
    while (!ended) {
        if (at == size)
            damaged(!started ? "it ends before its header chunk IHDR" : "it ends without its end chunk IEND");
        if (size - at < 8)
            damaged("it is cut short inside a chunk's header");
        const Chunk chunk{at, big32(bytes + at), typeText(bytes + at + 4), bytes + at + 8};
        if (chunk.type.size() != 4)
            damaged("a chunk named " + chunk.type + ", which is not a chunk name");
        if (chunk.length > kMaxChunkLength)
            damaged("chunk " + chunk.type + " declares " + std::to_string(chunk.length) + " bytes");
        if (size - at < kChunkFrameBytes + static_cast<qsizetype>(chunk.length))
            damaged("it is cut short inside chunk " + chunk.type);
        const bool first = at == kSignatureBytes;
        if (first != (chunk.type == "IHDR"))
            damaged(first ? "it does not start with its header chunk IHDR" : "a second header chunk IHDR");
        at = chunk.end();

        // A palette matters to a palette picture only; elsewhere it is a suggestion.
        const bool picture = chunk.type == "PLTE" ? colourType == kPaletteColourType
                                                  : chunk.critical() || chunk.type == "tRNS";
        if (!picture)
            continue;
        if (!checksumMatches(chunk)) {
            if (!chunk.critical())
                continue; // as libpng drops a damaged ancillary chunk
            damaged("bad checksum in chunk " + chunk.type);
        }
        if (chunk.type == "IHDR") {
            checkHeader(chunk, damaged);
            started = true;
            colourType = chunk.data[9];
            const long long width = big32(chunk.data), height = big32(chunk.data + 4);
            if (width * height > kMaxPicturePixels)
                throw Exception("the " + what + " picture has " + Too_Many_Pixels_Text(width, height));
            if (width > kLibpngMaxSide || height > kLibpngMaxSide)
                throw Exception("the " + what + " picture is " + std::to_string(width) + " x " +
                                std::to_string(height) + " pixels, more than a million on a side");
        } else if (chunk.type == "PLTE") {
            if (palette || imageData)
                damaged("a palette chunk PLTE out of place");
            if (chunk.length == 0 || chunk.length % 3 != 0 || chunk.length > 3 * 256)
                damaged("a palette chunk PLTE of " + std::to_string(chunk.length) + " bytes");
            palette = true;
        } else if (chunk.type == "IDAT") {
            if (colourType == kPaletteColourType && !palette)
                damaged("image data before the palette chunk PLTE");
            imageData = true;
        } else if (chunk.type == "IEND") {
            ended = true;
        } else if (chunk.type != "tRNS")
            damaged("unknown critical chunk " + chunk.type);
        keep({bytes + chunk.start, static_cast<std::size_t>(chunk.end() - chunk.start)});
    }
}
