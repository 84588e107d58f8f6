#include "app/thread.h"

#include <QCoreApplication>
#include <cstdlib>
#include <thread>

namespace tq::app {

bool startWorker(std::function<void()> routine) {
    std::thread(std::move(routine)).detach();
    return true;
}
void runOnWindowThread(const std::function<void()>& work) { work(); }
void processPendingEvents() {}
void exitProcess(int code) { std::_Exit(code); }

}  // namespace tq::app
