#pragma once
// SocketBusComm: a comm device whose SPs live in another process (yat-spd, or any server of the
// framing in docs/comm-protocol.md), reached over a Unix socket or a loopback TCP connection.
//
// Connection. Made on first use and after a loss, by the first call that needs it: connect and the
// version handshake must finish within the request timeout. The device starts no thread: a calling
// thread that finds nobody reading a connection reads it itself until its own reply comes, and hands
// each other reply to the call waiting for its request id; so any number of host threads may send
// and wait at once, and a lone caller's reply costs no thread switch. Concurrent commands use up to
// four connections, so they seldom wait for each other's replies (event waits and stops share the
// first one). A connection the peer closed while nobody was reading is noticed before the next
// request goes out on it and replaced.
//
// Results. Every operation returns kTransportFailure when the peer cannot be reached, does not answer
// within the request timeout, closes the connection, or sends a frame that breaks the framing (a
// wrong magic or kind, a reply to no request); the last three also drop the connection, which fails
// every call in flight with kTransportFailure (blocked event waits included) and is logged. Other
// results are the peer's: the answer's result for sendCommand, 0 or 10 for registerForEvents.
//
// Events. registerForEvents sends a wait and blocks without a timeout until the peer delivers an
// event, the connection is lost (kTransportFailure, never 10, so the library pauses before it asks
// again) or deRegisterForEvents(node) is called: that returns 10 at once for every call blocked on the
// node, or, when none was blocked, for the next call, whatever the peer does; the peer is told to
// stop within the request timeout.
//
// getNodeCount: the node count of the last handshake; connects when there has been none yet (0 when
// that fails).
//
// Thread-safe. The object must outlive every call into it (close the library first).

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sockcomm/protocol.h"
#include "sockcomm/socket_io.h"
#include "yat/bus_comm.h"

namespace sockcomm {

// The transport failure result: chosen outside the library's own codes (yat/result_codes.h).
inline constexpr uint32_t kTransportFailure = 0x59430002;
// The device ID a SocketBusComm reports.
inline constexpr int32_t kSocketDeviceId = 99;

// What a socket device is opened with: "unix:PATH" or "tcp:127.0.0.1:PORT", optionally followed by
// ",timeout=MS" (the request timeout, 1 to 600000 ms; default SocketBusComm::kDefaultTimeout).
struct SocketOptions {
    Endpoint endpoint;
    std::chrono::milliseconds timeout{5000};
};
// Parses such a text; nullopt with the reason (one line) in why.
std::optional<SocketOptions> parseSocketOptions(const std::string& text, std::string& why);

class SocketBusComm final : public cBusComm {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    using LogFunction = std::function<void(const std::string& line)>;

    // Nothing is connected yet. log receives one line per connection loss or refusal (default: stderr
    // with the prefix "yat-sockcomm: ").
    explicit SocketBusComm(Endpoint endpoint, std::chrono::milliseconds timeout = kDefaultTimeout,
                           LogFunction log = {});
    ~SocketBusComm();
    SocketBusComm(const SocketBusComm&) = delete;
    SocketBusComm& operator=(const SocketBusComm&) = delete;

    uint32_t sendCommand(int32_t node, uint8_t* buffer) override;
    uint32_t registerForEvents(uint32_t node, uint8_t* buffer) override;
    uint32_t deRegisterForEvents(uint32_t node) override;
    uint32_t getNodeCount() override;

    const Endpoint& endpoint() const { return endpoint_; }
    // The request timeout (any thread; applies to requests sent afterwards).
    void setTimeout(std::chrono::milliseconds timeout);
    // Connections made so far (the first, one per further concurrent caller up to four, and every
    // reconnection).
    uint64_t connections() const;

private:
    struct Pending {
        bool done = false;
        uint32_t result = 0;
        std::vector<uint8_t> payload;
    };
    struct NodeStop {
        uint64_t generation = 0;  // moved on by every deRegisterForEvents
        int waiting = 0;
        bool pendingStop = false;
    };
    // One connection. Its descriptor is closed when the last thread using it lets go, so a descriptor
    // number is never reused while a writer or the reader still holds it.
    struct Connection {
        ~Connection() { closeSocket(fd); }
        int fd = -1;
        uint64_t generation = 0;
        std::mutex writeMutex;  // one frame at a time
    };
    // A connection slot. Commands go to a lane nobody is using when there is one, so concurrent
    // callers each read their own connection; event waits and stops always use lane 0, where the
    // peer keeps the registrations.
    struct Lane {
        std::shared_ptr<Connection> connection;  // null when not connected
        // The calling thread that reads the connection now (leader); the others wait for it to hand
        // them their replies, and one of them takes over when it leaves.
        bool reading = false;
        bool readerWakeable = false;           // the reader is an event wait, which a stop wakes
        bool lost = false;                     // its connection was dropped: the next one is logged
        std::map<uint32_t, Pending*> pending;  // null: abandoned, its late reply is dropped
    };
    static constexpr size_t kLanes = 4;
    enum class ReadOutcome { Frame, Idle, Lost };

    // The lane a command goes to: a connected one in no use, else one not connected yet, else the
    // least busy.
    Lane& commandLaneLocked();
    // lane connected (connecting first when needed, and replacing a connection the peer closed while
    // nobody read it) under lock; false with the lane unchanged when connecting fails.
    bool connectLocked(Lane& lane);
    // Drops the lane's connection of generation (when it is still the current one): fails every
    // request in flight on it and logs why.
    void dropLocked(Lane& lane, uint64_t generation, const std::string& why);
    // Sends one request and waits for its reply; returns its result (the answer copied into answer
    // when it carries one) or kTransportFailure. An event wait has no deadline and also ends, with
    // kCommEventsStopped, when deRegisterForEvents stops its node.
    uint32_t exchange(FrameKind kind, uint32_t node, const uint8_t* payload, uint8_t* answer);
    // The reader's step, without the lock: waits for the next frame (until waitUntil, or a wake when
    // wakeable) and reads it whole within the request timeout. Frame: header and payload filled;
    // Idle: nothing came; Lost: the connection is broken, why says how.
    ReadOutcome readFrame(Connection& connection, bool wakeable, std::optional<Clock::time_point> waitUntil,
                          std::chrono::milliseconds timeout, FrameHeader& header, std::vector<uint8_t>& payload,
                          std::string& why);
    // Hands a reply to the request of lane it answers, under lock; false (with why) when it answers
    // none.
    bool deliverLocked(Lane& lane, const FrameHeader& header, std::vector<uint8_t>& payload, std::string& why);
    void log(const std::string& line);

    Endpoint endpoint_;
    LogFunction log_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::chrono::milliseconds timeout_;
    std::array<Lane, kLanes> lanes_;
    uint64_t generation_ = 0;  // numbers the connections
    uint64_t connections_ = 0;
    uint32_t nodeCount_ = 0;
    Waker wake_;  // ends an event wait's reading of lane 0
    uint32_t nextId_ = 1;
    std::string lastConnectError_;
    std::map<uint32_t, NodeStop> stops_;
};

}  // namespace sockcomm
