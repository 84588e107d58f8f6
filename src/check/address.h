#pragma once
// Reading an address as an absolute URL and building what goes on the request line. Pure
// functions: no network, so they can be tested and fuzzed alone.
#include <optional>
#include <string>
#include <string_view>

namespace tq::check {

struct Address {
    std::string scheme;  // lower case: "http", "https" or whatever the address said
    std::string user;
    std::string password;
    std::string host;
    int port = 0;      // the port the address names, or the scheme's default
    std::string path;  // path with query and fragment, as canonicalised
};

// Canonicalises (dot segments resolved, surrounding white space dropped) and splits. Empty
// when the address has no scheme or host, or a part is longer than its limit.
std::optional<Address> parseAddress(std::string_view address);

// The path cut before its first '#', "/" when that leaves nothing; blanks, control bytes and
// bytes >= 0x80 percent-encoded, every other byte as it stands.
std::string requestTarget(std::string_view path);

// What the HTTP client is given: scheme, host, the port unless it is the scheme's default, and
// the request target. Credentials are not part of it; they travel apart.
std::string requestUrl(const Address& address);

}  // namespace tq::check
