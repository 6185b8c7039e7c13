#include "RenderScheduler.h"

#include <utility>

#include "Events.h"

TRenderScheduler::TRenderScheduler(std::function<void()> render, QObject* parent)
    : QObject(parent), mRender(std::move(render)) {}

void TRenderScheduler::Request() {
    mPending = true;
    if (mPosted)
        return;
    mPosted = true;
    QMetaObject::invokeMethod(this, &TRenderScheduler::runPosted, Qt::QueuedConnection);
}

void TRenderScheduler::Flush() {
    if (!mPending)
        return;
    mRender();
    mPending = false;
}

void TRenderScheduler::Rendered() {
    mPending = false;
}

// The posted render runs outside any handler: its errors are shown here.
void TRenderScheduler::runPosted() {
    mPosted = false;
    RunGuarded([this] { Flush(); });
}
