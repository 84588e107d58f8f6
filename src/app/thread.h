#pragma once
// The two kinds of thread: the window thread, which owns every widget, and detached workers.
#include <functional>

namespace tq::app {

// Starts `routine` on a new detached thread; false when no thread could be started.
bool startWorker(std::function<void()> routine);

// Runs `work` on the window thread and blocks until it is done. Called on the window thread it
// simply runs `work`. The window thread serves these calls whenever it waits for events: in
// the main loop, in processPendingEvents and inside modal dialogs.
void runOnWindowThread(const std::function<void()>& work);

// Dispatches the events already waiting; a quit request is left for the main loop. Does
// nothing on a worker.
void processPendingEvents();

// Ends the process at once with `code`: no static destructor runs while workers still hold
// the network client or wait on the window.
[[noreturn]] void exitProcess(int code);

}  // namespace tq::app
