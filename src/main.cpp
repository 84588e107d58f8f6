#include <QApplication>

#include "app/thread.h"
#include "ui/mainwindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tq::ui::MainWindow window;
    window.show();
    tq::app::exitProcess(app.exec());
}
