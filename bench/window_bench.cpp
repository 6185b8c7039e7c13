// One brightness step on the real main window, as the user makes it: the
// slider's position changes, the render it asks for runs and the result view
// repaints its visible part. Beside it, in the same run and on the same
// picture, the bare dither the step is built on and the repaint on its own.
// BM_HeldKey holds a slider key as the keyboard repeats it (every 40 ms,
// from another thread, so repeats pile up while the window is busy) and
// times how long the window stays busy after the key is let go. Runs on the
// offscreen platform unless told otherwise (scripts/held-key runs it under X).
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include <QApplication>
#include <QFile>
#include <QInputDevice>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QThread>

#include "Dialogs.h"
#include "Engine.h"
#include "Forms.h"
#include "LandscapePicture.h"
#include "RowThreads.h"
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
        const std::string file =
            pictureFolder->filePath(QStringLiteral("land_%1x%2.bmp").arg(width).arg(height))
                .toStdString();
        testing_pictures::landscape(width, height).SaveToFile(file);
        form = std::make_unique<TForm1>();
        form->Show();
        const TFileDialogDriver previous = SetFileDialogDriver(
            [&](const TFileDialogRequest&) { return std::optional<std::string>(file); });
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

// One step as the event loop runs it: the rows in view rendered and
// repainted. The rest of the picture is left to idle time, which the next
// step, coming at once, drops, as a held key's next repeat does; with
// whole, each step also renders the rest, as a step the user lets rest ends
// up costing.
void sliderSteps(benchmark::State& state, bool whole) {
    TForm1& form = windowWith(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                              static_cast<int>(state.range(2)));
    int position = 1;
    for (auto _ : state) {
        position = -position;
        form.TrackBar3->SetPosition(position);
        QApplication::processEvents();
        if (whole)
            form.FlushRender();
    }
    form.FlushRender();
    setPixels(state, form);
}

void BM_SliderStep(benchmark::State& state) {
    sliderSteps(state, false);
}

void BM_SliderStepWhole(benchmark::State& state) {
    sliderSteps(state, true);
}

// Counts the paints of a view, each render's among them.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Arguments: width, height, how long the key is held (ms). The time reported
// is the wait after the release until the window has rendered the last value.
void BM_HeldKey(benchmark::State& state) {
    TForm1& form =
        windowWith(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 1);
    const auto held = std::chrono::milliseconds(state.range(2));
    constexpr auto kRepeat = std::chrono::milliseconds(40);
    int repeats = 0, renders = 0;
    for (auto _ : state) {
        form.TrackBar3->SetPosition(0);
        form.FlushRender();
        form.TrackBar3->setFocus();
        // Made here: the event's device belongs to the window's thread.
        const QInputDevice* device = QInputDevice::primaryKeyboard();
        std::atomic<bool> released{false};
        std::atomic<int> sent{0};
        std::unique_ptr<QThread> keyboard(QThread::create([&] {
            const auto start = std::chrono::steady_clock::now();
            while (std::chrono::steady_clock::now() - start < held) {
                QCoreApplication::postEvent(
                    form.TrackBar3, new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier,
                                                  0, 0, 0, QString(), true, 1, device));
                ++sent;
                std::this_thread::sleep_for(kRepeat);
            }
            released = true;
        }));
        keyboard->start();
        PaintCounter counting;
        form.Image2->installEventFilter(&counting);
        while (!released)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto release = std::chrono::steady_clock::now();
        keyboard->wait();
        while (form.TrackBar3->GetPosition() != sent.load() || form.RenderPending())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const auto idle = std::chrono::steady_clock::now();
        form.Image2->removeEventFilter(&counting);
        renders += counting.paints;
        state.SetIterationTime(std::chrono::duration<double>(idle - release).count());
        repeats += sent.load();
    }
    state.counters["repeats"] = benchmark::Counter(repeats, benchmark::Counter::kAvgIterations);
    state.counters["repaints"] = benchmark::Counter(renders, benchmark::Counter::kAvgIterations);
    setPixels(state, form);
}

void BM_BareDither(benchmark::State& state) {
    TForm1& form = windowWith(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                              static_cast<int>(state.range(2)));
    // Made once before the timing, as the window's result is: the step
    // reuses its pages.
    TPicture result;
    CPC_Mode1_Dither(form.Image1->GetPicture(), result, form.Image7->GetPicture(), form.Inks, 0, 0,
                     0);
    int position = 1;
    for (auto _ : state) {
        position = -position;
        CPC_Mode1_Dither(form.Image1->GetPicture(), result, form.Image7->GetPicture(), form.Inks,
                         position, 0, 0);
        benchmark::ClobberMemory();
    }
    setPixels(state, form);
}

// The dither as it was before the rows were shared among threads.
void BM_BareDitherOneThread(benchmark::State& state) {
    Set_Row_Threads(1);
    BM_BareDither(state);
    Set_Row_Threads(0);
}

void BM_RepaintOnly(benchmark::State& state) {
    TForm1& form = windowWith(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                              static_cast<int>(state.range(2)));
    for (auto _ : state)
        form.Image2->Refresh();
    setPixels(state, form);
}

// Loading a 12-megapixel JPEG photograph into the window, with the fit
// given by the argument (0 off, 1 crop): with a fit, it is decoded smaller.
void BM_LoadPhoto(benchmark::State& state) {
    const std::string file = pictureFolder->filePath(QStringLiteral("photo12.jpg")).toStdString();
    if (!QFile::exists(QString::fromStdString(file)))
        testing_pictures::landscape(4000, 3000).Image().save(QString::fromStdString(file), "jpeg", 90);
    TForm1 form;
    form.Show();
    form.SetFitMode(state.range(0) ? TFitMode::Crop : TFitMode::Off);
    const TFileDialogDriver previous = SetFileDialogDriver(
        [&](const TFileDialogRequest&) { return std::optional<std::string>(file); });
    for (auto _ : state) {
        form.SpeedButton1->click();
        QApplication::processEvents();
    }
    SetFileDialogDriver(previous);
}

// width, height, zoom; the CPU time is the whole process's, every thread's.
void cases(benchmark::internal::Benchmark* b) {
    b->Args({320, 200, 1})->Args({320, 200, 4})->Args({4000, 3000, 1})->Args({4000, 3000, 4});
    b->Args({10000, 10000, 1});
    b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

} // namespace

BENCHMARK(BM_SliderStep)->Apply(cases);
BENCHMARK(BM_SliderStepWhole)->Apply(cases);
BENCHMARK(BM_BareDither)->Apply(cases);
BENCHMARK(BM_BareDitherOneThread)->Apply(cases);
BENCHMARK(BM_RepaintOnly)->Apply(cases);
BENCHMARK(BM_LoadPhoto)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_HeldKey)
    ->Args({10000, 10000, 2000})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

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
