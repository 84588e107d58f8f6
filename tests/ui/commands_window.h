#pragma once
// The window the command tests drive: the real main window, built hidden as at start-up.
#include "ui/mainwindow.h"

namespace tq::ui::testing {

using TestWindow = MainWindow;

}  // namespace tq::ui::testing
