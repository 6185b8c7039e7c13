#include "LibraryMessages.h"

#include <cstdio>
#include <mutex>

namespace {

thread_local LibraryMessages* tKeeper = nullptr;

std::mutex gInstallMutex;
int gKeepers = 0;                        // guarded by gInstallMutex
QtMessageHandler gPassOn = nullptr;      // the handler before ours, guarded likewise

void passOn(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    QtMessageHandler handler;
    {
        const std::lock_guard lock(gInstallMutex);
        handler = gPassOn;
    }
    if (handler)
        handler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

LibraryMessages::LibraryMessages() : mOuter(tKeeper) {
    tKeeper = this;
    const std::lock_guard lock(gInstallMutex);
    if (gKeepers++ == 0)
        gPassOn = qInstallMessageHandler(&LibraryMessages::keep);
}

LibraryMessages::~LibraryMessages() {
    tKeeper = mOuter;
    const std::lock_guard lock(gInstallMutex);
    if (--gKeepers == 0)
        qInstallMessageHandler(gPassOn);
}

void LibraryMessages::keep(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (tKeeper && type != QtFatalMsg)
        tKeeper->mLast = text;
    else
        passOn(type, context, text);
}
