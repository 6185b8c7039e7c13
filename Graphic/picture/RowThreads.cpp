#include "RowThreads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace {

std::atomic<int> chosenThreads{0};

// Below this many pixels a thread costs more to start than it saves.
constexpr int kPixelsWorthAThread = 1 << 16;

} // namespace

int All_Cores() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

int Row_Threads() {
    const int chosen = chosenThreads.load();
    return chosen > 0 ? chosen : All_Cores();
}

void Set_Row_Threads(int threads) {
    chosenThreads.store(std::max(0, threads));
}

int Rows_Worth_A_Thread(int rowPixels) {
    return std::max(1, kPixelsWorthAThread / std::max(1, rowPixels));
}

void Run_Over_Rows(int rowCount, int minimumRows,
                   const std::function<void(int first, int last)>& rows) {
    Run_Over_Rows(0, rowCount, minimumRows, rows);
}

void Run_Over_Rows(int first, int last, int minimumRows,
                   const std::function<void(int first, int last)>& rows) {
    const int rowCount = last - first;
    if (rowCount <= 0)
        return;
    const int bands = std::clamp(rowCount / std::max(1, minimumRows), 1, Row_Threads());
    if (bands == 1) {
        rows(first, last);
        return;
    }
    const auto bandStart = [&](int band) {
        return first + static_cast<int>(static_cast<long long>(rowCount) * band / bands);
    };
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(bands));
    const auto runBand = [&](int band) {
        try {
            rows(bandStart(band), bandStart(band + 1));
        } catch (...) {
            errors[static_cast<std::size_t>(band)] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(bands - 1));
    try {
        for (int band = 1; band < bands; ++band)
            workers.emplace_back(runBand, band);
    } catch (...) {
        // No thread to be had: the bands not started run here.
        for (int band = static_cast<int>(workers.size()) + 1; band < bands; ++band)
            runBand(band);
    }
    runBand(0);
    for (std::thread& worker : workers)
        worker.join();
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}

std::vector<std::uint8_t*> Writable_Rows(TPicture& picture) {
    return Writable_Rows(picture, 0, picture.GetHeight());
}

std::vector<std::uint8_t*> Writable_Rows(TPicture& picture, int first, int last) {
    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(std::max(0, last - first)));
    for (std::size_t k = 0; k < rows.size(); ++k)
        rows[k] = picture.GetScanline(first + static_cast<int>(k));
    return rows;
}
