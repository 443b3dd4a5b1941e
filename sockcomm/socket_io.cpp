#include "sockcomm/socket_io.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace sockcomm {

namespace {

constexpr size_t kMaxPathBytes = sizeof(sockaddr_un::sun_path) - 1;

std::string systemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Milliseconds left until deadline for poll (0 once it passed), or -1 for no deadline.
int pollTimeout(std::optional<Clock::time_point> deadline) {
    if (!deadline) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return left > 1000000 ? 1000000 : static_cast<int>(left);
}

// Waits until fd is ready for events; false when the deadline passed first or poll failed.
bool waitReady(int fd, short events, std::optional<Clock::time_point> deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        int timeout = pollTimeout(deadline);
        int ready = poll(&entry, 1, timeout);
        if (ready > 0) return true;
        if (ready == 0) {
            if (timeout == 0 || (deadline && Clock::now() >= *deadline)) return false;
            continue;
        }
        if (errno != EINTR) return false;
    }
}

sockaddr_un unixAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    return address;
}

sockaddr_in loopbackAddress(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int newSocket(const Endpoint& endpoint) {
    int fd = socket(endpoint.kind == Endpoint::Kind::Unix ? AF_UNIX : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && endpoint.kind == Endpoint::Kind::Tcp) {
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // one small request per round trip
    }
    return fd;
}

}  // namespace

std::string Endpoint::text() const {
    return kind == Kind::Unix ? "unix:" + path : "tcp:127.0.0.1:" + std::to_string(port);
}

std::optional<Endpoint> parseEndpoint(const std::string& text, std::string& why) {
    Endpoint endpoint;
    if (text.rfind("unix:", 0) == 0) {
        endpoint.path = text.substr(5);
        if (endpoint.path.empty()) {
            why = "unix: needs a socket path";
            return std::nullopt;
        }
        if (endpoint.path.size() > kMaxPathBytes || endpoint.path.find('\0') != std::string::npos) {
            why = "the socket path is longer than " + std::to_string(kMaxPathBytes) + " bytes";
            return std::nullopt;
        }
        return endpoint;
    }
    if (text.rfind("tcp:", 0) == 0) {
        std::string rest = text.substr(4);
        size_t colon = rest.rfind(':');
        std::string host = colon == std::string::npos ? rest : rest.substr(0, colon);
        if (host != "127.0.0.1" && host != "localhost") {
            why =
                "tcp: only 127.0.0.1 is served (the protocol carries passwords in clear; use a secured "
                "tunnel for remote access)";
            return std::nullopt;
        }
        std::string port = colon == std::string::npos ? "" : rest.substr(colon + 1);
        bool digits = !port.empty() && port.size() <= 5 && port.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoul(port) > 65535) {
            why = "tcp: needs a port from 0 to 65535 (tcp:127.0.0.1:PORT)";
            return std::nullopt;
        }
        endpoint.kind = Endpoint::Kind::Tcp;
        endpoint.port = static_cast<uint16_t>(std::stoul(port));
        return endpoint;
    }
    why = "expected unix:PATH or tcp:127.0.0.1:PORT";
    return std::nullopt;
}

int connectTo(const Endpoint& endpoint, std::chrono::milliseconds timeout, std::string& why) {
    int fd = newSocket(endpoint);
    if (fd < 0) {
        why = systemError("socket");
        return -1;
    }
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int done;
    if (endpoint.kind == Endpoint::Kind::Unix) {
        sockaddr_un address = unixAddress(endpoint.path);
        done = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } else {
        sockaddr_in address = loopbackAddress(endpoint.port);
        done = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    if (done != 0 && (errno == EINPROGRESS || errno == EAGAIN)) {
        if (!waitReady(fd, POLLOUT, Clock::now() + timeout)) {
            why = "connect: no answer within " + std::to_string(timeout.count()) + " ms";
            close(fd);
            return -1;
        }
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        errno = error;
        done = error == 0 ? 0 : -1;
    }
    if (done != 0) {
        why = systemError(("connect to " + endpoint.text()).c_str());
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, flags);
    return fd;
}

int listenOn(Endpoint& endpoint, std::string& why) {
    int fd = newSocket(endpoint);
    if (fd < 0) {
        why = systemError("socket");
        return -1;
    }
    if (endpoint.kind == Endpoint::Kind::Unix) {
        struct stat existing {};
        if (lstat(endpoint.path.c_str(), &existing) == 0) {
            if (!S_ISSOCK(existing.st_mode)) {
                why = endpoint.path + " exists and is not a socket";
                close(fd);
                return -1;
            }
            std::string ignored;
            int probe = connectTo(endpoint, std::chrono::milliseconds(500), ignored);
            if (probe >= 0) {
                close(probe);
                why = endpoint.path + " is in use by a running server";
                close(fd);
                return -1;
            }
            unlink(endpoint.path.c_str());  // stale: left by a server that ended without removing it
        }
        sockaddr_un address = unixAddress(endpoint.path);
        mode_t previous = umask(0117);  // 0660 from the start: no moment where others may connect
        int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        umask(previous);
        if (bound != 0) {
            why = systemError(("bind " + endpoint.path).c_str());
            close(fd);
            return -1;
        }
        chmod(endpoint.path.c_str(), 0660);
    } else {
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address = loopbackAddress(endpoint.port);
        if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            why = systemError(("bind " + endpoint.text()).c_str());
            close(fd);
            return -1;
        }
        socklen_t size = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        endpoint.port = ntohs(address.sin_port);
    }
    if (listen(fd, 64) != 0) {
        why = systemError("listen");
        close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, const uint8_t* data, size_t size, Clock::time_point deadline) {
    size_t done = 0;
    while (done < size) {
        ssize_t written = send(fd, data + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) {
            done += static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitReady(fd, POLLOUT, deadline)) return false;
            continue;
        }
        return false;
    }
    return true;
}

ReadResult readAll(int fd, uint8_t* data, size_t size, std::optional<Clock::time_point> deadline) {
    size_t done = 0;
    while (done < size) {
        // With a deadline the bytes are usually there already (the rest of a frame): take them, and
        // wait only when there are none.
        ssize_t got = recv(fd, data + done, size - done, deadline ? MSG_DONTWAIT : 0);
        if (got > 0) {
            done += static_cast<size_t>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitReady(fd, POLLIN, deadline)) return ReadResult::TimedOut;
            continue;
        }
        if (got == 0 && done == 0) return ReadResult::Closed;
        return ReadResult::Failed;
    }
    return ReadResult::Ok;
}

WaitResult waitReadable(int fd, int wakeFd, std::optional<Clock::time_point> deadline) {
    for (;;) {
        std::array<pollfd, 2> entries{{{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}}};
        int timeout = pollTimeout(deadline);
        int ready = poll(entries.data(), wakeFd >= 0 ? 2 : 1, timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return WaitResult::Failed;
        }
        if (ready > 0 && entries[1].revents != 0) {
            uint64_t drained;
            if (read(wakeFd, &drained, sizeof drained) < 0) {
                // EAGAIN: another waiter drained it first
            }
            return WaitResult::Woken;
        }
        if (ready > 0) return WaitResult::Readable;
        if (timeout == 0 || (deadline && Clock::now() >= *deadline)) return WaitResult::TimedOut;
    }
}

Waker::Waker() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) throw std::runtime_error(systemError("eventfd"));
}

Waker::~Waker() { closeSocket(fd_); }

void Waker::wake() {
    uint64_t one = 1;
    // The counter cannot overflow in practice; a failed write leaves a wake pending anyway.
    if (write(fd_, &one, sizeof one) < 0) {
    }
}

void closeSocket(int fd) {
    if (fd >= 0) close(fd);
}

void shutdownSocket(int fd) {
    if (fd >= 0) shutdown(fd, SHUT_RDWR);
}

}  // namespace sockcomm
