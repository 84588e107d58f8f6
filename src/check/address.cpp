#include "check/address.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tq::check {
namespace {

constexpr std::size_t kMaxHost = 255;
constexpr std::size_t kMaxPath = 2047;  // path, query and fragment together
constexpr std::size_t kMaxUser = 127;
constexpr std::size_t kMaxPassword = 127;

bool isSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isAlpha(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// RFC 3986 remove_dot_segments, applied to the path alone (never to query or fragment).
std::string removeDotSegments(std::string_view path) {
    std::vector<std::string_view> out;
    bool absolute = !path.empty() && path.front() == '/';
    if (absolute)
        path.remove_prefix(1);
    bool endsInDir = false;  // "/a/.." and "/a/." keep a trailing slash
    while (true) {
        std::size_t slash = path.find('/');
        std::string_view seg = path.substr(0, slash);
        bool last = slash == std::string_view::npos;
        endsInDir = false;
        if (seg == ".") {
            endsInDir = true;
        } else if (seg == "..") {
            if (!out.empty())
                out.pop_back();
            endsInDir = true;
        } else {
            out.push_back(seg);
        }
        if (last)
            break;
        path.remove_prefix(slash + 1);
    }
    std::string result;
    if (absolute)
        result += '/';
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i)
            result += '/';
        result += out[i];
    }
    if (endsInDir && !out.empty())
        result += '/';
    return result;
}

}  // namespace

std::optional<Address> parseAddress(std::string_view address) {
    // An address is a text: it ends at its first zero byte. Cutting here keeps what we parse and
    // what the HTTP client reads from the URL (a C string) the same address.
    std::string_view s = trim(address.substr(0, address.find('\0')));

    // scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ), followed by "://"
    std::size_t i = 0;
    if (s.empty() || !isAlpha(static_cast<unsigned char>(s[0])))
        return std::nullopt;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (!(isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.'))
            break;
        ++i;
    }
    if (s.substr(i, 3) != "://")
        return std::nullopt;
    Address a;
    a.scheme.reserve(i);
    for (char c : s.substr(0, i))
        a.scheme += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    s.remove_prefix(i + 3);

    std::size_t authEnd = s.find_first_of("/?#");
    std::string_view authority = s.substr(0, authEnd);
    std::string_view rest =
        authEnd == std::string_view::npos ? std::string_view{} : s.substr(authEnd);

    if (std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        std::string_view userinfo = authority.substr(0, at);
        authority.remove_prefix(at + 1);
        std::size_t colon = userinfo.find(':');
        a.user = std::string(userinfo.substr(0, colon));
        if (colon != std::string_view::npos)
            a.password = std::string(userinfo.substr(colon + 1));
    }

    // An IPv6 literal keeps its brackets; the port colon is the one after them.
    std::size_t portColon = std::string_view::npos;
    if (!authority.empty() && authority.front() == '[') {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':')
                return std::nullopt;
            portColon = close + 1;
        }
    } else {
        portColon = authority.rfind(':');
    }
    std::string_view host = authority.substr(0, portColon);
    if (portColon != std::string_view::npos) {
        std::string_view digits = authority.substr(portColon + 1);
        if (digits.size() > 5)
            return std::nullopt;
        int port = 0;
        for (char c : digits) {
            if (!isDigit(static_cast<unsigned char>(c)))
                return std::nullopt;
            port = port * 10 + (c - '0');
        }
        if (!digits.empty() && (port == 0 || port > 65535))
            return std::nullopt;
        a.port = port;
    }
    if (a.port == 0) {
        if (a.scheme == "http")
            a.port = 80;
        else if (a.scheme == "https")
            a.port = 443;
    }
    if (host.empty() || host.size() > kMaxHost)
        return std::nullopt;
    // A second colon outside brackets ("http://a:1:80/") leaves a host that the URL we build
    // would read as host and port again, naming another port than the one we parsed.
    if (host.front() != '[' && host.find(':') != std::string_view::npos)
        return std::nullopt;
    a.host = std::string(host);

    std::size_t pathEnd = rest.find_first_of("?#");
    a.path = removeDotSegments(rest.substr(0, pathEnd));
    if (pathEnd != std::string_view::npos)
        a.path += rest.substr(pathEnd);

    if (a.path.size() > kMaxPath || a.user.size() > kMaxUser || a.password.size() > kMaxPassword)
        return std::nullopt;
    return a;
}

std::string requestTarget(std::string_view path) {
    path = path.substr(0, path.find('#'));
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string target;
    target.reserve(path.size() + 1);
    if (path.empty() || path.front() != '/')
        target += '/';
    for (char ch : path) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) {
            target += '%';
            target += kHex[c >> 4];
            target += kHex[c & 0xF];
        } else {
            target += ch;
        }
    }
    return target;
}

std::string requestUrl(const Address& address) {
    const int defaultPort = address.scheme == "http" ? 80 : address.scheme == "https" ? 443 : 0;
    std::string url = address.scheme + "://" + address.host;
    if (address.port != 0 && address.port != defaultPort)
        url += ':' + std::to_string(address.port);
    url += requestTarget(address.path);
    return url;
}

}  // namespace tq::check
