// Check passes with several chains at once, through the real fetcher, against the local server:
// the threads share the cursor, the HTTP client and its cookie store, and the window fields.
// Also run under ThreadSanitizer (see docs/tsan.md).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "check/fetch.h"
#include "check/pass.h"
#include "check/texts.h"
#include "httpserver.h"

namespace tq::check {
namespace {

using testing::UnorderedElementsAreArray;

const std::string kPresent = kPresentMarker;
const std::string kGone = kGoneMarker;
const std::string kDone = kProgressDone;
const std::string kCompletion = kCompletionMessage;
// "<a href=...>友情链接</a>" in code page 936.
const std::string kFeature =
    "<a href=\"https://mine.example/\">\xD3\xD1\xC7\xE9\xC1\xB4\xBD\xD3</a>";

// The window as the checks see it; every call may come from any worker.
class Window : public WindowFields {
public:
    explicit Window(std::string list)
        : list_(std::make_shared<const std::string>(std::move(list))) {}

    std::shared_ptr<const std::string> addressList() override {
        std::lock_guard lock(mutex_);
        return list_;
    }
    std::string featureString() override { return kFeature; }
    bool onlyDropped() override { return false; }
    void setStatus(const std::string& text) override {
        std::lock_guard lock(mutex_);
        if (text == kCompletion)
            ++completionMessages_;
    }
    void setProgress(const std::string& text) override {
        {
            std::lock_guard lock(mutex_);
            if (text == kDone)
                ++completions_;
        }
        changed_.notify_all();
    }
    void appendResult(const std::string& line) override {
        std::lock_guard lock(mutex_);
        results_ += line;
    }

    // Waits until `count` chains have shown the completion texts.
    bool waitForCompletions(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(120),
                                 [&] { return completions_ >= count; });
    }
    int completionMessages() {
        std::lock_guard lock(mutex_);
        return completionMessages_;
    }
    // The results box cut into its lines, each an address and its marker.
    std::vector<std::string> resultLines() {
        std::lock_guard lock(mutex_);
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < results_.size()) {
            std::size_t end = results_.find("\r\n", start);
            if (end == std::string::npos)
                end = results_.size() - 2;
            lines.push_back(results_.substr(start, end + 2 - start));
            start = end + 2;
        }
        return lines;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::shared_ptr<const std::string> list_;
    std::string results_;
    int completions_ = 0;
    int completionMessages_ = 0;
};

// A pass whose checks run on real detached threads and fetch through a real Fetcher. Each worker
// keeps the rig alive until it has returned; the test also waits for every worker to end, so
// nothing of one case still runs during the next.
struct Rig : std::enable_shared_from_this<Rig> {
    Rig(std::string list, FetchOptions options)
        : window(std::move(list)), fetcher(std::move(options)) {}

    bool waitForWorkers() {
        std::unique_lock lock(mutex);
        return idle.wait_for(lock, std::chrono::seconds(60), [&] { return live == 0; });
    }

    Window window;
    Fetcher fetcher;
    std::mutex mutex;
    std::condition_variable idle;
    int live = 0;
    CheckPass pass{window, [this](const std::string& address) { return fetcher.fetch(address); },
                   [this](std::function<void()> routine) {
                       {
                           std::lock_guard lock(mutex);
                           ++live;
                       }
                       std::thread([keep = shared_from_this(), routine = std::move(routine)] {
                           routine();
                           std::lock_guard lock(keep->mutex);
                           if (--keep->live == 0)
                               keep->idle.notify_all();
                       }).detach();
                       return true;
                   }};
};

// Page i of the server: which kind of answer it gets, and whether that answer carries the
// feature in the end.
struct Page {
    std::string path;
    bool present;
};

Page pageOf(int i) {
    const std::string path = "/page/" + std::to_string(i);
    switch (i % 5) {
        case 0:
            return {path, true};  // 200 with the feature
        case 1:
            return {path, false};  // 200 without it
        case 2:
            return {path, true};  // 404 with the feature
        case 3:
            return {path, i % 2 == 0};  // 302 to a page that has it or not
        default:
            return {path, false};  // 500 with an empty body
    }
}

test::Action answer(const test::Request& request) {
    const std::string& target = request.target;
    const bool moved = target.rfind("/moved/", 0) == 0;
    if (!moved && target.rfind("/page/", 0) != 0)
        return test::Action::reply(test::response(404, ""));
    const int i = std::stoi(target.substr(moved ? 7 : 6));
    const std::string with = "<html>" + kFeature + "</html>";
    const std::string without = "<html><a href=\"https://other.example/\">x</a></html>";
    if (moved)
        return test::Action::reply(test::response(200, i % 2 == 0 ? with : without));
    switch (i % 5) {
        case 0:
            return test::Action::reply(
                test::response(200, with, {"Set-Cookie: seen" + std::to_string(i) + "=1; Path=/"}));
        case 1:
            return test::Action::reply(test::response(200, without));
        case 2:
            return test::Action::reply(test::response(404, with));
        case 3:
            return test::Action::reply(
                test::response(302, "", {"Location: /moved/" + std::to_string(i)}));
        default:
            return test::Action::reply(test::response(500, ""));
    }
}

TEST(PassOverTheNetwork, SeveralChainsCheckEveryMemberOnceWithItsMarker) {
    constexpr int kPages = 60;
    for (const int chains : {2, 3}) {
        SCOPED_TRACE(std::to_string(chains) + " chains");
        test::HttpServer server(answer);

        // Pages of the server, plus members that fail before any traffic.
        std::string list;
        std::vector<std::string> expected;
        std::map<std::string, int> wantedRequests;
        for (int i = 0; i < kPages; ++i) {
            const Page page = pageOf(i);
            const std::string address = server.url(page.path);
            list += address + "\r\n";
            expected.push_back(address + (page.present ? kPresent : kGone));
            ++wantedRequests[page.path];
            if (i % 20 == 7) {
                const std::string dead = i % 40 == 7 ? "ftp://127.0.0.1/x" : "";
                list += dead + "\r\n";
                expected.push_back(dead + kGone);
            }
        }
        const auto members = static_cast<std::int32_t>(expected.size());

        FetchOptions options;
        options.connectTimeoutSeconds = 20;
        options.stallTimeoutSeconds = 20;
        auto rig = std::make_shared<Rig>(list, options);
        for (int c = 0; c < chains; ++c)
            rig->pass.startPass();
        ASSERT_TRUE(rig->window.waitForCompletions(chains)) << "the pass did not end";
        ASSERT_TRUE(rig->waitForWorkers());

        EXPECT_THAT(rig->window.resultLines(), UnorderedElementsAreArray(expected));
        EXPECT_EQ(rig->window.completionMessages(), chains);
        EXPECT_EQ(rig->pass.cursor(), members + chains);

        std::map<std::string, int> pageRequests;
        for (const test::Request& r : server.requests())
            if (r.target.rfind("/page/", 0) == 0)
                ++pageRequests[r.target];
        EXPECT_EQ(pageRequests, wantedRequests);
    }
}

}  // namespace
}  // namespace tq::check
