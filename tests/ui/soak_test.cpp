// A long pass through the real window while the loopback server misbehaves in every way a page
// can: each member must still get exactly one line with the right marker, the window must stay
// responsive, and the memory the pages took must be given back.
#include <gtest/gtest.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "check/fetch.h"
#include "check/pass.h"
#include "check/texts.h"
#include "commands_window.h"
#include "eventloop.h"
#include "httpserver.h"
#include "memory.h"
#include "ui/boxtext.h"
#include "ui/controller.h"

namespace tq::ui {
namespace {

using test::Action;
using test::HttpServer;
using test::Request;
using test::response;

// The checks talk to 127.0.0.1 directly; a proxy from the caller's environment would stand in
// between. Cleared before main, so before any thread exists.
const bool kNoProxy = (test::clearProxyEnvironment(), true);

constexpr int kMembers = 2000;
constexpr std::size_t kHugeBody = 64u << 20;
const std::string kFeature = "<a href=\"http://mine.example/\">\xCE\xD2\xB5\xC4</a>";

// What the server does for one member, and whether the feature counts as present.
enum class Kind {
    Present,
    Gone,
    NotFoundWith,
    NotFoundWithout,
    ErrorWith,
    ErrorWithout,
    RedirectToPresent,  // the 302 body lacks the feature, the target has it
    RedirectToGone,     // the 301 body has the feature, the target lacks it
    ZeroBeforeFeature,
    EmptyBody,
    EmptyBodyNoLength,
    Refused,
    ResetAfterFeature,
    ResetBeforeFeature,
    StallAfterFeature,
    StallSilent,
    Huge,
};

bool presentFor(Kind k) {
    switch (k) {
        case Kind::Present:
        case Kind::NotFoundWith:
        case Kind::ErrorWith:
        case Kind::RedirectToPresent:
        case Kind::ResetAfterFeature:
        case Kind::StallAfterFeature:
        case Kind::Huge:
            return true;
        default:
            return false;
    }
}

// The members in a fixed, shuffled order: the expensive faults are few and spread out, the
// cheap ones fill the rest.
std::vector<Kind> planMembers() {
    std::vector<Kind> plan;
    auto add = [&](Kind k, int n) { plan.insert(plan.end(), std::size_t(n), k); };
    add(Kind::Huge, 3);
    add(Kind::StallAfterFeature, 2);
    add(Kind::StallSilent, 2);
    add(Kind::ResetAfterFeature, 6);
    add(Kind::ResetBeforeFeature, 6);
    const Kind cheap[] = {
        Kind::Present,           Kind::Gone,         Kind::NotFoundWith,      Kind::NotFoundWithout,
        Kind::ErrorWith,         Kind::ErrorWithout, Kind::RedirectToPresent, Kind::RedirectToGone,
        Kind::ZeroBeforeFeature, Kind::EmptyBody,    Kind::EmptyBodyNoLength, Kind::Refused};
    for (std::size_t i = 0; plan.size() < kMembers; ++i)
        plan.push_back(cheap[i % std::size(cheap)]);
    std::shuffle(plan.begin(), plan.end(), std::mt19937(8));
    return plan;
}

// A port on 127.0.0.1 that is taken but never listened on: connections to it are refused, and
// no other program can start listening there while the test runs.
class RefusingPort {
public:
    RefusingPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            std::abort();
        port_ = ntohs(a.sin_port);
    }
    ~RefusingPort() { ::close(fd_); }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

class FaultyServer {
public:
    explicit FaultyServer(const std::vector<Kind>& plan)
        : plan_(plan), huge_(makeHuge()), server_([this](const Request& r) { return answer(r); }) {}

    std::string address(int member) const {
        const std::string path = "/m/" + std::to_string(member);
        if (plan_[std::size_t(member)] == Kind::Refused)
            return "http://127.0.0.1:" + std::to_string(refusing_.port()) + path;
        return server_.url(path);
    }

private:
    static std::string makeHuge() {
        std::string body(kHugeBody, 'x');
        body.replace(body.size() - 1024, kFeature.size(), kFeature);
        return response(200, body);
    }

    Action answer(const Request& r) const {
        const std::string page = "<html><body>" + kFeature + "</body></html>";
        const std::string other = "<html><body>no link here</body></html>";
        if (r.target == "/target/with")
            return Action::reply(response(200, page));
        if (r.target == "/target/without")
            return Action::reply(response(200, other));
        const std::size_t member = std::strtoul(r.target.c_str() + 3, nullptr, 10);
        // Announces far more than is sent, so the cut is a broken transfer, not a short page.
        const std::string longHead = "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n";
        switch (plan_.at(member)) {
            case Kind::Present:
                return Action::reply(response(200, page));
            case Kind::Gone:
                return Action::reply(response(200, other));
            case Kind::NotFoundWith:
                return Action::reply(response(404, page));
            case Kind::NotFoundWithout:
                return Action::reply(response(404, other));
            case Kind::ErrorWith:
                return Action::reply(response(500, page));
            case Kind::ErrorWithout:
                return Action::reply(response(500, other));
            case Kind::RedirectToPresent:
                return Action::reply(response(302, other, {"Location: /target/with"}));
            case Kind::RedirectToGone:
                return Action::reply(response(301, page, {"Location: /target/without"}));
            case Kind::ZeroBeforeFeature:
                return Action::reply(response(200, std::string("<html>\0", 7) + page));
            case Kind::EmptyBody:
                return Action::reply(response(200, ""));
            case Kind::EmptyBodyNoLength:
                return Action::reply(response(200, "", {}, false));
            case Kind::ResetAfterFeature:
                return Action::replyThenReset(longHead + page);
            case Kind::ResetBeforeFeature:
                return Action::replyThenReset(longHead + other);
            case Kind::StallAfterFeature:
                return Action::replyThenHold(longHead + page);
            case Kind::StallSilent:
                return Action::hold();
            case Kind::Huge:
                return Action::reply(huge_);
            case Kind::Refused:
                break;
        }
        return Action::reply(response(500, "unexpected request"));
    }

    const std::vector<Kind>& plan_;
    const std::string huge_;
    RefusingPort refusing_;
    HttpServer server_;  // last: its handler uses everything above
};

// The window's fields as the controller serves them, counting the completion texts.
class CountingFields : public check::WindowFields {
public:
    explicit CountingFields(check::WindowFields& real) : real_(real) {}

    std::shared_ptr<const std::string> addressList() override { return real_.addressList(); }
    std::string featureString() override { return real_.featureString(); }
    bool onlyDropped() override { return real_.onlyDropped(); }
    void setStatus(const std::string& text) override {
        if (text == check::kCompletionMessage)
            ++completionMessages;
        real_.setStatus(text);
    }
    void setProgress(const std::string& text) override {
        if (text == check::kProgressDone)
            ++progressDone;
        real_.setProgress(text);
    }
    void appendResult(const std::string& line) override { real_.appendResult(line); }

    std::atomic<int> completionMessages{0};
    std::atomic<int> progressDone{0};

private:
    check::WindowFields& real_;
};

// Detached workers, as the program starts them, but counted so the test knows when the last
// one is gone.
class CountedWorkers {
public:
    check::StartWorker starter() {
        return [this](std::function<void()> routine) {
            ++live_;
            try {
                std::thread([this, routine = std::move(routine)] {
                    routine();
                    --live_;  // the worker's last touch of anything the test owns
                }).detach();
                return true;
            } catch (const std::exception&) {
                --live_;
                return false;
            }
        };
    }
    int live() const { return live_.load(); }

private:
    std::atomic<int> live_{0};
};

using test::residentKiB;
using test::runEventsUntil;

long settledResidentKiB() {
    ::malloc_trim(0);
    return residentKiB();
}

// The results box as address -> the markers written for it, in order of writing.
std::map<std::string, std::vector<std::string>> resultLines(const std::string& box) {
    std::map<std::string, std::vector<std::string>> lines;
    const std::string present = check::kPresentMarker;
    const std::string gone = check::kGoneMarker;
    std::size_t at = 0;
    while (at < box.size()) {
        const std::size_t p = box.find(present, at);
        const std::size_t g = box.find(gone, at);
        const std::size_t end = std::min(p, g);
        if (end == std::string::npos) {
            lines["<no marker>"].push_back(box.substr(at));
            break;
        }
        const std::string& marker = end == p ? present : gone;
        lines[box.substr(at, end - at)].push_back(marker);
        at = end + marker.size();
    }
    return lines;
}

TEST(Soak, TwoChainsThroughEveryKindOfFaultGiveOneRightLineEachAndKeepTheWindowLive) {
    const std::vector<Kind> plan = planMembers();
    FaultyServer server(plan);
    check::FetchOptions options;
    options.connectTimeoutSeconds = 2;
    options.stallTimeoutSeconds = 1;
    check::Fetcher fetcher(options);

    testing::TestWindow window;
    std::unique_ptr<Controller> controller = Controller::bind(
        window, [&](const std::string& address) { return fetcher.fetch(address); });
    ASSERT_TRUE(controller);
    window.show();
    auto* addressBox = window.findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框1"));
    auto* featureBox = window.findChild<QLineEdit*>(QString::fromUtf8("编辑框2"));
    auto* resultsBox = window.findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框_检测结果"));
    auto* statusLabel = window.findChild<QLabel*>(QString::fromUtf8("透明标签7"));
    auto* progressLabel = window.findChild<QLabel*>(QString::fromUtf8("透明标签8"));
    ASSERT_TRUE(addressBox && featureBox && resultsBox && statusLabel && progressLabel);
    setBoxText(featureBox, kFeature);

    CountingFields fields(controller->fields());
    CountedWorkers workers;
    check::CheckPass pass(
        fields, [&](const std::string& address) { return fetcher.fetch(address); },
        workers.starter());

    // One short pass first, so that what lives for the whole run (the network client, the
    // thread arenas, the widgets' caches) is there before the level is taken. The cursor is
    // never lowered, so the pass under test starts on its own fresh cursor.
    {
        std::string warmList;
        for (int i = 0; i < 24; ++i)
            if (plan[std::size_t(i)] != Kind::Huge && plan[std::size_t(i)] != Kind::StallSilent &&
                plan[std::size_t(i)] != Kind::StallAfterFeature)
                warmList += server.address(i) + "\r\n";
        setBoxText(addressBox, warmList);
        check::CheckPass warmUp(
            fields, [&](const std::string& address) { return fetcher.fetch(address); },
            workers.starter());
        warmUp.startPass();
        ASSERT_TRUE(runEventsUntil([&] { return fields.progressDone == 1 && workers.live() == 0; },
                                   std::chrono::seconds(30)));
    }
    setBoxText(resultsBox, "");
    const long before = settledResidentKiB();

    std::string list;
    for (int i = 0; i < kMembers; ++i)
        list += server.address(i) + "\r\n";
    setBoxText(addressBox, list);
    fields.completionMessages = 0;
    fields.progressDone = 0;

    // The window thread's pulse: the longest time between two ticks while the pass runs.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer pulse;
    pulse.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pulse, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

    // The start command, pressed twice.
    sinceTick.start();
    pulse.start(10);
    pass.startPass();
    pass.startPass();
    const bool ended =
        runEventsUntil([&] { return fields.completionMessages == 2 && workers.live() == 0; },
                       std::chrono::seconds(100));
    pulse.stop();
    ASSERT_TRUE(ended) << "cursor " << pass.cursor() << ", workers " << workers.live();

    EXPECT_EQ(pass.cursor(), kMembers + 2);
    EXPECT_EQ(fields.completionMessages, 2);
    EXPECT_EQ(fields.progressDone, 2);
    EXPECT_EQ(labelText(statusLabel), check::kCompletionMessage);
    EXPECT_EQ(labelText(progressLabel), check::kProgressDone);

    const auto lines = resultLines(boxText(resultsBox));
    EXPECT_EQ(lines.size(), std::size_t(kMembers));
    int wrong = 0;
    for (int i = 0; i < kMembers; ++i) {
        const Kind kind = plan[std::size_t(i)];
        const std::string expected = presentFor(kind) ? check::kPresentMarker : check::kGoneMarker;
        auto it = lines.find(server.address(i));
        const bool right = it != lines.end() && it->second == std::vector<std::string>{expected};
        if (!right && ++wrong <= 10) {
            std::string got = "no line";
            if (it != lines.end())
                for (const std::string& marker : it->second)
                    got += marker == check::kPresentMarker ? ", present" : ", gone";
            ADD_FAILURE() << "member " << i << " (kind " << int(kind) << "): " << got;
        }
    }
    EXPECT_EQ(wrong, 0);

    EXPECT_LE(longestGap, 100) << "the window thread stood still for " << longestGap << " ms";

    const long after = settledResidentKiB();
    EXPECT_LE(after, before + 32 * 1024)
        << "resident " << before / 1024 << " MiB before the pass, " << after / 1024 << " after";
}

}  // namespace
}  // namespace tq::ui
