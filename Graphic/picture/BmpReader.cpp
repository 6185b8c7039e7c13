#include "BmpReader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <vector>

#include "Picture.h"

namespace {

// File header (14 bytes): "BM", bfSize (4), two reserved words (4), bfOffBits (4).
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kOffBitsPos = 10;
// The info header starts with its own size (4 bytes).
constexpr std::size_t kInfoPos = kFileHeaderBytes;

constexpr std::uint32_t kCoreHeader = 12;     // BITMAPCOREHEADER, OS/2 1.x
constexpr std::uint32_t kOs2ShortHeader = 16; // OS/2 2.x, size fields only
constexpr std::uint32_t kInfoHeader = 40;     // BITMAPINFOHEADER
constexpr std::uint32_t kInfoRgbHeader = 52;  // INFO + red, green, blue masks
constexpr std::uint32_t kInfoRgbaHeader = 56; // INFO + red, green, blue, alpha masks
constexpr std::uint32_t kOs2Header = 64;      // OS/2 2.x BITMAPINFOHEADER2
constexpr std::uint32_t kV4Header = 108;
constexpr std::uint32_t kV5Header = 124;

// Compression codes of the Windows headers; OS/2 2.x gives 3 and 4 other meanings.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiJpeg = 4;
constexpr std::uint32_t kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::uint32_t kBiCmyk = 11;
constexpr std::uint32_t kBiCmykRle8 = 12;
constexpr std::uint32_t kBiCmykRle4 = 13;
constexpr std::uint32_t kOs2Huffman = 3;
constexpr std::uint32_t kOs2Rle24 = 4;

// 64-bit pixels hold s2.13 fixed-point channels: 8192 is full intensity.
constexpr int kFixedOne = 8192;

enum class Coding { Rgb, Bitfields, Rle8, Rle4, Rle24, Jpeg, Png };

[[noreturn]] void refuse(const std::string& reason) {
    throw BmpError(reason);
}

std::string num(long long value) {
    return std::to_string(value);
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t getSigned32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(get32(p));
}

std::string describeStart(std::span<const std::uint8_t> file) {
    if (file.empty())
        return "not a BMP file: it is empty";
    if (file.size() == 1)
        return "not a BMP file: it is only 1 byte long";
    const auto shown = [](std::uint8_t c) {
        return c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
    };
    char text[64];
    std::snprintf(text, sizeof text,
                  "not a BMP file: it starts with \"%c%c\" (%02X %02X), not \"BM\"", shown(file[0]),
                  shown(file[1]), static_cast<unsigned>(file[0]), static_cast<unsigned>(file[1]));
    return text;
}

std::string compressionName(std::uint32_t code, bool os2) {
    if (os2 && code == kOs2Huffman)
        return "OS/2 Huffman 1D";
    if (os2 && code == kOs2Rle24)
        return "OS/2 RLE24";
    switch (code) {
    case kBiRgb:
        return "BI_RGB";
    case kBiRle8:
        return "BI_RLE8";
    case kBiRle4:
        return "BI_RLE4";
    case kBiBitfields:
        return "BI_BITFIELDS";
    case kBiJpeg:
        return "BI_JPEG";
    case kBiPng:
        return "BI_PNG";
    case kBiAlphaBitfields:
        return "BI_ALPHABITFIELDS";
    case kBiCmyk:
        return "BI_CMYK";
    case kBiCmykRle8:
        return "BI_CMYKRLE8";
    case kBiCmykRle4:
        return "BI_CMYKRLE4";
    default:
        return "compression " + num(code);
    }
}

// One colour channel of a bitfield pixel, scaled to 0..255 as round(v * 255 / max).
class Channel {
  public:
    Channel() = default;
    explicit Channel(std::uint32_t mask) : mMask(mask) {
        while (!((mask >> mShift) & 1u))
            ++mShift;
        mMax = mask >> mShift;
        if (mMax <= kTableLimit) {
            mTable.resize(static_cast<std::size_t>(mMax) + 1);
            for (std::uint32_t v = 0; v <= mMax; ++v)
                mTable[v] = scaled(v);
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mMask) >> mShift;
        return mTable.empty() ? scaled(v) : mTable[v];
    }

  private:
    static constexpr std::uint32_t kTableLimit = 0xFFFF;
    std::uint8_t scaled(std::uint32_t v) const {
        return static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) * 255 + mMax / 2) / mMax);
    }
    std::uint32_t mMask = 0;
    int mShift = 0;
    std::uint32_t mMax = 1;
    std::vector<std::uint8_t> mTable;
};

// Masks must be non-empty (colour ones), one run of bits, within the pixel and apart.
void checkMasks(const std::array<std::uint32_t, 4>& masks, int bitsPerPixel) {
    static const char* const kNames[4] = {"red", "green", "blue", "alpha"};
    const std::uint64_t pixelBits = bitsPerPixel >= 32 ? 0xFFFFFFFFull : (1ull << bitsPerPixel) - 1;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t m = masks[static_cast<std::size_t>(i)];
        if (m == 0) {
            if (i < 3)
                refuse(std::string("the ") + kNames[i] + " bitfield mask is empty");
            continue;
        }
        if (m & ~pixelBits)
            refuse(std::string("the ") + kNames[i] + " bitfield mask " + hex(m) +
                   " lies outside the " + num(bitsPerPixel) + " bits of a pixel");
        std::uint32_t run = m;
        while (!(run & 1u))
            run >>= 1;
        if (run & (run + 1ull))
            refuse(std::string("the ") + kNames[i] + " bitfield mask " + hex(m) +
                   " is not one contiguous run of bits");
        for (int j = 0; j < i; ++j)
            if (m & masks[static_cast<std::size_t>(j)])
                refuse(std::string("the ") + kNames[j] + " and " + kNames[i] +
                       " bitfield masks overlap (" + hex(masks[static_cast<std::size_t>(j)]) +
                       " and " + hex(m) + ")");
    }
}

struct Header {
    std::uint32_t headerSize = 0;
    bool os2 = false;
    long long width = 0;
    long long height = 0; // absolute value
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compressionCode = kBiRgb;
    Coding coding = Coding::Rgb;
    std::uint32_t sizeImage = 0;
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 4> masks{};
    std::size_t tablesStart = 0; // masks after a 40-byte header, then the palette
    std::size_t offset = 0;
};

struct Palette {
    std::vector<std::array<std::uint8_t, 3>> entries; // blue, green, red
};

Header readHeader(std::span<const std::uint8_t> file, Palette& palette) {
    const std::size_t size = file.size();
    const std::uint8_t* d = file.data();
    if (size < 2 || d[0] != 'B' || d[1] != 'M')
        refuse(describeStart(file));
    if (size < kInfoPos + 4)
        refuse("headers truncated: the file is " + num(static_cast<long long>(size)) +
               " bytes long, the file header and the header size need " + num(kInfoPos + 4));

    Header h;
    h.headerSize = get32(d + kInfoPos);
    switch (h.headerSize) {
    case kCoreHeader:
    case kOs2ShortHeader:
    case kInfoHeader:
    case kInfoRgbHeader:
    case kInfoRgbaHeader:
    case kOs2Header:
    case kV4Header:
    case kV5Header:
        break;
    default:
        refuse("unsupported header size " + num(h.headerSize) +
               " bytes (known sizes: 12, 16, 40, 52, 56, 64, 108, 124)");
    }
    const std::size_t headerEnd = kInfoPos + h.headerSize;
    if (size < headerEnd)
        refuse("headers truncated: the file is " + num(static_cast<long long>(size)) +
               " bytes long, its " + num(h.headerSize) + "-byte header ends at byte " +
               num(static_cast<long long>(headerEnd)));
    h.os2 = h.headerSize == kCoreHeader || h.headerSize == kOs2ShortHeader ||
            h.headerSize == kOs2Header;

    const std::uint8_t* info = d + kInfoPos;
    int planes = 0;
    if (h.headerSize == kCoreHeader) {
        // bcSize (4), bcWidth (2), bcHeight (2), bcPlanes (2), bcBitCount (2); always bottom-up.
        h.width = get16(info + 4);
        h.height = get16(info + 6);
        planes = get16(info + 8);
        h.bitsPerPixel = get16(info + 10);
    } else {
        // biSize (4), biWidth (4), biHeight (4), biPlanes (2), biBitCount (2), then from 40-byte
        // headers on: biCompression (4), biSizeImage (4), two resolutions (8), biClrUsed (4),
        // biClrImportant (4); masks red, green, blue, alpha at 40 in the 52-byte and longer ones.
        h.width = getSigned32(info + 4);
        const long long height = getSigned32(info + 8);
        planes = get16(info + 12);
        h.bitsPerPixel = get16(info + 14);
        if (height == std::numeric_limits<std::int32_t>::min())
            refuse("height " + num(height) + " is out of range");
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        if (h.headerSize >= kInfoHeader) {
            h.compressionCode = get32(info + 16);
            h.sizeImage = get32(info + 20);
            h.colorsUsed = get32(info + 32);
        }
        if (h.headerSize >= kInfoRgbHeader && h.headerSize != kOs2Header)
            for (std::size_t i = 0; i < (h.headerSize >= kInfoRgbaHeader ? 4u : 3u); ++i)
                h.masks[i] = get32(info + 40 + 4 * i);
    }
    if (planes != 1)
        refuse("the header gives " + num(planes) + " colour planes, a BMP file has 1");
    if (h.width <= 0)
        refuse("width " + num(h.width) + " is not positive");
    if (h.height == 0)
        refuse("height is zero");
    if (h.width * h.height > kMaxPicturePixels)
        refuse("declared size " + num(h.width) + " x " + num(h.height) +
               " exceeds the 100-megapixel limit");

    const std::string name = compressionName(h.compressionCode, h.os2);
    const auto needDepth = [&](std::initializer_list<int> depths, const char* said) {
        if (std::find(depths.begin(), depths.end(), h.bitsPerPixel) == depths.end())
            refuse(name + " compression needs " + said + " bits per pixel, not " +
                   num(h.bitsPerPixel));
    };
    switch (h.compressionCode) {
    case kBiRgb:
        h.coding = Coding::Rgb;
        needDepth({1, 2, 4, 8, 16, 24, 32, 64}, "1, 2, 4, 8, 16, 24, 32 or 64");
        break;
    case kBiRle8:
        h.coding = Coding::Rle8;
        needDepth({8}, "8");
        break;
    case kBiRle4:
        h.coding = Coding::Rle4;
        needDepth({4}, "4");
        break;
    case kBiBitfields: // also kOs2Huffman
        if (h.os2)
            refuse(name + " compression is not supported");
        h.coding = Coding::Bitfields;
        needDepth({16, 32}, "16 or 32");
        break;
    case kBiJpeg: // also kOs2Rle24
        h.coding = h.os2 ? Coding::Rle24 : Coding::Jpeg;
        if (h.os2)
            needDepth({24}, "24");
        break;
    case kBiPng:
    case kBiAlphaBitfields:
        if (h.os2)
            refuse("unknown " + name + " in an OS/2 header");
        h.coding = h.compressionCode == kBiPng ? Coding::Png : Coding::Bitfields;
        if (h.coding == Coding::Bitfields)
            needDepth({16, 32}, "16 or 32");
        break;
    case kBiCmyk:
    case kBiCmykRle8:
    case kBiCmykRle4:
        refuse(name + " compression is not supported");
    default:
        refuse("unknown " + name);
    }
    if (h.topDown && h.coding != Coding::Rgb && h.coding != Coding::Bitfields)
        refuse("a top-down picture (negative height) cannot use " + name + " compression");

    h.tablesStart = headerEnd;
    if (h.coding == Coding::Bitfields) {
        if (h.headerSize == kInfoHeader) {
            const std::size_t count = h.compressionCode == kBiAlphaBitfields ? 4 : 3;
            if (size < headerEnd + 4 * count)
                refuse("headers truncated: the bitfield masks end at byte " +
                       num(static_cast<long long>(headerEnd + 4 * count)) + ", the file is " +
                       num(static_cast<long long>(size)) + " bytes long");
            for (std::size_t i = 0; i < count; ++i)
                h.masks[i] = get32(d + headerEnd + 4 * i);
            h.tablesStart = headerEnd + 4 * count;
        }
        checkMasks(h.masks, h.bitsPerPixel);
    } else if (h.coding == Coding::Rgb && h.bitsPerPixel == 16) {
        h.masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (h.coding == Coding::Rgb && h.bitsPerPixel == 32) {
        h.masks = {0xFF0000, 0xFF00, 0xFF, 0};
    } else {
        h.masks = {}; // a later header's masks mean nothing without bitfield compression
    }

    std::size_t tablesEnd = h.tablesStart;
    const bool indexed = h.bitsPerPixel <= 8 && h.coding != Coding::Jpeg && h.coding != Coding::Png;
    if (indexed) {
        // Entries beyond what the depth can index are never used and so not read.
        const std::uint32_t depthEntries = 1u << h.bitsPerPixel;
        const std::uint32_t entries =
            h.colorsUsed == 0 ? depthEntries : std::min(h.colorsUsed, depthEntries);
        const std::size_t entryBytes = h.headerSize == kCoreHeader ? 3 : 4;
        tablesEnd = h.tablesStart + entries * entryBytes;
        if (size < tablesEnd)
            refuse("palette truncated: its " + num(entries) + " entries end at byte " +
                   num(static_cast<long long>(tablesEnd)) + ", the file is " +
                   num(static_cast<long long>(size)) + " bytes long");
        palette.entries.resize(entries);
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = d + h.tablesStart + i * entryBytes;
            palette.entries[i] = {e[0], e[1], e[2]};
        }
    }

    const std::uint32_t offset = get32(d + kOffBitsPos);
    if (offset > size)
        refuse("pixel data offset " + num(offset) + " lies past the end of the file (" +
               num(static_cast<long long>(size)) + " bytes)");
    if (offset < tablesEnd)
        refuse("pixel data offset " + num(offset) + " lies inside the " +
               (indexed ? "palette, which ends" : "headers, which end") + " at byte " +
               num(static_cast<long long>(tablesEnd)));
    h.offset = offset;
    return h;
}

std::string rowText(long long x, long long y) {
    return "pixel " + num(x) + " of row " + num(y);
}

// Looks up palette indices, refusing one the palette does not have.
class IndexedWriter {
  public:
    explicit IndexedWriter(const Palette& palette) : mPalette(palette) {}
    void put(std::uint8_t*& dst, unsigned index, long long x, long long y) const {
        if (index >= mPalette.entries.size())
            refuse("palette index " + num(index) + " beyond the " +
                   num(static_cast<long long>(mPalette.entries.size())) + " entries (" +
                   rowText(x, y) + ")");
        const auto& e = mPalette.entries[index];
        dst[0] = e[0];
        dst[1] = e[1];
        dst[2] = e[2];
        dst += 3;
    }

  private:
    const Palette& mPalette;
};

std::uint8_t* rowOf(BmpRowTarget& target, long long y) {
    std::uint8_t* row = target.bmpRow(static_cast<int>(y));
    if (!row)
        throw std::logic_error("the picture gave no row " + num(y) + " to decode into");
    return row;
}

// s2.13 fixed point to 0..255: values below 0 and above 1.0 are clamped. The
// values are taken as they are: no gamma conversion from linear light is made.
std::uint8_t fromFixed(std::uint16_t raw) {
    const int v = std::clamp<int>(static_cast<std::int16_t>(raw), 0, kFixedOne);
    return static_cast<std::uint8_t>((v * 255 + kFixedOne / 2) / kFixedOne);
}

void decodeUncompressed(std::span<const std::uint8_t> file, const Header& h, const Palette& palette,
                        BmpRowTarget& target) {
    const long long stride = (h.width * h.bitsPerPixel + 31) / 32 * 4;
    const long long needed = static_cast<long long>(h.offset) + stride * h.height;
    if (static_cast<long long>(file.size()) < needed)
        refuse("pixel data ends at byte " + num(static_cast<long long>(file.size())) + " of " +
               num(needed) + " needed");
    target.bmpSize(static_cast<int>(h.width), static_cast<int>(h.height));
    const IndexedWriter indexed(palette);
    const Channel red(h.masks[0] ? h.masks[0] : 1), green(h.masks[1] ? h.masks[1] : 1),
        blue(h.masks[2] ? h.masks[2] : 1);
    const int bpp = h.bitsPerPixel;
    for (long long r = 0; r < h.height; ++r) {
        const long long y = h.topDown ? r : h.height - 1 - r;
        const std::uint8_t* src = file.data() + h.offset + r * stride;
        std::uint8_t* dst = rowOf(target, y);
        switch (bpp) {
        case 1:
        case 2:
        case 4:
        case 8: {
            const int perByte = 8 / bpp;
            const unsigned valueMask = (1u << bpp) - 1;
            for (long long x = 0; x < h.width; ++x) {
                const int shift = 8 - bpp * (static_cast<int>(x % perByte) + 1);
                indexed.put(dst, (src[x / perByte] >> shift) & valueMask, x, y);
            }
            break;
        }
        case 16:
        case 32:
            for (long long x = 0; x < h.width; ++x) {
                const std::uint32_t p = bpp == 16 ? get16(src + 2 * x) : get32(src + 4 * x);
                dst[0] = blue(p);
                dst[1] = green(p);
                dst[2] = red(p);
                dst += 3;
            }
            break;
        case 24:
            std::copy(src, src + 3 * h.width, dst);
            break;
        case 64:
            // Channels blue, green, red, alpha, 16 bits each; alpha is dropped.
            for (long long x = 0; x < h.width; ++x) {
                const std::uint8_t* p = src + 8 * x;
                dst[0] = fromFixed(get16(p));
                dst[1] = fromFixed(get16(p + 2));
                dst[2] = fromFixed(get16(p + 4));
                dst += 3;
            }
            break;
        default:
            refuse("unsupported bit depth " +
                   num(bpp)); // unreachable: the header check names the depths
        }
    }
}

// RLE8, RLE4 and OS/2 RLE24: rows bottom-up, runs and absolute blocks that must
// fill every pixel in order. Skipping pixels (a delta, an early end of line or
// of picture) and runs past the row's end are refused rather than guessed.
void decodeRle(std::span<const std::uint8_t> file, const Header& h, const Palette& palette,
               BmpRowTarget& target) {
    const std::size_t size = file.size();
    std::size_t end = size;
    if (h.sizeImage != 0) {
        const long long needed = static_cast<long long>(h.offset) + h.sizeImage;
        if (static_cast<long long>(size) < needed)
            refuse("pixel data ends at byte " + num(static_cast<long long>(size)) + " of " +
                   num(needed) + " needed");
        end = static_cast<std::size_t>(needed);
    }
    // Every pixel must be written by a run of at most 255 pixels (2 bytes, 4
    // in RLE24), and every row ends with an end of line or of picture (2
    // bytes). A stream shorter than that is refused before the picture is
    // made, so a tiny file cannot ask for a huge one.
    const long long runBytes = h.coding == Coding::Rle24 ? 4 : 2;
    const long long least = h.height * ((h.width + 254) / 255 * runBytes + 2);
    const long long available = static_cast<long long>(end) - h.offset;
    if (available < least)
        refuse("RLE data of " + num(available) + " bytes is too short for " + num(h.width) + " x " +
               num(h.height) + " pixels, which need at least " + num(least));
    target.bmpSize(static_cast<int>(h.width), static_cast<int>(h.height));
    const std::uint8_t* d = file.data();
    std::size_t pos = h.offset;
    const auto need = [&](std::size_t n) {
        if (end - pos < n)
            refuse("RLE data ends at byte " + num(static_cast<long long>(end)) +
                   " before its end-of-picture mark");
    };
    const IndexedWriter indexed(palette);
    long long row = 0; // counted from the bottom, as stored
    long long x = 0;
    std::uint8_t* dst = rowOf(target, h.height - 1);
    const auto top = [&] { return h.height - 1 - row; };
    const auto startRun = [&](long long count) {
        if (row >= h.height)
            refuse("RLE data runs past the last row of the picture");
        if (x + count > h.width)
            refuse("RLE run of " + num(count) + " pixels at " + rowText(x, top()) +
                   " overflows the row of " + num(h.width) + " pixels");
    };
    for (;;) {
        need(1);
        const unsigned count = d[pos++];
        if (count > 0) {
            startRun(count);
            if (h.coding == Coding::Rle24) {
                need(3);
                for (unsigned i = 0; i < count; ++i, dst += 3)
                    std::copy(d + pos, d + pos + 3, dst);
                pos += 3;
            } else {
                need(1);
                const unsigned value = d[pos++];
                for (unsigned i = 0; i < count; ++i) {
                    const unsigned index =
                        h.coding == Coding::Rle8 ? value : (i % 2 ? value & 0xF : value >> 4);
                    indexed.put(dst, index, x + i, top());
                }
            }
            x += count;
            continue;
        }
        need(1);
        const unsigned code = d[pos++];
        if (code == 0) { // end of line
            if (row >= h.height)
                refuse("RLE end of line past the last row of the picture");
            if (x != h.width)
                refuse("RLE end of line at " + rowText(x, top()) + " leaves " + num(h.width - x) +
                       " pixels undefined");
            ++row;
            x = 0;
            if (row < h.height)
                dst = rowOf(target, top());
        } else if (code == 1) { // end of picture
            const long long left = (h.height - row) * h.width - x;
            if (left > 0)
                refuse("RLE end of picture at " + rowText(x, top()) + " leaves " + num(left) +
                       " pixels undefined");
            return;
        } else if (code == 2) { // delta: move right and up, leaving pixels unwritten
            need(2);
            const unsigned dx = d[pos];
            const unsigned dy = d[pos + 1];
            pos += 2;
            if (dx != 0 || dy != 0)
                refuse("RLE delta of (" + num(dx) + ", " + num(dy) + ") at " + rowText(x, top()) +
                       " skips pixels, leaving them undefined");
        } else { // absolute block of `code` pixels, padded to a 16-bit boundary
            startRun(code);
            const std::size_t bytes = h.coding == Coding::Rle24  ? 3 * code
                                      : h.coding == Coding::Rle8 ? code
                                                                 : (code + 1) / 2;
            need(bytes + bytes % 2);
            const std::uint8_t* src = d + pos;
            for (unsigned i = 0; i < code; ++i) {
                if (h.coding == Coding::Rle24) {
                    std::copy(src + 3 * i, src + 3 * i + 3, dst);
                    dst += 3;
                } else if (h.coding == Coding::Rle8) {
                    indexed.put(dst, src[i], x + i, top());
                } else {
                    indexed.put(dst, i % 2 ? src[i / 2] & 0xF : src[i / 2] >> 4, x + i, top());
                }
            }
            pos += bytes + bytes % 2;
            x += code;
        }
    }
}

BmpEmbedded locateEmbedded(std::span<const std::uint8_t> file, const Header& h) {
    static constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P',  'N',  'G',
                                                                  0x0D, 0x0A, 0x1A, 0x0A};
    static constexpr std::array<std::uint8_t, 2> kJpegStart = {0xFF, 0xD8};
    const bool png = h.coding == Coding::Png;
    const char* const what = png ? "PNG" : "JPEG";
    BmpEmbedded embedded;
    embedded.kind = png ? BmpEmbeddedKind::Png : BmpEmbeddedKind::Jpeg;
    embedded.offset = h.offset;
    embedded.length = file.size() - h.offset;
    if (h.sizeImage != 0) {
        const long long needed = static_cast<long long>(h.offset) + h.sizeImage;
        if (static_cast<long long>(file.size()) < needed)
            refuse("embedded " + std::string(what) + " data ends at byte " +
                   num(static_cast<long long>(file.size())) + " of " + num(needed) + " needed");
        embedded.length = h.sizeImage;
    }
    const std::span<const std::uint8_t> start = png ? std::span<const std::uint8_t>(kPngSignature)
                                                    : std::span<const std::uint8_t>(kJpegStart);
    if (embedded.length < start.size() ||
        !std::equal(start.begin(), start.end(), file.data() + h.offset))
        refuse("the embedded " + std::string(what) + " data does not start with the " + what +
               " signature");
    return embedded;
}

} // namespace

BmpLayout decodeBmp(std::span<const std::uint8_t> file, BmpRowTarget& target) {
    Palette palette;
    const Header h = readHeader(file, palette);
    BmpLayout layout;
    layout.width = static_cast<int>(h.width);
    layout.height = static_cast<int>(h.height);
    layout.bitsPerPixel = h.bitsPerPixel;
    layout.headerSize = h.headerSize;
    layout.compression = compressionName(h.compressionCode, h.os2);
    layout.topDown = h.topDown;
    if (h.coding == Coding::Jpeg || h.coding == Coding::Png) {
        layout.embedded = locateEmbedded(file, h);
        return layout;
    }
    if (h.coding == Coding::Rgb || h.coding == Coding::Bitfields)
        decodeUncompressed(file, h, palette, target);
    else
        decodeRle(file, h, palette, target);
    return layout;
}

std::optional<BmpPlainRows> plainBmpRows(std::span<const std::uint8_t> start,
                                         std::uint64_t fileBytes) {
    Palette palette;
    Header h;
    try {
        h = readHeader(start, palette);
    } catch (const BmpError&) {
        return std::nullopt;
    }
    if (h.coding != Coding::Rgb || h.bitsPerPixel != 24)
        return std::nullopt;
    const auto stride = static_cast<std::uint64_t>((h.width * 24 + 31) / 32 * 4);
    if (fileBytes < h.offset + stride * static_cast<std::uint64_t>(h.height))
        return std::nullopt;
    return BmpPlainRows{static_cast<int>(h.width), static_cast<int>(h.height), h.topDown, h.offset,
                        static_cast<std::size_t>(stride)};
}
