// Fuzz target for the whole path a user's file takes: the bytes are written
// as a file and loaded as the window loads it (a bitmap or a picture of any
// other format the loader reads; the fuzzing build's loader refuses pictures
// past a megapixel), cut to a small corner or, now and then, fitted to the
// screen in a mode drawn from the input, then converted as the window converts it: local-contrast map, dither at slider positions and inks drawn
// from the input, stretch, and the screen encoding when the picture is
// 320 x 200. Besides crashes and sanitizer reports it checks what must hold
// for any picture: the map stays in its range, the result holds only the
// four inks, the stretch spans each channel, the screen's unused bytes are 0.
// Built and run by scripts/fuzz.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <unistd.h>
#include <utility>

#include "Engine.h"
#include "FitToScreen.h"
#include "Picture.h"
#include "SysUtils.h"

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "fuzz_load_convert: %s\n", what);
    std::abort();
}

// Reproducible choices drawn from the input's bytes (FNV-1a, then splitmix64).
class Choices {
  public:
    explicit Choices(std::span<const std::uint8_t> data) {
        for (std::uint8_t byte : data)
            mState = (mState ^ byte) * 0x100000001B3ull;
    }
    int between(int low, int high) {
        return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
    }

  private:
    std::uint64_t next() {
        std::uint64_t z = (mState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t mState = 0xCBF29CE484222325ull;
};

// Most inputs convert only the top left corner of their picture, at most
// kConvertedSide pixels square: the conversion's checks are the same at any
// size, and converting whole screens at sanitizer speed leaves a fuzzer too
// few inputs a second to find anything. One input in kScreenEvery is fitted
// to the whole screen instead and converted with the screen encoding.
constexpr int kConvertedSide = 64;
constexpr int kScreenEvery = 64;

// In memory where the system has a memory file system: rewriting a file on
// disk for every input makes some file systems flush it to disk each time.
const std::string& scratchFile() {
    static const std::string path = std::string(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") +
                                    "/tintora-fuzz-" + std::to_string(getpid()) + ".bmp";
    return path;
}

void writeScratch(std::span<const std::uint8_t> data) {
    std::ofstream out(scratchFile(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out)
        broken("cannot write the scratch file");
}

template <class EachByte> void forEachByte(const TPicture& picture, EachByte each) {
    for (int y = 0; y < picture.GetHeight(); ++y) {
        const std::uint8_t* row = picture.GetScanline(y);
        for (int i = 0; i < 3 * picture.GetWidth(); ++i)
            each(i % 3, row[i]);
    }
}

void checkMap(const TPicture& source, const TPicture& map) {
    if (map.GetWidth() != source.GetWidth() || map.GetHeight() != source.GetHeight())
        broken("the map is not the source's size");
    forEachByte(map, [](int, std::uint8_t v) {
        if (v < 64 || v > 190)
            broken("a map byte outside 64..190");
    });
}

void checkOnlyInks(const TPicture& source, const TPicture& result, const InkTable& inks) {
    if (result.GetWidth() != source.GetWidth() || result.GetHeight() != source.GetHeight())
        broken("the result is not the source's size");
    for (int y = 0; y < result.GetHeight(); ++y) {
        const std::uint8_t* p = result.GetScanline(y);
        for (int x = 0; x < result.GetWidth(); ++x, p += 3)
            if (std::none_of(inks.begin(), inks.end(),
                             [p](const Ink& ink) { return p[0] == ink.b && p[1] == ink.g && p[2] == ink.r; }))
                broken("a result pixel that is none of the four inks");
    }
}

void checkStretched(const TPicture& before, const TPicture& after) {
    std::array<int, 3> low{255, 255, 255}, high{0, 0, 0}, lowBefore{255, 255, 255}, highBefore{0, 0, 0};
    forEachByte(after, [&](int c, std::uint8_t v) {
        low[c] = std::min<int>(low[c], v);
        high[c] = std::max<int>(high[c], v);
    });
    forEachByte(before, [&](int c, std::uint8_t v) {
        lowBefore[c] = std::min<int>(lowBefore[c], v);
        highBefore[c] = std::max<int>(highBefore[c], v);
    });
    for (int c = 0; c < 3; ++c) {
        const bool constant = lowBefore[c] == highBefore[c];
        if (constant ? (low[c] != lowBefore[c] || high[c] != highBefore[c]) : (low[c] != 0 || high[c] != 255))
            broken("a stretched channel that does not span 0..255");
    }
}

void checkScreen(const TPicture& result, const InkTable& inks) {
    std::unique_ptr<std::uint8_t[]> packed, screen;
    CPC_Mode1_Convert(result, packed, inks);
    CPC_Screen_Layout(packed.get(), screen);
    for (int block = 0; block < 8; ++block)
        for (int i = kScreenCharacterRows * kScreenRowBytes; i < kScreenBlockBytes; ++i)
            if (screen[static_cast<std::size_t>(block * kScreenBlockBytes + i)] != 0)
                broken("a screen byte outside the picture that is not 0");
}

void convert(TPicture& source, Choices& choose) {
    InkTable inks;
    for (Ink& ink : inks)
        ink = Ink_From_Colour_Number(choose.between(0, kColourCount - 1));
    const int a = choose.between(kBrightnessMin, kBrightnessMax);
    const int b = choose.between(kContrastMin, kContrastMax);
    const int c = choose.between(kLocalMin, kLocalMax);

    TPicture map, result;
    Local_Contrast_Map(source, map);
    checkMap(source, map);
    CPC_Mode1_Dither(source, result, map, inks, a, b, c);
    checkOnlyInks(source, result, inks);

    TPicture stretched;
    Copy_Picture(stretched, source);
    if (Stretch_Palette(&stretched) != kStretchDone)
        broken("the stretch of a loaded picture failed");
    checkStretched(source, stretched);
    Local_Contrast_Map(stretched, map);
    CPC_Mode1_Dither(stretched, result, map, inks, a, b, c);
    checkOnlyInks(stretched, result, inks);

    if (Fits_Screen(result))
        checkScreen(result, inks);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The dither's result holds only inks, so the packer never has cause to complain.
    SetMessageSink([](const std::string& text) { broken(("unexpected message: " + text).c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    writeScratch(file);
    TPicture source;
    try {
        source.LoadFromFile(scratchFile());
    } catch (const Exception&) {
        if (source.GetWidth() != 0)
            broken("a refused file changed the picture");
        return 0;
    }
    if (source.GetWidth() <= 0 || source.GetHeight() <= 0 || source.GetPixelFormat() != TPixelFormat::pf24bit)
        broken("a loaded picture that is empty or not 24-bit");
    Choices choose(file);
    if (choose.between(1, kScreenEvery) == 1) {
        TPicture fitted;
        Fit_To_Screen(source, fitted, static_cast<TFitMode>(choose.between(1, 3)));
        if (!Fits_Screen(fitted))
            broken("a fitted picture that is not 320 x 200");
        source = std::move(fitted);
    } else {
        source.SetWidth(std::min(source.GetWidth(), kConvertedSide));
        source.SetHeight(std::min(source.GetHeight(), kConvertedSide));
    }
    convert(source, choose);
    return 0;
}
