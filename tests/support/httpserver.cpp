#include "httpserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace tq::test {
namespace {

using Clock = std::chrono::steady_clock;
// No single read or write of a connection waits longer than this, whatever the peer does.
constexpr auto kIoLimit = std::chrono::seconds(20);
constexpr std::size_t kMaxRequest = 64 * 1024;

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

Request parseRequest(std::string raw) {
    Request r;
    r.raw = std::move(raw);
    std::string_view rest = r.raw;
    bool first = true;
    while (!rest.empty()) {
        std::size_t eol = rest.find("\r\n");
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 2);
        if (line.empty())
            break;
        if (first) {
            first = false;
            std::size_t a = line.find(' ');
            std::size_t b = line.rfind(' ');
            r.method = std::string(line.substr(0, a));
            if (a != std::string_view::npos && b > a) {
                r.target = std::string(line.substr(a + 1, b - a - 1));
                r.version = std::string(line.substr(b + 1));
            }
            continue;
        }
        std::size_t colon = line.find(':');
        r.headers.emplace_back(std::string(trim(line.substr(0, colon))),
                               colon == std::string_view::npos
                                   ? std::string()
                                   : std::string(trim(line.substr(colon + 1))));
    }
    return r;
}

const char* reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

// ---- certificates ----

struct KeyDeleter {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertDeleter {
    void operator()(X509* x) const { X509_free(x); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using CertPtr = std::unique_ptr<X509, CertDeleter>;

void check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("test PKI: ") + what);
}

void addExt(X509* cert, X509V3_CTX* ctx, int nid, const char* value) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, ctx, nid, value);
    check(ext != nullptr, "extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

// issuer/issuerKey null: self-signed.
CertPtr makeCert(EVP_PKEY* key, const char* commonName, const char* altNames, bool isCa,
                 X509* issuer, EVP_PKEY* issuerKey) {
    static std::atomic<long> serial{1000};
    CertPtr cert(X509_new());
    X509* x = cert.get();
    check(x && X509_set_version(x, 2), "certificate");
    ASN1_INTEGER_set(X509_get_serialNumber(x), serial++);
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x), 30L * 24 * 3600);
    X509_set_pubkey(x, key);
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(x, issuer ? X509_get_subject_name(issuer) : name);
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer ? issuer : x, x, nullptr, nullptr, 0);
    addExt(x, &ctx, NID_basic_constraints, isCa ? "critical,CA:TRUE" : "critical,CA:FALSE");
    addExt(x, &ctx, NID_key_usage,
           isCa ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature,keyEncipherment");
    addExt(x, &ctx, NID_subject_key_identifier, "hash");
    if (!isCa)
        addExt(x, &ctx, NID_ext_key_usage, "serverAuth");
    if (altNames)
        addExt(x, &ctx, NID_subject_alt_name, altNames);
    check(X509_sign(x, issuerKey ? issuerKey : key, EVP_sha256()) > 0, "sign");
    return cert;
}

void writePem(const std::string& path, X509* cert, EVP_PKEY* key) {
    FILE* f = std::fopen(path.c_str(), "w");
    check(f != nullptr, "open PEM file");
    bool ok = cert ? PEM_write_X509(f, cert)
                   : PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(f);
    check(ok, "write PEM");
}

// ---- connection I/O ----

struct Io {
    int fd;
    SSL* ssl;
    const std::atomic<bool>& stopping;

    // Waits for the socket; false when the server stops or the deadline passes.
    bool wait(short events, Clock::time_point deadline) {
        while (!stopping && Clock::now() < deadline) {
            pollfd p{fd, events, 0};
            int n = ::poll(&p, 1, 50);
            if (n > 0)
                return true;
            if (n < 0 && errno != EINTR)
                return false;
        }
        return false;
    }

    // Retries an SSL call until it completes; returns its final result.
    template <class F>
    int sslRetry(F op, Clock::time_point deadline) {
        while (true) {
            int n = op();
            if (n > 0)
                return n;
            int err = SSL_get_error(ssl, n);
            if (err == SSL_ERROR_WANT_READ) {
                if (!wait(POLLIN, deadline))
                    return -1;
            } else if (err == SSL_ERROR_WANT_WRITE) {
                if (!wait(POLLOUT, deadline))
                    return -1;
            } else {
                return n;
            }
        }
    }

    bool handshake() {
        return sslRetry([&] { return SSL_accept(ssl); }, Clock::now() + kIoLimit) == 1;
    }

    // Bytes read, 0 at the end of the stream, -1 on failure.
    long read(char* buf, std::size_t size) {
        auto deadline = Clock::now() + kIoLimit;
        if (ssl)
            return sslRetry([&] { return SSL_read(ssl, buf, static_cast<int>(size)); }, deadline);
        while (wait(POLLIN, deadline)) {
            ssize_t n = ::recv(fd, buf, size, 0);
            if (n >= 0)
                return n;
            if (errno != EAGAIN && errno != EINTR)
                return -1;
        }
        return -1;
    }

    bool writeAll(std::string_view data) {
        auto deadline = Clock::now() + kIoLimit;
        while (!data.empty()) {
            long n;
            if (ssl) {
                n = sslRetry(
                    [&] { return SSL_write(ssl, data.data(), static_cast<int>(data.size())); },
                    deadline);
            } else {
                if (!wait(POLLOUT, deadline))
                    return false;
                n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
                if (n < 0 && (errno == EAGAIN || errno == EINTR))
                    continue;
            }
            if (n <= 0)
                return false;
            data.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }
};

// Notes what the client offered and selects nothing, so the handshake goes on without ALPN.
int recordAlpn(SSL* ssl, const unsigned char**, unsigned char*, const unsigned char* in,
               unsigned int inlen, void*) {
    auto* offered = static_cast<std::string*>(SSL_get_app_data(ssl));
    for (unsigned int i = 0; i < inlen;) {
        unsigned int len = in[i++];
        if (!offered->empty())
            *offered += ',';
        offered->append(reinterpret_cast<const char*>(in + i), std::min(len, inlen - i));
        i += len;
    }
    return SSL_TLSEXT_ERR_NOACK;
}

}  // namespace

// ---- Request ----

std::vector<std::string> Request::all(std::string_view name) const {
    std::vector<std::string> values;
    for (const auto& [k, v] : headers)
        if (iequals(k, name))
            values.push_back(v);
    return values;
}

std::optional<std::string> Request::header(std::string_view name) const {
    for (const auto& [k, v] : headers)
        if (iequals(k, name))
            return v;
    return std::nullopt;
}

std::string response(int status, std::string_view body, std::vector<std::string> extraHeaders,
                     bool withLength) {
    std::string r = "HTTP/1.0 " + std::to_string(status) + " " + reason(status) + "\r\n";
    for (const auto& h : extraHeaders)
        r += h + "\r\n";
    if (withLength)
        r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    r += "\r\n";
    r += body;
    return r;
}

// ---- TestPki ----

TestPki::TestPki() {
    char tmpl[] = "/tmp/tq-pki-XXXXXX";
    check(::mkdtemp(tmpl) != nullptr, "temporary folder");
    dir_ = tmpl;
    auto file = [&](const char* name) { return (dir_ / name).string(); };

    KeyPtr caKey(EVP_EC_gen("P-256"));
    check(caKey != nullptr, "key");
    CertPtr ca = makeCert(caKey.get(), "TQ Test CA", nullptr, true, nullptr, nullptr);
    caFile_ = file("ca.pem");
    writePem(caFile_, ca.get(), nullptr);

    auto issue = [&](KeyPair& out, const char* stem, const char* cn, const char* alt,
                     bool signedByCa) {
        KeyPtr key(EVP_EC_gen("P-256"));
        check(key != nullptr, "key");
        CertPtr cert = signedByCa ? makeCert(key.get(), cn, alt, false, ca.get(), caKey.get())
                                  : makeCert(key.get(), cn, alt, false, nullptr, nullptr);
        out.certFile = file((std::string(stem) + ".pem").c_str());
        out.keyFile = file((std::string(stem) + ".key").c_str());
        writePem(out.certFile, cert.get(), nullptr);
        writePem(out.keyFile, nullptr, key.get());
    };
    issue(server_, "server", "127.0.0.1", "IP:127.0.0.1,DNS:localhost", true);
    issue(wrongName_, "wrongname", "elsewhere.invalid", "DNS:elsewhere.invalid", true);
    issue(selfSigned_, "selfsigned", "127.0.0.1", "IP:127.0.0.1,DNS:localhost", false);
}

TestPki::~TestPki() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

// ---- HttpServer ----

HttpServer::HttpServer(Handler handler) {
    start(std::move(handler), nullptr);
}

HttpServer::HttpServer(Handler handler, const TestPki::KeyPair& tls) {
    start(std::move(handler), &tls);
}

void HttpServer::start(Handler handler, const TestPki::KeyPair* tls) {
    // A client that hangs up while we write must not end the test process.
    std::signal(SIGPIPE, SIG_IGN);
    handler_ = std::move(handler);
    if (tls) {
        SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
        check(ctx != nullptr, "SSL context");
        sslCtx_ = ctx;
        check(SSL_CTX_use_certificate_file(ctx, tls->certFile.c_str(), SSL_FILETYPE_PEM) == 1 &&
                  SSL_CTX_use_PrivateKey_file(ctx, tls->keyFile.c_str(), SSL_FILETYPE_PEM) == 1,
              "server certificate");
        SSL_CTX_set_alpn_select_cb(ctx, recordAlpn, nullptr);
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    check(listenFd_ >= 0, "socket");
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    check(::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0, "bind");
    check(::listen(listenFd_, 128) == 0, "listen");
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

HttpServer::~HttpServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    if (acceptor_.joinable())
        acceptor_.join();
    reap(true);
    if (listenFd_ >= 0)
        ::close(listenFd_);
    if (sslCtx_)
        SSL_CTX_free(static_cast<SSL_CTX*>(sslCtx_));
}

std::string HttpServer::url(std::string_view path) const {
    return url("127.0.0.1", path);
}

std::string HttpServer::url(std::string_view host, std::string_view path) const {
    return std::string(sslCtx_ ? "https://" : "http://") + std::string(host) + ":" +
           std::to_string(port_) + std::string(path);
}

std::vector<Request> HttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void HttpServer::acceptLoop() {
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0) {
                ++connections_;
                auto done = std::make_shared<std::atomic<bool>>(false);
                std::lock_guard lock(mutex_);
                workers_.push_back({std::thread([this, fd, done] {
                                        serve(fd);
                                        *done = true;
                                    }),
                                    done});
            }
        }
        reap(false);
    }
}

void HttpServer::reap(bool all) {
    std::list<Worker> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            if (all || *it->done) {
                auto next = std::next(it);
                finished.splice(finished.end(), workers_, it);
                it = next;
            } else {
                ++it;
            }
        }
    }
    for (auto& w : finished)
        w.thread.join();
}

void HttpServer::serve(int fd) {
    SSL* ssl = nullptr;
    std::string alpn;
    if (sslCtx_) {
        ssl = SSL_new(static_cast<SSL_CTX*>(sslCtx_));
        SSL_set_app_data(ssl, &alpn);
        SSL_set_fd(ssl, fd);
    }
    Io io{fd, ssl, stopping_};
    bool clean = false;  // whether the TLS session may be shut down politely
    if (!ssl || io.handshake()) {
        std::string raw;
        char buf[4096];
        std::size_t end = std::string::npos;
        while (raw.size() < kMaxRequest) {
            long n = io.read(buf, sizeof buf);
            if (n <= 0)
                break;
            raw.append(buf, static_cast<std::size_t>(n));
            if ((end = raw.find("\r\n\r\n")) != std::string::npos)
                break;
        }
        if (end != std::string::npos) {
            Request request = parseRequest(raw.substr(0, end + 4));
            request.alpn = alpn;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            Action action = handler_(request);
            bool written = io.writeAll(action.bytes);
            switch (action.then) {
                case Action::Then::Close:
                    clean = written;
                    break;
                case Action::Then::Reset: {
                    // A reset may throw away bytes the peer has received but not yet read, so
                    // let them reach it and give it a moment to read them first.
                    auto deadline = Clock::now() + std::chrono::seconds(2);
                    for (int queued = 1; queued > 0 && Clock::now() < deadline && !stopping_;) {
                        if (::ioctl(fd, SIOCOUTQ, &queued) != 0)
                            break;
                        if (queued > 0)
                            std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(250));
                    linger l{1, 0};
                    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
                    break;
                }
                case Action::Then::Hold: {
                    std::unique_lock lock(mutex_);
                    stopped_.wait(lock, [&] { return stopping_.load(); });
                    break;
                }
            }
        }
    }
    if (clean) {
        if (ssl)
            SSL_shutdown(ssl);
        // Half-close and let the peer read to the end: closing with unread input would send a
        // reset that can throw away bytes the peer has not read yet.
        ::shutdown(fd, SHUT_WR);
        char sink[1024];
        auto deadline = Clock::now() + std::chrono::seconds(2);
        while (io.wait(POLLIN, deadline) && ::recv(fd, sink, sizeof sink, 0) > 0) {
        }
    }
    if (ssl)
        SSL_free(ssl);
    ::close(fd);
}

// ---- ScopedEnv ----

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name))
        old_ = old;
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (old_)
        ::setenv(name_.c_str(), old_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

void clearProxyEnvironment() {
    for (const char* v : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        ::unsetenv(v);
}

}  // namespace tq::test
