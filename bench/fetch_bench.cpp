// Sequential fetches of a small page from a loopback server: the program's fetch against the
// same loop written directly on libcurl (one easy handle per fetch, the same options), so the
// difference is what our own layer costs (address parsing, the shared client, the cookie store).
//
//   tq_bench_fetch [fetches per round, default 1000] [rounds, default 5]
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check/fetch.h"
#include "httpserver.h"
#include "threadcpu.h"

namespace {

using tq::bench::threadCpuSeconds;

using Clock = std::chrono::steady_clock;

size_t append(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

std::string bareFetch(const std::string& url, curl_slist* headers) {
    std::string body;
    CURL* h = curl_easy_init();
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(h, CURLOPT_HTTP09_ALLOWED, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_ENABLE_ALPN, 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, append);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    curl_easy_perform(h);
    curl_easy_cleanup(h);
    return body;
}

struct Timing {
    double wall;
    double cpu;  // of the fetching thread alone: the server and other processes do not count
};

template <class F>
Timing timeFor(int n, F fetchOne) {
    auto start = Clock::now();
    double cpu = threadCpuSeconds();
    for (int i = 0; i < n; ++i) {
        if (fetchOne().size() != 1024) {
            std::fprintf(stderr, "short page\n");
            std::exit(1);
        }
    }
    return {std::chrono::duration<double>(Clock::now() - start).count(), threadCpuSeconds() - cpu};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int fetches = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    // Only loopback traffic is measured.
    for (const char* v : {"http_proxy", "all_proxy", "ALL_PROXY"})
        ::unsetenv(v);

    const std::string page(1024, 'p');
    tq::test::HttpServer server([&](const tq::test::Request&) {
        return tq::test::Action::reply(tq::test::response(200, page));
    });
    const std::string url = server.url("/page.html");

    tq::check::Fetcher fetcher;
    fetcher.fetch(url);  // creates the shared client and initialises libcurl
    curl_slist* headers = nullptr;
    for (const char* h : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"})
        headers = curl_slist_append(headers, h);

    std::vector<double> oursWall, bareWall, oursCpu, bareCpu;
    auto runOurs = [&] {
        Timing t = timeFor(fetches, [&] { return fetcher.fetch(url); });
        oursWall.push_back(t.wall);
        oursCpu.push_back(t.cpu);
    };
    auto runBare = [&] {
        Timing t = timeFor(fetches, [&] { return bareFetch(url, headers); });
        bareWall.push_back(t.wall);
        bareCpu.push_back(t.cpu);
    };
    for (int r = 0; r < rounds; ++r) {
        // Alternate the order so neither side always runs on a warmer machine.
        if (r % 2) {
            runBare();
            runOurs();
        } else {
            runOurs();
            runBare();
        }
        std::printf(
            "round %d: Fetcher::fetch %.3f s wall %.3f s cpu; bare libcurl %.3f s wall "
            "%.3f s cpu\n",
            r + 1, oursWall.back(), oursCpu.back(), bareWall.back(), bareCpu.back());
    }
    auto report = [&](const char* what, double o, double b) {
        std::printf(
            "median %s: Fetcher::fetch %.3f s (%.1f us/fetch), bare libcurl %.3f s "
            "(%.1f us/fetch), ratio %.3f\n",
            what, o, o / fetches * 1e6, b, b / fetches * 1e6, o / b);
    };
    std::printf("%d rounds of %d fetches\n", rounds, fetches);
    report("wall time", median(oursWall), median(bareWall));
    report("fetching thread cpu", median(oursCpu), median(bareCpu));
    curl_slist_free_all(headers);
    return 0;
}
