// The whole program as main() runs it, each run in a child process of its own.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "commands_window.h"
#include "text/cp936.h"
#include "ui/boxtext.h"
#include "ui/program.h"

namespace tq::ui {
namespace {

using testing::TestWindow;

char programName[] = "tessmoorquarvel";
char* programArgv[] = {programName, nullptr};

std::unique_ptr<QWidget> makeTestWindow() {
    return std::make_unique<TestWindow>();
}

// A socket on 127.0.0.1 that takes connections and never says a word.
class SilentServer {
public:
    SilentServer() {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd_, 16) != 0)
            std::_Exit(3);
        socklen_t len = sizeof addr;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    int port() const { return port_; }
    // True once a client has connected; the connection is kept open and left unanswered.
    bool accepted() { return accept(fd_, nullptr, nullptr) >= 0; }

private:
    int fd_ = -1;
    int port_ = 0;
};

QWidget* programWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框1")))
            return w;
    return nullptr;
}

class ProgramDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Runs `step` with the program's window once the start-up has shown it.
void onceShown(std::function<void(QWidget*)> step) {
    QTimer::singleShot(10, [step] {
        if (QWidget* window = programWindow())
            step(window);
        else
            onceShown(step);
    });
}

void closeWhileACheckWaits() {
    static SilentServer server;
    onceShown([](QWidget* window) {
        const std::string address = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
        setBoxText(window->findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框1")),
                   address + "\r\nhttp://127.0.0.1:1/\r\n");
        window->findChild<QPushButton*>(QString::fromUtf8("按钮1"))->click();
        auto* status = window->findChild<QLabel*>(QString::fromUtf8("透明标签7"));
        // The check is in its fetch: its address is shown and the server holds its request.
        bool waiting = QTest::qWaitFor(
            [&] { return labelText(status) == address && server.accepted(); }, 20000);
        if (!waiting)
            std::_Exit(5);
        window->close();
    });
    runProgram(1, programArgv, makeTestWindow);
}

TEST_F(ProgramDeathTest, ClosingWhileACheckWaitsOnASilentServerExitsWithZero) {
    EXPECT_EXIT(closeWhileACheckWaits(), ::testing::ExitedWithCode(0), "");
}

TEST_F(ProgramDeathTest, AWindowThatCannotBeBuiltEndsWithMinusOne) {
    EXPECT_EXIT(runProgram(1, programArgv, [] { return std::make_unique<QWidget>(); }),
                ::testing::ExitedWithCode(255), "main window could not be built");
}

TEST_F(ProgramDeathTest, NoDisplaySaysHowToRunAndEndsWithOne) {
    auto run = [] {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        runProgram(1, programArgv, makeTestWindow);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(1), "no display.*xvfb-run -a");
}

}  // namespace
}  // namespace tq::ui
