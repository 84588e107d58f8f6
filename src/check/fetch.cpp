#include "check/fetch.h"

#include <curl/curl.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <atomic>
#include <csignal>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "check/address.h"

namespace tq::check {
namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// libcurl's global state is set up once for the process and never torn down: detached workers
// may still be inside a transfer when the process exits.
bool initCurlOnce() {
    static std::mutex mutex;
    static bool done = false;
    std::lock_guard lock(mutex);
    if (!done) {
        // A peer that closes early must not kill the process while a handle writes to it.
        std::signal(SIGPIPE, SIG_IGN);
#if defined(__GLIBC__)
        // A page may be tens of megabytes. With glibc's default, freeing such a buffer raises
        // the mmap threshold, after which the next big buffers of a worker come from its
        // thread arena, whose top is never handed back: every huge page would leave up to
        // 32 MiB resident per arena for the rest of the run. A fixed threshold keeps every
        // large buffer in its own mapping, returned to the system when it is freed.
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
        done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    }
    return done;
}

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using EasyPtr = std::unique_ptr<CURL, EasyDeleter>;
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

// The process's cookies, one Netscape-format line per cookie as libcurl lists them. A share
// handle cannot carry cookies between concurrent transfers in this libcurl, so each transfer gets
// a private copy and hands back only what it changed.
class CookieStore {
public:
    using Lines = std::vector<std::string>;

    Lines snapshot() const {
        std::lock_guard lock(mutex_);
        Lines lines;
        lines.reserve(cookies_.size());
        for (const auto& [key, line] : cookies_)
            lines.push_back(line);
        return lines;
    }

    // Applies the difference between what a transfer started with and what it ended with, so
    // concurrent transfers do not undo each other's cookies.
    void merge(const Lines& before, const Lines& after) {
        std::map<Key, const std::string*> start, end;
        for (const auto& l : before)
            start.emplace(keyOf(l), &l);
        for (const auto& l : after)
            end.emplace(keyOf(l), &l);
        std::lock_guard lock(mutex_);
        for (const auto& [key, line] : start) {
            auto gone = end.find(key);
            if (gone != end.end())
                continue;
            // Dropped by the transfer (expired or deleted by the server), unless another
            // transfer has set it anew meanwhile.
            auto it = cookies_.find(key);
            if (it != cookies_.end() && it->second == *line)
                cookies_.erase(it);
        }
        for (const auto& [key, line] : end) {
            auto old = start.find(key);
            if (old == start.end() || *old->second != *line)
                cookies_[key] = *line;
        }
    }

private:
    // domain (without the HttpOnly marker), path, name
    using Key = std::tuple<std::string, std::string, std::string>;

    static Key keyOf(std::string_view line) {
        constexpr std::string_view httpOnly = "#HttpOnly_";
        if (line.substr(0, httpOnly.size()) == httpOnly)
            line.remove_prefix(httpOnly.size());
        std::string_view f[7];
        for (int i = 0; i < 6; ++i) {
            std::size_t tab = line.find('\t');
            f[i] = line.substr(0, tab);
            line = tab == std::string_view::npos ? std::string_view{} : line.substr(tab + 1);
        }
        f[6] = line;
        return {std::string(f[0]), std::string(f[2]), std::string(f[5])};
    }

    mutable std::mutex mutex_;
    std::map<Key, std::string> cookies_;
};

CookieStore::Lines cookiesOf(CURL* h) {
    CookieStore::Lines lines;
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
        for (curl_slist* p = list; p; p = p->next)
            lines.emplace_back(p->data);
        curl_slist_free_all(list);
    }
    return lines;
}

size_t appendBody(char* data, size_t size, size_t count, void* userdata) {
    try {
        static_cast<std::string*>(userdata)->append(data, size * count);
        return size * count;
    } catch (const std::bad_alloc&) {
        return 0;  // ends the transfer; treated like any other failed fetch
    }
}

bool keepsPartialBody(CURLcode rc) {
    return rc == CURLE_OK || rc == CURLE_PARTIAL_FILE || rc == CURLE_OPERATION_TIMEDOUT ||
           rc == CURLE_RECV_ERROR;
}

// What all fetches share. Read-only once built, apart from the cookie store.
struct SharedClient {
    SlistPtr headers;
    CookieStore cookies;
};

}  // namespace

struct Fetcher::Impl {
    explicit Impl(FetchOptions o) : options(std::move(o)) {}

    FetchOptions options;
    std::mutex createMutex;
    std::atomic<SharedClient*> client{nullptr};
    std::unique_ptr<SharedClient> owned;

    SharedClient* sharedClient() {
        if (SharedClient* c = client.load(std::memory_order_acquire))
            return c;
        std::lock_guard lock(createMutex);
        if (SharedClient* c = client.load(std::memory_order_relaxed))
            return c;
        if (!initCurlOnce())
            return nullptr;
        auto made = std::make_unique<SharedClient>();
        curl_slist* list = nullptr;
        // Replacing libcurl's own Accept keeps it to exactly one; the no-cache pair asks any
        // cache on the way for a fresh answer.
        for (const char* h : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"}) {
            curl_slist* next = curl_slist_append(list, h);
            if (!next) {
                curl_slist_free_all(list);
                return nullptr;
            }
            list = next;
        }
        made->headers.reset(list);
        owned = std::move(made);
        client.store(owned.get(), std::memory_order_release);
        return owned.get();
    }
};

Fetcher::Fetcher(FetchOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
    // The program builds its fetcher on the window thread before any worker starts, which is
    // where libcurl wants its global set-up; should it fail here, the first fetch tries again.
    initCurlOnce();
}
Fetcher::~Fetcher() = default;

std::string Fetcher::fetch(std::string_view address) {
    std::optional<Address> a = parseAddress(address);
    if (!a || (a->scheme != "http" && a->scheme != "https"))
        return {};
    SharedClient* client = impl_->sharedClient();
    if (!client)
        return {};

    const std::string url = requestUrl(*a);

    EasyPtr handle(curl_easy_init());
    if (!handle)
        return {};
    CURL* h = handle.get();
    const FetchOptions& o = impl_->options;
    std::string body;

    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, o.maxRedirects);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(h, CURLOPT_HTTP09_ALLOWED, 1L);
    // Offering "http/1.0" in ALPN makes some servers reset the handshake.
    curl_easy_setopt(h, CURLOPT_SSL_ENABLE_ALPN, 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!o.caFile.empty()) {
        curl_easy_setopt(h, CURLOPT_CAINFO, o.caFile.c_str());
        curl_easy_setopt(h, CURLOPT_CAPATH, static_cast<char*>(nullptr));
    }
    curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, client->headers.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, o.connectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, o.stallTimeoutSeconds);
    // Credentials go only to the address's own host: libcurl drops them when a redirect leads
    // elsewhere (CURLOPT_UNRESTRICTED_AUTH stays off).
    if (!a->user.empty() || !a->password.empty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, a->user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, a->password.c_str());
    }
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);

    // An empty file name switches the cookie engine on without reading any file.
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
    CookieStore::Lines before = client->cookies.snapshot();
    for (const std::string& line : before)
        curl_easy_setopt(h, CURLOPT_COOKIELIST, line.c_str());

    CURLcode rc = curl_easy_perform(h);
    client->cookies.merge(before, cookiesOf(h));

    if (!keepsPartialBody(rc))
        return {};
    return body;
}

}  // namespace tq::check
