// Writes the fuzzers' seed corpus: every picture the loader accepts and
// the malformed files it must refuse, one file each, into the folder given.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <QImage>
#include <random>

#include "BmpCorpus.h"

namespace {

// Seeds of a few hundred kilobytes, so that the fuzzer meets inputs whose
// cost could grow with their length rather than their picture: a grainy
// photograph as PNG and JPEG, a PNG whose image data is split into thousands
// of empty chunks, and a JPEG carrying long comment segments.
std::vector<bmp_corpus::CorpusFile> largeFiles() {
    using bmp_corpus::Bytes;
    QImage photo(480, 320, QImage::Format_RGB32);
    std::mt19937 grain(27);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x + int(grain() % 24)) & 255, (y + int(grain() % 24)) & 255, (x ^ y) & 255));
    const Bytes png = bmp_corpus::encoded(photo, "png"), jpeg = bmp_corpus::encoded(photo, "jpeg", 95);
    Bytes chunked = bmp_corpus::encoded(photo.scaled(8, 8), "png");
    const Bytes empty = bmp_corpus::pngChunk("IDAT", {});
    for (int i = 0; i < 20'000; ++i) // before the 12-byte end chunk
        chunked.insert(chunked.end() - 12, empty.begin(), empty.end());
    Bytes commented = bmp_corpus::encoded(photo.scaled(64, 48), "jpeg", 90);
    Bytes comment{0xFF, 0xFE, 0xFF, 0xFF}; // a comment segment of the largest length
    comment.resize(2 + 0xFFFF, 'c');
    for (int i = 0; i < 4; ++i) // after the start-of-image marker
        commented.insert(commented.begin() + 2, comment.begin(), comment.end());
    return {{"large-photo-png", png}, {"large-photo-jpeg", jpeg}, {"large-empty-chunks-png", chunked},
            {"large-comments-jpeg", commented}};
}

bool writeAll(const std::filesystem::path& folder, const std::vector<bmp_corpus::CorpusFile>& files,
              const char* prefix) {
    for (const bmp_corpus::CorpusFile& file : files) {
        std::ofstream out(folder / (prefix + file.name + ".bmp"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make_corpus: cannot write %s%s.bmp\n", prefix, file.name.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "make_corpus: cannot make %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    const auto accepted = bmp_corpus::acceptedFiles();
    const auto progressive = bmp_corpus::progressiveFiles();
    const auto malformed = bmp_corpus::malformedFiles();
    if (!writeAll(folder, accepted, "good-") || !writeAll(folder, progressive, "good-") ||
        !writeAll(folder, largeFiles(), "good-") || !writeAll(folder, malformed, "bad-"))
        return 1;
    std::printf("%zu accepted and %zu malformed files in %s\n", accepted.size(), malformed.size(), argv[1]);
    return 0;
}
