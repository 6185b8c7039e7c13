// Peak memory of the main window's commands on one big picture:
//   memory_peak WIDTH HEIGHT
// Writes a WIDTH x HEIGHT 24-bit BMP, then works the real window (offscreen
// unless told otherwise): load, one brightness step, one local-contrast step,
// stretch on, stretch off, zoom to 4 and paint, save as BMP, load again, fit
// (crop) on and off. Before each step the peak resident size is reset (Linux
// /proc/self/clear_refs); after it the peak and the current resident size are
// printed, in MiB and in pictures of WIDTH x HEIGHT x 3 bytes, beside the
// floor of four working pictures (source, map, result, stretch backup).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "Dialogs.h"
#include "Forms.h"
#include "ProcessMemory.h"
#include "SysUtils.h"
#include "Unit1.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kWorkingPictures = 4;
constexpr int kMaxZoom = 4;

bool resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

void put16(QByteArray& b, int at, std::uint32_t v) {
    for (int i = 0; i < 2; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put32(QByteArray& b, int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A bottom-up 24-bit BMP of gradients with a little noise, written a row at
// a time so the program never holds the picture before loading it.
bool writeGradient(const QString& path, int width, int height) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint64_t imageBytes = static_cast<std::uint64_t>(rowBytes) * static_cast<std::uint64_t>(height);
    QByteArray header(54, '\0');
    header[0] = 'B';
    header[1] = 'M';
    put32(header, 2, static_cast<std::uint32_t>(54 + imageBytes));
    put32(header, 10, 54);
    put32(header, 14, 40);
    put32(header, 18, static_cast<std::uint32_t>(width));
    put32(header, 22, static_cast<std::uint32_t>(height));
    put16(header, 26, 1);
    put16(header, 28, 24);
    put32(header, 34, static_cast<std::uint32_t>(imageBytes));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size())
        return false;
    QByteArray row(rowBytes, '\0');
    std::uint32_t noise = 12345;
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28) - 8;
            row[3 * x + 0] = static_cast<char>((255 * y / std::max(1, height - 1) + grain) & 0xFF);
            row[3 * x + 1] = static_cast<char>((255 * x / std::max(1, width - 1) + grain) & 0xFF);
            row[3 * x + 2] = static_cast<char>((255 - 255 * (x + y) / std::max(1, width + height - 2)) & 0xFF);
        }
        if (file.write(row) != row.size())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: memory_peak WIDTH HEIGHT\n");
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    if (width <= 0 || height <= 0)
        return 2;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Application->Initialize(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    const std::string input = folder.filePath(QStringLiteral("big.bmp")).toStdString();
    const std::string output = folder.filePath(QStringLiteral("out.bmp")).toStdString();
    if (!writeGradient(QString::fromStdString(input), width, height)) {
        std::fprintf(stderr, "cannot write %s\n", input.c_str());
        return 1;
    }
    int messages = 0;
    SetMessageSink([&messages](const std::string& text) {
        ++messages;
        std::printf("message: %s\n", text.c_str());
    });
    std::string answer;
    SetFileDialogDriver([&answer](const TFileDialogRequest&) { return std::optional<std::string>(answer); });

    {
        TForm1 form;
        form.Show();
        QApplication::processEvents();

        const double picture = static_cast<double>(width) * height * 3;
        std::printf("picture %d x %d: %.1f MiB; floor of %d working pictures %.1f MiB; before the load RSS %.1f MiB\n",
                    width, height, picture / kMiB, kWorkingPictures, kWorkingPictures * picture / kMiB,
                    static_cast<double>(statusKilobytes("VmRSS")) / 1024.0);
        std::printf("%-24s %10s %10s %9s %10s\n", "step", "peak MiB", "RSS MiB", "peak/pic", "RSS/pic");
        const auto step = [&](const char* name, const std::function<void()>& command) {
            if (!resetPeak())
                std::printf("(cannot reset the peak: figures are since the start)\n");
            command();
            QApplication::processEvents();
            const double peak = static_cast<double>(statusKilobytes("VmHWM")) * 1024.0;
            const double rss = static_cast<double>(statusKilobytes("VmRSS")) * 1024.0;
            std::printf("%-24s %10.1f %10.1f %9.2f %10.2f\n", name, peak / kMiB, rss / kMiB, peak / picture,
                        rss / picture);
            std::fflush(stdout);
        };
        step("load", [&] {
            answer = input;
            form.SpeedButton1->click();
        });
        step("brightness step", [&] { form.TrackBar3->SetPosition(form.TrackBar3->GetPosition() + 1); });
        step("local-contrast step", [&] { form.TrackBar1->SetPosition(form.TrackBar1->GetPosition() + 1); });
        step("stretch on", [&] { emit form.Image4->OnClick(); });
        step("stretch off", [&] { emit form.Image4->OnClick(); });
        step("zoom to 4 and paint", [&] {
            while (form.CSpinEdit1->GetValue() < kMaxZoom)
                form.SpeedButton2->click();
            form.Image2->Refresh();
        });
        step("save .bmp", [&] {
            answer = output;
            form.SpeedButton5->click();
        });
        // The new picture is built beside the current one, which must survive
        // a failed load.
        step("load again", [&] {
            answer = input;
            form.SpeedButton1->click();
        });
        // The picture as loaded is kept while fitted, and given back when the fit is off.
        step("fit crop", [&] { form.SetFitMode(TFitMode::Crop); });
        step("fit off", [&] { form.SetFitMode(TFitMode::Off); });
        if (form.Image1->GetPicture().GetWidth() != width || !QFile::exists(QString::fromStdString(output)) ||
            form.StretchBackup) {
            std::printf("the commands did not all take effect\n");
            return 1;
        }
        form.Close();
    }
    Application->DestroyForms();
    return messages == 0 ? 0 : 1;
}
