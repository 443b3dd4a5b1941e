#pragma once
// Helpers of the socket comm device tests: a simulator served on a Unix socket in a fresh folder, a
// raw peer that speaks (or breaks) the framing by hand, and waiting for a condition.

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kit/scoped_settings.h"
#include "sim/sim_bus_comm.h"
#include "sockcomm/protocol.h"
#include "sockcomm/socket_bus_comm.h"
#include "sockcomm/socket_io.h"
#include "tools/spd/sp_server.h"

namespace socktest {

using namespace std::chrono_literals;
using yattest::TempDir;

// Lines logged by a device or server under test.
class Lines {
public:
    std::function<void(const std::string&)> sink() {
        return [this](const std::string& line) {
            std::lock_guard<std::mutex> guard(mutex_);
            lines_.push_back(line);
        };
    }
    bool contains(const std::string& needle) const {
        std::lock_guard<std::mutex> guard(mutex_);
        for (const auto& line : lines_) {
            if (line.find(needle) != std::string::npos) return true;
        }
        return false;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Waits up to 5 s of real time for condition (polling every millisecond); its last value.
inline bool eventually(const std::function<bool()>& condition) {
    auto end = std::chrono::steady_clock::now() + 5s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The simulator of a scenario served on dir/spd.sock.
class Served {
public:
    explicit Served(yatsim::Scenario scenario = yatsim::defaultScenario(),
                    std::chrono::milliseconds writeTimeout = 5000ms)
        : sim(std::make_unique<yatsim::SimBusComm>(std::move(scenario))), writeTimeout_(writeTimeout) {
        endpoint.path = dir.path() + "/spd.sock";
        start();
    }
    ~Served() { stop(); }
    void start() {
        server = std::make_unique<yatspd::SpServer>(*sim, endpoint, log.sink());
        server->setWriteTimeout(writeTimeout_);
        std::string why;
        if (!server->start(why)) throw std::runtime_error(why);
    }
    void stop() {
        if (server) server->stop();
        server.reset();
    }
    std::unique_ptr<sockcomm::SocketBusComm> client(std::chrono::milliseconds timeout = 2000ms) {
        return std::make_unique<sockcomm::SocketBusComm>(endpoint, timeout, clientLog.sink());
    }

    TempDir dir;
    std::unique_ptr<yatsim::SimBusComm> sim;
    sockcomm::Endpoint endpoint;
    std::unique_ptr<yatspd::SpServer> server;
    Lines log;        // the server's
    Lines clientLog;  // every client's

private:
    std::chrono::milliseconds writeTimeout_;
};

// One end of a connection driven by hand.
class RawPeer {
public:
    explicit RawPeer(int fd) : fd_(fd) {}
    ~RawPeer() { sockcomm::closeSocket(fd_); }
    int fd() const { return fd_; }
    bool write(const std::vector<uint8_t>& bytes) {
        return sockcomm::writeAll(fd_, bytes.data(), bytes.size(), sockcomm::Clock::now() + 2s);
    }
    bool writeFrame(const sockcomm::FrameHeader& header, const uint8_t* payload = nullptr, size_t size = 0) {
        return write(sockcomm::encodeFrame(header, payload, size));
    }
    // The next frame's header (its payload read and dropped), or nullopt when none came within 2 s.
    std::optional<sockcomm::FrameHeader> readFrame(std::vector<uint8_t>* payload = nullptr) {
        uint8_t bytes[sockcomm::kHeaderBytes];
        auto deadline = sockcomm::Clock::now() + 2s;
        if (sockcomm::readAll(fd_, bytes, sizeof bytes, deadline) != sockcomm::ReadResult::Ok) return std::nullopt;
        auto header = sockcomm::decodeHeader(bytes);
        if (!header) return std::nullopt;
        std::vector<uint8_t> body(sockcomm::payloadLength(*header).value_or(0));
        if (!body.empty() && sockcomm::readAll(fd_, body.data(), body.size(), deadline) != sockcomm::ReadResult::Ok) {
            return std::nullopt;
        }
        if (payload != nullptr) *payload = std::move(body);
        return header;
    }

private:
    int fd_;
};

// A server side driven by hand: listens on dir/raw.sock and accepts one connection at a time.
class RawServer {
public:
    RawServer() {
        endpoint.path = dir.path() + "/raw.sock";
        std::string why;
        fd_ = sockcomm::listenOn(endpoint, why);
    }
    ~RawServer() { sockcomm::closeSocket(fd_); }
    std::unique_ptr<RawPeer> accept() { return std::make_unique<RawPeer>(::accept(fd_, nullptr, nullptr)); }
    // Accepts and answers the handshake with version and result.
    std::unique_ptr<RawPeer> acceptHello(uint32_t version = sockcomm::kProtocolVersion, uint32_t result = 0) {
        auto peer = accept();
        auto hello = peer->readFrame();
        auto payload = sockcomm::encodeHello(version, 2);
        if (hello) peer->writeFrame({sockcomm::FrameKind::HelloReply, hello->requestId, 0, result}, payload.data(), 8);
        return peer;
    }

    TempDir dir;
    sockcomm::Endpoint endpoint;

private:
    int fd_ = -1;
};

}  // namespace socktest
