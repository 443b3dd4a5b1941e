#pragma once
// Small POSIX socket helpers shared by the socket comm device and the simulator daemon: endpoint
// texts, connecting and listening, whole-buffer reads and writes bounded by a deadline, and a wait
// that another thread can end. Every function returns a failure instead of throwing; descriptors are created
// close-on-exec and writes never raise SIGPIPE.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace sockcomm {

// A place to connect to or listen on: "unix:PATH" or "tcp:127.0.0.1:PORT". TCP is loopback only:
// the wire carries account passwords in clear, so any other host is refused.
struct Endpoint {
    enum class Kind { Unix, Tcp };
    Kind kind = Kind::Unix;
    std::string path;   // Unix: the socket's file name
    uint16_t port = 0;  // TCP: the port (0 when listening: any free port)

    std::string text() const;  // back to "unix:PATH" / "tcp:127.0.0.1:PORT"
};

// Parses an endpoint text; nullopt with the reason in why (one line) when it is not one.
std::optional<Endpoint> parseEndpoint(const std::string& text, std::string& why);

using Clock = std::chrono::steady_clock;

// Connects to endpoint within timeout; the descriptor, or -1 with the reason in why.
int connectTo(const Endpoint& endpoint, std::chrono::milliseconds timeout, std::string& why);

// Listens on endpoint; the descriptor, or -1 with the reason in why. A Unix socket is created with
// mode 0660; a stale socket file (nobody accepting) is replaced, a live one or any other file is
// refused. For TCP with port 0, endpoint.port receives the port chosen.
int listenOn(Endpoint& endpoint, std::string& why);

// Writes all size bytes before deadline; false on a closed peer, an error or the deadline.
bool writeAll(int fd, const uint8_t* data, size_t size, Clock::time_point deadline);

enum class ReadResult { Ok, Closed, Failed, TimedOut };
// Reads exactly size bytes; waits for ever when deadline is nullopt (the caller ends the wait by
// shutting the socket down). Closed: the peer closed before the first byte; Failed: an error or a
// close in the middle. With a deadline, bytes already there are taken without waiting first.
ReadResult readAll(int fd, uint8_t* data, size_t size, std::optional<Clock::time_point> deadline);

enum class WaitResult { Readable, Woken, TimedOut, Failed };
// Waits until fd has something to read (bytes, the peer's close or an error: Readable), wakeFd (when
// >= 0) becomes readable (Woken; its bytes are drained), or the deadline passes (never when nullopt).
WaitResult waitReadable(int fd, int wakeFd, std::optional<Clock::time_point> deadline);

// Ends waitReadable from another thread: wake() makes fd() readable until the waiter drains it
// (one descriptor, non-blocking, close-on-exec; wakes while one is pending merge). The constructor
// throws std::runtime_error when the process has no descriptor left.
class Waker {
public:
    Waker();
    ~Waker();
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;
    int fd() const { return fd_; }
    void wake();

private:
    int fd_ = -1;
};

// Closes fd when it is >= 0 (retrying EINTR is not done: POSIX leaves the descriptor closed).
void closeSocket(int fd);
// Ends both directions of fd so that a thread blocked on it returns; fd stays open.
void shutdownSocket(int fd);

}  // namespace sockcomm
