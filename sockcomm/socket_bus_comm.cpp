#include "sockcomm/socket_bus_comm.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>

#include "sockcomm/protocol.h"

namespace sockcomm {

namespace {

const char* kindName(FrameKind kind) {
    switch (kind) {
        case FrameKind::Send: return "command";
        case FrameKind::WaitEvent: return "event wait";
        case FrameKind::StopEvents: return "event stop";
        default: return "request";
    }
}

}  // namespace

std::optional<SocketOptions> parseSocketOptions(const std::string& text, std::string& why) {
    SocketOptions options;
    std::string endpoint = text;
    size_t comma = text.rfind(",timeout=");
    if (comma != std::string::npos) {
        std::string value = text.substr(comma + 9);
        endpoint = text.substr(0, comma);
        bool digits = !value.empty() && value.size() <= 6 && value.find_first_not_of("0123456789") == std::string::npos;
        long ms = digits ? std::stol(value) : 0;
        if (ms < 1 || ms > 600000) {
            why = "timeout= needs milliseconds from 1 to 600000";
            return std::nullopt;
        }
        options.timeout = std::chrono::milliseconds(ms);
    }
    std::optional<Endpoint> parsed = parseEndpoint(endpoint, why);
    if (!parsed) return std::nullopt;
    options.endpoint = *parsed;
    return options;
}

SocketBusComm::SocketBusComm(Endpoint endpoint, std::chrono::milliseconds timeout, LogFunction log)
    : endpoint_(std::move(endpoint)), log_(std::move(log)), timeout_(timeout) {
    setDeviceID(kSocketDeviceId);
    const char name[] = "yat_sockcomm";
    std::memcpy(libFileName, name, sizeof name);
}

// No call is running (the contract): the connection's last reference closes it.
SocketBusComm::~SocketBusComm() = default;

void SocketBusComm::log(const std::string& line) {
    if (log_) {
        log_(line);
    } else {
        std::cerr << "yat-sockcomm: " << line << "\n";
    }
}

void SocketBusComm::setTimeout(std::chrono::milliseconds timeout) {
    std::lock_guard<std::mutex> guard(mutex_);
    timeout_ = timeout;
}

uint64_t SocketBusComm::connections() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return connections_;
}

SocketBusComm::Lane& SocketBusComm::commandLaneLocked() {
    for (Lane& lane : lanes_) {
        if (lane.connection && !lane.reading && lane.pending.empty()) return lane;
    }
    for (Lane& lane : lanes_) {
        if (!lane.connection) return lane;
    }
    Lane* least = &lanes_[0];
    for (Lane& lane : lanes_) {
        if (lane.pending.size() < least->pending.size()) least = &lane;
    }
    return *least;
}

bool SocketBusComm::connectLocked(Lane& lane) {
    if (lane.connection && !lane.reading) {
        // Nobody reads while a connection is idle: a close by the peer (a restarted server) is found
        // here, before a request is lost on it. Bytes waiting are the reader's to take.
        uint8_t byte;
        ssize_t peeked = recv(lane.connection->fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (peeked == 0 || (peeked < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            dropLocked(lane, lane.connection->generation,
                       peeked == 0 ? endpoint_.text() + " closed the connection"
                                   : "the connection to " + endpoint_.text() + " failed");
        }
    }
    if (lane.connection) return true;
    auto deadline = Clock::now() + timeout_;
    std::string why;
    int fd = connectTo(endpoint_, timeout_, why);
    std::optional<Hello> hello;
    if (fd >= 0) {
        auto frame = encodeFrame({FrameKind::Hello, 0, 0, 0}, encodeHello(kProtocolVersion, 0).data(), kHelloPayload);
        uint8_t header[kHeaderBytes];
        uint8_t payload[kHelloPayload];
        std::optional<FrameHeader> reply;
        if (!writeAll(fd, frame.data(), frame.size(), deadline) ||
            readAll(fd, header, sizeof header, deadline) != ReadResult::Ok || !(reply = decodeHeader(header)) ||
            reply->kind != FrameKind::HelloReply || readAll(fd, payload, sizeof payload, deadline) != ReadResult::Ok) {
            why = "no valid handshake from " + endpoint_.text() + " within " + std::to_string(timeout_.count()) + " ms";
        } else if (reply->result == kVersionRefused || decodeHello(payload).version != kProtocolVersion) {
            why = endpoint_.text() + " speaks protocol version " + std::to_string(decodeHello(payload).version) +
                  ", this device version " + std::to_string(kProtocolVersion) + "; refused";
        } else if (reply->result != 0) {
            why = endpoint_.text() + " refused the connection with result " + std::to_string(reply->result);
        } else {
            hello = decodeHello(payload);
        }
        if (!hello) closeSocket(fd);
    }
    if (!hello) {
        if (why != lastConnectError_) log(why);  // once per cause, not once per retry
        lastConnectError_ = why;
        return false;
    }
    if (!lastConnectError_.empty() || lane.lost) log("connected to " + endpoint_.text());
    lane.lost = false;
    lastConnectError_.clear();
    lane.connection = std::make_shared<Connection>();
    lane.connection->fd = fd;
    lane.connection->generation = ++generation_;
    ++connections_;
    nodeCount_ = hello->nodeCount;
    return true;
}

void SocketBusComm::dropLocked(Lane& lane, uint64_t generation, const std::string& why) {
    if (!lane.connection || generation != lane.connection->generation) return;
    shutdownSocket(lane.connection->fd);  // ends the reader's wait; the last user closes the descriptor
    lane.connection.reset();
    lane.lost = true;
    for (auto& [id, pending] : lane.pending) {
        if (pending == nullptr) continue;
        pending->done = true;
        pending->result = kTransportFailure;
    }
    lane.pending.clear();
    changed_.notify_all();
    log(why);
}

SocketBusComm::ReadOutcome SocketBusComm::readFrame(Connection& connection, bool wakeable,
                                                    std::optional<Clock::time_point> waitUntil,
                                                    std::chrono::milliseconds timeout, FrameHeader& header,
                                                    std::vector<uint8_t>& payload, std::string& why) {
    WaitResult wait = waitReadable(connection.fd, wakeable ? wake_.fd() : -1, waitUntil);
    if (wait == WaitResult::Woken || wait == WaitResult::TimedOut) return ReadOutcome::Idle;
    // A frame has begun: the rest must follow within the request timeout.
    auto deadline = Clock::now() + timeout;
    uint8_t bytes[kHeaderBytes];
    ReadResult read =
        wait == WaitResult::Readable ? readAll(connection.fd, bytes, sizeof bytes, deadline) : ReadResult::Failed;
    if (read != ReadResult::Ok) {
        why = read == ReadResult::Closed ? endpoint_.text() + " closed the connection"
                                         : "the connection to " + endpoint_.text() + " failed";
        return ReadOutcome::Lost;
    }
    std::optional<FrameHeader> frame = decodeHeader(bytes);
    bool reply = frame && (frame->kind == FrameKind::SendReply || frame->kind == FrameKind::EventReply ||
                           frame->kind == FrameKind::StopReply);
    if (!reply) {
        why = "malformed frame from " + endpoint_.text() + "; connection dropped";
        return ReadOutcome::Lost;
    }
    payload.resize(payloadLength(*frame).value_or(0));
    if (!payload.empty() && readAll(connection.fd, payload.data(), payload.size(), deadline) != ReadResult::Ok) {
        why = "the connection to " + endpoint_.text() + " ended in the middle of a frame";
        return ReadOutcome::Lost;
    }
    header = *frame;
    return ReadOutcome::Frame;
}

bool SocketBusComm::deliverLocked(Lane& lane, const FrameHeader& header, std::vector<uint8_t>& payload,
                                  std::string& why) {
    auto it = lane.pending.find(header.requestId);
    if (it == lane.pending.end()) {
        why = "reply to no request (id " + std::to_string(header.requestId) + ") from " + endpoint_.text() +
              "; connection dropped";
        return false;
    }
    if (it->second != nullptr) {
        it->second->done = true;
        it->second->result = header.result;
        it->second->payload = std::move(payload);
    }
    lane.pending.erase(it);
    return true;
}

uint32_t SocketBusComm::exchange(FrameKind kind, uint32_t node, const uint8_t* payload, uint8_t* answer) {
    const bool eventWait = kind == FrameKind::WaitEvent;
    std::unique_lock<std::mutex> lock(mutex_);
    NodeStop* stop = nullptr;
    uint64_t stopGeneration = 0;
    if (eventWait) {
        stop = &stops_[node];
        if (stop->pendingStop) {
            stop->pendingStop = false;
            return kCommEventsStopped;
        }
        stopGeneration = stop->generation;
        ++stop->waiting;
    }
    struct WaitingCount {
        NodeStop* stop;
        ~WaitingCount() {
            if (stop != nullptr) --stop->waiting;
        }
    } waitingCount{stop};  // released with the lock still held (declared after it)

    Lane& lane = kind == FrameKind::Send ? commandLaneLocked() : lanes_[0];
    if (!connectLocked(lane)) return kTransportFailure;
    std::shared_ptr<Connection> connection = lane.connection;
    uint32_t id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    Pending reply;
    lane.pending[id] = &reply;
    auto deadline = Clock::now() + timeout_;
    auto timeout = timeout_;
    lock.unlock();

    auto frame = encodeFrame({kind, id, node, 0}, payload, payload != nullptr ? kBufferBytes : 0);
    bool written;
    {
        std::lock_guard<std::mutex> guard(connection->writeMutex);
        written = writeAll(connection->fd, frame.data(), frame.size(), deadline);
    }
    lock.lock();
    if (!written && !reply.done) {
        lane.pending.erase(id);
        dropLocked(lane, connection->generation,
                   "cannot send a " + std::string(kindName(kind)) + " to " + endpoint_.text() + " within " +
                       std::to_string(timeout.count()) + " ms; connection dropped");
        return kTransportFailure;
    }

    // Wait for the reply: read the connection while nobody else does, else let the reader hand it over.
    bool leading = false;
    struct Leadership {
        SocketBusComm& self;
        Lane& lane;
        bool& leading;
        ~Leadership() {  // runs with the lock held: the next waiter takes the reading over
            if (!leading) return;
            lane.reading = false;
            lane.readerWakeable = false;
            self.changed_.notify_all();
        }
    } leadership{*this, lane, leading};
    FrameHeader header;
    std::vector<uint8_t> received;
    std::string why;
    for (;;) {
        if (reply.done) break;
        if (eventWait && stop->generation != stopGeneration) {
            auto it = lane.pending.find(id);
            if (it != lane.pending.end()) it->second = nullptr;  // the peer's reply to it comes later
            return kCommEventsStopped;
        }
        if (!eventWait && Clock::now() >= deadline) {
            lane.pending.erase(id);
            dropLocked(lane, connection->generation,
                       "no reply to a " + std::string(kindName(kind)) + " for node " + std::to_string(node) +
                           " within " + std::to_string(timeout.count()) + " ms from " + endpoint_.text() +
                           "; connection dropped");
            return kTransportFailure;
        }
        if (!leading && !lane.reading) {
            leading = lane.reading = true;
            lane.readerWakeable = eventWait;
        }
        if (!leading) {
            if (eventWait) {
                changed_.wait(lock);
            } else {
                changed_.wait_until(lock, deadline);
            }
            continue;
        }
        lock.unlock();
        ReadOutcome outcome = readFrame(*connection, eventWait, eventWait ? std::nullopt : std::optional(deadline),
                                        timeout, header, received, why);
        lock.lock();
        if (outcome == ReadOutcome::Idle) continue;
        if (outcome == ReadOutcome::Frame && deliverLocked(lane, header, received, why)) {
            if (!reply.done) changed_.notify_all();  // another caller's reply
            continue;
        }
        // Lost, or a reply to nothing: dropping fails every request in flight, this one included
        // (unless a caller dropped it first; then this reply is done already).
        dropLocked(lane, connection->generation, why);
    }
    if (reply.result == kCommSuccess && answer != nullptr) {
        if (reply.payload.size() != kBufferBytes) return kTransportFailure;
        std::memcpy(answer, reply.payload.data(), kBufferBytes);
    }
    return reply.result;
}

uint32_t SocketBusComm::sendCommand(int32_t node, uint8_t* buffer) {
    if (buffer == nullptr || node < 0) return kTransportFailure;
    return exchange(FrameKind::Send, static_cast<uint32_t>(node), buffer, buffer);
}

uint32_t SocketBusComm::registerForEvents(uint32_t node, uint8_t* buffer) {
    if (buffer == nullptr) return kTransportFailure;
    return exchange(FrameKind::WaitEvent, node, nullptr, buffer);
}

uint32_t SocketBusComm::deRegisterForEvents(uint32_t node) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        NodeStop& stop = stops_[node];
        ++stop.generation;
        if (stop.waiting == 0) stop.pendingStop = true;
        changed_.notify_all();
        if (lanes_[0].readerWakeable) wake_.wake();      // the reader may be a wait of this node
        if (!lanes_[0].connection) return kCommSuccess;  // nothing held there: a new connection starts unregistered
    }
    // The peer drops the node's queued events and ends its wait; the local waits ended already.
    uint32_t result = exchange(FrameKind::StopEvents, node, nullptr, nullptr);
    return result == kTransportFailure ? kCommSuccess : result;
}

uint32_t SocketBusComm::getNodeCount() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (connections_ == 0) connectLocked(lanes_[0]);
    return nodeCount_;
}

}  // namespace sockcomm
