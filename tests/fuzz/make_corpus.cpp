// Writes the fuzzers' seed corpus: every picture the loader accepts and
// the malformed files it must refuse, one file each, into the folder given.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "BmpCorpus.h"

namespace {

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
        !writeAll(folder, malformed, "bad-"))
        return 1;
    std::printf("%zu accepted and %zu malformed files in %s\n", accepted.size(), malformed.size(), argv[1]);
    return 0;
}
