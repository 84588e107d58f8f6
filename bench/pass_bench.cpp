// A check pass over N addresses served from loopback, timed against a loop of bare libcurl
// fetches of the same pages in the same run. Run by hand:
//   tq_bench_pass [addresses]
// Prints the wall time of each variant and the pass's cost over the bare loop.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "barefetch.h"
#include "check/fetch.h"
#include "check/find.h"
#include "check/pass.h"
#include "check/texts.h"

namespace {

const std::string kFeature = "<a href=\"http://me.example/\">";

// Serves every request with a small page; odd paths carry the feature. One connection at a
// time, HTTP/1.0 style: the server closes after each answer.
class LoopbackServer {
public:
    LoopbackServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        int on = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 128) != 0) {
            std::perror("loopback server");
            std::exit(1);
        }
        socklen_t size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        std::thread([this] { serve(); }).detach();
    }
    int port() const { return port_; }

private:
    void serve() {
        std::string body(900, 'x');
        for (;;) {
            const int client = accept(listener_, nullptr, nullptr);
            if (client < 0)
                continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = read(client, buffer, sizeof buffer);
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(got));
            }
            const auto space = request.find(' ');
            const auto end = request.find(' ', space + 1);
            const std::string path = request.substr(space + 1, end - space - 1);
            const bool carries = !path.empty() && (path.back() - '0') % 2 == 1;
            const std::string page = "<html><body>" + body + (carries ? kFeature : "") + "</body>";
            const std::string reply =
                "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                std::to_string(page.size()) + "\r\n\r\n" + page;
            std::size_t sent = 0;
            while (sent < reply.size()) {
                const ssize_t put = write(client, reply.data() + sent, reply.size() - sent);
                if (put <= 0)
                    break;
                sent += static_cast<std::size_t>(put);
            }
            close(client);
        }
    }

    int listener_ = -1;
    int port_ = 0;
};

using tq::bench::bareFetch;

// The window as a pass sees it, without a window: a lock serialises the calls as the window
// thread would.
class PlainWindow : public tq::check::WindowFields {
public:
    explicit PlainWindow(std::string list)
        : list_(std::make_shared<const std::string>(std::move(list))) {}
    std::shared_ptr<const std::string> addressList() override { return list_; }
    std::string featureString() override {
        std::lock_guard lock(mutex_);
        return kFeature;
    }
    bool onlyDropped() override { return false; }
    void setStatus(const std::string&) override {}
    void setProgress(const std::string& text) override {
        std::lock_guard lock(mutex_);
        if (text == tq::check::kProgressDone) {
            done_ = true;
            changed_.notify_all();
        }
    }
    void appendResult(const std::string& line) override {
        std::lock_guard lock(mutex_);
        results_ += line;
    }
    void waitUntilDone() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return done_; });
    }
    std::size_t resultBytes() {
        std::lock_guard lock(mutex_);
        return results_.size();
    }

private:
    std::shared_ptr<const std::string> list_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    std::string results_;
};

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

template <class Fetch>
double timePass(const std::string& list, Fetch fetch, std::size_t& resultBytes) {
    PlainWindow window(list);
    tq::check::CheckPass pass(window, fetch, [](std::function<void()> routine) {
        std::thread(std::move(routine)).detach();
        return true;
    });
    const auto start = std::chrono::steady_clock::now();
    pass.startPass();
    window.waitUntilDone();
    const double took = seconds(std::chrono::steady_clock::now() - start);
    resultBytes = window.resultBytes();
    // The last check is still returning from its last call on the window.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return took;
}

// N detached threads, each starting the next: the floor under a pass, which starts one
// worker per check.
double timeThreadChain(int count) {
    struct Chain {
        std::mutex mutex;
        std::condition_variable done;
        int left;
        bool finished = false;
        void step() {
            if (--left == 0) {
                std::lock_guard lock(mutex);
                finished = true;
                done.notify_all();
                return;
            }
            std::thread([this] { step(); }).detach();
        }
    } chain;
    chain.left = count;
    const auto start = std::chrono::steady_clock::now();
    std::thread([&] { chain.step(); }).detach();
    std::unique_lock lock(chain.mutex);
    chain.done.wait(lock, [&] { return chain.finished; });
    return seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    curl_global_init(CURL_GLOBAL_ALL);
    LoopbackServer server;
    std::vector<std::string> addresses;
    std::string list;
    for (int i = 0; i < count; ++i) {
        addresses.push_back("http://127.0.0.1:" + std::to_string(server.port()) + "/page/" +
                            std::to_string(i));
        list += addresses.back() + "\r\n";
    }

    // Warm-up, then the variants twice in turns, so a drift of the machine shows.
    for (int i = 0; i < 100; ++i)
        (void)bareFetch(addresses[static_cast<std::size_t>(i)]);
    tq::check::Fetcher fetcher;
    std::printf("addresses %d\n", count);
    for (int round = 1; round <= 2; ++round) {
        std::size_t present = 0;
        const auto start = std::chrono::steady_clock::now();
        for (const auto& address : addresses)
            present += tq::check::isPresent(
                tq::check::findText(tq::check::pageText(bareFetch(address)), kFeature));
        const double bare = seconds(std::chrono::steady_clock::now() - start);

        std::size_t passBytes = 0;
        const double passBare = timePass(list, bareFetch, passBytes);

        std::size_t fetcherBytes = 0;
        const double passFetcher = timePass(
            list, [&](const std::string& address) { return fetcher.fetch(address); }, fetcherBytes);

        const double threads = timeThreadChain(count);

        std::printf("round %d\n", round);
        std::printf("  chain of empty threads   %.3f s  %.1f us/thread\n", threads,
                    1e6 * threads / count);
        std::printf("  bare libcurl loop        %.3f s  %.1f us/address (present %zu)\n", bare,
                    1e6 * bare / count, present);
        std::printf("  pass, same bare fetch    %.3f s  %.1f us/address  %+.1f%%\n", passBare,
                    1e6 * passBare / count, 100.0 * (passBare / bare - 1));
        std::printf(
            "  pass, Fetcher            %.3f s  %.1f us/address  %+.1f%%  (%zu result bytes)\n",
            passFetcher, 1e6 * passFetcher / count, 100.0 * (passFetcher / bare - 1), fetcherBytes);
    }
    std::fflush(stdout);
    std::_Exit(0);
}
