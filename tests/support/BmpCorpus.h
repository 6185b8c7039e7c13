#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "BmpForge.h"

class QImage;

// Bitmap files with known contents: every layout the reader decodes, with the
// pixels it must give, and malformed files with the reason it must give. The
// reader's tests, the window's tests and the fuzzers' seed corpus share them.
namespace bmp_corpus {

using bmp_forge::BmpFields;
using bmp_forge::Bytes;

struct DecodeCase {
    std::string name;
    Bytes file;
    int width;
    int height;
    Bytes expected; // rows top-down, blue, green, red
};
std::ostream& operator<<(std::ostream& out, const DecodeCase& c);

// One file of every header, depth and compression the reader decodes.
std::vector<DecodeCase> decodeCases();

struct RefusalCase {
    std::string name;
    Bytes file;
    std::string reason; // part of the message that must appear
    bool sizeGiven;     // whether the target was told a size before the fault showed
};
std::ostream& operator<<(std::ostream& out, const RefusalCase& c);

// Malformed files, each with the reason the reader gives.
std::vector<RefusalCase> refusalCases();

// A file of the corpus, named for the files written from it.
struct CorpusFile {
    std::string name;
    Bytes bytes;
};

// Files the picture loader reads: every decoded layout, a PNG and a JPEG
// stream carried inside a bitmap file, and the files of otherFormatCases.
std::vector<CorpusFile> acceptedFiles();
// Files the loader reads whole, and in part when cut short: a progressive JPEG.
std::vector<CorpusFile> progressiveFiles();
// Files it must refuse: every refusal case, every accepted file cut short at
// a few lengths, zero-length and garbage files, sizes declared beyond what the
// file holds or the loader allows, broken embedded streams.
std::vector<CorpusFile> malformedFiles();

// Palette picture fields: rows of palette indices of `bpp` bits, `entries`
// palette entries.
BmpFields indexedFields(std::uint32_t headerSize, const std::vector<std::vector<int>>& rows, int bpp,
                        int entries, bool topDown = false);
// A 2 x 2 24-bit file.
Bytes valid24();
Bytes patched32(Bytes file, std::size_t pos, std::uint32_t value);
Bytes cut(Bytes file, std::size_t length);

// A picture in another format's bytes (Qt's writer).
Bytes encoded(const QImage& image, const char* format, int quality = -1);
// A bitmap file carrying a PNG (5) or JPEG (4) stream.
Bytes embedding(const Bytes& stream, std::uint32_t compression, int width, int height);
// A 3 x 2 picture with six distinct colours, and its rows as blue, green, red.
QImage sixColours();
Bytes sixColoursBgr();
// A progressive JPEG of the image, at quality 100.
Bytes progressiveJpeg(const QImage& image);
// A PNG chunk: its length, type, data and checksum.
Bytes pngChunk(const char* type, const Bytes& data);
// A small PNG whose header claims another size, with the header's checksum redone.
Bytes pngClaiming(std::uint32_t width, std::uint32_t height);

// sixColours with pixel (0, 0) fully transparent and pixel (1, 0) half.
QImage sixColoursHalfSeen();
// sixColours as a GIF (Qt reads GIF but does not write it), the first
// colour transparent when asked; its codes end after the first `pixelsCoded`
// pixels, its blocks whole.
Bytes gifOfSixColours(bool firstTransparent, int pixelsCoded = 6);

// sixColours in each other format the loader reads and Qt can write here.
struct FormatCase {
    std::string name;
    Bytes file;
    Bytes halfSeen; // sixColoursHalfSeen in the same format; empty when it has no transparency
    bool exact;     // false for lossy formats
};
std::ostream& operator<<(std::ostream& out, const FormatCase& c);
std::vector<FormatCase> otherFormatCases();

} // namespace bmp_corpus
