#include "PngChunks.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>
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

// Room beyond the unpacked rows for what an encoder legitimately adds: the
// zlib wrapper, stored blocks of incompressible data, the extra filter bytes
// and row ends of the seven interlace passes.
constexpr long long kImageDataSlackBytes = 1 << 20;

struct Chunk {
    qsizetype start;       // first byte of the length field
    std::uint32_t length;  // bytes of data
    std::string type;      // four letters
    const std::uint8_t* data;
    qsizetype end() const { return start + kChunkFrameBytes + length; }
    // Critical chunks have an upper-case first letter.
    bool critical() const { return (type[0] & 0x20) == 0; }
};

std::uint32_t big32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// A chunk type as it may be printed: four letters, a byte that is none as \\ and its value.
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
    const auto* type = chunk.data - 4;
    const uLong crc = crc32_z(0L, type, 4 + std::size_t{chunk.length});
    return crc == big32(chunk.data + chunk.length);
}

// The bytes of image data a picture of this header can need: its unpacked
// rows (one filter byte each) plus the slack above.
long long imageDataLimit(const std::uint8_t* header, long long width, long long height) {
    static constexpr std::array<int, 7> kChannels{1, 0, 3, 1, 2, 0, 4}; // by colour type
    const int colourType = header[9];
    const int channels = colourType < 7 ? kChannels[static_cast<std::size_t>(colourType)] : 4;
    const long long bitsPerPixel = static_cast<long long>(channels == 0 ? 4 : channels) * header[8];
    const long long rowBytes = (width * bitsPerPixel + 7) / 8 + 1;
    return height * rowBytes + height * rowBytes / 64 + 16 * height + kImageDataSlackBytes;
}

} // namespace

QByteArray pngPictureChunks(const QByteArray& png, const std::string& what) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
    const qsizetype size = png.size();
    const auto damaged = [&](const std::string& reason) { throw Exception("damaged " + what + " (" + reason + ")"); };

    std::vector<std::pair<qsizetype, qsizetype>> kept{{0, kSignatureBytes}}; // byte ranges, in order
    long long imageData = 0, imageDataLimitBytes = 0;
    qsizetype at = kSignatureBytes;
    bool ended = false;
    while (!ended) {
        // Without its end chunk the decoder says whether the picture is whole.
        if (at == size)
            break;
        if (size - at < 8)
            damaged("it is cut short inside a chunk's header");
        Chunk chunk{at, big32(bytes + at), typeText(bytes + at + 4), bytes + at + 8};
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

        const bool picture = chunk.critical() || chunk.type == "tRNS";
        if (!picture)
            continue;
        if (!checksumMatches(chunk)) {
            if (!chunk.critical())
                continue;
            damaged("bad checksum in chunk " + chunk.type);
        }
        if (chunk.type == "IHDR") {
            if (chunk.length != kHeaderLength)
                damaged("its header chunk IHDR holds " + std::to_string(chunk.length) + " bytes, not 13");
            const long long width = big32(chunk.data), height = big32(chunk.data + 4);
            if (width * height > kMaxPicturePixels)
                throw Exception("the " + what + " picture has " + Too_Many_Pixels_Text(width, height));
            imageDataLimitBytes = imageDataLimit(chunk.data, width, height);
        } else if (chunk.type == "IDAT") {
            imageData += chunk.length;
            if (imageData > imageDataLimitBytes)
                damaged("more image data than its picture can hold");
        } else if (chunk.type == "IEND")
            ended = true;
        else if (chunk.type != "PLTE" && chunk.type != "tRNS")
            damaged("unknown critical chunk " + chunk.type);
        if (kept.back().second == chunk.start)
            kept.back().second = chunk.end();
        else
            kept.emplace_back(chunk.start, chunk.end());
    }
    if (kept.size() == 1 && kept.front().second == size)
        return png;
    QByteArray picture;
    qsizetype length = 0;
    for (const auto& [from, to] : kept)
        length += to - from;
    picture.reserve(length);
    for (const auto& [from, to] : kept)
        picture.append(png.constData() + from, to - from);
    return picture;
}
