#include "sockcomm/socket_bus_comm.h"

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

SocketBusComm::~SocketBusComm() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
        shutdownSocket(fd_);
        changed_.notify_all();
    }
    if (reader_.joinable()) reader_.join();
    // A connection the reader never took is still open.
    if (fd_ >= 0 && readerGeneration_ != generation_) closeSocket(fd_);
}

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

bool SocketBusComm::connectLocked(std::unique_lock<std::mutex>& lock) {
    (void)lock;
    if (fd_ >= 0) return true;
    if (stopping_) return false;
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
    if (!lastConnectError_.empty() || connections_ > 0) log("connected to " + endpoint_.text());
    lastConnectError_.clear();
    fd_ = fd;
    ++generation_;
    ++connections_;
    nodeCount_ = hello->nodeCount;
    if (!reader_.joinable()) reader_ = std::thread([this] { readerLoop(); });
    changed_.notify_all();
    return true;
}

void SocketBusComm::dropLocked(uint64_t generation, const std::string& why) {
    if (generation != generation_ || fd_ < 0) return;
    shutdownSocket(fd_);
    if (readerGeneration_ != generation_) closeConnection(fd_, generation_);  // the reader never took it
    fd_ = -1;
    ++generation_;
    for (auto& [id, pending] : pending_) {
        if (pending == nullptr) continue;
        pending->done = true;
        pending->result = kTransportFailure;
    }
    pending_.clear();
    changed_.notify_all();
    if (!stopping_) log(why);
}

void SocketBusComm::closeConnection(int fd, uint64_t generation) {
    std::lock_guard<std::mutex> guard(writeMutex_);
    closeSocket(fd);
    if (generation > closedGeneration_) closedGeneration_ = generation;
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

    if (!connectLocked(lock)) return kTransportFailure;
    uint64_t generation = generation_;
    int fd = fd_;
    uint32_t id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    Pending reply;
    pending_[id] = &reply;
    auto deadline = Clock::now() + timeout_;
    auto timeoutMs = timeout_.count();
    lock.unlock();

    auto frame = encodeFrame({kind, id, node, 0}, payload, payload != nullptr ? kBufferBytes : 0);
    bool written = false;
    {
        std::lock_guard<std::mutex> guard(writeMutex_);
        if (closedGeneration_ < generation) written = writeAll(fd, frame.data(), frame.size(), deadline);
    }
    lock.lock();
    if (!written && !reply.done) {
        pending_.erase(id);
        dropLocked(generation, "cannot send a " + std::string(kindName(kind)) + " to " + endpoint_.text() + " within " +
                                   std::to_string(timeoutMs) + " ms; connection dropped");
        return kTransportFailure;
    }
    if (eventWait) {
        changed_.wait(lock, [&] { return reply.done || stop->generation != stopGeneration || stopping_; });
        if (!reply.done) {
            auto it = pending_.find(id);
            if (it != pending_.end()) it->second = nullptr;  // the peer's reply to it comes later
            return stop->generation != stopGeneration ? kCommEventsStopped : kTransportFailure;
        }
    } else if (!changed_.wait_until(lock, deadline, [&] { return reply.done; })) {
        pending_.erase(id);
        dropLocked(generation, "no reply to a " + std::string(kindName(kind)) + " for node " + std::to_string(node) +
                                   " within " + std::to_string(timeoutMs) + " ms from " + endpoint_.text() +
                                   "; connection dropped");
        return kTransportFailure;
    }
    if (reply.result == kCommSuccess && answer != nullptr) {
        if (reply.payload.size() != kBufferBytes) return kTransportFailure;
        std::memcpy(answer, reply.payload.data(), kBufferBytes);
    }
    return reply.result;
}

void SocketBusComm::readerLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || (fd_ >= 0 && readerGeneration_ != generation_); });
        if (stopping_) return;
        int fd = fd_;
        uint64_t generation = generation_;
        readerGeneration_ = generation;
        lock.unlock();

        std::string why;
        for (;;) {
            uint8_t header[kHeaderBytes];
            ReadResult read = readAll(fd, header, sizeof header, std::nullopt);
            if (read != ReadResult::Ok) {
                why = read == ReadResult::Closed ? endpoint_.text() + " closed the connection"
                                                 : "the connection to " + endpoint_.text() + " failed";
                break;
            }
            std::optional<FrameHeader> frame = decodeHeader(header);
            bool reply = frame && (frame->kind == FrameKind::SendReply || frame->kind == FrameKind::EventReply ||
                                   frame->kind == FrameKind::StopReply);
            if (!reply) {
                why = "malformed frame from " + endpoint_.text() + "; connection dropped";
                break;
            }
            std::vector<uint8_t> payload(payloadLength(*frame).value_or(0));
            if (!payload.empty() && readAll(fd, payload.data(), payload.size(), std::nullopt) != ReadResult::Ok) {
                why = "the connection to " + endpoint_.text() + " ended in the middle of a frame";
                break;
            }
            lock.lock();
            if (generation != generation_) {
                lock.unlock();
                break;  // dropped by a caller; it said why
            }
            auto it = pending_.find(frame->requestId);
            if (it == pending_.end()) {
                lock.unlock();
                why = "reply to no request (id " + std::to_string(frame->requestId) + ") from " + endpoint_.text() +
                      "; connection dropped";
                break;
            }
            if (it->second != nullptr) {
                it->second->done = true;
                it->second->result = frame->result;
                it->second->payload = std::move(payload);
                changed_.notify_all();
            }
            pending_.erase(it);
            lock.unlock();
        }
        lock.lock();
        if (!why.empty()) dropLocked(generation, why);
        lock.unlock();
        closeConnection(fd, generation);
        lock.lock();
    }
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
        if (fd_ < 0) return kCommSuccess;  // nothing held there: a new connection starts unregistered
    }
    // The peer drops the node's queued events and ends its wait; the local waits ended already.
    uint32_t result = exchange(FrameKind::StopEvents, node, nullptr, nullptr);
    return result == kTransportFailure ? kCommSuccess : result;
}

uint32_t SocketBusComm::getNodeCount() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (connections_ == 0) connectLocked(lock);
    return nodeCount_;
}

}  // namespace sockcomm
