// A long seeded run of random commands on the real main window: sliders,
// inks, stretch, zoom, good and bad loads, saves. After every command the
// window must agree with what the test knows it did; after the run the
// process must hold no more memory than it did after the first load.
//   TINTORA_SOAK_COMMANDS  number of commands (default 500)
//   TINTORA_SOAK_SEED      seed of the sequence (default fixed)
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "BmpCorpus.h"
#include "MainWindowFixture.h"
#include "ProcessMemory.h"

// Under AddressSanitizer freed blocks wait in a quarantine (256 MB by
// default) before they are reused or unmapped. Measured on this run, the
// resident memory left after the run grows with the quarantine's size (about
// 10 MB more with a 1 MB quarantine, 2 MB with none, over 6000 commands): the
// quarantined blocks scatter the later small allocations over more pages,
// which stay resident. This test turns the quarantine off so that the check
// measures the program, not the sanitizer; heap overflows, leaks and undefined
// behaviour are still caught here, freed-memory use by the other window
// tests. ASAN_OPTIONS given by the caller take precedence.
#if defined(__SANITIZE_ADDRESS__)
#define TINTORA_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINTORA_SOAK_ASAN 1
#endif
#endif
#ifdef TINTORA_SOAK_ASAN
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=0:thread_local_quarantine_size_kb=0";
}
extern "C" void __sanitizer_purge_allocator();
#else
#include <malloc.h>
#endif

namespace {

using namespace main_window_testing;

constexpr int kDefaultCommands = 500;
constexpr unsigned kDefaultSeed = 20261207;
constexpr double kAllowedGrowth = 0.10;
constexpr long long kScreenFileBytes = 16384;

// Resident memory once the allocator has handed back what it keeps cached:
// freed pages parked in its free lists (and, under AddressSanitizer, its
// quarantine) count as resident though nothing uses them, and how many there
// are depends on the order of the last frees, not on what the program holds.
long long settledRssKilobytes() {
    QTest::qWait(0);
#ifdef TINTORA_SOAK_ASAN
    __sanitizer_purge_allocator();
#else
    malloc_trim(0);
#endif
    return statusKilobytes("VmRSS");
}

int environmentNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

struct GoodFile {
    std::string path;
    int width, height;
};

class MainWindowSoak : public MainWindowCommands {
  protected:
    void SetUp() override {
        MainWindowCommands::SetUp();
        for (const QSize size : {QSize(320, 200), QSize(640, 400), QSize(160, 100), QSize(321, 200), QSize(97, 61)}) {
            const std::string name = "good_" + std::to_string(size.width()) + "x" + std::to_string(size.height()) + ".bmp";
            good.push_back({writeLandscape(name, size.width(), size.height()), size.width(), size.height()});
        }
        for (const bmp_corpus::CorpusFile& file : bmp_corpus::malformedFiles()) {
            bad.push_back(path("bad_" + file.name + ".bmp"));
            writeFile(bad.back(), file.bytes);
        }
    }

    // What the window must show: the file loaded last, stretched or not,
    // converted with the inks and slider positions the test has set.
    void expectResultAsTheEngineMakesIt() {
        TPicture picture;
        picture.LoadFromFile(good[current].path);
        const Conversion expected = convert(picture, inks, form.TrackBar3->GetPosition(), form.TrackBar4->GetPosition(),
                                            form.TrackBar1->GetPosition(), stretched);
        EXPECT_EQ(source(), rows(expected.source));
        EXPECT_EQ(map(), rows(expected.map));
        EXPECT_EQ(result(), rows(expected.result));
    }

    void loadGood(std::size_t index) {
        load(good[index].path);
        current = index;
        stretched = false;
        EXPECT_EQ(form.Image1->GetPicture().GetWidth(), good[index].width);
        EXPECT_EQ(form.Image1->GetPicture().GetHeight(), good[index].height);
    }

    void loadBad(const std::string& file) {
        // Loading turns the stretch off first; that undoing stays.
        const Bytes before = stretched ? rows(*form.StretchBackup) : source();
        load(file);
        stretched = false;
        EXPECT_EQ(source(), before) << "a failed load leaves the source as it was";
        expectedMessages = 1;
    }

    void moveSlider(TTrackBar* slider, std::mt19937& random) {
        static const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
        if (random() % 2) {
            QTest::keyClick(slider, keys[random() % std::size(keys)]);
        } else {
            std::uniform_int_distribution<int> position(slider->GetMin(), slider->GetMax());
            slider->SetPosition(position(random));
        }
        EXPECT_GE(slider->GetPosition(), slider->GetMin());
        EXPECT_LE(slider->GetPosition(), slider->GetMax());
    }

    void ink(std::mt19937& random) {
        static TButton* TForm1::*const buttons[] = {&TForm1::Button2, &TForm1::Button3, &TForm1::Button4, &TForm1::Button5};
        const int k = static_cast<int>(random() % 4);
        const int number = static_cast<int>(random() % 27);
        if (random() % 4 == 0) {
            inkDialog(form.*buttons[k], [number](TF_ColorSelect& d) {
                QTest::mouseClick(d.Swatch(number), Qt::LeftButton);
                QTest::mouseClick(d.Button1, Qt::LeftButton);
            });
        } else {
            chooseColour(form.*buttons[k], number);
            inks[static_cast<std::size_t>(k)] = Ink_From_Colour_Number(number);
        }
        EXPECT_EQ(form.Inks, inks);
    }

    void saveSomething(std::mt19937& random) {
        const bool screen = random() % 2;
        const std::string file = path(screen ? "out.scr" : "out.bmp");
        QFile::remove(QString::fromStdString(file));
        save(file);
        const bool fits = good[current].width == kScreenWidth && good[current].height == kScreenHeight;
        if (!screen) {
            TPicture written;
            written.LoadFromFile(file);
            EXPECT_EQ(rows(written), result());
        } else if (fits) {
            EXPECT_EQ(QFileInfo(QString::fromStdString(file)).size(), kScreenFileBytes);
        } else {
            EXPECT_FALSE(fileExists(file)) << "a picture of the wrong size writes no screen file";
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages.back(), kScreenSizeMessage);
            expectedMessages = 1;
        }
    }

    void checkInvariants() {
        EXPECT_EQ(form.StretchBackup != nullptr, stretched);
        EXPECT_EQ(stretchBevelsLowered(), stretched);
        EXPECT_EQ(stretchBevelsRaised(), !stretched);
        ASSERT_EQ(messages.size(), expectedMessages) << (messages.empty() ? "" : messages.back());
        // The fixture's records would grow with the run, and count as the
        // window's memory.
        messages.clear();
        requests.clear();
        expectedMessages = 0;
        const int zoom = form.CSpinEdit1->GetValue();
        EXPECT_EQ(view(), QSize(good[current].width * zoom, good[current].height * zoom));
        EXPECT_EQ(form.Image2->GetPicture().GetWidth(), good[current].width);
        EXPECT_EQ(form.Image2->GetPicture().GetHeight(), good[current].height);
    }

    std::vector<GoodFile> good;
    std::vector<std::string> bad;
    std::size_t current = 0;
    bool stretched = false;
    InkTable inks = defaultInks();
    std::size_t expectedMessages = 0;
};

TEST_F(MainWindowSoak, RandomCommandsKeepTheWindowConsistentAndItsMemoryFlat) {
    const int commands = environmentNumber("TINTORA_SOAK_COMMANDS", kDefaultCommands);
    const unsigned seed = static_cast<unsigned>(environmentNumber("TINTORA_SOAK_SEED", static_cast<int>(kDefaultSeed)));
    std::mt19937 random(seed);
    const auto started = std::chrono::steady_clock::now();

    loadGood(0);
    const long long firstRawRss = statusKilobytes("VmRSS");
    const long long firstRss = settledRssKilobytes();
    ASSERT_GT(firstRss, 0);

    enum Command { Local, Brightness, Contrast, InkChoice, Stretch, ZoomIn, ZoomOut, LoadGood, LoadBad, Save, CommandCount };
    static const char* const names[] = {"local contrast", "brightness", "contrast", "ink", "stretch",
                                        "zoom in", "zoom out", "good load", "bad load", "save"};
    int done = 0;
    for (; done < commands && !HasFailure(); ++done) {
        const auto command = static_cast<Command>(random() % CommandCount);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", command " + std::to_string(done) + ": " + names[command]);
        switch (command) {
        case Local: moveSlider(form.TrackBar1, random); break;
        case Brightness: moveSlider(form.TrackBar3, random); break;
        case Contrast: moveSlider(form.TrackBar4, random); break;
        case InkChoice: ink(random); break;
        case Stretch:
            if (random() % 2)
                clickStretch();
            else
                QTest::mouseClick(form.Panel2, Qt::LeftButton, {}, QPoint(1, 1));
            stretched = !stretched;
            break;
        case ZoomIn: QTest::mouseClick(form.SpeedButton2, Qt::LeftButton); break;
        case ZoomOut: QTest::mouseClick(form.SpeedButton3, Qt::LeftButton); break;
        case LoadGood: loadGood(random() % good.size()); break;
        case LoadBad: loadBad(bad[random() % bad.size()]); break;
        case Save: saveSomething(random); break;
        case CommandCount: break;
        }
        QTest::qWait(0);
        checkInvariants();
        if (done % 50 == 49)
            expectResultAsTheEngineMakesIt();
    }
    expectResultAsTheEngineMakesIt();

    // The same picture as at the first reading, unstretched.
    loadGood(0);
    const long long finalRawRss = statusKilobytes("VmRSS");
    const long long finalRss = settledRssKilobytes();
    const long long peak = statusKilobytes("VmHWM");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "soak: commands " << done << ", seconds " << seconds << ", RSS first " << firstRss << " kB, final "
              << finalRss << " kB, peak " << peak << " kB (before the allocator's release: first " << firstRawRss
              << " kB, final " << finalRawRss << " kB), seed " << seed << std::endl;
    RecordProperty("commands", done);
    RecordProperty("rss_first_kb", std::to_string(firstRss));
    RecordProperty("rss_final_kb", std::to_string(finalRss));
    RecordProperty("rss_peak_kb", std::to_string(peak));
    RecordProperty("seconds", std::to_string(seconds));
    EXPECT_EQ(done, commands);
    EXPECT_LE(finalRss, firstRss * (1 + kAllowedGrowth)) << "resident memory grew over the run";
}

} // namespace
