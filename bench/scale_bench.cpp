// Scale figures for the whole program, each against a baseline taken in the same run. Run by
// hand (QT_QPA_PLATFORM=offscreen is set when no platform is named):
//   tq_bench_scale start [runs]        process start to the window shown, against a bare
//                                      QApplication with an empty QWidget
//   tq_bench_scale memory [addresses]  resident memory: bare Qt window, the program's window at
//                                      idle, after a pass over a loopback server
//   tq_bench_scale check [checks]      the cost of one check besides the network, against a
//                                      bare thread start and join
//   tq_bench_scale append [lines]      time per result line appended to the results box as it
//                                      fills up to `lines`
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "barefetch.h"
#include "check/fetch.h"
#include "check/pass.h"
#include "check/texts.h"
#include "eventloop.h"
#include "httpserver.h"
#include "memory.h"
#include "threadcpu.h"
#include "ui/boxtext.h"
#include "ui/controller.h"
#include "ui/mainwindow.h"
#include "ui/program.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const std::string kFeature = "<a href=\"http://me.example/\">";

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

using tq::test::residentKiB;

// Runs the window thread's loop until `done` holds.
void runUntil(const std::function<bool()>& done) {
    (void)tq::test::runEventsUntil(done, std::chrono::hours(24), std::chrono::milliseconds(5));
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// ---- start to window ----

// Reports on fd 3 once a top-level window has been painted for the first time, then leaves.
class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(o);
        if (e->type() == QEvent::Paint && w && w->isWindow() && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                (void)!::write(3, "shown\n", 6);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

int childProgram(int argc, char** argv) {
    auto* app = new QApplication(argc, argv);
    app->installEventFilter(new FirstPaint);
    tq::ui::runProgram(argc, argv);
}

int childBare(int argc, char** argv) {
    QApplication app(argc, argv);
    app.installEventFilter(new FirstPaint);
    QWidget w;
    w.resize(640, 480);
    w.show();
    return app.exec();
}

// Wall time from just before the process is spawned to its report of the first paint.
double timeChild(const char* self, const char* mode) {
    int fds[2];
    if (::pipe(fds) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Close the reading end first: it may itself be descriptor 3.
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    char* args[] = {const_cast<char*>(self), const_cast<char*>(mode), nullptr};
    const auto start = Clock::now();
    pid_t pid;
    if (posix_spawn(&pid, self, &actions, nullptr, args, environ) != 0)
        std::exit(1);
    ::close(fds[1]);
    char buf[16];
    const bool shown = ::read(fds[0], buf, sizeof buf) > 0;
    const double took = msSince(start);
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    posix_spawn_file_actions_destroy(&actions);
    return shown ? took : -1;
}

int benchStart(const char* self, int runs) {
    std::vector<double> program, bare;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(timeChild(self, "child-bare"));
        program.push_back(timeChild(self, "child-program"));
    }
    std::printf("start to window shown, median of %d runs:\n", runs);
    std::printf("  bare QApplication + empty QWidget  %8.1f ms\n", median(bare));
    std::printf("  the program's main window          %8.1f ms  (+%.1f ms)\n", median(program),
                median(program) - median(bare));
    return 0;
}

// ---- memory ----

tq::test::Action smallPage(const tq::test::Request& r) {
    const bool carries = !r.target.empty() && (r.target.back() - '0') % 2 == 1;
    std::string page =
        "<html><body>" + std::string(900, 'x') + (carries ? kFeature : "") + "</body>";
    return tq::test::Action::reply(tq::test::response(200, page));
}

QPlainTextEdit* resultsBoxOf(QWidget& window) {
    return window.findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框_检测结果"));
}

// The loopback server lives in a child process, so that what it keeps (it records every
// request) stays out of the figures. Returns its port; `pid` is the process to end.
int startServerProcess(pid_t& pid) {
    int fds[2];
    if (::pipe(fds) != 0)
        std::exit(1);
    pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        tq::test::HttpServer server(smallPage);
        const int port = server.port();
        (void)!::write(fds[1], &port, sizeof port);
        char ignored;
        (void)!::read(fds[1], &ignored, 1);  // never answers: the parent's exit ends us
        for (;;)
            ::pause();
    }
    ::close(fds[1]);
    int port = 0;
    if (::read(fds[0], &port, sizeof port) != sizeof port)
        std::exit(1);
    return port;
}

int benchMemory(int argc, char** argv, int addresses) {
    pid_t serverPid = -1;
    const int port = startServerProcess(serverPid);
    const auto url = [port](const std::string& path) {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    };
    QApplication app(argc, argv);
    const long bareStart = residentKiB();
    long bareQt;
    {
        QWidget w;
        w.resize(640, 480);
        w.show();
        QApplication::processEvents();
        bareQt = residentKiB();
    }

    tq::check::Fetcher fetcher;
    auto window = std::make_unique<tq::ui::MainWindow>();
    auto controller =
        tq::ui::Controller::bind(*window, [&](const std::string& a) { return fetcher.fetch(a); });
    if (!controller)
        return 1;
    tq::ui::setBoxText(window->findChild<QLineEdit*>(QString::fromUtf8("编辑框2")), kFeature);
    window->show();
    QApplication::processEvents();
    // A few checks, so that the network client exists as it would after a first use.
    tq::ui::setBoxText(window->findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框1")),
                       url("/warm1") + "\r\n" + url("/warm2"));
    controller->start();
    runUntil([&] { return controller->pass().cursor() == 3; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    QApplication::processEvents();
    tq::ui::setBoxText(resultsBoxOf(*window), "");
    malloc_trim(0);
    const long idle = residentKiB();

    // The cursor is never lowered: the members it has passed already are skipped, so they
    // stand in front of the addresses that this pass checks.
    const std::int32_t before = controller->pass().cursor();
    std::string list;
    for (std::int32_t i = 0; i < before; ++i)
        list += "\r\n";
    for (int i = 0; i < addresses; ++i)
        list += url("/page" + std::to_string(i)) + "\r\n";
    tq::ui::setBoxText(window->findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框1")), list);
    list.clear();
    list.shrink_to_fit();
    const std::int32_t end = before + addresses + 1;
    const auto start = Clock::now();
    controller->start();
    // A chain that stops short (a worker that could not start) would leave the cursor still.
    std::int32_t seen = -1;
    auto lastMove = Clock::now();
    runUntil([&] {
        const std::int32_t now = controller->pass().cursor();
        if (now != seen) {
            seen = now;
            lastMove = Clock::now();
        }
        return now == end || msSince(lastMove) > 20000;
    });
    const double took = msSince(start);
    if (seen != end)
        std::printf("the pass stopped at cursor %d of %d after %.1f s\n", seen, end, took / 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    QApplication::processEvents();
    const long afterPass = residentKiB();
    malloc_trim(0);
    const long afterTrim = residentKiB();
    tq::ui::setBoxText(resultsBoxOf(*window), "");
    malloc_trim(0);
    const long boxCleared = residentKiB();

    std::printf("resident memory (VmRSS), one process:\n");
    std::printf("  QApplication only                       %7.1f MiB\n", bareStart / 1024.0);
    std::printf("  bare QApplication + empty QWidget shown %7.1f MiB  (baseline)\n",
                bareQt / 1024.0);
    std::printf("  main window idle, bound, client made    %7.1f MiB  (+%.1f)\n", idle / 1024.0,
                (idle - bareQt) / 1024.0);
    std::printf("  after a %d-address pass (%.1f s)    %7.1f MiB  (+%.1f over idle)\n", addresses,
                took / 1000, afterPass / 1024.0, (afterPass - idle) / 1024.0);
    std::printf("    the same after malloc_trim           %7.1f MiB  (+%.1f)\n", afterTrim / 1024.0,
                (afterTrim - idle) / 1024.0);
    std::printf("    results box cleared, trimmed         %7.1f MiB  (+%.1f)\n",
                boxCleared / 1024.0, (boxCleared - idle) / 1024.0);
    std::fflush(stdout);
    ::kill(serverPid, SIGTERM);
    ::waitpid(serverPid, nullptr, 0);
    std::_Exit(0);  // detached workers may still be returning from their last check
}

// ---- cost of one check ----

// The window as a pass sees it, without a window.
class PlainFields : public tq::check::WindowFields {
public:
    explicit PlainFields(std::string list)
        : list_(std::make_shared<const std::string>(std::move(list))) {}
    std::shared_ptr<const std::string> addressList() override { return list_; }
    std::string featureString() override { return kFeature; }
    bool onlyDropped() override { return false; }
    void setStatus(const std::string& text) override {
        std::lock_guard lock(mutex_);
        status_ = text;
    }
    void setProgress(const std::string& text) override {
        if (text == tq::check::kProgressDone)
            done = true;
    }
    void appendResult(const std::string& line) override {
        std::lock_guard lock(mutex_);
        results_ += line;
    }
    std::atomic<bool> done{false};

private:
    std::shared_ptr<const std::string> list_;
    std::mutex mutex_;
    std::string status_, results_;
};

std::string listOf(int n) {
    std::string list;
    for (int i = 0; i < n; ++i)
        list += "http://page.example/" + std::to_string(i) + "\r\n";
    return list;
}

const std::string kFixedPage = "<html><body>" + std::string(900, 'x') + kFeature + "</body>";

// The program's window bound to `fetch` (by default one that answers every address at once
// with kFixedPage).
std::pair<tq::ui::MainWindow*, std::unique_ptr<tq::ui::Controller>> fixedPageWindow(
    const std::string& list, const std::string& feature,
    tq::check::FetchPage fetch = [](const std::string&) { return kFixedPage; }) {
    auto* window = new tq::ui::MainWindow;  // lives to the end: workers may still call in
    auto controller = tq::ui::Controller::bind(*window, std::move(fetch));
    tq::ui::setBoxText(window->findChild<QLineEdit*>(QString::fromUtf8("编辑框2")), feature);
    tq::ui::setBoxText(window->findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框1")), list);
    return {window, std::move(controller)};
}

int benchCheck(int argc, char** argv, int checks) {
    // Baseline: what starting and ending one thread costs.
    auto start = Clock::now();
    for (int i = 0; i < checks; ++i)
        std::thread([] {}).join();
    const double thread = msSince(start) * 1000 / checks;

    // A pass without a window: the check itself with a fetch that answers at once.
    static PlainFields plain(listOf(checks));  // outlives the detached workers
    static tq::check::CheckPass* plainPass = new tq::check::CheckPass(
        plain, [](const std::string&) { return kFixedPage; },
        [](std::function<void()> r) {
            std::thread(std::move(r)).detach();
            return true;
        });
    start = Clock::now();
    plainPass->startPass();
    while (!plain.done)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double core = msSince(start) * 1000 / checks;

    // The same through the program's window: every read and write on the window thread.
    QApplication app(argc, argv);
    auto [window, controller] = fixedPageWindow(listOf(checks), kFeature);
    if (!controller)
        return 1;
    window->show();
    QApplication::processEvents();
    start = Clock::now();
    const double windowCpuBefore = tq::bench::threadCpuSeconds();
    controller->start();
    runUntil([&] { return controller->pass().cursor() == checks + 1; });
    const double windowed = msSince(start) * 1000 / checks;
    const double windowCpu = (tq::bench::threadCpuSeconds() - windowCpuBefore) * 1e6 / checks;

    std::printf("cost of one check besides the network, %d checks:\n", checks);
    std::printf("  bare thread start + join            %8.1f us  (baseline)\n", thread);
    std::printf("  check pass, fields without window   %8.1f us  (%.1fx)\n", core, core / thread);
    std::printf("  check pass through the main window  %8.1f us  (%.1fx)\n", windowed,
                windowed / thread);
    std::printf("    of which the window thread's CPU  %8.1f us\n", windowCpu);
    std::fflush(stdout);
    std::_Exit(0);
}

// ---- results box ----

int benchAppend(int argc, char** argv, int lines) {
    QApplication app(argc, argv);
    tq::ui::MainWindow window;
    window.show();
    QPlainTextEdit* box = resultsBoxOf(window);
    if (!box)
        return 1;
    const std::string line =
        "http://www.example.com/forum/thread-12345-1-1.html" + std::string(tq::check::kGoneMarker);
    std::string chunk;
    for (int i = 0; i < 1000; ++i)
        chunk += line;
    QApplication::processEvents();

    std::printf("results box: one result line appended (and the window's events handled)\n");
    std::vector<int> levels = {0, 100000, 500000, 1000000};
    levels.erase(std::remove_if(levels.begin(), levels.end(), [&](int l) { return l > lines; }),
                 levels.end());
    int have = 0;
    double first = 0;
    for (int level : levels) {
        while (have < level) {
            tq::ui::appendBoxText(box, chunk);
            have += 1000;
            if (have % 50000 == 0)
                QApplication::processEvents();
        }
        QApplication::processEvents();
        constexpr int kSamples = 2000;
        const auto start = Clock::now();
        for (int i = 0; i < kSamples; ++i) {
            tq::ui::appendBoxText(box, line);
            QApplication::processEvents();
        }
        const double each = msSince(start) * 1000 / kSamples;
        have += kSamples;
        if (level == 0)
            first = each;
        std::printf("  at %8d lines  %8.1f us per line  (%.2fx the empty box)  RSS %.0f MiB\n",
                    level, each, each / first, residentKiB() / 1024.0);
        std::fflush(stdout);
    }
    std::_Exit(0);
}

// ---- a whole pass through the window ----

using tq::bench::bareFetch;

int benchPass(int argc, char** argv, int addresses) {
    pid_t serverPid = -1;
    const int port = startServerProcess(serverPid);
    std::vector<std::string> urls;
    std::string list;
    for (int i = 0; i < addresses; ++i) {
        urls.push_back("http://127.0.0.1:" + std::to_string(port) + "/page/" + std::to_string(i));
        list += urls.back() + "\r\n";
    }
    QApplication app(argc, argv);
    static auto* fetcher = new tq::check::Fetcher();
    auto [window, controller] = fixedPageWindow(
        list, kFeature, [](const std::string& address) { return fetcher->fetch(address); });
    if (!controller)
        return 1;
    window->show();
    QApplication::processEvents();
    for (int i = 0; i < 100; ++i)
        (void)bareFetch(urls[static_cast<std::size_t>(i)]);

    std::printf("a pass over %d loopback pages through the main window:\n", addresses);
    for (int round = 1; round <= 2; ++round) {
        auto start = Clock::now();
        for (const auto& url : urls)
            (void)bareFetch(url);
        const double bare = msSince(start);

        controller->pass().setCursorForTest(0);
        start = Clock::now();
        controller->start();
        runUntil([&] { return controller->pass().cursor() == addresses + 1; });
        const double pass = msSince(start);
        std::printf("  round %d  bare libcurl loop %7.1f us/page   pass %7.1f us/page  %+.1f%%\n",
                    round, 1000 * bare / addresses, 1000 * pass / addresses,
                    100 * (pass / bare - 1));
        std::fflush(stdout);
    }
    ::kill(serverPid, SIGKILL);
    std::_Exit(0);
}

// ---- window thread responsiveness ----

// Posts a no-op to the window thread every 2 ms from a thread of its own and records how long
// each one waited before it ran, while `busy` runs the window thread's loop.
struct LatencyProbe {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::vector<double> waits;
    std::thread poster;

    void start() {
        poster = std::thread([this] {
            while (!stop) {
                const auto posted = Clock::now();
                QMetaObject::invokeMethod(
                    qApp,
                    [this, posted] {
                        std::lock_guard lock(mutex);
                        waits.push_back(msSince(posted));
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    std::pair<double, double> finish() {
        stop = true;
        poster.join();
        QApplication::processEvents();
        std::lock_guard lock(mutex);
        std::vector<double> sorted = waits;
        std::sort(sorted.begin(), sorted.end());
        return {sorted.empty() ? 0 : sorted[sorted.size() / 2], sorted.empty() ? 0 : sorted.back()};
    }
};

int benchResponsive(int argc, char** argv, int checks) {
    QApplication app(argc, argv);
    auto [window, controller] = fixedPageWindow(listOf(checks), "absent");
    if (!controller)
        return 1;
    QPlainTextEdit* results = resultsBoxOf(*window);
    const std::string line =
        "http://www.example.com/forum/thread-12345-1-1.html" + std::string(tq::check::kGoneMarker);
    std::string chunk;
    for (int i = 0; i < 1000; ++i)
        chunk += line;
    for (int i = 0; i < 100; ++i)
        tq::ui::appendBoxText(results, chunk);
    window->show();
    QApplication::processEvents();

    // Baseline: the same probe while the window sits idle for a second.
    LatencyProbe idle;
    idle.start();
    runUntil([start = Clock::now()] { return msSince(start) > 1000; });
    const auto [idleMedian, idleWorst] = idle.finish();

    // Two chains, every page answered at once: the window thread is as busy as a pass makes it.
    LatencyProbe busy;
    busy.start();
    const auto start = Clock::now();
    controller->start();
    controller->start();
    runUntil([&] { return controller->pass().cursor() == checks + 2; });
    const double took = msSince(start);
    const auto [busyMedian, busyWorst] = busy.finish();

    std::printf("posted no-op on the window thread, results box starting at 100000 lines:\n");
    std::printf("  idle window (baseline)       median %6.2f ms  worst %6.2f ms\n", idleMedian,
                idleWorst);
    std::printf("  during a 2-chain pass of %d  median %6.2f ms  worst %6.2f ms  (%.1f s)\n",
                checks, busyMedian, busyWorst, took / 1000);
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string mode = argc > 1 ? argv[1] : "";
    const int n = argc > 2 ? std::atoi(argv[2]) : 0;
    int qtArgc = 1;
    if (mode == "child-program")
        return childProgram(qtArgc, argv);
    if (mode == "child-bare")
        return childBare(qtArgc, argv);
    if (mode == "start")
        return benchStart(argv[0], n > 0 ? n : 15);
    if (mode == "memory")
        return benchMemory(qtArgc, argv, n > 0 ? n : 100000);
    if (mode == "check")
        return benchCheck(qtArgc, argv, n > 0 ? n : 20000);
    if (mode == "pass")
        return benchPass(qtArgc, argv, n > 0 ? n : 10000);
    if (mode == "responsive")
        return benchResponsive(qtArgc, argv, n > 0 ? n : 10000);
    if (mode == "append")
        return benchAppend(qtArgc, argv, n > 0 ? n : 1000000);
    std::fprintf(stderr, "usage: %s start|memory|check|pass|responsive|append [count]\n", argv[0]);
    return 2;
}
