// Waiting for a condition while Qt's event loop runs, for tests that drive dialogs.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace qt_test {

// Runs the event loop in short slices until done() holds or the time is up; the last answer of
// done() is the result.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) return done();
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(std::min<qint64>(left, 20)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace qt_test
