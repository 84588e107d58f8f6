#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace tq::check {

// Settings users never see; tests shorten the time-outs and trust their own CA.
struct FetchOptions {
    std::string caFile;  // empty: the system's CA store
    long connectTimeoutSeconds = 60;
    long stallTimeoutSeconds = 60;  // a transfer with no byte for this long ends
    long maxRedirects = 10;
};

// The shared HTTP client of the process: User-Agent, cookie store, created lazily by the first
// fetch that needs it. Safe to use from many threads at once.
class Fetcher {
public:
    explicit Fetcher(FetchOptions options = {});
    ~Fetcher();
    Fetcher(const Fetcher&) = delete;
    Fetcher& operator=(const Fetcher&) = delete;

    // One GET; the body as it arrived (also when cut short), empty on any failure.
    std::string fetch(std::string_view address);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tq::check
