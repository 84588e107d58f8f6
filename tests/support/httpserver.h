#pragma once
// A small scriptable HTTP/HTTPS server for tests, listening on 127.0.0.1 on an ephemeral port.
//
//   tq::test::HttpServer server([](const tq::test::Request& r) {
//       return tq::test::Action::reply(tq::test::response(200, "hello"));
//   });
//   fetcher.fetch(server.url("/page"));
//   EXPECT_EQ(server.requests().at(0).target, "/page");
//
// Every connection runs on its own thread: it reads one request (request line and headers; a
// request body is not read), asks the handler what to do, does it, and ends. The handler may be
// called from several threads at once. Every request is recorded, in arrival order. When the
// handler sees an absolute-form target ("GET http://host/x HTTP/1.0") the server is being used
// as an HTTP proxy; it answers whatever the handler says.
//
// The destructor stops the server: it closes the listening socket, wakes connections that are
// holding, and joins every thread. No loop in the server waits without bound.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace tq::test {

// One request as received.
struct Request {
    std::string raw;  // request line and headers, up to and including the blank line
    std::string method;
    std::string target;  // as on the request line: origin form, or absolute form via a proxy
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed
    std::string alpn;  // TLS only: the protocols the client offered in ALPN, comma-separated

    // Values of every header with this name (case-insensitive), in order.
    std::vector<std::string> all(std::string_view name) const;
    // The first value of the header, or nullopt when there is none.
    std::optional<std::string> header(std::string_view name) const;
};

// What the server does with a connection once it has read the request.
struct Action {
    enum class Then {
        Close,  // close the connection normally
        Reset,  // abort it: the peer sees a connection reset
        Hold,   // keep it open and silent until the server stops
    };
    std::string bytes;  // written first, exactly as they stand
    Then then = Then::Close;

    static Action reply(std::string bytes) { return {std::move(bytes), Then::Close}; }
    static Action replyThenReset(std::string bytes) { return {std::move(bytes), Then::Reset}; }
    static Action replyThenHold(std::string bytes) { return {std::move(bytes), Then::Hold}; }
    static Action hold() { return {{}, Then::Hold}; }
};

// "HTTP/1.0 <status> <reason>\r\n", the extra header lines (each without CR LF),
// "Content-Length" unless withLength is false, a blank line and the body.
std::string response(int status, std::string_view body, std::vector<std::string> extraHeaders = {},
                     bool withLength = true);

// A test CA and certificates it signed, written as PEM files into a fresh temporary folder that
// the destructor removes.
class TestPki {
public:
    struct KeyPair {
        std::string certFile;
        std::string keyFile;
    };

    TestPki();
    ~TestPki();
    TestPki(const TestPki&) = delete;
    TestPki& operator=(const TestPki&) = delete;

    const std::string& caFile() const { return caFile_; }  // trust this one
    const KeyPair& server() const { return server_; }  // signed by the CA for 127.0.0.1, localhost
    const KeyPair& wrongName() const { return wrongName_; }    // signed by the CA for another name
    const KeyPair& selfSigned() const { return selfSigned_; }  // not signed by the CA
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::string caFile_;
    KeyPair server_, wrongName_, selfSigned_;
};

class HttpServer {
public:
    using Handler = std::function<Action(const Request&)>;

    // Plain HTTP.
    explicit HttpServer(Handler handler);
    // HTTPS with this certificate and key.
    HttpServer(Handler handler, const TestPki::KeyPair& tls);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" (or https) followed by the path.
    std::string url(std::string_view path = "/") const;
    // The same with another host name, e.g. "localhost", for tests that need a second host.
    std::string url(std::string_view host, std::string_view path) const;

    std::vector<Request> requests() const;
    // Connections accepted so far, including those that never sent a request.
    std::size_t connections() const { return connections_.load(); }

private:
    void start(Handler handler, const TestPki::KeyPair* tls);
    void acceptLoop();
    void serve(int fd);
    void reap(bool all);

    Handler handler_;
    void* sslCtx_ = nullptr;  // SSL_CTX*, kept opaque so tests need no OpenSSL headers
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> connections_{0};

    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    std::vector<Request> requests_;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Worker> workers_;
    std::thread acceptor_;
};

// Sets an environment variable for the lifetime of the object and then restores the old value
// (or its absence). Only for use while no other thread of the test reads the environment.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Unsets the proxy variables, so requests to 127.0.0.1 go there directly and not through a
// proxy named by the caller's environment. Call it before any thread exists.
void clearProxyEnvironment();

}  // namespace tq::test
