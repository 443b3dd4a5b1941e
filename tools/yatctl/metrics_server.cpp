#include "yatctl/metrics_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <list>
#include <map>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "yatctl/session.h"

namespace yatctl {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPath = "/metrics";
constexpr const char* kContentType = "text/plain; version=0.0.4; charset=utf-8";
constexpr const char* kHtmlType = "text/html; charset=utf-8";
// The page at /: what a person who opens the exporter's address in a browser sees.
constexpr const char* kIndex =
    "<!DOCTYPE html>\n<html><head><title>yatctl exporter</title></head>\n"
    "<body><h1>yatctl exporter</h1><p><a href=\"/metrics\">Metrics</a></p></body></html>\n";
// After too many open files, how long accepting waits before it tries again.
constexpr auto kAcceptPause = std::chrono::milliseconds(100);

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string answer(int status, const char* reason, const std::string& body, bool withBody,
                   const char* extraHeader = nullptr, const char* type = nullptr) {
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    if (type == nullptr) type = status == 200 ? kContentType : "text/plain; charset=utf-8";
    text += std::string("Content-Type: ") + type + "\r\n";
    text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    if (extraHeader != nullptr) text += std::string(extraHeader) + "\r\n";
    text += "Connection: close\r\n\r\n";
    if (withBody) text += body;
    return text;
}

std::string plain(int status, const char* reason, bool withBody = true, const char* extraHeader = nullptr) {
    return answer(status, reason, std::string(reason) + "\n", withBody, extraHeader);
}

// One client connection: reading its request head, then writing the answer.
struct Connection {
    int fd = -1;
    std::string client;  // the peer's address, for the per-client count
    std::string in;
    std::string out;
    size_t sent = 0;
    bool writing = false;
    Clock::time_point deadline;
};

// The end of the request head in text ("\r\n\r\n" or a bare "\n\n"), or npos.
size_t headEnd(const std::string& text) {
    size_t crlf = text.find("\r\n\r\n");
    size_t lf = text.find("\n\n");
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) return crlf + 4;
    return lf != std::string::npos ? lf + 2 : std::string::npos;
}

// The address part of a peer, as text.
std::string peerAddress(const sockaddr_storage& peer) {
    char text[INET6_ADDRSTRLEN] = {};
    if (peer.ss_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(peer).sin_addr, text, sizeof text);
    } else if (peer.ss_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(peer).sin6_addr, text, sizeof text);
    }
    return text;
}

}  // namespace

ListenAddress parseListenAddress(const std::string& text) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        throw UsageError("--listen wants ADDRESS:PORT, got \"" + text + "\"");
    }
    std::string port = text.substr(colon + 1);
    if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(port) > 65535) {
        throw UsageError("--listen: bad port \"" + port + "\"");
    }
    ListenAddress address;
    address.port = static_cast<uint16_t>(std::stoi(port));
    address.host = text.substr(0, colon);
    if (address.host.size() > 2 && address.host.front() == '[' && address.host.back() == ']') {
        address.host = address.host.substr(1, address.host.size() - 2);
        address.v6 = true;
    }
    unsigned char probe[sizeof(in6_addr)];
    if (inet_pton(address.v6 ? AF_INET6 : AF_INET, address.host.c_str(), probe) != 1) {
        throw UsageError("--listen: \"" + text.substr(0, colon) +
                         "\" is not a numeric IPv4 address or a [bracketed] "
                         "IPv6 address");
    }
    return address;
}

MetricsServer::MetricsServer(Page page, Limits limits) : page_(std::move(page)), limits_(limits) {}

MetricsServer::~MetricsServer() {
    if (listenFd_ >= 0) close(listenFd_);
}

void MetricsServer::listen(const ListenAddress& address) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (address.v6) {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(storage);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(address.port);
        inet_pton(AF_INET6, address.host.c_str(), &v6.sin6_addr);
        length = sizeof v6;
    } else {
        auto& v4 = reinterpret_cast<sockaddr_in&>(storage);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(address.port);
        inet_pton(AF_INET, address.host.c_str(), &v4.sin_addr);
        length = sizeof v4;
    }
    int fd = socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error(systemError("socket"));
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || ::listen(fd, 128) != 0) {
        std::string reason = std::strerror(errno);
        close(fd);
        throw std::runtime_error(reason);
    }
    listenFd_ = fd;
}

uint16_t MetricsServer::port() const {
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (listenFd_ < 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
    return ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                             : reinterpret_cast<sockaddr_in&>(bound).sin_port);
}

void MetricsServer::serve(int stopFd) {
    std::list<Connection> connections;
    std::map<std::string, size_t> perClient;
    Clock::time_point acceptPausedUntil{};

    auto drop = [&](std::list<Connection>::iterator it) {
        close(it->fd);
        if (--perClient[it->client] == 0) perClient.erase(it->client);
        return connections.erase(it);
    };
    auto startAnswer = [&](Connection& c, std::string text) {
        c.out = std::move(text);
        c.sent = 0;
        c.writing = true;
        c.in.clear();
        c.deadline = Clock::now() + limits_.writeTimeout;
    };
    auto respond = [&](Connection& c) {
        size_t end = headEnd(c.in);
        std::string_view head(c.in.data(), end);
        std::string_view line = head.substr(0, head.find_first_of("\r\n"));
        size_t first = line.find(' ');
        size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
        if (second == std::string_view::npos || line.find(' ', second + 1) != std::string_view::npos ||
            line.substr(second + 1).substr(0, 7) != "HTTP/1.") {
            return startAnswer(c, plain(400, "Bad Request"));
        }
        std::string_view method = line.substr(0, first);
        std::string_view target = line.substr(first + 1, second - first - 1);
        std::string_view path = target.substr(0, target.find('?'));
        if (path != kPath && path != "/") return startAnswer(c, plain(404, "Not Found", method != "HEAD"));
        if (method != "GET" && method != "HEAD") {
            return startAnswer(c, plain(405, "Method Not Allowed", true, "Allow: GET, HEAD"));
        }
        if (path == "/") return startAnswer(c, answer(200, "OK", kIndex, method == "GET", nullptr, kHtmlType));
        startAnswer(c, answer(200, "OK", page_(), method == "GET"));
    };
    auto accept = [&] {
        for (;;) {
            sockaddr_storage peer{};
            socklen_t length = sizeof peer;
            int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) continue;
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    acceptPausedUntil = Clock::now() + kAcceptPause;  // no spinning on a full table
                }
                return;
            }
            std::string client = peerAddress(peer);
            if (connections.size() >= limits_.total || perClient[client] >= limits_.perClient) {
                std::string busy = plain(503, "Service Unavailable");
                [[maybe_unused]] ssize_t ignored = send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
                close(fd);
                if (perClient[client] == 0) perClient.erase(client);
                continue;
            }
            ++perClient[client];
            Connection c;
            c.fd = fd;
            c.client = client;
            c.deadline = Clock::now() + limits_.headTimeout;
            connections.push_back(std::move(c));
        }
    };
    // Reads what the client sent; false when the connection is to be closed.
    auto receive = [&](Connection& c) {
        char buffer[4096];
        for (;;) {
            ssize_t got = recv(c.fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
            if (got == 0) return false;  // the client went away before its request was whole
            c.in.append(buffer, static_cast<size_t>(got));
            if (headEnd(c.in) != std::string::npos && headEnd(c.in) <= limits_.maxHead) {
                respond(c);
                return true;
            }
            if (c.in.size() > limits_.maxHead) {
                startAnswer(c, plain(431, "Request Header Fields Too Large"));
                return true;
            }
        }
    };
    // Sends what remains of the answer; false when the connection is to be closed.
    auto transmit = [&](Connection& c) {
        while (c.sent < c.out.size()) {
            ssize_t wrote = send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
            c.sent += static_cast<size_t>(wrote);
        }
        shutdown(c.fd, SHUT_WR);
        return false;
    };

    std::vector<pollfd> polled;
    for (;;) {
        Clock::time_point now = Clock::now();
        for (auto it = connections.begin(); it != connections.end();)
            it = now >= it->deadline ? drop(it) : std::next(it);
        Clock::time_point wake = now + std::chrono::seconds(60);
        for (const Connection& c : connections) wake = std::min(wake, c.deadline);
        bool accepting = now >= acceptPausedUntil;
        if (!accepting) wake = std::min(wake, acceptPausedUntil);

        polled.clear();
        polled.push_back({stopFd, POLLIN, 0});
        polled.push_back({accepting ? listenFd_ : -1, POLLIN, 0});
        for (const Connection& c : connections)
            polled.push_back({c.fd, static_cast<short>(c.writing ? POLLOUT : POLLIN), 0});
        auto waitMs = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count() + 1;
        int ready = poll(polled.data(), polled.size(), static_cast<int>(waitMs));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        if (polled[0].revents != 0) break;
        size_t index = 2;
        for (auto it = connections.begin(); it != connections.end(); ++index) {
            short events = polled[index].revents;
            bool keep = true;
            if (events != 0) keep = it->writing ? transmit(*it) : receive(*it);
            // An answer made while receiving goes out at once when the socket takes it.
            if (keep && events != 0 && it->writing && it->sent == 0) keep = transmit(*it);
            it = keep ? std::next(it) : drop(it);
        }
        if (polled[1].revents != 0) accept();
    }
    while (!connections.empty()) drop(connections.begin());
}

}  // namespace yatctl
