#pragma once
// SpServer: serves one simulator (SimBusComm) to any number of clients of the socket framing
// (sockcomm/protocol.h, docs/comm-protocol.md). All clients share the simulator, so they see one SP
// state per node; every client registered for a node's events gets each of them.
//
// Threads: one accepting thread, one thread per client, one thread per node that takes the
// simulator's events. A client's thread alone writes to its connection: it answers each request as
// soon as it has read it (the command runs on that thread), and writes the event replies the node
// threads leave in its queue. A node thread never writes to a connection, so a client that does not
// read holds up nobody but itself.
//
// Clients are untrusted: a wrong handshake, a malformed frame or a frame the server does not take is
// logged and ends that client's connection; the others go on. So does a client that does not take a
// reply within the write timeout, or lets more than kMaxUnsentEvents event replies pile up, or blocks
// more than kMaxQueuedEvents event waits on one node. Each client holds at most kMaxQueuedEvents
// undelivered events per node (the oldest go first, logged).
//
// start and stop are called from one thread; stop ends every thread within the write timeout.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_bus_comm.h"
#include "sockcomm/protocol.h"
#include "sockcomm/socket_io.h"

namespace yatspd {

class SpServer {
public:
    static constexpr size_t kMaxQueuedEvents = 256;
    static constexpr size_t kMaxUnsentEvents = 64;
    static constexpr size_t kMaxClients = 512;

    using LogFunction = std::function<void(const std::string& line)>;
    // Called after a set request the SP answered with status 0, with the node and the request as the
    // client sent it (4096 bytes); from the client's thread, one call at a time.
    using ChangeFunction = std::function<void(int32_t node, const uint8_t* request)>;

    SpServer(yatsim::SimBusComm& sim, sockcomm::Endpoint endpoint, LogFunction log, ChangeFunction changed = {});
    ~SpServer();
    SpServer(const SpServer&) = delete;
    SpServer& operator=(const SpServer&) = delete;

    // Listens and starts the threads; false with the reason in why.
    bool start(std::string& why);
    // Disconnects every client and ends every thread (removes the Unix socket file).
    void stop();

    // The endpoint listened on (a TCP port 0 replaced by the port chosen).
    const sockcomm::Endpoint& endpoint() const { return endpoint_; }
    // Before start.
    void setWriteTimeout(std::chrono::milliseconds timeout) { writeTimeout_ = timeout; }
    size_t clientCount() const;
    // Event waits of all clients blocked on node now.
    size_t blockedWaits(uint32_t node) const;

private:
    struct NodeEvents {
        bool registered = false;
        std::deque<uint32_t> waits;  // request ids of blocked event waits
        std::deque<std::vector<uint8_t>> events;
        bool dropLogged = false;
    };
    struct EventReply {
        uint32_t requestId = 0;
        uint32_t node = 0;
        std::vector<uint8_t> event;
    };
    struct Client {
        // Closed with the last reference: a node thread may still hold it to shut it down.
        ~Client() { sockcomm::closeSocket(fd); }
        uint64_t number = 0;
        int fd = -1;
        sockcomm::Waker wake;           // a node thread left event replies in unsent
        std::vector<NodeEvents> nodes;  // under the server's mutex
        std::deque<EventReply> unsent;  // under the server's mutex; written by the client's thread
        std::thread thread;
        bool finished = false;  // under the server's mutex
        bool dropped = false;   // under the server's mutex: disconnected for not reading (logged)
    };

    void acceptLoop();
    void serveClient(const std::shared_ptr<Client>& client);
    bool handshake(Client& client);
    // Handles one request; false when the client must be disconnected.
    bool handleRequest(const std::shared_ptr<Client>& client, const sockcomm::FrameHeader& header,
                       std::vector<uint8_t>& payload);
    void pumpEvents(uint32_t node);
    // Writes one reply frame (the client's thread only); false, logged, when the client did not take
    // it within the write timeout or the connection failed: the caller then disconnects it.
    bool reply(Client& client, const sockcomm::FrameHeader& header, const uint8_t* payload, size_t size);
    // Writes the event replies the node threads left for the client; false as reply.
    bool sendUnsent(Client& client);
    // Ends the connection of a client that does not read, once, with a log line (under the mutex).
    void dropSlowLocked(Client& client, const std::string& why);
    void reapFinishedLocked(std::vector<std::thread>& joinable);

    yatsim::SimBusComm& sim_;
    sockcomm::Endpoint endpoint_;
    LogFunction log_;
    ChangeFunction changed_;
    std::chrono::milliseconds writeTimeout_{5000};
    uint32_t nodeCount_ = 0;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::mutex changeMutex_;
    bool stopping_ = false;
    uint64_t nextClient_ = 1;
    std::list<std::shared_ptr<Client>> clients_;
    std::thread acceptor_;
    std::vector<std::thread> pumps_;
};

}  // namespace yatspd
