#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Writes bitmap files of every layout from known pixels, so the reader's tests
// make their own corpus. Nothing here checks what it writes: malformed files
// are made by giving odd fields or by patching the bytes afterwards.
namespace bmp_forge {

using Bytes = std::vector<std::uint8_t>;

struct Bgr {
    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;
};

// Byte positions of the fields, for patching.
inline constexpr std::size_t kBfSizePos = 2;
inline constexpr std::size_t kOffBitsPos = 10;
inline constexpr std::size_t kHeaderSizePos = 14;
inline constexpr std::size_t kWidthPos = 18;  // 32-bit from the 16-byte header on
inline constexpr std::size_t kHeightPos = 22; // 32-bit from the 16-byte header on
inline constexpr std::size_t kPlanesPos = 26;
inline constexpr std::size_t kBitCountPos = 28;
inline constexpr std::size_t kCompressionPos = 30;
inline constexpr std::size_t kSizeImagePos = 34;
inline constexpr std::size_t kClrUsedPos = 46;

struct BmpFields {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1; // negative: rows stored top-down
    std::uint16_t planes = 1;
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    // Inside the header when it has room for them (52 bytes and more, not the
    // 64-byte OS/2 one), else written straight after the header.
    std::vector<std::uint32_t> masks;
    std::vector<Bgr> palette; // 3-byte entries with a 12-byte header, 4-byte otherwise
    Bytes pixels;             // the pixel data exactly as stored
    bool writeSizeImage = true;
};

inline void put16(Bytes& bytes, std::size_t pos, std::uint32_t value) {
    if (bytes.size() < pos + 2)
        bytes.resize(pos + 2);
    bytes[pos] = static_cast<std::uint8_t>(value);
    bytes[pos + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void put32(Bytes& bytes, std::size_t pos, std::uint32_t value) {
    put16(bytes, pos, value & 0xFFFF);
    put16(bytes, pos + 2, value >> 16);
}

inline Bytes forge(const BmpFields& fields) {
    Bytes file(14 + fields.headerSize, 0);
    file[0] = 'B';
    file[1] = 'M';
    put32(file, kHeaderSizePos, fields.headerSize);
    if (fields.headerSize == 12) {
        put16(file, 18, static_cast<std::uint32_t>(fields.width));
        put16(file, 20, static_cast<std::uint32_t>(fields.height));
        put16(file, 22, fields.planes);
        put16(file, 24, fields.bitsPerPixel);
    } else {
        put32(file, kWidthPos, static_cast<std::uint32_t>(fields.width));
        put32(file, kHeightPos, static_cast<std::uint32_t>(fields.height));
        put16(file, kPlanesPos, fields.planes);
        put16(file, kBitCountPos, fields.bitsPerPixel);
    }
    if (fields.headerSize >= 40) {
        put32(file, kCompressionPos, fields.compression);
        if (fields.writeSizeImage)
            put32(file, kSizeImagePos, static_cast<std::uint32_t>(fields.pixels.size()));
        put32(file, kClrUsedPos, fields.colorsUsed);
    }
    const bool masksInside = fields.headerSize >= 52 && fields.headerSize != 64;
    for (std::size_t i = 0; i < fields.masks.size(); ++i) {
        if (masksInside)
            put32(file, 14 + 40 + 4 * i, fields.masks[i]);
        else
            put32(file, file.size(), fields.masks[i]);
    }
    for (const Bgr& entry : fields.palette) {
        file.push_back(entry.b);
        file.push_back(entry.g);
        file.push_back(entry.r);
        if (fields.headerSize != 12)
            file.push_back(0);
    }
    put32(file, kOffBitsPos, static_cast<std::uint32_t>(file.size()));
    file.insert(file.end(), fields.pixels.begin(), fields.pixels.end());
    put32(file, kBfSizePos, static_cast<std::uint32_t>(file.size()));
    return file;
}

// Rows given top-down, stored bottom-up unless topDown, each padded to 4 bytes.
inline Bytes storeRows(const std::vector<Bytes>& rowsTopDown, bool topDown) {
    Bytes stored;
    for (std::size_t i = 0; i < rowsTopDown.size(); ++i) {
        const Bytes& row = rowsTopDown[topDown ? i : rowsTopDown.size() - 1 - i];
        stored.insert(stored.end(), row.begin(), row.end());
        stored.resize((stored.size() + 3) / 4 * 4, 0);
    }
    return stored;
}

// Palette indices of 1, 2, 4 or 8 bits, the leftmost pixel in the high bits.
inline Bytes packIndices(const std::vector<std::vector<int>>& rowsTopDown, int bitsPerPixel,
                         bool topDown = false) {
    std::vector<Bytes> packed;
    for (const auto& indices : rowsTopDown) {
        Bytes row((indices.size() * static_cast<std::size_t>(bitsPerPixel) + 7) / 8, 0);
        for (std::size_t x = 0; x < indices.size(); ++x) {
            const std::size_t bit = x * static_cast<std::size_t>(bitsPerPixel);
            row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] |
                                                     indices[x] << (8 - bitsPerPixel - bit % 8));
        }
        packed.push_back(row);
    }
    return storeRows(packed, topDown);
}

// Pixel values of `bytesPerPixel` little-endian bytes each (2, 3, 4 or 8).
inline Bytes packValues(const std::vector<std::vector<std::uint64_t>>& rowsTopDown,
                        int bytesPerPixel, bool topDown = false) {
    std::vector<Bytes> packed;
    for (const auto& values : rowsTopDown) {
        Bytes row;
        for (std::uint64_t v : values)
            for (int i = 0; i < bytesPerPixel; ++i)
                row.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        packed.push_back(row);
    }
    return storeRows(packed, topDown);
}

// A 64-bit pixel from four s2.13 channels.
inline std::uint64_t fixed64(int b, int g, int r, int a) {
    const auto c = [](int v) { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(v)); };
    return c(b) | c(g) << 16 | c(r) << 32 | c(a) << 48;
}

} // namespace bmp_forge
