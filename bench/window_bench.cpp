// One brightness step on the real main window, as the user makes it: the
// slider's position changes, its handler renders the whole result and the
// result view repaints its visible part at once. Beside it, in the same run
// and on the same picture, the bare dither the step is built on and the
// repaint on its own. Runs on the offscreen platform unless told otherwise.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <QApplication>
#include <QTemporaryDir>

#include "Dialogs.h"
#include "Engine.h"
#include "Forms.h"
#include "LandscapePicture.h"
#include "Unit1.h"

namespace {

QTemporaryDir* pictureFolder = nullptr;

// One shown main window per picture size, loaded through its own command.
std::map<std::pair<int, int>, std::unique_ptr<TForm1>>& windows() {
    static std::map<std::pair<int, int>, std::unique_ptr<TForm1>> all;
    return all;
}

TForm1& windowWith(int width, int height, int zoom) {
    std::unique_ptr<TForm1>& form = windows()[{width, height}];
    if (!form) {
        const std::string file = pictureFolder->filePath(QStringLiteral("land_%1x%2.bmp").arg(width).arg(height))
                                     .toStdString();
        testing_pictures::landscape(width, height).SaveToFile(file);
        form = std::make_unique<TForm1>();
        form->Show();
        const TFileDialogDriver previous =
            SetFileDialogDriver([&](const TFileDialogRequest&) { return std::optional<std::string>(file); });
        form->SpeedButton1->click();
        SetFileDialogDriver(previous);
        QApplication::processEvents();
    }
    form->CSpinEdit1->SetValue(zoom);
    QApplication::processEvents();
    return *form;
}

void setPixels(benchmark::State& state, const TForm1& form) {
    const TPicture& source = form.Image1->GetPicture();
    state.counters["Mpixels"] = static_cast<double>(source.GetWidth()) * source.GetHeight() / 1e6;
}

void BM_SliderStep(benchmark::State& state) {
    TForm1& form = windowWith(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                              static_cast<int>(state.range(2)));
    int position = 1;
    for (auto _ : state) {
        position = -position;
        form.TrackBar3->SetPosition(position);
    }
    setPixels(state, form);
}

void BM_BareDither(benchmark::State& state) {
    TForm1& form = windowWith(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                              static_cast<int>(state.range(2)));
    TPicture result;
    int position = 1;
    for (auto _ : state) {
        position = -position;
        CPC_Mode1_Dither(form.Image1->GetPicture(), result, form.Image7->GetPicture(), form.Inks, position, 0, 0);
        benchmark::ClobberMemory();
    }
    setPixels(state, form);
}

void BM_RepaintOnly(benchmark::State& state) {
    TForm1& form = windowWith(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                              static_cast<int>(state.range(2)));
    for (auto _ : state)
        form.Image2->Refresh();
    setPixels(state, form);
}

// width, height, zoom
void cases(benchmark::internal::Benchmark* b) {
    b->Args({320, 200, 1})->Args({320, 200, 4})->Args({4000, 3000, 1})->Args({4000, 3000, 4});
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_SliderStep)->Apply(cases);
BENCHMARK(BM_BareDither)->Apply(cases);
BENCHMARK(BM_RepaintOnly)->Apply(cases);

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Application->Initialize(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    pictureFolder = &folder;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    windows().clear();
    Application->DestroyForms();
    return 0;
}
