#pragma once
// The window thread's own event loop, run until a condition holds, for tests and benchmarks
// whose workers hand steps over to the window thread.
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace tq::test {

// Runs the event loop, as the program's main loop would, until `done` holds or `limit` has
// passed; true when `done` holds. Unlike QTRY_*, which sleeps between rounds, the loop serves
// each posted call as soon as it arrives; `done` is looked at every `poll`.
inline bool runEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
                           std::chrono::milliseconds poll = std::chrono::milliseconds(20)) {
    QEventLoop loop;
    QTimer pollTimer;
    QObject::connect(&pollTimer, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    pollTimer.start(poll);
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

}  // namespace tq::test
