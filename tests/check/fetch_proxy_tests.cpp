#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "check/fetch.h"
#include "httpserver.h"

namespace tq::check {
namespace {

using test::Action;
using test::HttpServer;
using test::Request;
using test::ScopedEnv;

// The process's proxy comes from the environment. The variables are set before the proxy's own
// threads start and restored after they have ended.
TEST(FetchProxy, RequestsGoThroughTheProxyTheEnvironmentNames) {
    ScopedEnv noProxy("no_proxy", std::nullopt), noProxyUpper("NO_PROXY", std::nullopt),
        allProxy("all_proxy", std::nullopt), allProxyUpper("ALL_PROXY", std::nullopt);
    std::optional<ScopedEnv> httpProxy;
    {
        // The port is known only once the proxy listens; its threads never read the environment.
        HttpServer proxy(
            [](const Request&) { return Action::reply(test::response(200, "via proxy")); });
        httpProxy.emplace("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));

        Fetcher fetcher;
        // The name does not resolve: only the proxy can have answered.
        EXPECT_EQ(fetcher.fetch("http://origin.invalid/a/../page?x=1#frag"), "via proxy");
        ASSERT_EQ(proxy.requests().size(), 1u);
        const Request r = proxy.requests()[0];
        EXPECT_EQ(r.method + " " + r.target + " " + r.version,
                  "GET http://origin.invalid/page?x=1 HTTP/1.0");
        EXPECT_EQ(r.header("Host"), "origin.invalid");
        EXPECT_EQ(r.all("Accept"), std::vector<std::string>{"*/*"});
    }
}

}  // namespace
}  // namespace tq::check
