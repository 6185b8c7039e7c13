#include "BmpCorpus.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <ostream>
#include <random>
#include <stdexcept>
#include <zlib.h>

namespace bmp_corpus {

using namespace bmp_forge;

namespace {

// Sixteen distinct colours: entry i has blue 16i+1, green 255-16i, red 7i+3.
std::vector<Bgr> palette(int count) {
    std::vector<Bgr> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({static_cast<std::uint8_t>(16 * (i % 16) + 1),
                           static_cast<std::uint8_t>(255 - 16 * (i % 16)),
                           static_cast<std::uint8_t>(7 * i + 3)});
    return entries;
}

// The expected bytes of rows of palette indices.
Bytes viaPalette(const std::vector<std::vector<int>>& rows, const std::vector<Bgr>& entries) {
    Bytes out;
    for (const auto& row : rows)
        for (int i : row) {
            const Bgr& e = entries[static_cast<std::size_t>(i)];
            out.insert(out.end(), {e.b, e.g, e.r});
        }
    return out;
}

Bytes bgrRows(const std::vector<std::vector<Bgr>>& rows) {
    Bytes out;
    for (const auto& row : rows)
        for (const Bgr& p : row)
            out.insert(out.end(), {p.b, p.g, p.r});
    return out;
}

std::uint64_t bgrValue(Bgr p) {
    return p.b | p.g << 8 | static_cast<std::uint64_t>(p.r) << 16;
}

DecodeCase indexedCase(std::string name, std::uint32_t headerSize,
                       const std::vector<std::vector<int>>& rows, int bpp, int entries,
                       bool topDown = false) {
    const BmpFields fields = indexedFields(headerSize, rows, bpp, entries, topDown);
    return {std::move(name), forge(fields), fields.width, static_cast<int>(rows.size()),
            viaPalette(rows, fields.palette)};
}

// A picture of true-colour pixels stored as values of bytesPerPixel bytes.
DecodeCase valueCase(std::string name, BmpFields fields,
                     const std::vector<std::vector<std::uint64_t>>& values, int bytesPerPixel,
                     const std::vector<std::vector<Bgr>>& expected, bool topDown = false) {
    fields.width = static_cast<std::int32_t>(values[0].size());
    fields.height = static_cast<std::int32_t>(values.size()) * (topDown ? -1 : 1);
    fields.bitsPerPixel = static_cast<std::uint16_t>(8 * bytesPerPixel);
    fields.pixels = packValues(values, bytesPerPixel, topDown);
    return {std::move(name), forge(fields), fields.width, static_cast<int>(values.size()),
            bgrRows(expected)};
}

BmpFields header(std::uint32_t headerSize, std::uint32_t compression = 0,
               std::vector<std::uint32_t> masks = {}) {
    BmpFields fields;
    fields.headerSize = headerSize;
    fields.compression = compression;
    fields.masks = std::move(masks);
    return fields;
}

// An RLE picture from its stream; the stream is written by hand in the cases.
DecodeCase rleCase(std::string name, std::uint32_t headerSize, std::uint32_t compression, int bpp,
                   int width, int height, Bytes stream, Bytes expected, int entries = 16) {
    BmpFields fields;
    fields.headerSize = headerSize;
    fields.compression = compression;
    fields.bitsPerPixel = static_cast<std::uint16_t>(bpp);
    fields.width = width;
    fields.height = height;
    if (bpp <= 8)
        fields.palette = palette(entries);
    fields.colorsUsed = bpp <= 8 ? static_cast<std::uint32_t>(entries) : 0;
    fields.pixels = std::move(stream);
    return {std::move(name), forge(fields), width, height, std::move(expected)};
}

constexpr Bgr kWhite{255, 255, 255};
constexpr Bgr kBlack{0, 0, 0};
constexpr Bgr kRed{0, 0, 255};
constexpr Bgr kGreen{0, 255, 0};
constexpr Bgr kBlue{255, 0, 0};

Bytes patched16(Bytes file, std::size_t pos, std::uint32_t value) {
    put16(file, pos, value);
    return file;
}

BmpFields fields16(std::uint32_t compression, std::vector<std::uint32_t> masks) {
    BmpFields fields = header(40, compression, std::move(masks));
    fields.bitsPerPixel = 16;
    fields.pixels = packValues({{0x1234}}, 2);
    return fields;
}

BmpFields fieldsWithDepth(std::uint16_t bpp, std::uint32_t compression = 0) {
    BmpFields fields;
    fields.bitsPerPixel = bpp;
    fields.compression = compression;
    fields.pixels = Bytes(8, 0);
    return fields;
}

// A 4 x 2 RLE8 picture of a 16-entry palette from the given stream.
Bytes rle8(Bytes stream, std::int32_t height = 2) {
    BmpFields fields;
    fields.compression = 1;
    fields.bitsPerPixel = 8;
    fields.width = 4;
    fields.height = height;
    fields.palette = palette(16);
    fields.colorsUsed = 16;
    fields.pixels = std::move(stream);
    return forge(fields);
}

Bytes toBytes(const QByteArray& data) {
    return Bytes(data.begin(), data.end());
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

void putBig32(Bytes& bytes, std::size_t pos, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[pos + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// An 8-bit RGB PNG interlaced in seven passes (Adam7), which Qt does not
// write: each pass's rows, each row a filter byte 0 (none) and its pixels.
Bytes interlacedPng(const QImage& image) {
    static constexpr int kStartX[7]{0, 4, 0, 2, 0, 1, 0}, kStartY[7]{0, 0, 4, 0, 2, 0, 1};
    static constexpr int kStepX[7]{8, 8, 4, 4, 2, 2, 1}, kStepY[7]{8, 8, 8, 4, 4, 2, 2};
    Bytes raw;
    for (int pass = 0; pass < 7; ++pass) {
        if (kStartX[pass] >= image.width())
            continue; // a pass without columns has no rows either
        for (int y = kStartY[pass]; y < image.height(); y += kStepY[pass]) {
            raw.push_back(0);
            for (int x = kStartX[pass]; x < image.width(); x += kStepX[pass]) {
                const QRgb c = image.pixel(x, y);
                raw.insert(raw.end(), {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                                       static_cast<std::uint8_t>(qBlue(c))});
            }
        }
    }
    uLongf packedLength = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedLength);
    compress2(packed.data(), &packedLength, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedLength);
    Bytes header(13, 0); // width, height, depth 8, colour type 2 (RGB), compression, filter, interlace 1
    putBig32(header, 0, static_cast<std::uint32_t>(image.width()));
    putBig32(header, 4, static_cast<std::uint32_t>(image.height()));
    header[8] = 8;
    header[9] = 2;
    header[12] = 1;
    Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Bytes& chunk : {pngChunk("IHDR", header), pngChunk("IDAT", packed), pngChunk("IEND", {})})
        png.insert(png.end(), chunk.begin(), chunk.end());
    return png;
}

} // namespace

Bytes progressiveJpeg(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.setQuality(100);
    if (!writer.write(image))
        throw std::runtime_error("Qt cannot write a progressive JPEG");
    return toBytes(data);
}

Bytes pngChunk(const char* type, const Bytes& data) {
    Bytes chunk(12 + data.size());
    putBig32(chunk, 0, static_cast<std::uint32_t>(data.size()));
    std::copy(type, type + 4, chunk.begin() + 4);
    std::copy(data.begin(), data.end(), chunk.begin() + 8);
    putBig32(chunk, 8 + data.size(), crc32(chunk.data() + 4, data.size() + 4));
    return chunk;
}

std::ostream& operator<<(std::ostream& out, const DecodeCase& c) {
    return out << c.name;
}

BmpFields indexedFields(std::uint32_t headerSize, const std::vector<std::vector<int>>& rows, int bpp,
                    int entries, bool topDown) {
    BmpFields fields;
    fields.headerSize = headerSize;
    fields.width = static_cast<std::int32_t>(rows[0].size());
    fields.height = static_cast<std::int32_t>(rows.size()) * (topDown ? -1 : 1);
    fields.bitsPerPixel = static_cast<std::uint16_t>(bpp);
    fields.palette = palette(entries);
    fields.colorsUsed =
        entries == 1 << bpp || headerSize < 40 ? 0 : static_cast<std::uint32_t>(entries);
    fields.pixels = packIndices(rows, bpp, topDown);
    return fields;
}

std::vector<DecodeCase> decodeCases() {
    std::vector<DecodeCase> cases;
    // Palette pictures: widths that end inside a byte and rows that need padding.
    cases.push_back(indexedCase(
        "Indexed1Bit", 40, {{0, 1, 1, 0, 1, 0, 0, 1, 1, 1}, {1, 0, 0, 0, 0, 0, 1, 1, 0, 1}}, 1, 2));
    cases.push_back(indexedCase("Indexed2Bit", 40, {{0, 1, 2, 3, 2}, {3, 3, 0, 1, 1}}, 2, 4));
    cases.push_back(indexedCase("Indexed4Bit", 40, {{15, 0, 7}, {8, 9, 1}}, 4, 16));
    cases.push_back(indexedCase("Indexed4BitFewColours", 40, {{5, 0, 2}, {1, 4, 3}}, 4, 6));
    // Entries past what 4 bits can index are skipped over, not read.
    cases.push_back(indexedCase("Indexed4BitMoreColoursThanIndices", 40, {{15, 3}}, 4, 20));
    cases.push_back(indexedCase(
        "Indexed8Bit", 40, {{0, 200, 255, 17, 1}, {2, 3, 4, 5, 6}, {255, 254, 0, 0, 9}}, 8, 256));
    cases.push_back(indexedCase("Indexed8BitTopDown", 40, {{1, 2, 3}, {4, 5, 6}}, 8, 7, true));
    cases.push_back(indexedCase("Core1Bit", 12, {{1, 0, 1}, {0, 1, 1}}, 1, 2));
    cases.push_back(indexedCase("Core4Bit", 12, {{3, 14, 15, 0, 1}}, 4, 16));
    cases.push_back(indexedCase("Core8Bit", 12, {{0, 255}, {128, 7}}, 8, 256));
    cases.push_back(indexedCase("Os2Short8Bit", 16, {{10, 20, 30}, {40, 50, 60}}, 8, 256));
    cases.push_back(indexedCase("Os2Full4Bit", 64, {{1, 2, 3, 4, 5}, {11, 12, 13, 14, 15}}, 4, 16));
    cases.push_back(indexedCase("V5Indexed8Bit", 124, {{0, 1}, {2, 3}}, 8, 4));

    // 24 and 32 bits, plain.
    const std::vector<std::vector<Bgr>> rgb = {{kRed, kGreen, {1, 2, 3}},
                                               {kBlue, kWhite, {250, 128, 7}}};
    std::vector<std::vector<std::uint64_t>> rgbValues;
    for (const auto& row : rgb) {
        rgbValues.emplace_back();
        for (const Bgr& p : row)
            rgbValues.back().push_back(bgrValue(p));
    }
    cases.push_back(valueCase("Rgb24", header(40), rgbValues, 3, rgb));
    cases.push_back(valueCase("Rgb24Width1", header(40),
                              {{bgrValue({9, 8, 7})}, {bgrValue(kWhite)}}, 3,
                              {{{9, 8, 7}}, {kWhite}}));
    cases.push_back(valueCase("Rgb24TopDown", header(40), rgbValues, 3, rgb, true));
    cases.push_back(valueCase("Core24Bit", header(12), rgbValues, 3, rgb));
    cases.push_back(valueCase("Os2Full24Bit", header(64), rgbValues, 3, rgb));
    std::vector<std::vector<std::uint64_t>> xrgb = rgbValues;
    for (auto& row : xrgb)
        for (auto& v : row)
            v |= 0xAB000000; // the unused fourth byte
    cases.push_back(valueCase("Rgb32IgnoresFourthByte", header(40), xrgb, 4, rgb));
    cases.push_back(valueCase("V5Rgb32IgnoresHeaderMasks", header(124, 0, {0xF, 0xF0, 0xF00, 0}),
                              xrgb, 4, rgb));

    // 16 bits: 5-5-5 unless masks say otherwise; every channel scaled, not shifted.
    cases.push_back(valueCase("Rgb16Default555", header(40),
                              {{0x7FFF, 0x7C00, 0x03E0}, {0x001F, 0x0421, 0x8000}}, 2,
                              {{kWhite, kRed, kGreen}, {kBlue, {8, 8, 8}, kBlack}}));
    cases.push_back(valueCase("Bitfields16As565", header(40, 3, {0xF800, 0x07E0, 0x001F}),
                              {{0xFFFF, 0xF800, 0x07E0}, {0x001F, 0x0020, 0x0841}}, 2,
                              {{kWhite, kRed, kGreen}, {kBlue, {0, 4, 0}, {8, 8, 8}}}));
    cases.push_back(
        valueCase("Bitfields16As444InV4", header(108, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}),
                  {{0xFFFF, 0x0888, 0x0123}}, 2, {{kWhite, {136, 136, 136}, {51, 34, 17}}}));
    cases.push_back(valueCase("Info52Bitfields16", header(52, 3, {0x001F, 0x07E0, 0xF800}),
                              {{0x001F, 0xF800}}, 2, {{kRed, kBlue}}));
    // 32 bits: channels of 10, 16 and 2 bits, and one of the full 32 bits.
    cases.push_back(valueCase("Bitfields32Ten", header(40, 3, {0x3FF00000, 0x000FFC00, 0x000003FF}),
                              {{0x3FFFFFFF, (512ull << 20) | (1ull << 10) | 1023}}, 4,
                              {{kWhite, {255, 0, 128}}}));
    cases.push_back(valueCase("Bitfields32Mixed",
                              header(56, 3, {0xFFFF0000, 0x0000FF00, 0x000000F0, 0x0000000F}),
                              {{0x8000'40'8F, 0xFFFF'FF'F0}}, 4, {{{136, 64, 128}, kWhite}}));
    cases.push_back(valueCase("Bitfields32TwentyEightBitRed",
                              header(40, 3, {0xFFFFFFF0, 0x0000000C, 0x00000003}),
                              {{0xFFFFFFFF, 0x80000006}}, 4, {{kWhite, {170, 85, 128}}}));
    cases.push_back(valueCase("AlphaBitfields32",
                              header(40, 6, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}),
                              {{0x12345678, 0xFF00FF00}}, 4, {{{0x78, 0x56, 0x34}, kGreen}}));
    cases.push_back(valueCase(
        "V5Bitfields32TopDown", header(124, 3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}),
        {{0x00112233}, {0x00445566}}, 4, {{{0x11, 0x22, 0x33}}, {{0x44, 0x55, 0x66}}}, true));
    // 64 bits: s2.13 channels, 8192 = full; below 0 and above 1.0 clamp; alpha dropped.
    cases.push_back(valueCase("Rgb64FixedPoint", header(40),
                              {{fixed64(8192, 0, 4096, 8192), fixed64(-100, 16383, 1, 0)},
                               {fixed64(8191, 8193, 17, 8192), fixed64(-32768, 32767, 2048, 5)}},
                              8, {{{255, 0, 128}, {0, 255, 0}}, {{255, 255, 1}, {0, 255, 64}}}));

    // RLE streams: runs, absolute blocks with their padding, a zero delta. The
    // stream's first row is the picture's bottom row.
    cases.push_back(
        rleCase("Rle8", 40, 1, 8, 5, 2,
                {/*run*/ 2, 7, /*absolute*/ 0, 3, 1, 2, 9, /*pad*/ 0, /*end of line*/ 0, 0,
                 /*run*/ 5, 4, /*end of line*/ 0, 0, /*end of picture*/ 0, 1},
                viaPalette({{4, 4, 4, 4, 4}, {7, 7, 1, 2, 9}}, palette(16))));
    cases.push_back(
        rleCase("Rle8ZeroDeltaAndLastRowWithoutEndOfLine", 40, 1, 8, 4, 2,
                {/*absolute*/ 0, 4, 1, 2, 3, 4, /*end of line*/ 0, 0, /*delta 0, 0*/ 0, 2, 0, 0,
                 /*runs*/ 2, 9, 2, 10, /*end of picture*/ 0, 1},
                viaPalette({{9, 9, 10, 10}, {1, 2, 3, 4}}, palette(16))));
    cases.push_back(rleCase(
        "Rle4", 40, 2, 4, 8, 2,
        {/*run*/ 5,
         0x12,
         /*absolute*/ 0,
         3,
         0xAB,
         0xC0,
         /*end of line*/ 0,
         0,
         /*absolute*/ 0,
         5,
         0xDE,
         0xF3,
         0x30,
         /*pad*/ 0,
         /*run*/ 3,
         0x33,
         /*end of line*/ 0,
         0,
         /*end of picture*/ 0,
         1},
        viaPalette({{13, 14, 15, 3, 3, 3, 3, 3}, {1, 2, 1, 2, 1, 10, 11, 12}}, palette(16))));
    cases.push_back(
        rleCase("Rle24", 64, 4, 24, 4, 2,
                {/*run*/ 1,
                 1,
                 2,
                 3,
                 /*absolute*/ 0,
                 3,
                 4,
                 5,
                 6,
                 7,
                 8,
                 9,
                 10,
                 11,
                 12,
                 /*pad*/ 0,
                 /*end of line*/ 0,
                 0,
                 /*run*/ 4,
                 200,
                 100,
                 50,
                 /*end of line*/ 0,
                 0,
                 /*end of picture*/ 0,
                 1},
                bgrRows({{{200, 100, 50}, {200, 100, 50}, {200, 100, 50}, {200, 100, 50}},
                         {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}})));
    return cases;
}

Bytes patched32(Bytes file, std::size_t pos, std::uint32_t value) {
    put32(file, pos, value);
    return file;
}

Bytes cut(Bytes file, std::size_t length) {
    file.resize(length);
    return file;
}

Bytes valid24() {
    BmpFields fields;
    fields.width = 2;
    fields.height = 2;
    fields.pixels = packValues({{1, 2}, {3, 4}}, 3);
    return forge(fields);
}

std::ostream& operator<<(std::ostream& out, const RefusalCase& c) {
    return out << c.name;
}

std::vector<RefusalCase> refusalCases() {
    const Bytes good = valid24();
    BmpFields palette4 = indexedFields(40, {{0, 1, 9, 3}}, 4, 4);
    BmpFields paletteRle = indexedFields(40, {{0}}, 8, 4);
    paletteRle.compression = 1;
    paletteRle.pixels = {1, 4, 0, 1};
    BmpFields topDownRle = paletteRle;
    topDownRle.height = -1;
    BmpFields png = header(40, 5);
    png.bitsPerPixel = 0;
    png.pixels = {'N', 'O', 'T', 'P', 'N', 'G', 0, 0};
    BmpFields tooShortPng = png;
    tooShortPng.pixels = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes tooShortPngFile = patched32(forge(tooShortPng), kSizeImagePos, 100);
    return {
        {"EmptyFile", {}, "not a BMP file: it is empty", false},
        {"OneByte", {'B'}, "not a BMP file: it is only 1 byte long", false},
        {"PngFile",
         {0x89, 'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         "not a BMP file: it starts with \".P\" (89 50), not \"BM\"",
         false},
        {"TextFile",
         {'h', 'e', 'l', 'l', 'o'},
         "not a BMP file: it starts with \"he\" (68 65)",
         false},
        {"FileHeaderOnly", cut(good, 14), "headers truncated: the file is 14 bytes long", false},
        {"InfoHeaderCut", cut(good, 40),
         "headers truncated: the file is 40 bytes long, its 40-byte header ends at byte 54", false},
        {"UnknownHeaderSize", patched32(good, kHeaderSizePos, 20),
         "unsupported header size 20 bytes", false},
        {"TwoPlanes", patched16(good, kPlanesPos, 2),
         "the header gives 2 colour planes, a BMP file has 1", false},
        {"ZeroWidth", patched32(good, kWidthPos, 0), "width 0 is not positive", false},
        {"NegativeWidth", patched32(good, kWidthPos, static_cast<std::uint32_t>(-3)),
         "width -3 is not positive", false},
        {"ZeroHeight", patched32(good, kHeightPos, 0), "height is zero", false},
        {"MostNegativeHeight", patched32(good, kHeightPos, 0x80000000u),
         "height -2147483648 is out of range", false},
        {"HugeDeclaredSize", patched32(patched32(good, kWidthPos, 100000), kHeightPos, 100000),
         "declared size 100000 x 100000 exceeds the 100-megapixel limit", false},
        {"JustOverTheLimit",
         patched32(patched32(good, kWidthPos, 10001), kHeightPos,
                   static_cast<std::uint32_t>(-10000)),
         "declared size 10001 x 10000 exceeds the 100-megapixel limit", false},
        {"AtTheLimitIsOnlyShort", patched32(patched32(good, kWidthPos, 10000), kHeightPos, 10000),
         "pixel data ends at byte 70 of 300000054 needed", false},
        {"PixelDataCut", cut(good, 65), "pixel data ends at byte 65 of 70 needed", false},
        {"OffsetPastTheEnd", patched32(good, kOffBitsPos, 9999),
         "pixel data offset 9999 lies past the end of the file (70 bytes)", false},
        {"OffsetInsideHeaders", patched32(good, kOffBitsPos, 20),
         "pixel data offset 20 lies inside the headers, which end at byte 54", false},
        {"OffsetInsidePalette", patched32(forge(palette4), kOffBitsPos, 60),
         "pixel data offset 60 lies inside the palette, which ends at byte 70", false},
        {"PaletteCut", cut(forge(palette4), 60),
         "palette truncated: its 4 entries end at byte 70, the file is 60 bytes long", false},
        {"PaletteIndexBeyondEntries", forge(palette4),
         "palette index 9 beyond the 4 entries (pixel 2 of row 0)", true},
        {"RlePaletteIndexBeyondEntries", forge(paletteRle),
         "palette index 4 beyond the 4 entries (pixel 0 of row 0)", true},
        {"ThreeBitDepth", forge(fieldsWithDepth(3)),
         "BI_RGB compression needs 1, 2, 4, 8, 16, 24, 32 or 64 bits per pixel, not 3", false},
        {"Rle8WithFourBits", forge(fieldsWithDepth(4, 1)),
         "BI_RLE8 compression needs 8 bits per pixel, not 4", false},
        {"Rle4WithEightBits", forge(fieldsWithDepth(8, 2)),
         "BI_RLE4 compression needs 4 bits per pixel, not 8", false},
        {"Rle24WithEightBits",
         [] {
             BmpFields s = fieldsWithDepth(8, 4);
             s.headerSize = 64;
             return forge(s);
         }(),
         "OS/2 RLE24 compression needs 24 bits per pixel, not 8", false},
        {"BitfieldsWith24Bits", forge(fieldsWithDepth(24, 3)),
         "BI_BITFIELDS compression needs 16 or 32 bits per pixel, not 24", false},
        {"Os2Huffman",
         [] {
             BmpFields s = fieldsWithDepth(1, 3);
             s.headerSize = 64;
             return forge(s);
         }(),
         "OS/2 Huffman 1D compression is not supported", false},
        {"Cmyk", forge(fieldsWithDepth(32, 11)), "BI_CMYK compression is not supported", false},
        {"UnknownCompression", forge(fieldsWithDepth(24, 9)), "unknown compression 9", false},
        {"TopDownRle", forge(topDownRle),
         "a top-down picture (negative height) cannot use BI_RLE8 compression", false},
        {"EmptyRedMask", forge(fields16(3, {0, 0x03E0, 0x001F})), "the red bitfield mask is empty",
         false},
        {"OverlappingMasks", forge(fields16(3, {0xF800, 0x0FE0, 0x001F})),
         "the red and green bitfield masks overlap (0xF800 and 0xFE0)", false},
        {"AlphaOverlapsBlue", forge(fields16(6, {0xF000, 0x0F00, 0x00F0, 0x00FF})),
         "the blue and alpha bitfield masks overlap (0xF0 and 0xFF)", false},
        {"SplitMask", forge(fields16(3, {0xF800, 0x07E0, 0x0015})),
         "the blue bitfield mask 0x15 is not one contiguous run of bits", false},
        {"MaskWiderThanPixel", forge(fields16(3, {0x1F0000, 0x07E0, 0x001F})),
         "the red bitfield mask 0x1F0000 lies outside the 16 bits of a pixel", false},
        {"MasksCut", cut(forge(fields16(3, {0xF800, 0x07E0, 0x001F})), 60),
         "headers truncated: the bitfield masks end at byte 66, the file is 60 bytes long", false},
        {"RleRunOverflowsRow", rle8({5, 1, 0, 0, 4, 1, 0, 1}),
         "RLE run of 5 pixels at pixel 0 of row 1 overflows the row of 4 pixels", true},
        {"RleAbsoluteOverflowsRow", rle8({2, 1, 0, 3, 1, 2, 3, 0, 0, 1}),
         "RLE run of 3 pixels at pixel 2 of row 1 overflows the row of 4 pixels", true},
        {"RleRunAfterFullRowWithoutEndOfLine", rle8({4, 1, 1, 2, 0, 0, 0, 1}),
         "RLE run of 1 pixels at pixel 4 of row 1 overflows the row of 4 pixels", true},
        {"RlePastTheLastRow", rle8({4, 1, 0, 0, 4, 2, 0, 0, 1, 3, 0, 1}),
         "RLE data runs past the last row of the picture", true},
        {"RleEarlyEndOfLine", rle8({2, 1, 0, 0, 4, 2, 0, 1}),
         "RLE end of line at pixel 2 of row 1 leaves 2 pixels undefined", true},
        {"RleEndOfLinePastTheLastRow", rle8({4, 1, 0, 0, 4, 2, 0, 0, 0, 0, 0, 1}),
         "RLE end of line past the last row of the picture", true},
        {"RleEarlyEndOfPicture", rle8({4, 1, 0, 0, 1, 2, 0, 1}),
         "RLE end of picture at pixel 1 of row 0 leaves 3 pixels undefined", true},
        {"RleDelta", rle8({2, 1, 0, 2, 2, 0, 0, 1}),
         "RLE delta of (2, 0) at pixel 2 of row 1 skips pixels, leaving them undefined", true},
        {"RleTooShortForItsSize", rle8({0, 1}),
         "RLE data of 2 bytes is too short for 4 x 2 pixels, which need at least 8", false},
        {"Rle24TooShortForAWideRow",
         [] {
             BmpFields s = fieldsWithDepth(24, 4);
             s.headerSize = 64;
             s.width = 256;
             s.pixels = {255, 1, 2, 3, 1, 4, 5, 6};
             return forge(s);
         }(),
         "RLE data of 8 bytes is too short for 256 x 1 pixels, which need at least 10", false},
        {"RleWithoutEndOfPicture", rle8({4, 1, 0, 0, 4, 2, 0, 0}),
         "RLE data ends at byte 126 before its end-of-picture mark", true},
        {"RleSizeImagePastTheEnd", patched32(rle8({4, 1, 0, 0, 4, 2, 0, 1}), kSizeImagePos, 9),
         "pixel data ends at byte 126 of 127 needed", false},
        {"EmbeddedPngWithoutSignature", forge(png),
         "the embedded PNG data does not start with the PNG signature", false},
        {"EmbeddedPngCut", tooShortPngFile, "embedded PNG data ends at byte 62 of 154 needed",
         false},
    };
}

Bytes encoded(const QImage& image, const char* format, int quality) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        throw std::runtime_error(std::string("Qt cannot write ") + format);
    return toBytes(data);
}

Bytes embedding(const Bytes& stream, std::uint32_t compression, int width, int height) {
    BmpFields fields = header(40, compression);
    fields.bitsPerPixel = 0;
    fields.width = width;
    fields.height = height;
    fields.pixels = stream;
    return forge(fields);
}

QImage sixColours() {
    QImage image(3, 2, QImage::Format_RGB32);
    const QRgb colours[6] = {qRgb(255, 0, 0), qRgb(0, 255, 0),     qRgb(0, 0, 255),
                             qRgb(1, 2, 3),   qRgb(250, 251, 252), qRgb(128, 64, 32)};
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, colours[i]);
    return image;
}

Bytes sixColoursBgr() {
    return bgrRows({{kRed, kGreen, kBlue}, {{3, 2, 1}, {252, 251, 250}, {32, 64, 128}}});
}

Bytes pngClaiming(std::uint32_t width, std::uint32_t height) {
    // Signature (8), IHDR length (4), "IHDR" (4), width (4) at 16, height (4) at 20, ..., CRC
    // at 29.
    Bytes png = encoded(sixColours(), "png");
    putBig32(png, 16, width);
    putBig32(png, 20, height);
    putBig32(png, 29, crc32(png.data() + 12, 17));
    return png;
}

QImage sixColoursHalfSeen() {
    QImage image = sixColours().convertToFormat(QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 0));
    image.setPixel(1, 0, qRgba(0, 255, 0, 128));
    return image;
}

Bytes gifOfSixColours(bool firstTransparent, int pixelsCoded) {
    const QImage image = sixColours();
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, // signature, width, height
                 0xF2, 0, 0};                              // 8-entry colour table, background, aspect
    for (int i = 0; i < 8; ++i) {
        const QRgb c = i < 6 ? image.pixel(i % 3, i / 3) : 0;
        gif.insert(gif.end(), {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                               static_cast<std::uint8_t>(qBlue(c))});
    }
    if (firstTransparent) // graphic control: transparent colour index 0
        gif.insert(gif.end(), {0x21, 0xF9, 4, 1, 0, 0, 0, 0});
    gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0, // image at 0, 0, 3 x 2, no local table
                           3});                            // LZW minimum code size
    // Clear (8), the indices, end (9), each code 4 bits, packed low bits first.
    std::vector<int> codes{8};
    for (int i = 0; i < pixelsCoded; ++i)
        codes.push_back(i);
    codes.insert(codes.end(), {9, 0});
    gif.push_back(static_cast<std::uint8_t>(codes.size() / 2));
    for (std::size_t i = 0; i + 1 < codes.size(); i += 2)
        gif.push_back(static_cast<std::uint8_t>(codes[i] | codes[i + 1] << 4));
    gif.insert(gif.end(), {0, 0x3B}); // end of data, trailer
    return gif;
}

std::vector<FormatCase> otherFormatCases() {
    std::vector<FormatCase> cases = {
        {"Png", encoded(sixColours(), "png"), encoded(sixColoursHalfSeen(), "png"), true},
        {"Jpeg", encoded(sixColours(), "jpeg", 100), {}, false},
        {"Gif", gifOfSixColours(false), gifOfSixColours(true), true},
        {"Png16Bit", encoded(sixColours().convertToFormat(QImage::Format_RGBX64), "png"), {}, true},
        {"PngPalette", encoded(sixColours().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither), "png"), {},
         true},
        {"PngInterlaced", interlacedPng(sixColours()), {}, true},
    };
    // Lossless WebP at quality 100.
    if (QImageWriter::supportedImageFormats().contains("webp"))
        cases.push_back({"WebP", encoded(sixColours(), "webp", 100), encoded(sixColoursHalfSeen(), "webp", 100), true});
    if (QImageWriter::supportedImageFormats().contains("tiff"))
        cases.push_back({"Tiff", encoded(sixColours(), "tiff"), encoded(sixColoursHalfSeen(), "tiff"), true});
    return cases;
}

std::ostream& operator<<(std::ostream& out, const FormatCase& c) {
    return out << c.name;
}

namespace {

// Random bytes, reproducible from the seed, after an optional start.
Bytes garbage(std::size_t length, unsigned seed, Bytes start = {}) {
    std::mt19937 generator(seed);
    Bytes bytes = std::move(start);
    while (bytes.size() < length)
        bytes.push_back(static_cast<std::uint8_t>(generator()));
    return bytes;
}

// An RLE8 file declaring width x height whose stream is only an end of picture.
Bytes rleDeclaring(std::int32_t width, std::int32_t height) {
    BmpFields fields;
    fields.compression = 1;
    fields.bitsPerPixel = 8;
    fields.width = width;
    fields.height = height;
    fields.palette = palette(2);
    fields.colorsUsed = 2;
    fields.pixels = {0, 1};
    return forge(fields);
}

// A 320 x 200 RLE8 picture of coloured bands, small enough to seed the
// fuzzers with a picture of the screen's size.
Bytes screenSizedRle8() {
    constexpr int kWidth = 320, kHeight = 200, kRun = 40;
    Bytes stream;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; x += kRun)
            stream.insert(stream.end(), {kRun, static_cast<std::uint8_t>((x / kRun + y / 25) % 16)});
        if (y + 1 < kHeight)
            stream.insert(stream.end(), {0, 0}); // end of line
    }
    stream.insert(stream.end(), {0, 1}); // end of picture
    BmpFields fields;
    fields.compression = 1;
    fields.bitsPerPixel = 8;
    fields.width = kWidth;
    fields.height = kHeight;
    fields.palette = palette(16);
    fields.colorsUsed = 16;
    fields.pixels = std::move(stream);
    return forge(fields);
}

// Lengths that cut a file inside its file header, its info header, just
// before its pixels, halfway and one byte short.
std::vector<std::size_t> cutLengths(const Bytes& file) {
    const std::size_t offBits = file.size() >= 14 ? bmp_forge::kOffBitsPos : 0;
    const std::size_t pixels = offBits ? (file[offBits] | file[offBits + 1] << 8) : 0;
    std::vector<std::size_t> lengths = {2, 14, 30, pixels, file.size() / 2, file.size() - 1};
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
    std::erase_if(lengths, [&](std::size_t n) { return n == 0 || n >= file.size(); });
    // Without its last byte a PNG lacks only its closing checksum, a JPEG its
    // end marker, a GIF its trailer: their readers rightly show the picture.
    if (file.size() >= 2 && (file[0] != 'B' || file[1] != 'M'))
        std::erase(lengths, file.size() - 1);
    return lengths;
}

} // namespace

std::vector<CorpusFile> acceptedFiles() {
    std::vector<CorpusFile> files;
    for (DecodeCase& c : decodeCases())
        files.push_back({c.name, std::move(c.file)});
    files.push_back({"EmbeddedPng", embedding(encoded(sixColours(), "png"), 5, 3, 2)});
    files.push_back({"EmbeddedJpeg", embedding(encoded(sixColours(), "jpeg"), 4, 3, 2)});
    files.push_back({"ScreenSizedRle8", screenSizedRle8()});
    for (FormatCase& c : otherFormatCases()) {
        files.push_back({c.name, std::move(c.file)});
        if (!c.halfSeen.empty())
            files.push_back({c.name + "HalfSeen", std::move(c.halfSeen)});
    }
    return files;
}

std::vector<CorpusFile> progressiveFiles() {
    return {{"JpegProgressive", progressiveJpeg(sixColours())}};
}

std::vector<CorpusFile> malformedFiles() {
    std::vector<CorpusFile> files;
    for (RefusalCase& c : refusalCases())
        files.push_back({c.name, std::move(c.file)});
    for (const CorpusFile& good : acceptedFiles())
        for (std::size_t length : cutLengths(good.bytes))
            files.push_back({good.name + "Cut" + std::to_string(length), cut(good.bytes, length)});
    files.push_back({"ZeroLength", {}});
    files.push_back({"Garbage64", garbage(64, 1)});
    files.push_back({"Garbage4096", garbage(4096, 2)});
    files.push_back({"GarbageAfterSignature", garbage(300, 3, {'B', 'M'})});
    BmpFields garbageIndices;
    garbageIndices.width = 64;
    garbageIndices.height = 64;
    garbageIndices.bitsPerPixel = 8;
    garbageIndices.palette = palette(4);
    garbageIndices.colorsUsed = 4;
    garbageIndices.pixels = garbage(64 * 64, 4);
    files.push_back({"GarbagePaletteIndices", forge(garbageIndices)});
    files.push_back({"RleDeclaring10000By10000", rleDeclaring(10000, 10000)});
    files.push_back({"RleDeclaringOneRowOf100000", rleDeclaring(100000, 1)});
    files.push_back({"PngOversize", pngClaiming(20000, 20000)});
    files.push_back({"EmbeddedPngOversize", embedding(pngClaiming(20000, 20000), 5, 3, 2)});
    files.push_back({"EmbeddedPngBroken",
                     embedding({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3, 4, 5, 6, 7, 8}, 5, 3, 2)});
    return files;
}

} // namespace bmp_corpus
