// The ZX0 report: for each picture file given, fitted to each screen mode by
// cropping, and each dither, with inks chosen automatically (all of them,
// sliders at 0), the size of the compressed screen (current format and
// classic) and the processor time the encoder takes, beside the time the
// C++ decoder takes over the same stream in the same run. Every stream is
// decoded and checked against the screen. Then one table of the means per
// mode and dither, each dither's mean as a ratio to the ordered 4x4
// dither's in the same mode, and how many such pictures a data disc holds.
// --start-inks keeps each mode's start inks instead (much faster); --mode N
// reports that mode alone; --screen overscan fits the pictures to the full
// screen. --all-offsets also encodes each screen looking at every offset for
// "last offset" copies (Zx0Search::AllOffsets), and gives its size and time
// beside the default's, and the largest and overall size ratios.
//
//   zx0_report [--start-inks] [--mode N] [--screen S] [--all-offsets] FILE...
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "CpcDataDisc.h"
#include "Engine.h"
#include "FitToScreen.h"
#include "ModeInkChoice.h"
#include "ModePacking.h"
#include "ScreenGeometry.h"
#include "SysUtils.h"
#include "Zx0Decoder.h"
#include "Zx0Encoder.h"

namespace {

// Processor time of this thread, in milliseconds.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return 1000.0 * static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string baseName(const std::string& file) {
    const std::size_t slash = file.find_last_of('/');
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    return name.substr(0, name.find('.'));
}

struct Row {
    double bytes = 0, classicBytes = 0, encodeMs = 0, decodeMs = 0, allBytes = 0, allMs = 0;
};

// The best of a few runs of work, in thread processor milliseconds.
template <typename Work> double bestTime(int runs, Work work) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const double start = threadMilliseconds();
        work();
        best = std::min(best, threadMilliseconds() - start);
    }
    return best;
}

Row measure(const std::vector<std::uint8_t>& screen, bool allOffsets) {
    Row row;
    std::vector<std::uint8_t> packed;
    row.encodeMs = bestTime(2, [&] { packed = Zx0_Compress(screen, Zx0Version::Current); });
    std::vector<std::uint8_t> unpacked;
    row.decodeMs = bestTime(20, [&] { unpacked = Zx0_Decompress(packed, Zx0Version::Current, screen.size()); });
    const std::vector<std::uint8_t> classic = Zx0_Compress(screen, Zx0Version::Classic);
    if (unpacked != screen || Zx0_Decompress(classic, Zx0Version::Classic, screen.size()) != screen)
        throw Exception("a stream does not decode to its screen");
    row.bytes = static_cast<double>(packed.size());
    row.classicBytes = static_cast<double>(classic.size());
    if (allOffsets) {
        std::vector<std::uint8_t> all;
        row.allMs = bestTime(1, [&] { all = Zx0_Compress(screen, Zx0Version::Current, Zx0Search::AllOffsets); });
        if (Zx0_Decompress(all, Zx0Version::Current, screen.size()) != screen)
            throw Exception("a stream does not decode to its screen");
        row.allBytes = static_cast<double>(all.size());
    }
    return row;
}

// Whole 1 KB blocks a file of bytes takes on a data disc with its AMSDOS header.
double discBlocks(double bytes) {
    const double withHeader = bytes + 128;
    return static_cast<double>(static_cast<long>((withHeader + kDiscBlockBytes - 1) / kDiscBlockBytes));
}

} // namespace

int main(int argc, char** argv) {
    bool startInks = false, allOffsets = false;
    int onlyMode = -1;
    TScreen screenKind = TScreen::Standard;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--start-inks")
            startInks = true;
        else if (argument == "--mode" && i + 1 < argc)
            onlyMode = Screen_Mode_From_Option(argv[++i]);
        else if (argument == "--screen" && i + 1 < argc)
            screenKind = Screen_From_Option(argv[++i]);
        else if (argument == "--all-offsets")
            allOffsets = true;
        else
            files.push_back(argument);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: zx0_report [--start-inks] [--mode N] [--screen S] [--all-offsets] FILE...\n");
        return 2;
    }
    std::map<std::pair<int, int>, std::vector<Row>> rows;
    const ScreenGeometry& geometry = Screen_Geometry(screenKind);
    const double screenBytes = static_cast<double>(geometry.memoryBytes);
    std::printf("%-18s %4s %-10s %7s %7s %6s %9s %9s %7s%s\n", "picture", "mode", "dither", "bytes", "classic", "%",
                "encode ms", "decode ms", "ratio", allOffsets ? "     all  all ms" : "");
    double mostOver = 0, bytes = 0, allBytes = 0, slowest = 0, allSlowest = 0;
    for (const std::string& file : files) {
        TPicture original;
        original.LoadFromFile(file);
        for (const ScreenMode& ownMode : kScreenModes) {
            if (onlyMode >= 0 && ownMode.number != onlyMode)
                continue;
            const ScreenMode mode = Mode_On_Screen(ownMode, geometry);
            TPicture source, map;
            Fit_To_Screen(original, source, TFitMode::Crop, mode);
            for (std::size_t d = 0; d < kDithers.size(); ++d) {
                const TDither dither = kDithers[d].dither;
                InkList inks = Start_Inks(mode);
                if (!startInks) {
                    Ink_Search_Control control;
                    control.threads = Ink_Search_Control::AllCores();
                    control.measureChoice = false;
                    inks = Ink_List_Of_Numbers(
                        Choose_Mode_Inks(source, map, std::vector<int>(static_cast<std::size_t>(mode.inkCount), kChooseInk),
                                         dither, mode, 0, 0, 0, control)
                            .numbers);
                }
                TPicture result;
                Mode_Dither(dither, source, result, map, inks, 0, 0, 0, mode);
                const Row row = measure(Mode_Screen_File_Bytes(result, inks, mode, geometry), allOffsets);
                rows[{mode.number, static_cast<int>(d)}].push_back(row);
                std::printf("%-18s %4d %-10s %7.0f %7.0f %6.1f %9.1f %9.2f %7.0f", baseName(file).c_str(),
                            mode.number, kDithers[d].name, row.bytes, row.classicBytes, 100 * row.bytes / screenBytes,
                            row.encodeMs, row.decodeMs, row.encodeMs / row.decodeMs);
                if (allOffsets)
                    std::printf(" %7.0f %7.1f", row.allBytes, row.allMs);
                std::printf("\n");
                mostOver = std::max(mostOver, row.bytes / std::max(row.allBytes, 1.0));
                bytes += row.bytes;
                allBytes += row.allBytes;
                slowest = std::max(slowest, row.encodeMs);
                allSlowest = std::max(allSlowest, row.allMs);
                std::fflush(stdout);
            }
        }
    }
    if (allOffsets)
        std::printf("\nBeside every offset: at most %.4f times the size, %.4f times over all; slowest %.1f ms against "
                    "%.1f ms\n",
                    mostOver, bytes / allBytes, slowest, allSlowest);
    else
        std::printf("\nSlowest encoding %.1f ms\n", slowest);
    std::printf("\nMeans over %zu pictures (a data disc holds %zu KB of files)\n", files.size(),
                kDiscBytes / kDiscBlockBytes - kDiscDirectoryEntries * 32 / kDiscBlockBytes);
    std::printf("%4s %-10s %7s %6s %7s %7s %7s %9s %7s %6s\n", "mode", "dither", "bytes", "%", "min", "max",
                "classic", "encode ms", "ratio", "x ord4");
    const double discKb = static_cast<double>(kDiscBytes / kDiscBlockBytes - kDiscDirectoryEntries * 32 / kDiscBlockBytes);
    for (const ScreenMode& mode : kScreenModes) {
        if (onlyMode >= 0 && mode.number != onlyMode)
            continue;
        double ordered4 = 0;
        for (std::size_t d = 0; d < kDithers.size(); ++d)
            if (kDithers[d].dither == TDither::Ordered4)
                for (const Row& row : rows[{mode.number, static_cast<int>(d)}])
                    ordered4 += row.bytes / static_cast<double>(files.size());
        for (std::size_t d = 0; d < kDithers.size(); ++d) {
            const std::vector<Row>& list = rows[{mode.number, static_cast<int>(d)}];
            Row mean;
            double least = 1e300, most = 0, blocks = 0;
            for (const Row& row : list) {
                mean.bytes += row.bytes / static_cast<double>(list.size());
                mean.classicBytes += row.classicBytes / static_cast<double>(list.size());
                mean.encodeMs += row.encodeMs / static_cast<double>(list.size());
                mean.decodeMs += row.decodeMs / static_cast<double>(list.size());
                blocks += discBlocks(row.bytes) / static_cast<double>(list.size());
                least = std::min(least, row.bytes);
                most = std::max(most, row.bytes);
            }
            std::printf("%4d %-10s %7.0f %6.1f %7.0f %7.0f %7.0f %9.1f %7.0f %6.2f  %4.1f a disc\n", mode.number,
                        kDithers[d].name, mean.bytes, 100 * mean.bytes / screenBytes, least, most, mean.classicBytes,
                        mean.encodeMs, mean.encodeMs / mean.decodeMs, mean.bytes / ordered4, discKb / blocks);
        }
    }
    return 0;
}
