// For test programs with a Qt application: waiting runs the event loop, so that dialogs, window
// timers and posted messages keep working while a test waits (see wait_until.h).
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <thread>

#include "tests/support/wait_until.h"

namespace test_support {

// Runs the event loop for ms milliseconds on the application's thread; sleeps on any other.
inline void RunEventLoopFor(int ms) {
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Called by the test program's environment once its application exists.
inline void WaitWithTheEventLoop() {
    SetIdleRunner(&RunEventLoopFor);
}

}  // namespace test_support
