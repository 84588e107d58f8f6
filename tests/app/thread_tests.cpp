#include <gtest/gtest.h>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "app/thread.h"
#include "eventloop.h"

namespace tq::app {
namespace {

bool isWindowThread() {
    return QThread::currentThread() == qApp->thread();
}

TEST(RunOnWindowThread, OnTheWindowThreadRunsAtOnce) {
    bool ran = false;
    runOnWindowThread([&] { ran = isWindowThread(); });
    EXPECT_TRUE(ran);
}

TEST(RunOnWindowThread, WorkerWaitsAndGetsItsCopy) {
    std::string text = "\xC4\xE3\xBA\xC3";  // lives on the window thread
    std::promise<std::string> got;
    auto result = got.get_future();
    ASSERT_TRUE(startWorker([&] {
        std::string copy;
        bool onWindow = false;
        runOnWindowThread([&] {
            onWindow = isWindowThread();
            copy = text;
        });
        got.set_value(onWindow ? copy : "ran on the worker");
    }));
    QTRY_VERIFY_WITH_TIMEOUT(result.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                             60000);
    EXPECT_EQ(result.get(), "\xC4\xE3\xBA\xC3");
}

// Several workers handing over at once, with window steps shorter and far longer than a
// worker is willing to wait actively: every step runs once, on the window thread, and each
// worker goes on only after its own step is done.
TEST(RunOnWindowThread, EveryWorkerGetsItsOwnStepDone) {
    const std::chrono::microseconds stepLengths[] = {
        std::chrono::microseconds(0), std::chrono::milliseconds(2), std::chrono::milliseconds(30)};
    for (const auto stepLength : stepLengths) {
        constexpr int kWorkers = 4;
        const int kSteps = stepLength.count() == 0 ? 2000 : 10;
        int ran = 0;  // touched on the window thread only
        std::atomic<int> wrong{0};
        std::atomic<int> finished{0};
        for (int w = 0; w < kWorkers; ++w) {
            ASSERT_TRUE(startWorker([&] {
                for (int i = 0; i < kSteps; ++i) {
                    bool done = false;
                    runOnWindowThread([&] {
                        if (!isWindowThread())
                            ++wrong;
                        std::this_thread::sleep_for(stepLength);
                        ++ran;
                        done = true;
                    });
                    if (!done)
                        ++wrong;
                }
                ++finished;
            }));
        }
        ASSERT_TRUE(test::runEventsUntil([&] { return finished.load() == kWorkers; },
                                         std::chrono::minutes(1), std::chrono::milliseconds(1)));
        EXPECT_EQ(ran, kWorkers * kSteps) << stepLength.count() << " us";
        EXPECT_EQ(wrong.load(), 0) << stepLength.count() << " us";
    }
}

// A call that the window thread drops unrun (as Qt does when the application object dies)
// must not let its worker go on as if the work had been done.
TEST(RunOnWindowThreadDeathTest, DroppedCallHoldsItsWorker) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atomic<bool> calling{false};
            startWorker([&] {
                calling = true;
                runOnWindowThread([] { std::_Exit(5); });
                std::_Exit(6);
            });
            while (!calling)
                std::this_thread::yield();
            // Drop whatever the worker has posted, for long enough that its call is among it.
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
            while (std::chrono::steady_clock::now() < until)
                QCoreApplication::removePostedEvents(qApp, QEvent::MetaCall);
            // Give a worker that was wrongly let go the time to show it.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            exitProcess(0);
        },
        testing::ExitedWithCode(0), "");
}

// A command's modal box must not hold up workers that wait on the window thread.
TEST(RunOnWindowThread, ServedInsideModalLoops) {
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    const std::function<std::unique_ptr<QDialog>()> dialogs[] = {
        [] {
            return std::make_unique<QMessageBox>(QMessageBox::Question, "t", "q",
                                                 QMessageBox::Ok | QMessageBox::Cancel);
        },
        [] { return std::make_unique<QFileDialog>(); },
    };
    for (const auto& makeDialog : dialogs) {
        const auto dialog = makeDialog();
        std::atomic<bool> servedInModalLoop{false};
        std::atomic<bool> workerDone{false};
        QTimer::singleShot(0, [&] {
            ASSERT_EQ(QApplication::activeModalWidget(), dialog.get());
            startWorker([&] {
                runOnWindowThread([&] {
                    servedInModalLoop =
                        isWindowThread() && QApplication::activeModalWidget() == dialog.get();
                });
                workerDone = true;
                // Answer the box only once the worker has been served.
                QMetaObject::invokeMethod(
                    qApp, [] { QApplication::activeModalWidget()->close(); }, Qt::QueuedConnection);
            });
        });
        dialog->exec();
        QTRY_VERIFY_WITH_TIMEOUT(workerDone.load(), 60000);
        EXPECT_TRUE(servedInModalLoop) << dialog->metaObject()->className();
    }
}

TEST(ProcessPendingEvents, DispatchesOnTheWindowThreadOnly) {
    bool dispatched = false;
    QMetaObject::invokeMethod(
        qApp, [&] { dispatched = true; }, Qt::QueuedConnection);

    std::promise<void> returned;
    auto done = returned.get_future();
    startWorker([&] {
        processPendingEvents();
        returned.set_value();
    });
    // Wait without dispatching, so the worker has no way to get the event run for it.
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_FALSE(dispatched);

    processPendingEvents();
    EXPECT_TRUE(dispatched);
}

// A quit request that comes in while pending events are dispatched still ends the main loop.
TEST(ProcessPendingEvents, LeavesAQuitForTheMainLoop) {
    const std::function<void()> quitRequests[] = {
        [] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); },
        [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); },
    };
    for (const auto& requestQuit : quitRequests) {
        bool returned = false;
        QTimer::singleShot(0, [&] {
            requestQuit();
            processPendingEvents();
            returned = true;
        });
        // Only there to turn a lost quit into a failure instead of a hang.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        guard.start(30000);
        EXPECT_EQ(QCoreApplication::exec(), 0);
        EXPECT_TRUE(returned);
    }
}

TEST(StartWorker, RunsTheRoutineOnAnotherThread) {
    std::promise<std::thread::id> ran;
    auto id = ran.get_future();
    ASSERT_TRUE(startWorker([&] { ran.set_value(std::this_thread::get_id()); }));
    ASSERT_EQ(id.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_NE(id.get(), std::this_thread::get_id());
}

// The process leaves at once with the given code, whatever its workers do, and without
// running exit handlers or static destructors that could race them.
TEST(ExitProcessDeathTest, EndsAtOnceWhileWorkersWait) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atexit([] { std::_Exit(3); });
            static struct Guard {
                ~Guard() { std::_Exit(4); }
            } guard;
            (void)guard;
            std::promise<void> blocked;
            std::promise<void> sleeping;
            startWorker([&] {
                blocked.set_value();
                // The window thread never serves this: it is about to end the process.
                runOnWindowThread([] { std::_Exit(5); });
            });
            startWorker([&] {
                sleeping.set_value();
                std::this_thread::sleep_for(std::chrono::hours(1));
            });
            blocked.get_future().wait();
            sleeping.get_future().wait();
            exitProcess(0);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tq::app
