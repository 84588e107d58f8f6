#include <gtest/gtest.h>

#include <string>

#include "check/address.h"

namespace tq::check {
namespace {

struct ParseCase {
    std::string address;
    bool parses = false;
    std::string scheme = {}, user = {}, password = {}, host = {};
    int port = 0;
    std::string path = {};
};

TEST(ParseAddress, SplitsAndCanonicalises) {
    const std::string longHost(255, 'h');
    const std::string longPath = "/" + std::string(2046, 'p');
    const std::string longUser(127, 'u');
    const ParseCase cases[] = {
        {"http://host", true, "http", "", "", "host", 80, ""},
        {"https://host", true, "https", "", "", "host", 443, ""},
        {"http://host:8080/a/../b.html?x=1#part", true, "http", "", "", "host", 8080,
         "/b.html?x=1#part"},
        {"HtTpS://Host/", true, "https", "", "", "Host", 443, "/"},
        {" \t http://host/x \r\n ", true, "http", "", "", "host", 80, "/x"},
        {"http://u:p:q@host:1/", true, "http", "u", "p:q", "host", 1, "/"},
        {"http://a@b@host/", true, "http", "a@b", "", "host", 80, "/"},
        {"http://[::1]:81/x", true, "http", "", "", "[::1]", 81, "/x"},
        {"http://host:/x", true, "http", "", "", "host", 80, "/x"},
        {"http://host?q=1", true, "http", "", "", "host", 80, "?q=1"},
        // dot segments in the path only, never in query or fragment
        {"http://h/a/./b/../../c/./d/..", true, "http", "", "", "h", 80, "/c/"},
        {"http://h/../../x", true, "http", "", "", "h", 80, "/x"},
        {"http://h/a//b/.", true, "http", "", "", "h", 80, "/a//b/"},
        {"http://h/a?x=/../y#/./z", true, "http", "", "", "h", 80, "/a?x=/../y#/./z"},
        {"http://h/%2e%2e/a%20b", true, "http", "", "", "h", 80, "/%2e%2e/a%20b"},
        {"ftp://h/x", true, "ftp", "", "", "h", 0, "/x"},
        // limits: at the limit parses, one over does not
        {"http://" + longHost + "/", true, "http", "", "", longHost, 80, "/"},
        {"http://" + longHost + "h/", false},
        {"http://h" + longPath, true, "http", "", "", "h", 80, longPath},
        {"http://h" + longPath + "p", false},
        {"http://h" + longPath.substr(0, 2040) + "?abcdef#g", false},
        {"http://h/a/../" + longPath.substr(1), true, "http", "", "", "h", 80, longPath},
        {"http://" + longUser + ":" + longUser + "@h/", true, "http", longUser, longUser, "h", 80,
         "/"},
        {"http://" + longUser + "u@h/", false},
        {"http://u:" + longUser + "p@h/", false},
        // malformed
        {"", false},
        {"   ", false},
        {"host/path", false},
        {"127.0.0.1:8080/x", false},
        {"http://", false},
        {"http:///path", false},
        {"http:host/x", false},
        {"://host/", false},
        {"1http://host/", false},
        {"http://user@/x", false},
        {"http://host:99999/", false},
        {"http://host:0/", false},
        {"http://host:8o/", false},
        {"http://[::1/", false},
        {"http://[::1]x/", false},
        {std::string("\xff\x00\x01http://h/", 9), false},
        {"http://a:1:80/", false},
        {"http://user:pa://user:pass@h", false},
        // an address ends at its first zero byte, as the URL handed on does
        {std::string("http://a\0evil:8080/x", 20), true, "http", "", "", "a", 80, ""},
        {std::string("http://h/x?q\0#y", 16), true, "http", "", "", "h", 80, "/x?q"},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.address.substr(0, 80));
        auto a = parseAddress(c.address);
        ASSERT_EQ(a.has_value(), c.parses);
        if (!a)
            continue;
        EXPECT_EQ(a->scheme, c.scheme);
        EXPECT_EQ(a->user, c.user);
        EXPECT_EQ(a->password, c.password);
        EXPECT_EQ(a->host, c.host);
        EXPECT_EQ(a->port, c.port);
        EXPECT_EQ(a->path, c.path);
    }
}

TEST(RequestTarget, CutsFragmentAndEncodesUnsafeBytes) {
    const struct {
        std::string path, target;
    } cases[] = {
        {"", "/"},
        {"#frag", "/"},
        {"/b.html?x=1#part", "/b.html?x=1"},
        {"?q=1", "/?q=1"},
        {"/a#b#c", "/a"},
        // blank, control and high bytes become %XX, alike in path and query
        {"/a b?c d", "/a%20b?c%20d"},
        {"/\xc4\xe3?\xc4\xe3=\xff", "/%C4%E3?%C4%E3=%FF"},
        {std::string("/\t\x7f\x01?\x00", 6), "/%09%7F%01?%00"},
        // everything else as it stands, existing escapes included
        {"/%41%zz/~!$&'()*+,;=:@?a=%20&b[]=|^`{}\\\"<>",
         "/%41%zz/~!$&'()*+,;=:@?a=%20&b[]=|^`{}\\\"<>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(requestTarget(c.path), c.target);
    }
}

TEST(RequestUrl, NamesThePortOnlyWhenNotTheDefault) {
    const struct {
        std::string address, url;
    } cases[] = {
        {"http://host", "http://host/"},
        {"http://host:80/a", "http://host/a"},
        {"http://host:443/a", "http://host:443/a"},
        {"https://host:443/a", "https://host/a"},
        {"HTTPS://u:p@Host:8443/a/../b c?x#f", "https://Host:8443/b%20c?x"},
        {"http://[::1]:8080", "http://[::1]:8080/"},
        {"ftp://h/x", "ftp://h/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        auto a = parseAddress(c.address);
        ASSERT_TRUE(a);
        EXPECT_EQ(requestUrl(*a), c.url);
    }
}

}  // namespace
}  // namespace tq::check
