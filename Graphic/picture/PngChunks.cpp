#include "PngChunks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
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
constexpr int kPaletteColourType = 3;
// libpng refuses a side longer than this unless told otherwise.
constexpr long long kLibpngMaxSide = 1'000'000;
// The row filters 0..4: none, sub, up, average, Paeth.
constexpr std::uint8_t kLastFilter = 4;

struct Chunk {
    qsizetype start;      // first byte of the length field
    std::uint32_t length; // bytes of data
    std::string type;     // four letters
    const std::uint8_t* data;
    qsizetype end() const { return start + kChunkFrameBytes + length; }
    // Critical chunks have an upper-case first letter.
    bool critical() const { return (type[0] & 0x20) == 0; }
};

// A run of rows as the unpacked image data holds them: each row one filter
// byte, then rowBytes bytes. An interlaced picture has seven such passes.
struct RowRun {
    long long rows;
    long long rowBytes;
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

// The runs of rows of the unpacked image data, or a reason the header is damaged.
std::vector<RowRun> rowRunsOf(const Chunk& header, const std::function<void(const std::string&)>& damaged) {
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
    const long long bitsPerPixel = static_cast<long long>(channelsOf(colourType)) * depth;
    const auto bytesFor = [&](long long pixels) { return (pixels * bitsPerPixel + 7) / 8; };
    if (interlace == 0)
        return {{height, bytesFor(width)}};
    // Adam7: where each pass starts in the 8 x 8 tile and how far it steps.
    static constexpr std::array<int, 7> kStartX{0, 4, 0, 2, 0, 1, 0}, kStartY{0, 0, 4, 0, 2, 0, 1};
    static constexpr std::array<int, 7> kStepX{8, 8, 4, 4, 2, 2, 1}, kStepY{8, 8, 8, 4, 4, 2, 2};
    std::vector<RowRun> runs;
    for (std::size_t pass = 0; pass < 7; ++pass) {
        const long long columns = std::max(0LL, (width - kStartX[pass] + kStepX[pass] - 1) / kStepX[pass]);
        const long long rows = std::max(0LL, (height - kStartY[pass] + kStepY[pass] - 1) / kStepY[pass]);
        if (columns > 0 && rows > 0)
            runs.push_back({rows, bytesFor(columns)});
    }
    return runs;
}

// Unpacks the image data once, keeping none of it, to find what the decoder
// would fail on: a damaged stream, a row filter that does not exist, or too
// little data for the picture. Extra data after the picture is left to the
// decoder, which passes over it.
void checkImageData(const std::vector<const Chunk*>& imageData,
                    const std::vector<RowRun>& runs, const std::function<void(const std::string&)>& damaged) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw std::bad_alloc();
    std::array<std::uint8_t, 1 << 16> out;
    std::size_t run = 0;
    long long rowsLeft = runs.empty() ? 0 : runs[0].rows;
    long long untilFilter = 0; // output bytes before the next row's filter byte
    long long row = 0;
    std::string fault;
    int status = Z_OK;
    for (const Chunk* chunk : imageData) {
        stream.next_in = const_cast<Bytef*>(chunk->data);
        stream.avail_in = chunk->length;
        while (stream.avail_in > 0 && status == Z_OK && fault.empty() && run < runs.size()) {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            status = inflate(&stream, Z_NO_FLUSH);
            if (status == Z_BUF_ERROR) { // no progress: the rest of the stream is in the next chunk
                status = Z_OK;
                break;
            }
            const long long produced = static_cast<long long>(out.size() - stream.avail_out);
            long long at = untilFilter;
            for (; at < produced && run < runs.size() && fault.empty(); ++row) {
                const std::uint8_t filter = out[static_cast<std::size_t>(at)];
                if (filter > kLastFilter)
                    fault = "row filter " + std::to_string(filter) + " in row " + std::to_string(row);
                at += 1 + runs[run].rowBytes;
                if (--rowsLeft == 0 && ++run < runs.size())
                    rowsLeft = runs[run].rows;
            }
            untilFilter = at - produced;
        }
    }
    const std::string zlibMessage = stream.msg ? stream.msg : "";
    inflateEnd(&stream);
    if (!fault.empty())
        damaged(fault);
    if (status != Z_OK && status != Z_STREAM_END)
        damaged("its image data is corrupt: " + (zlibMessage.empty() ? "zlib error " + std::to_string(status)
                                                                       : zlibMessage));
    if (run < runs.size())
        damaged("its image data ends early");
}

} // namespace

QByteArray pngPictureChunks(QByteArray png, const std::string& what) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
    const qsizetype size = png.size();
    const std::function<void(const std::string&)> damaged = [&](const std::string& reason) {
        throw Exception("damaged " + what + " (" + reason + ")");
    };

    std::vector<Chunk> chunks; // the ones kept, in order
    std::vector<RowRun> runs;
    int colourType = 0;
    qsizetype at = kSignatureBytes;
    while (chunks.empty() || chunks.back().type != "IEND") {
        if (at == size)
            damaged(chunks.empty() ? "it ends before its header chunk IHDR" : "it ends without its end chunk IEND");
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
        const auto seen = [&](const char* type) {
            return std::any_of(chunks.begin(), chunks.end(), [&](const Chunk& c) { return c.type == type; });
        };
        if (chunk.type == "IHDR") {
            runs = rowRunsOf(chunk, damaged);
            colourType = chunk.data[9];
            const long long width = big32(chunk.data), height = big32(chunk.data + 4);
            if (width * height > kMaxPicturePixels)
                throw Exception("the " + what + " picture has " + Too_Many_Pixels_Text(width, height));
            if (width > kLibpngMaxSide || height > kLibpngMaxSide)
                throw Exception("the " + what + " picture is " + std::to_string(width) + " x " +
                                std::to_string(height) + " pixels, more than a million on a side");
        } else if (chunk.type == "PLTE") {
            if (seen("PLTE") || seen("IDAT"))
                damaged("a palette chunk PLTE out of place");
            if (chunk.length == 0 || chunk.length % 3 != 0 || chunk.length > 3 * 256)
                damaged("a palette chunk PLTE of " + std::to_string(chunk.length) + " bytes");
        } else if (chunk.type == "IDAT") {
            if (colourType == kPaletteColourType && !seen("PLTE"))
                damaged("image data before the palette chunk PLTE");
        } else if (chunk.type != "IEND" && chunk.type != "tRNS")
            damaged("unknown critical chunk " + chunk.type);
        chunks.push_back(chunk);
    }

    std::vector<const Chunk*> imageData;
    for (const Chunk& chunk : chunks)
        if (chunk.type == "IDAT")
            imageData.push_back(&chunk);
    checkImageData(imageData, runs, damaged);

    // The kept chunks in order, each moved down over what was dropped before it.
    qsizetype length = kSignatureBytes;
    for (const Chunk& chunk : chunks)
        length += chunk.end() - chunk.start;
    if (length == size)
        return png;
    char* const out = png.data();
    qsizetype written = kSignatureBytes;
    for (const Chunk& chunk : chunks) {
        std::memmove(out + written, out + chunk.start, static_cast<std::size_t>(chunk.end() - chunk.start));
        written += chunk.end() - chunk.start;
    }
    png.truncate(length);
    return png;
}
