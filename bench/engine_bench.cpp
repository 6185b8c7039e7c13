// Engine timings beside a baseline measured in the same run: a plain copy of
// the same rows of the same picture, source rows into result rows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "Engine.h"
#include "FitToScreen.h"
#include "InkChoice.h"
#include "ModeInkChoice.h"
#include "Dithers.h"

namespace {

// Smooth gradients with a little noise: the kind of picture people convert.
TPicture photoLike(int width, int height) {
    TPicture picture;
    picture.SetWidth(width);
    picture.SetHeight(height);
    std::mt19937 generator(7);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.GetScanline(y);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int base = (x * (80 + 60 * c)) / width + (y * (170 - 50 * c)) / height;
                row[3 * x + c] =
                    static_cast<std::uint8_t>(std::clamp(base + noise(generator), 0, 255));
            }
    }
    return picture;
}

struct Pictures {
    TPicture source, map, result;
    InkTable inks{};
    explicit Pictures(const benchmark::State& state)
        : source(photoLike(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)))) {
        Reset_Ink_Table(inks);
        Local_Contrast_Map(source, map);
        CPC_Mode1_Dither(source, result, map, inks, 0, 0, 0);
    }
};

void setBytes(benchmark::State& state, const TPicture& picture) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * picture.GetWidth() *
                            picture.GetHeight() * 3);
}

void BM_BaselineRowCopy(benchmark::State& state) {
    Pictures p(state);
    const TPicture& source = p.source;
    const std::size_t bytes = static_cast<std::size_t>(source.GetWidth()) * 3;
    for (auto _ : state) {
        for (int y = 0; y < source.GetHeight(); ++y)
            std::memcpy(p.result.GetScanline(y), source.GetScanline(y), bytes);
        benchmark::ClobberMemory();
    }
    setBytes(state, source);
}

void BM_Dither(benchmark::State& state) {
    Pictures p(state);
    const int local = static_cast<int>(state.range(2));
    for (auto _ : state) {
        CPC_Mode1_Dither(p.source, p.result, p.map, p.inks, 40, -30, local);
        benchmark::ClobberMemory();
    }
    setBytes(state, p.source);
}

void BM_LocalContrastMap(benchmark::State& state) {
    Pictures p(state);
    for (auto _ : state) {
        Local_Contrast_Map(p.source, p.map);
        benchmark::ClobberMemory();
    }
    setBytes(state, p.source);
}

void BM_StretchPalette(benchmark::State& state) {
    Pictures p(state);
    for (auto _ : state) {
        Stretch_Palette(&p.source);
        benchmark::ClobberMemory();
    }
    setBytes(state, p.source);
}

void BM_ConvertAndLayout(benchmark::State& state) {
    Pictures p(state);
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> packed, screen;
        CPC_Mode1_Convert(p.result, packed, p.inks);
        if (Fits_Screen(p.result))
            CPC_Screen_Layout(packed.get(), screen);
        benchmark::DoNotOptimize(packed.get());
    }
    setBytes(state, p.source);
}

// One plain conversion, as after a load: the map, then the dither.
void BM_PlainConversion(benchmark::State& state) {
    Pictures p(state);
    for (auto _ : state) {
        Local_Contrast_Map(p.source, p.map);
        CPC_Mode1_Dither(p.source, p.result, p.map, p.inks, 0, 0, 0);
        benchmark::ClobberMemory();
    }
    setBytes(state, p.source);
}

// Arguments: width, height, the fit mode (1 crop, 2 pad, 3 stretch).
void BM_FitToScreen(benchmark::State& state) {
    Pictures p(state);
    const auto mode = static_cast<TFitMode>(state.range(2));
    for (auto _ : state) {
        Fit_To_Screen(p.source, p.result, mode);
        benchmark::ClobberMemory();
    }
    setBytes(state, p.source);
}

// The automatic choice of all four inks, from reading the cells to the
// best set, on range(2) threads.
void BM_ChooseInks(benchmark::State& state) {
    Pictures p(state);
    Ink_Search_Control control;
    control.threads = static_cast<int>(state.range(2));
    for (auto _ : state) {
        const Ink_Search_Cells cells = Ink_Search_Cells_Of(p.source, p.map, 0, 0, 0);
        benchmark::DoNotOptimize(
            Choose_Inks(cells, {kChooseInk, kChooseInk, kChooseInk, kChooseInk}, control));
    }
    setBytes(state, p.source);
}

// The automatic choice of every ink of the mode whose screen is range(0) x
// range(1) pixels, for the dither kDithers[range(2)], on every core.
void BM_ChooseModeInks(benchmark::State& state) {
    Pictures p(state);
    const int width = static_cast<int>(state.range(0));
    const ScreenMode& mode = *std::find_if(kScreenModes.begin(), kScreenModes.end(),
                                           [&](const ScreenMode& m) { return m.width == width; });
    const TDither dither = kDithers[static_cast<std::size_t>(state.range(2))].dither;
    Ink_Search_Control control;
    control.threads = Ink_Search_Control::AllCores();
    const std::vector<int> kept(static_cast<std::size_t>(mode.inkCount), kChooseInk);
    for (auto _ : state)
        benchmark::DoNotOptimize(Choose_Mode_Inks(p.source, p.map, kept, dither, mode, 0, 0, 0, control));
    state.SetLabel(std::string("mode ") + std::to_string(mode.number) + " " + kDithers[static_cast<std::size_t>(state.range(2))].name);
    setBytes(state, p.source);
}

// One dither of the family on the mode's whole screen (a photograph-like
// picture, the mode's start inks). Arguments: the mode, the dither's place
// in kDithers.
void BM_ModeDither(benchmark::State& state) {
    const ScreenMode& mode = Screen_Mode(static_cast<int>(state.range(0)));
    const DitherInfo& dither = kDithers[static_cast<std::size_t>(state.range(1))];
    state.SetLabel("mode " + std::to_string(mode.number) + " " + dither.name);
    TPicture source = photoLike(mode.width, mode.height), map, result;
    Local_Contrast_Map(source, map);
    const InkList inks = Start_Inks(mode);
    for (auto _ : state) {
        Mode_Dither(dither.dither, source, result, map, inks, 0, 0, 0, mode);
        benchmark::ClobberMemory();
    }
    setBytes(state, source);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({320, 200})->Args({4000, 3000})->Unit(benchmark::kMicrosecond);
}
void sizesAndLocal(benchmark::internal::Benchmark* b) {
    b->Args({320, 200, 0})
        ->Args({4000, 3000, 0})
        ->Args({4000, 3000, 20000})
        ->Unit(benchmark::kMicrosecond);
}

} // namespace

BENCHMARK(BM_BaselineRowCopy)->Apply(sizes)->Args({160, 200})->Args({640, 200});
BENCHMARK(BM_Dither)->Apply(sizesAndLocal);
BENCHMARK(BM_LocalContrastMap)->Apply(sizes);
BENCHMARK(BM_StretchPalette)->Apply(sizes);
BENCHMARK(BM_ConvertAndLayout)->Apply(sizes);
BENCHMARK(BM_PlainConversion)->Apply(sizes);
BENCHMARK(BM_ChooseInks)
    ->Args({320, 200, 1})
    ->Args({320, 200, 2})
    ->Args({4000, 3000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FitToScreen)
    ->Args({4000, 3000, static_cast<int>(TFitMode::Crop)})
    ->Args({4000, 3000, static_cast<int>(TFitMode::Pad)})
    ->Args({4000, 3000, static_cast<int>(TFitMode::Stretch)})
    ->Args({320, 200, static_cast<int>(TFitMode::Stretch)})
    ->Unit(benchmark::kMicrosecond);

// The mode dithers and ink choices are registered once the tables of modes
// and dithers exist, which static registration cannot count on.
int main(int argc, char** argv) {
    for (const ScreenMode& mode : kScreenModes)
        for (std::size_t d = 0; d < kDithers.size(); ++d)
            benchmark::RegisterBenchmark("BM_ModeDither", BM_ModeDither)
                ->Args({mode.number, static_cast<int>(d)})
                ->Unit(benchmark::kMicrosecond);
    for (const ScreenMode& mode : kScreenModes)
        for (std::size_t d = 0; d < kDithers.size(); ++d)
            benchmark::RegisterBenchmark("BM_ChooseModeInks", BM_ChooseModeInks)
                ->Args({mode.width, mode.height, static_cast<int>(d)})
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
