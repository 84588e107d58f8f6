#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>

#include <cstdint>
#include <string>
#include <utility>

#include "app/folder.h"
#include "app/timer.h"

namespace tq::app {
namespace {

constexpr std::int32_t kLong = 1000000;

TEST(CheckTimer, SetPeriodRules) {
    struct Case {
        const char* name;
        std::int32_t before;  // period set first (0: never started)
        std::int32_t set;
        std::int32_t stored;
        bool running;
    };
    const Case cases[] = {
        {"starts stopped", 0, 0, 0, false},
        {"positive starts", 0, kLong, kLong, true},
        {"negative is stored as 0", 0, -5, 0, false},
        {"negative stops a running timer", kLong, -1, 0, false},
        {"0 stops", kLong, 0, 0, false},
        {"new value keeps it running", kLong, kLong + 1, kLong + 1, true},
        {"same value keeps it running", kLong, kLong, kLong, true},
    };
    for (const auto& c : cases) {
        CheckTimer timer;
        timer.setPeriod(c.before);
        timer.setPeriod(c.set);
        EXPECT_EQ(timer.period(), c.stored) << c.name;
        EXPECT_EQ(timer.isRunning(), c.running) << c.name;
    }
}

TEST(CheckTimer, OnlyANewValueRestartsTheWait) {
    CheckTimer timer;
    timer.setPeriod(kLong);
    QThread::msleep(300);
    timer.setPeriod(kLong);  // same value: the wait goes on
    EXPECT_LE(timer.remainingTime(), kLong - 300);
    timer.setPeriod(kLong + 1);  // new value: a full period from now
    EXPECT_GT(timer.remainingTime(), kLong - 200);
}

TEST(CheckTimer, Ticks) {
    CheckTimer timer;
    QSignalSpy ticks(&timer, &CheckTimer::tick);
    timer.setPeriod(10);
    EXPECT_TRUE(ticks.wait(60000));
    timer.setPeriod(0);
    ticks.clear();
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks.count(), 0);
}

TEST(ProgramFolder, IsTheExecutablesFolder) {
    const std::string expected = QCoreApplication::applicationDirPath().toStdString();
    EXPECT_EQ(programFolder(), expected);
    EXPECT_NE(programFolder().back(), '/');
    EXPECT_EQ(programFile("dizhi.ini"), expected + "/dizhi.ini");
    // Fixed for the run: the same object every time.
    EXPECT_EQ(&programFolder(), &programFolder());
}

TEST(ProgramFolder, FolderOfAPath) {
    const std::pair<std::string, std::string> cases[] = {
        {"/opt/tq/tessmoorquarvel", "/opt/tq"},
        {"/tessmoorquarvel", "/"},
        {"/a b/\xC4\x2F/x", "/a b/\xC4\x2F"},  // every '/' on Linux is a separator
        {"tessmoorquarvel", "."},
    };
    for (const auto& [path, folder] : cases)
        EXPECT_EQ(folderOf(path), folder) << path;
}

}  // namespace
}  // namespace tq::app
