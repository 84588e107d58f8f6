#include "ui/mainwindow.h"

namespace tq::ui {

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {}

}  // namespace tq::ui
