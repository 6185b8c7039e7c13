#include "RenderScheduler.h"

#include <algorithm>
#include <utility>

#include <QScopedValueRollback>

#include "Events.h"

namespace {

// An idle part aims at this many milliseconds: short enough that a key or a
// scroll waits for it unnoticed, long enough that the rest is soon done.
constexpr qint64 kIdlePartMs = 15;

} // namespace

TRenderScheduler::TRenderScheduler(TRenderParts parts, QObject* parent)
    : QObject(parent), mParts(std::move(parts)) {
    mIdle.setInterval(0);
    connect(&mIdle, &QTimer::timeout, this, &TRenderScheduler::runIdle);
}

void TRenderScheduler::Request() {
    mWaiting = true;
    mStarted = false;
    mDone.clear();
    mIdle.stop();
    if (mPosted)
        return;
    mPosted = true;
    QMetaObject::invokeMethod(this, &TRenderScheduler::runPosted, Qt::QueuedConnection);
}

bool TRenderScheduler::Pending() const {
    return mWaiting || (mStarted && firstMissing() < mRowCount);
}

void TRenderScheduler::Flush() {
    if (!Pending())
        return;
    startIfWaiting();
    renderMissing(0, mRowCount);
    mIdle.stop();
    showIfUnshown();
}

void TRenderScheduler::RenderRows(int first, int last) {
    // A paint the render itself causes (a busy cursor repaints the window)
    // draws what is there: the render in progress shows its rows after.
    if (!Pending() || mRendering)
        return;
    startIfWaiting();
    renderMissing(first, last);
}

void TRenderScheduler::Rendered() {
    mUnshown = false;
    mWaiting = false;
    mStarted = false;
    mDone.clear();
    mIdle.stop();
}

void TRenderScheduler::startIfWaiting() {
    if (!mWaiting)
        return;
    const QScopedValueRollback<bool> rendering(mRendering, true);
    const int rowCount = mParts.start();
    mRowCount = std::max(0, rowCount);
    mInOrder = mParts.inOrder();
    mDone.clear();
    mStarted = true;
    mUnshown = true;
    mWaiting = false;
}

void TRenderScheduler::showIfUnshown() {
    if (!mUnshown)
        return;
    mUnshown = false;
    mParts.show();
}

int TRenderScheduler::firstMissing() const {
    return !mDone.empty() && mDone.front().first == 0 ? mDone.front().second : 0;
}

void TRenderScheduler::renderMissing(int first, int last) {
    const QScopedValueRollback<bool> rendering(mRendering, true);
    first = std::max(0, mInOrder ? firstMissing() : first);
    last = std::min(last, mRowCount);
    int from = first;
    while (from < last) {
        // The done range at or after from, if any, bounds this call.
        auto next = std::find_if(mDone.begin(), mDone.end(),
                                 [&](const std::pair<int, int>& done) { return done.second > from; });
        if (next != mDone.end() && next->first <= from) {
            from = next->second;
            continue;
        }
        const int to = next == mDone.end() ? last : std::min(last, next->first);
        mParts.rows(from, to);
        // Merged with its neighbours, so the list stays short.
        auto at = mDone.insert(next, {from, to});
        if (at != mDone.begin() && std::prev(at)->second == from) {
            std::prev(at)->second = to;
            at = mDone.erase(at) - 1;
        }
        if (std::next(at) != mDone.end() && std::next(at)->first == to) {
            at->second = std::next(at)->second;
            mDone.erase(std::next(at));
        }
        from = to;
    }
}

// The posted render runs outside any handler: its errors are shown here.
void TRenderScheduler::runPosted() {
    mPosted = false;
    RunGuarded([this] {
        if (!Pending() && !mUnshown)
            return;
        startIfWaiting();
        const auto [first, last] = mParts.visibleRows();
        renderMissing(first, last);
        showIfUnshown();
        if (Pending())
            mIdle.start();
    });
}

// A part that fails stops the idle rendering: its error is shown once, and
// the rows stay waiting for the next flush.
void TRenderScheduler::runIdle() {
    RunGuarded([this] {
        if (!Pending()) {
            mIdle.stop();
            return;
        }
        mIdle.stop();
        const int first = firstMissing();
        QElapsedTimer clock;
        clock.start();
        renderMissing(first, first + mIdleRows);
        const qint64 took = clock.elapsed();
        if (took < kIdlePartMs / 2)
            mIdleRows = std::min(mIdleRows * 2, 1 << 20);
        else if (took > kIdlePartMs * 2)
            mIdleRows = std::max(mIdleRows / 2, 1);
        if (Pending())
            mIdle.start();
    });
}
