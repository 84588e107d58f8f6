#include "ui/program.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <exception>

#include "app/folder.h"
#include "app/thread.h"
#include "check/fetch.h"
#include "ui/controller.h"
#include "ui/fonts.h"
#include "ui/mainwindow.h"

namespace tq::ui {

namespace {

bool envSet(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

[[noreturn]] void fail(const QString& message, int code) {
    std::fprintf(stderr, "tessmoorquarvel: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    app::exitProcess(code);
}

}  // namespace

QString missingDisplayReason() {
#if defined(Q_OS_LINUX)
    if (!envSet("DISPLAY") && !envSet("WAYLAND_DISPLAY") && !envSet("QT_QPA_PLATFORM"))
        return QStringLiteral(
            "no display: DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are all unset; "
            "start it under a virtual display with `xvfb-run -a tessmoorquarvel`");
#endif
    return {};
}

void runProgram(int argc, char** argv, WindowFactory makeWindow) {
    // The program takes no arguments: nothing after the program's own name reaches Qt either.
    static int appArgc = 1;
    static char* appArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("tessmoorquarvel"), nullptr};

    // Critical-error boxes of the system do not exist here; a failing operation simply fails.
    if (QString reason = missingDisplayReason(); !reason.isEmpty())
        fail(reason, 1);

    // Left alive to the end on purpose: the process exits without running destructors.
    QApplication* application = qApp ? qApp : new QApplication(appArgc, appArgv);
    QDir::setCurrent(QString::fromLocal8Bit(app::programFolder().c_str()));

    // "宋体" must resolve to an installed Song face before the first window asks for it.
    installFontSubstitutions();

    // One HTTP client for the whole process, created on the window thread before any worker.
    static check::Fetcher* fetcher = new check::Fetcher();
    check::FetchPage fetch = [](const std::string& address) { return fetcher->fetch(address); };

    std::unique_ptr<QWidget> window;
    std::unique_ptr<Controller> controller;
    QString missing;
    try {
        window = makeWindow ? makeWindow() : std::make_unique<MainWindow>();
        if (window)
            controller = Controller::bind(*window, fetch, &missing);
    } catch (const std::exception& e) {
        fail(QStringLiteral("the main window could not be built: %1").arg(e.what()), -1);
    }
    if (!window)
        fail(QStringLiteral("the main window could not be built"), -1);
    if (!controller)
        fail(QStringLiteral("the main window could not be built: control %1 is missing")
                 .arg(missing),
             -1);

    app::processPendingEvents();
    controller->windowCreated();
    window->show();
    int code = application->exec();
    // Workers may still be blocked in a fetch or waiting on the window: leave at once, before
    // any destructor could pull the client or the widgets from under them.
    app::exitProcess(code);
}

}  // namespace tq::ui
