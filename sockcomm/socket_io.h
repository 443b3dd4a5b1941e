#pragma once
// Small POSIX socket helpers shared by the socket comm device and the simulator daemon: endpoint
// texts, connecting and listening, and whole-buffer reads and writes bounded by a deadline. Every
// function returns a failure instead of throwing; descriptors are created close-on-exec and writes
// never raise SIGPIPE.

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
// close in the middle.
ReadResult readAll(int fd, uint8_t* data, size_t size, std::optional<Clock::time_point> deadline);

// Closes fd when it is >= 0 (retrying EINTR is not done: POSIX leaves the descriptor closed).
void closeSocket(int fd);
// Ends both directions of fd so that a thread blocked on it returns; fd stays open.
void shutdownSocket(int fd);

}  // namespace sockcomm
