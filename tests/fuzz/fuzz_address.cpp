// Any bytes as an address, taken as far as the fetch takes it before the network: parsing never
// crashes, what it accepts keeps within the limits, the URL built from it is safe to put on a
// request line, and libcurl reads that URL as the same host, port and target we parsed.
#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "check/address.h"
#include "fuzz_check.h"

namespace {

struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
struct TextDeleter {
    void operator()(char* s) const { curl_free(s); }
};
using Text = std::unique_ptr<char, TextDeleter>;

Text part(CURLU* url, CURLUPart which, unsigned flags = 0) {
    char* s = nullptr;
    if (curl_url_get(url, which, &s, flags) != CURLUE_OK)
        return nullptr;
    return Text(s);
}

bool onRequestLine(std::string_view target) {
    if (target.empty() || target.front() != '/')
        return false;
    for (char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '#')
            return false;
    }
    return true;
}

bool isPlainName(std::string_view host) {
    bool letter = false;
    for (char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        const bool lower = c >= 'a' && c <= 'z', upper = c >= 'A' && c <= 'Z';
        if (!(lower || upper || (c >= '0' && c <= '9') || c == '-' || c == '.' || byte >= 0x80))
            return false;
        // Letters that no numeric IPv4 form (hex digits, "0x") can hold.
        const char folded = upper ? static_cast<char>(c - 'A' + 'a') : c;
        if (byte >= 0x80 || c == '-' || ((lower || upper) && folded > 'f' && folded != 'x'))
            letter = true;
    }
    return letter;
}

// libcurl's own reading of the URL we hand it: where it connects and what it asks for must be
// what our parse decided, or a credential or request could go somewhere the address never named.
void agreesWithLibcurl(const tq::check::Address& a, const std::string& url,
                       const std::string& target) {
    std::unique_ptr<CURLU, UrlDeleter> u(curl_url());
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return;  // refused outright: the fetch fails without traffic
    Text host = part(u.get(), CURLUPART_HOST);
    Text port = part(u.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    Text path = part(u.get(), CURLUPART_PATH);
    Text query = part(u.get(), CURLUPART_QUERY);
    FUZZ_REQUIRE(host && port && path);
    // libcurl writes a numeric IPv4 host in dotted decimal and decodes escapes in a host; a
    // host that is plainly a name must come out as it went in.
    if (isPlainName(a.host))
        FUZZ_REQUIRE(host.get() == a.host);
    FUZZ_REQUIRE(port.get() == std::to_string(a.port));
    FUZZ_REQUIRE(!part(u.get(), CURLUPART_USER));
    std::string sent = path.get();
    if (query) {
        sent += '?';
        sent += query.get();
    }
    // libcurl drops a lone '?' with nothing after it.
    FUZZ_REQUIRE(sent == target || sent + "?" == target);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    // The target alone, for any path bytes at all.
    FUZZ_REQUIRE(onRequestLine(tq::check::requestTarget(text)));

    const auto a = tq::check::parseAddress(text);
    if (!a)
        return 0;
    FUZZ_REQUIRE(!a->host.empty());
    FUZZ_REQUIRE(a->host.size() <= 255);
    FUZZ_REQUIRE(a->user.size() <= 127);
    FUZZ_REQUIRE(a->password.size() <= 127);
    FUZZ_REQUIRE(a->path.size() <= 2047);
    FUZZ_REQUIRE(a->port >= 0 && a->port <= 65535);
    const bool web = a->scheme == "http" || a->scheme == "https";
    FUZZ_REQUIRE(!web || a->port > 0);

    const std::string target = tq::check::requestTarget(a->path);
    FUZZ_REQUIRE(onRequestLine(target));
    const std::string url = tq::check::requestUrl(*a);
    FUZZ_REQUIRE(url.starts_with(a->scheme + "://" + a->host));
    FUZZ_REQUIRE(url.ends_with(target));

    // The URL parses back to the same place, and canonical form is a fixed point.
    if (target.size() <= 2047) {
        const auto again = tq::check::parseAddress(url);
        FUZZ_REQUIRE(again.has_value());
        FUZZ_REQUIRE(again->scheme == a->scheme);
        FUZZ_REQUIRE(again->host == a->host);
        FUZZ_REQUIRE(again->port == a->port);
        FUZZ_REQUIRE(again->user.empty() && again->password.empty());
        FUZZ_REQUIRE(again->path == target || (again->path.empty() && target == "/"));
    }
    if (web)
        agreesWithLibcurl(*a, url, target);
    return 0;
}
