// The exporter's HTTP server over loopback: what each request gets, slow and idle clients that cannot
// hold up a scrape, the per-client connection cap, and the limits on a request's head.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "yatctl/metrics_server.h"
#include "yatctl/session.h"

namespace {

using yatctl::MetricsServer;

constexpr const char* kPage = "yat_up{node=\"0\"} 1\n";

// A server on a free loopback port, serving on its own thread until destroyed.
class RunningServer {
public:
    explicit RunningServer(MetricsServer::Limits limits = {})
        : server_(
              [this] {
                  ++pages_;
                  return std::string(kPage);
              },
              limits) {
        server_.listen(yatctl::parseListenAddress("127.0.0.1:0"));
        if (pipe(stop_) != 0) throw std::runtime_error("pipe");
        thread_ = std::thread([this] { server_.serve(stop_[0]); });
    }
    ~RunningServer() {
        close(stop_[1]);  // a closed write end wakes the server
        thread_.join();
        close(stop_[0]);
    }
    uint16_t port() const { return server_.port(); }
    int pages() const { return pages_.load(); }

private:
    std::atomic<int> pages_{0};
    MetricsServer server_;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

// A connected client socket; reads give up after 10 s, so a test that fails cannot hang.
int connectTo(uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Everything the server sends until it closes.
std::string readAll(int fd) {
    std::string answer;
    char buffer[4096];
    for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<size_t>(got));
    return answer;
}

std::string exchange(uint16_t port, const std::string& request) {
    int fd = connectTo(port);
    if (fd < 0) return "no connection";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer = readAll(fd);
    close(fd);
    return answer;
}

std::string body(const std::string& answer) {
    size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

struct RequestCase {
    const char* name;
    std::string request;
    std::string status;  // the start of the answer
    bool page;           // the answer carries the page
};

class MetricsRequests : public ::testing::TestWithParam<RequestCase> {};

TEST_P(MetricsRequests, GetTheirAnswer) {
    RunningServer server;
    std::string answer = exchange(server.port(), GetParam().request);
    EXPECT_EQ(answer.substr(0, GetParam().status.size()), GetParam().status) << answer;
    EXPECT_EQ(body(answer) == kPage, GetParam().page) << answer;
    EXPECT_NE(answer.find("Connection: close\r\n"), std::string::npos) << answer;
}

INSTANTIATE_TEST_SUITE_P(
    Http, MetricsRequests,
    ::testing::Values(RequestCase{"Get", "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 200 OK", true},
                      RequestCase{"GetHttp10BareLineEnds", "GET /metrics HTTP/1.0\n\n", "HTTP/1.1 200 OK", true},
                      RequestCase{"GetWithQuery", "GET /metrics?name[]=x HTTP/1.1\r\n\r\n", "HTTP/1.1 200 OK", true},
                      RequestCase{"Head", "HEAD /metrics HTTP/1.1\r\n\r\n",
                                  "HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"
                                  "Content-Length: 19\r\n",
                                  false},
                      RequestCase{"LongerPath", "GET /metricsX HTTP/1.1\r\n\r\n", "HTTP/1.1 404 ", false},
                      RequestCase{"UpperCase", "GET /METRICS HTTP/1.1\r\n\r\n", "HTTP/1.1 404 ", false},
                      RequestCase{"DoubleSlash", "GET //metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 404 ", false},
                      RequestCase{"DotSegment", "GET /../metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 404 ", false},
                      RequestCase{"TrailingSlash", "GET /metrics/ HTTP/1.1\r\n\r\n", "HTTP/1.1 404 ", false},
                      RequestCase{"RootLinksTheMetrics", "GET / HTTP/1.1\r\n\r\n",
                                  "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n", false},
                      RequestCase{"RootOnly", "GET /index.html HTTP/1.1\r\n\r\n", "HTTP/1.1 404 ", false},
                      RequestCase{"Post", "POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n",
                                  "HTTP/1.1 405 Method Not Allowed\r\n", false},
                      RequestCase{"NotHttp", "GET /metrics\r\n\r\n", "HTTP/1.1 400 ", false},
                      RequestCase{"HeadTooLarge", "GET /metrics HTTP/1.1\r\nX: " + std::string(9000, 'a') + "\r\n\r\n",
                                  "HTTP/1.1 431 ", false}),
    [](const ::testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

// Ten clients that never finish their request and ten that send nothing hold their connections
// while a hundred scrapes are answered, one after the other.
TEST(MetricsServer, ScrapesAreAnsweredWhileSlowClientsHoldConnections) {
    RunningServer server;
    std::vector<int> held;
    for (int i = 0; i < 20; ++i) {
        int fd = connectTo(server.port());
        ASSERT_GE(fd, 0);
        if (i % 2 == 0) send(fd, "GET /metr", 9, MSG_NOSIGNAL);
        held.push_back(fd);
    }
    for (int i = 0; i < 100; ++i) {
        std::string answer = exchange(server.port(), "GET /metrics HTTP/1.1\r\n\r\n");
        ASSERT_EQ(body(answer), kPage) << "scrape " << i << ": " << answer;
    }
    EXPECT_EQ(server.pages(), 100);
    for (int fd : held) close(fd);
}

// One client past its share of connections is answered 503 at once; once it lets go, it is served.
TEST(MetricsServer, ConnectionsPastTheClientsCapAreRefused) {
    MetricsServer::Limits limits;
    limits.perClient = 4;
    RunningServer server(limits);
    std::vector<int> held;
    for (int i = 0; i < 4; ++i) held.push_back(connectTo(server.port()));
    int extra = connectTo(server.port());
    ASSERT_GE(extra, 0);
    EXPECT_EQ(readAll(extra).substr(0, 13), "HTTP/1.1 503 ");
    close(extra);
    for (int fd : held) close(fd);
    // The server sees the closes on its next turn: a refused scrape is tried again.
    std::string answer;
    for (int attempt = 0; attempt < 1000 && body(answer) != kPage; ++attempt) {
        answer = exchange(server.port(), "GET /metrics HTTP/1.1\r\n\r\n");
    }
    EXPECT_EQ(body(answer), kPage);
}

// A client that does not send its request's head in time is disconnected.
TEST(MetricsServer, IdleConnectionIsClosedAfterTheHeadTimeout) {
    MetricsServer::Limits limits;
    limits.headTimeout = std::chrono::milliseconds(20);
    RunningServer server(limits);
    int fd = connectTo(server.port());
    ASSERT_GE(fd, 0);
    send(fd, "GET /met", 8, MSG_NOSIGNAL);
    char byte;
    EXPECT_EQ(recv(fd, &byte, 1, 0), 0);  // closed by the server, well before the client's 10 s limit
    close(fd);
}

struct ListenCase {
    const char* text;
    const char* host;  // nullptr: refused
    uint16_t port;
    bool v6;
};

class ListenAddresses : public ::testing::TestWithParam<ListenCase> {};

TEST_P(ListenAddresses, ParseOrAreRefused) {
    const ListenCase& c = GetParam();
    if (c.host == nullptr) {
        EXPECT_THROW(yatctl::parseListenAddress(c.text), yatctl::UsageError) << c.text;
        return;
    }
    yatctl::ListenAddress address = yatctl::parseListenAddress(c.text);
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.port, c.port);
    EXPECT_EQ(address.v6, c.v6);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ListenAddresses,
    ::testing::Values(ListenCase{"127.0.0.1:9464", "127.0.0.1", 9464, false},
                      ListenCase{"0.0.0.0:0", "0.0.0.0", 0, false}, ListenCase{"[::1]:65535", "::1", 65535, true},
                      ListenCase{"999.1.1.1:19488", nullptr, 0, false}, ListenCase{"localhost:80", nullptr, 0, false},
                      ListenCase{"127.0.0.1", nullptr, 0, false}, ListenCase{"127.0.0.1:65536", nullptr, 0, false},
                      ListenCase{"127.0.0.1:-1", nullptr, 0, false}, ListenCase{"::1:80", nullptr, 0, false},
                      ListenCase{"[]:80", nullptr, 0, false}));

}  // namespace
