#include "app/thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

namespace tq::app {

namespace {

bool onWindowThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

[[noreturn]] void parkForever() {
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(24));
}

}  // namespace

bool startWorker(std::function<void()> routine) {
    try {
        std::thread(std::move(routine)).detach();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void runOnWindowThread(const std::function<void()>& work) {
    // Without an application there is no window thread to hand over to; the caller owns
    // everything it touches.
    if (onWindowThread()) {
        work();
        return;
    }
    bool ran = false;
    // The worker sleeps until the work is done rather than spinning on a flag. Spinning was
    // tried: it saves a wake-up when the window thread has a core to itself, but a new worker
    // often lands on the window thread's own core and then holds up the very step it waits for.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&work, &ran] {
            work();
            ran = true;
        },
        Qt::BlockingQueuedConnection);
    // Qt releases a blocked caller without running the work when the application object
    // dies. The window is gone by then and the process is about to end: going on would let
    // this worker act on results it never got.
    if (!ran)
        parkForever();
}

void processPendingEvents() {
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread())
        return;
    // A quit request met here marks the running loops to end; the main loop ends on it once
    // control is back there.
    QCoreApplication::processEvents();
}

void exitProcess(int code) {
    std::fflush(nullptr);
    // No static destructor may run: detached workers may still be inside the network client
    // or waiting on the window thread.
    std::_Exit(code);
}

}  // namespace tq::app
