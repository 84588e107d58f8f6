#pragma once
// The program from start to exit, so that tests can drive the very sequence main() runs.
#include <QWidget>
#include <functional>
#include <memory>

namespace tq::ui {

using WindowFactory = std::function<std::unique_ptr<QWidget>()>;

// Builds and runs the program: checks for a display, the application, the current directory,
// the main window built hidden, pending events, the window-created step, show, the event loop.
// Never returns: the process ends with the loop's code, or with -1 when the window cannot be
// built, or with 1 when there is no display. `makeWindow` defaults to the main window; an
// application object that already exists is used as it is.
[[noreturn]] void runProgram(int argc, char** argv, WindowFactory makeWindow = {});

// The reason the program cannot reach a display, or empty when it can.
QString missingDisplayReason();

}  // namespace tq::ui
