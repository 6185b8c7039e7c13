#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include "InkChoice.h"

// A long piece of window work off the user-interface thread, with the
// progress and the stop of an ink search: the automatic inks, and the
// pictures of a slideshow.
// One automatic ink search on a thread of its own, over what it was given
// beforehand (cells read from the pictures, or copies of them), so the
// window's pictures may change meanwhile.
class InkSearchJob {
  public:
    using Search = std::function<std::vector<int>(const Ink_Search_Control& control, bool& cancelled)>;

    explicit InkSearchJob(Search search) : mSearch(std::move(search)) {
        mThread = std::thread([this] { run(); });
    }
    ~InkSearchJob() {
        mCancel = true;
        if (mThread.joinable())
            mThread.join();
    }
    InkSearchJob(const InkSearchJob&) = delete;
    InkSearchJob& operator=(const InkSearchJob&) = delete;

    bool done() const { return mDone.load(); }
    int percent() const { return mPercent.load(); }
    void cancel() { mCancel = true; }
    // Waits for the search; raises the error it ended with, if any. Empty
    // when it was cancelled.
    std::vector<int> finish() {
        mThread.join();
        if (mError)
            std::rethrow_exception(mError);
        return mCancelled ? std::vector<int>{} : mNumbers;
    }

  private:
    void run() {
        try {
            Ink_Search_Control control;
            control.threads = Ink_Search_Control::AllCores();
            control.progress = [this](int done, int total) {
                mPercent = total > 0 ? done * 100 / total : 100;
            };
            control.cancel = &mCancel;
            mNumbers = mSearch(control, mCancelled);
        } catch (...) {
            mError = std::current_exception();
        }
        mDone = true;
    }

    const Search mSearch;
    std::atomic<bool> mCancel{false};
    std::atomic<bool> mDone{false};
    std::atomic<int> mPercent{0};
    std::vector<int> mNumbers;
    bool mCancelled = false;
    std::exception_ptr mError;
    std::thread mThread;
};

// Lets the window repaint, but takes no input, until the job is done or the
// time is up.
inline void waitFor(const InkSearchJob& job, int milliseconds) {
    if (milliseconds <= 0 || job.done())
        return;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (job.done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

