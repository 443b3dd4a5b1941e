#pragma once
// MetricsServer: the exporter's HTTP server. One thread serves every connection with poll(), so a
// slow or idle client costs one socket and never holds up another client's scrape.
//
// - GET and HEAD of exactly /metrics (a query string is allowed): 200 with the page (HEAD: the same
//   headers, no body); of / a small HTML page linking /metrics. Any other path: 404; another method
//   on either: 405; a request line that is
//   not HTTP/1.x: 400.
// - A request's head must arrive within Limits::headTimeout and fit Limits::maxHead bytes; otherwise
//   the connection is closed (431 for a head too large). An answer the client does not take within
//   Limits::writeTimeout is dropped.
// - At most Limits::perClient open connections per client address and Limits::total in all; a
//   connection past either is answered 503 and closed at once.
// - Every answer closes its connection (Connection: close).
//
// Threads: listen, then serve on one thread; the page function runs on the serving thread.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace yatctl {

// Where the server listens: a numeric IPv4 address or a bracketed IPv6 one, and a port (0: any free
// port).
struct ListenAddress {
    std::string host;
    uint16_t port = 0;
    bool v6 = false;
};

// Parses ADDRESS:PORT ("127.0.0.1:9464", "[::1]:9464"). UsageError naming what is wrong: a missing
// port, a port outside 0-65535, an address that is not a numeric IPv4 or IPv6 address.
ListenAddress parseListenAddress(const std::string& text);

class MetricsServer {
public:
    struct Limits {
        std::chrono::milliseconds headTimeout{5000};
        std::chrono::milliseconds writeTimeout{10000};
        size_t perClient = 32;
        size_t total = 256;
        size_t maxHead = 8192;
    };
    // The page, in the Prometheus text format; called once per GET or HEAD of /metrics.
    using Page = std::function<std::string()>;

    explicit MetricsServer(Page page) : MetricsServer(std::move(page), Limits{}) {}
    MetricsServer(Page page, Limits limits);
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Binds and listens. Throws std::runtime_error with the system's reason (port in use, address
    // not on this machine).
    void listen(const ListenAddress& address);
    // The port listened on (the one chosen for port 0).
    uint16_t port() const;
    // Serves until stopFd turns readable (a byte written to a pipe, or its write end closed); closes
    // every connection before it returns.
    void serve(int stopFd);

private:
    Page page_;
    Limits limits_;
    int listenFd_ = -1;
};

}  // namespace yatctl
