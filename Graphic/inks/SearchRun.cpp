#include "SearchRun.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

bool Run_Search_Parallel(int count, int weight, const Ink_Search_Control& control,
                         std::atomic<int>& done, int total, const std::function<void(int)>& work,
                         int chunk) {
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorLock;
    const auto cancelled = [&] { return control.cancel && control.cancel->load(); };
    const auto loop = [&](bool reports) {
        try {
            while (!failed.load() && !cancelled()) {
                const int first = next.fetch_add(chunk);
                if (first >= count)
                    return;
                const int last = std::min(count, first + chunk);
                for (int i = first; i < last; ++i)
                    work(i);
                done += (last - first) * weight;
                if (reports && control.progress)
                    control.progress(done.load(), total);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(errorLock);
            if (!error)
                error = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> helpers;
    const int chunks = (count + chunk - 1) / chunk;
    for (int t = 1; t < std::min(control.threads, chunks); ++t) {
        try {
            helpers.emplace_back(loop, false);
        } catch (const std::system_error&) {
            break; // no more threads to be had: the others share the work
        }
    }
    loop(true);
    for (std::thread& helper : helpers)
        helper.join();
    if (error)
        std::rethrow_exception(error);
    return !cancelled();
}
