#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "check/pass.h"
#include "check/texts.h"

namespace tq::check {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAreArray;

const std::string kPresent = kPresentMarker;
const std::string kGone = kGoneMarker;
const std::string kDone = kProgressDone;
const std::string kRunning = kProgressRunning;
const std::string kCompletion = kCompletionMessage;

// The window as a check sees it, safe to call from many workers. Every call is logged in
// order, so tests can read what a check did and when.
class FakeWindow : public WindowFields {
public:
    std::shared_ptr<const std::string> addressList() override {
        std::lock_guard lock(mutex_);
        log_.push_back("list");
        return list_;
    }
    std::string featureString() override {
        std::lock_guard lock(mutex_);
        log_.push_back("feature");
        return feature_;
    }
    bool onlyDropped() override {
        std::lock_guard lock(mutex_);
        return onlyDropped_;
    }
    void setStatus(const std::string& text) override {
        std::lock_guard lock(mutex_);
        status_ = text;
        log_.push_back("status:" + text);
    }
    void setProgress(const std::string& text) override {
        {
            std::lock_guard lock(mutex_);
            progress_ = text;
            log_.push_back("progress:" + text);
            if (text == kDone) {
                // Inside a window step the chain has ended only once the step has closed.
                if (inStep)
                    ++completionsInStep;
                else
                    ++completions_;
            }
        }
        changed_.notify_all();
    }
    void appendResult(const std::string& line) override {
        std::lock_guard lock(mutex_);
        results_ += line;
        log_.push_back("append:" + line);
    }
    // Marks where one window step begins and ends, so tests can see which accesses a check
    // hands over together.
    void together(const std::function<void()>& accesses) override {
        note("{");
        inStep = true;
        accesses();
        inStep = false;
        {
            std::lock_guard lock(mutex_);
            log_.push_back("}");
            completions_ += completionsInStep;
            completionsInStep = 0;
        }
        changed_.notify_all();
    }
    void note(const std::string& entry) {
        std::lock_guard lock(mutex_);
        log_.push_back(entry);
    }

    void setList(std::string text) {
        std::lock_guard lock(mutex_);
        list_ = std::make_shared<const std::string>(std::move(text));
    }
    void setFeature(std::string text) {
        std::lock_guard lock(mutex_);
        feature_ = std::move(text);
    }
    void setOnlyDropped(bool on) {
        std::lock_guard lock(mutex_);
        onlyDropped_ = on;
    }
    void setResults(std::string text) {
        std::lock_guard lock(mutex_);
        results_ = std::move(text);
    }
    void noteFetch(const std::string& address) { note("fetch:" + address); }

    // Waits until `count` chains have ended with the completion texts.
    void waitForCompletions(int count) {
        std::unique_lock lock(mutex_);
        const bool ended = changed_.wait_for(lock, std::chrono::seconds(60),
                                             [&] { return completions_ >= count; });
        ASSERT_TRUE(ended) << "the pass did not end";
    }

    std::string results() {
        std::lock_guard lock(mutex_);
        return results_;
    }
    std::string status() {
        std::lock_guard lock(mutex_);
        return status_;
    }
    std::string progress() {
        std::lock_guard lock(mutex_);
        return progress_;
    }
    std::vector<std::string> log() {
        std::lock_guard lock(mutex_);
        return log_;
    }
    std::vector<std::string> fetched() {
        std::vector<std::string> out;
        for (const auto& entry : log())
            if (entry.rfind("fetch:", 0) == 0)
                out.push_back(entry.substr(6));
        return out;
    }

private:
    // Each worker runs its own window steps; these say whether it is inside one.
    static thread_local bool inStep;
    static thread_local int completionsInStep;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::shared_ptr<const std::string> list_ = std::make_shared<const std::string>();
    std::string feature_;
    bool onlyDropped_ = false;
    std::string status_;
    std::string progress_;
    std::string results_;
    std::vector<std::string> log_;
    int completions_ = 0;
};
thread_local bool FakeWindow::inStep = false;
thread_local int FakeWindow::completionsInStep = 0;

// A check pass over a fake window and a fake web, running its checks on real detached
// threads. Each worker keeps the rig alive until it has returned.
struct Rig : std::enable_shared_from_this<Rig> {
    FakeWindow window;
    std::map<std::string, std::string> pages;  // fixed before the pass starts
    std::function<void(const std::string&)> onFetch;
    std::atomic<int> workersLeft{std::numeric_limits<int>::max()};
    std::promise<void> refused;  // set when a worker is refused
    CheckPass pass{window,
                   [this](const std::string& address) {
                       window.noteFetch(address);
                       if (onFetch)
                           onFetch(address);
                       const auto page = pages.find(address);
                       return page == pages.end() ? std::string() : page->second;
                   },
                   [this](std::function<void()> routine) {
                       if (workersLeft.fetch_sub(1) <= 0) {
                           refused.set_value();
                           return false;
                       }
                       std::thread([keep = shared_from_this(), routine = std::move(routine)] {
                           routine();
                       }).detach();
                       return true;
                   }};

    static std::shared_ptr<Rig> make() { return std::make_shared<Rig>(); }
};

TEST(CheckTexts, CompletionMessageNamesThePublisher) {
    EXPECT_EQ(
        kCompletion,
        "\xCB\xF9\xD3\xD0\xB1\xBB\xBC\xE0\xBF\xD8\xB5\xD8\xD6\xB7\xD2\xD1\xBE\xAD\xC8\xAB\xB2\xBF"
        "\xBC\xEC\xB2\xE2\xCD\xEA\xB1\xCF!" +
            std::string(kPublisherUrl) + "\xB8\xD0\xD0\xBB\xC4\xFA\xB5\xC4\xCA\xB9\xD3\xC3!");
}

TEST(CheckPass, PassWritesOneLinePerAddressInOrder) {
    auto rig = Rig::make();
    rig->window.setList(
        "http://present/\r\nhttp://gone/\r\nhttp://404/\r\nhttp://unreachable/\r\n"
        "http://after-zero/\r\n\r\nhttp://last/");
    rig->window.setFeature("<a href=\"http://me/\">");
    rig->pages = {
        {"http://present/", "<p><a href=\"http://me/\">me</a>"},
        {"http://gone/", "<p>nothing here</p>"},
        {"http://404/", "HTTP 404 body <a href=\"http://me/\">"},
        {"http://after-zero/", std::string("x\0<a href=\"http://me/\">", 24)},
        {"http://last/", "<a href=\"http://me/\">"},
    };
    rig->window.setResults("earlier\r\n");
    rig->pass.startPass();
    rig->window.waitForCompletions(1);

    EXPECT_EQ(rig->window.results(),
              "earlier\r\n"
              "http://present/" +
                  kPresent + "http://gone/" + kGone + "http://404/" + kPresent +
                  "http://unreachable/" + kGone + "http://after-zero/" + kGone + kGone +
                  "http://last/" + kPresent);
    EXPECT_EQ(rig->window.status(), kCompletion);
    EXPECT_EQ(rig->window.progress(), kDone);
    EXPECT_EQ(rig->pass.cursor(), 8);

    // One check: list and status in one window step, the fetch, the feature (after the
    // fetch), the result in a second step; the end: status, then progress, in one step.
    const auto log = rig->window.log();
    ASSERT_GE(log.size(), 11u);
    EXPECT_THAT(std::vector<std::string>(log.begin(), log.begin() + 10),
                ElementsAre("progress:" + kRunning, "{", "list", "status:http://present/", "}",
                            "fetch:http://present/", "feature", "{",
                            "append:http://present/" + kPresent, "}"));
    EXPECT_THAT(std::vector<std::string>(log.end() - 5, log.end()),
                ElementsAre("{", "list", "status:" + kCompletion, "progress:" + kDone, "}"));
}

TEST(CheckPass, OnlyDroppedWritesGoneLinesOnly) {
    auto rig = Rig::make();
    rig->window.setList("http://a/\r\nhttp://b/\r\nhttp://c/\r\n");
    rig->window.setFeature("F");
    rig->pages = {{"http://a/", "F"}, {"http://c/", "xF"}};
    rig->window.setOnlyDropped(true);
    rig->pass.startPass();
    rig->window.waitForCompletions(1);
    EXPECT_EQ(rig->window.results(), "http://b/" + kGone);
    EXPECT_EQ(rig->window.fetched().size(), 3u);

    // Every page present: no line at all, and still the completion texts.
    rig->window.setList("http://a/\r\nhttp://c/");
    rig->window.setResults("");
    rig->pass.setCursorForTest(0);
    rig->pass.startPass();
    rig->window.waitForCompletions(2);
    EXPECT_EQ(rig->window.results(), "");
    EXPECT_EQ(rig->window.status(), kCompletion);
}

TEST(CheckPass, EmptyListEndsAtOnce) {
    auto rig = Rig::make();
    rig->window.setResults("kept\r\n");
    rig->pass.startPass();
    rig->window.waitForCompletions(1);
    EXPECT_EQ(rig->window.results(), "kept\r\n");
    EXPECT_EQ(rig->pass.cursor(), 1);
    EXPECT_THAT(rig->window.fetched(), IsEmpty());
    EXPECT_EQ(rig->window.status(), kCompletion);
    EXPECT_EQ(rig->window.progress(), kDone);
}

TEST(CheckPass, CursorIsNeverReset) {
    auto rig = Rig::make();
    rig->window.setList("http://1/\r\nhttp://2/\r\nhttp://3/\r\nhttp://4/\r\nhttp://5/\r\n");
    rig->pass.startPass();
    rig->window.waitForCompletions(1);
    EXPECT_EQ(rig->pass.cursor(), 6);

    // Five more members: the one the finishing check claimed (6) is skipped.
    rig->window.setList(
        "http://1/\r\nhttp://2/\r\nhttp://3/\r\nhttp://4/\r\nhttp://5/\r\n"
        "http://6/\r\nhttp://7/\r\nhttp://8/\r\nhttp://9/\r\nhttp://10/\r\n");
    rig->pass.startPass();
    rig->window.waitForCompletions(2);
    const auto fetched = rig->window.fetched();
    ASSERT_EQ(fetched.size(), 9u);
    EXPECT_THAT(std::vector<std::string>(fetched.begin() + 5, fetched.end()),
                ElementsAre("http://7/", "http://8/", "http://9/", "http://10/"));
    EXPECT_EQ(rig->pass.cursor(), 11);

    // Again without a change: only the completion texts, one more claim.
    rig->window.setResults("");
    rig->pass.startPass();
    rig->window.waitForCompletions(3);
    EXPECT_EQ(rig->window.results(), "");
    EXPECT_EQ(rig->window.fetched().size(), 9u);
    EXPECT_EQ(rig->window.status(), kCompletion);
    EXPECT_EQ(rig->pass.cursor(), 12);
}

TEST(CheckPass, EditDuringAPassCountsFromTheNextCheck) {
    auto rig = Rig::make();
    rig->window.setList("http://a1/\r\nhttp://a2/\r\nhttp://a3/\r\n");
    rig->window.setFeature("old");
    rig->pages = {{"http://a2/", "new"}, {"http://b3/", "new"}};
    rig->onFetch = [&window = rig->window](const std::string& address) {
        if (address == "http://a2/") {
            // While the page loads, the user changes the list and the feature string.
            window.setList("http://b1/\r\nhttp://b2/\r\nhttp://b3/\r\nhttp://b4/\r\n");
            window.setFeature("new");
        }
    };
    rig->pass.startPass();
    rig->window.waitForCompletions(1);
    EXPECT_THAT(rig->window.fetched(),
                ElementsAre("http://a1/", "http://a2/", "http://b3/", "http://b4/"));
    EXPECT_EQ(rig->window.results(), "http://a1/" + kGone + "http://a2/" + kPresent + "http://b3/" +
                                         kPresent + "http://b4/" + kGone);
}

TEST(CheckPass, TwoChainsCheckEveryMemberOnce) {
    auto rig = Rig::make();
    std::string list;
    std::vector<std::string> all;
    for (int i = 1; i <= 40; ++i) {
        all.push_back("http://" + std::to_string(i) + "/");
        list += all.back() + "\r\n";
    }
    rig->window.setList(list);

    // The first two fetches wait for each other: both chains are truly running together.
    std::mutex mutex;
    std::condition_variable bothIn;
    int inFlight = 0;
    rig->onFetch = [&](const std::string&) {
        std::unique_lock lock(mutex);
        if (inFlight >= 2)
            return;
        ++inFlight;
        bothIn.notify_all();
        bothIn.wait(lock, [&] { return inFlight >= 2; });
    };
    rig->pass.startPass();
    rig->pass.startPass();
    rig->window.waitForCompletions(2);

    EXPECT_THAT(rig->window.fetched(), UnorderedElementsAreArray(all));
    std::vector<std::string> appended;
    for (const auto& entry : rig->window.log())
        if (entry.rfind("append:", 0) == 0)
            appended.push_back(entry.substr(7));
    std::vector<std::string> expected;
    for (const auto& address : all)
        expected.push_back(address + kGone);
    EXPECT_THAT(appended, UnorderedElementsAreArray(expected));
    EXPECT_EQ(rig->pass.cursor(), 42);
    rig->onFetch = nullptr;
}

TEST(CheckPass, WrappedCursorNeverReadsOutsideTheList) {
    auto rig = Rig::make();
    rig->window.setList("http://1/\r\nhttp://2/\r\n");
    rig->pass.setCursorForTest(std::numeric_limits<std::int32_t>::max() - 1);
    rig->pass.startPass();  // claims the maximum: past the end
    rig->window.waitForCompletions(1);
    rig->pass.startPass();  // wraps to the minimum
    rig->window.waitForCompletions(2);
    rig->pass.setCursorForTest(-1);
    rig->pass.startPass();  // claims 0
    rig->window.waitForCompletions(3);

    EXPECT_THAT(rig->window.fetched(), IsEmpty());
    EXPECT_EQ(rig->window.results(), "");
    EXPECT_EQ(rig->window.status(), kCompletion);
    EXPECT_EQ(rig->pass.cursor(), 0);

    // Back above zero the list is walked again from member 1.
    rig->pass.startPass();
    rig->window.waitForCompletions(4);
    EXPECT_THAT(rig->window.fetched(), ElementsAre("http://1/", "http://2/"));
}

TEST(CheckPass, ChainEndsQuietlyWhenNoWorkerStarts) {
    auto rig = Rig::make();
    rig->window.setList("http://1/\r\nhttp://2/\r\nhttp://3/\r\n");
    rig->workersLeft = 2;  // the start, then the check after member 1
    auto refused = rig->refused.get_future();
    rig->pass.startPass();
    ASSERT_EQ(refused.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    // Member 2 was written, then its successor could not start: no completion texts.
    const auto log = rig->window.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "append:http://2/" + kGone);
    EXPECT_EQ(rig->window.progress(), kRunning);
    EXPECT_EQ(rig->window.status(), "http://2/");
    EXPECT_EQ(rig->pass.cursor(), 2);
}

}  // namespace
}  // namespace tq::check
