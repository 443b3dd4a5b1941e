#include "tools/spd/sp_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <exception>

#include "yat/command_buffer.h"

namespace yatspd {

using namespace sockcomm;

SpServer::SpServer(yatsim::SimBusComm& sim, Endpoint endpoint, LogFunction log, ChangeFunction changed)
    : sim_(sim),
      endpoint_(std::move(endpoint)),
      log_(std::move(log)),
      changed_(std::move(changed)),
      nodeCount_(sim.getNodeCount()) {}

SpServer::~SpServer() { stop(); }

size_t SpServer::clientCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    size_t count = 0;
    for (const auto& client : clients_) count += client->finished ? 0 : 1;
    return count;
}

size_t SpServer::blockedWaits(uint32_t node) const {
    std::lock_guard<std::mutex> guard(mutex_);
    size_t count = 0;
    for (const auto& client : clients_) {
        if (node < client->nodes.size()) count += client->nodes[node].waits.size();
    }
    return count;
}

bool SpServer::start(std::string& why) {
    listenFd_ = listenOn(endpoint_, why);
    if (listenFd_ < 0) return false;
    if (pipe2(wakeFds_, O_CLOEXEC) != 0) {
        why = "pipe failed";
        closeSocket(listenFd_);
        listenFd_ = -1;
        return false;
    }
    for (uint32_t node = 0; node < nodeCount_; ++node) pumps_.emplace_back([this, node] { pumpEvents(node); });
    acceptor_ = std::thread([this] { acceptLoop(); });
    return true;
}

void SpServer::stop() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (stopping_ || listenFd_ < 0) return;
        stopping_ = true;
    }
    char wake = 1;
    if (write(wakeFds_[1], &wake, 1) < 0) {
        // the pipe cannot be full: one byte, written once
    }
    acceptor_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        for (auto& client : clients_) {
            shutdownSocket(client->fd);
            threads.push_back(std::move(client->thread));
        }
    }
    for (auto& thread : threads) thread.join();
    for (uint32_t node = 0; node < nodeCount_; ++node) (void)sim_.deRegisterForEvents(node);
    for (auto& pump : pumps_) pump.join();
    pumps_.clear();
    clients_.clear();
    closeSocket(listenFd_);
    close(wakeFds_[0]);
    close(wakeFds_[1]);
    if (endpoint_.kind == Endpoint::Kind::Unix) unlink(endpoint_.path.c_str());
}

void SpServer::reapFinishedLocked(std::vector<std::thread>& joinable) {
    for (auto it = clients_.begin(); it != clients_.end();) {
        if ((*it)->finished) {
            joinable.push_back(std::move((*it)->thread));
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
}

void SpServer::acceptLoop() {
    for (;;) {
        std::array<pollfd, 2> fds{{{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}}};
        if (poll(fds.data(), fds.size(), 1000) < 0 && errno != EINTR) break;
        std::vector<std::thread> finished;
        bool stopping;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            reapFinishedLocked(finished);
            stopping = stopping_;
        }
        for (auto& thread : finished) thread.join();
        if (stopping) break;
        if ((fds[0].revents & POLLIN) == 0) continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> guard(mutex_);
        if (clients_.size() >= kMaxClients) {
            log_("refused a client: " + std::to_string(kMaxClients) + " are connected");
            closeSocket(fd);
            continue;
        }
        std::shared_ptr<Client> client;
        try {
            client = std::make_shared<Client>();
        } catch (const std::exception& failure) {
            log_(std::string("refused a client: ") + failure.what());
            closeSocket(fd);
            continue;
        }
        client->number = nextClient_++;
        client->fd = fd;
        client->nodes.resize(nodeCount_);
        clients_.push_back(client);
        client->thread = std::thread([this, client] { serveClient(client); });
    }
}

bool SpServer::reply(Client& client, const FrameHeader& header, const uint8_t* payload, size_t size) {
    std::vector<uint8_t> frame = encodeFrame(header, payload, size);
    auto deadline = Clock::now() + writeTimeout_;
    if (writeAll(client.fd, frame.data(), frame.size(), deadline)) return true;
    std::lock_guard<std::mutex> guard(mutex_);
    if (!stopping_ && Clock::now() >= deadline) {  // else the connection failed: the read says so
        dropSlowLocked(
            client, "does not take its replies (none taken within " + std::to_string(writeTimeout_.count()) + " ms)");
    }
    return false;
}

void SpServer::dropSlowLocked(Client& client, const std::string& why) {
    if (client.dropped) return;
    client.dropped = true;
    shutdownSocket(client.fd);
    log_("client " + std::to_string(client.number) + ": " + why + "; disconnected");
}

bool SpServer::sendUnsent(Client& client) {
    for (;;) {
        EventReply next;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (client.unsent.empty()) return true;
            next = std::move(client.unsent.front());
            client.unsent.pop_front();
        }
        if (!reply(client, {FrameKind::EventReply, next.requestId, next.node, kCommSuccess}, next.event.data(),
                   next.event.size())) {
            return false;
        }
    }
}

bool SpServer::handshake(Client& client) {
    auto deadline = Clock::now() + writeTimeout_;
    uint8_t header[kHeaderBytes];
    uint8_t payload[kHelloPayload];
    std::optional<FrameHeader> hello;
    if (readAll(client.fd, header, sizeof header, deadline) != ReadResult::Ok || !(hello = decodeHeader(header)) ||
        hello->kind != FrameKind::Hello || readAll(client.fd, payload, sizeof payload, deadline) != ReadResult::Ok) {
        log_("client " + std::to_string(client.number) + ": no valid handshake; disconnected");
        return false;
    }
    uint32_t version = decodeHello(payload).version;
    auto ours = encodeHello(kProtocolVersion, nodeCount_);
    if (version != kProtocolVersion) {
        log_("client " + std::to_string(client.number) + ": protocol version " + std::to_string(version) +
             ", this server version " + std::to_string(kProtocolVersion) + "; refused");
        reply(client, {FrameKind::HelloReply, hello->requestId, 0, kVersionRefused}, ours.data(), ours.size());
        return false;
    }
    return reply(client, {FrameKind::HelloReply, hello->requestId, 0, 0}, ours.data(), ours.size());
}

void SpServer::serveClient(const std::shared_ptr<Client>& client) {
    if (handshake(*client)) {
        for (;;) {
            WaitResult wait = waitReadable(client->fd, client->wake.fd(), std::nullopt);
            if (wait == WaitResult::Failed || !sendUnsent(*client)) break;
            if (wait != WaitResult::Readable) continue;
            // A frame has begun: the rest must follow within the write timeout.
            auto deadline = Clock::now() + writeTimeout_;
            uint8_t bytes[kHeaderBytes];
            ReadResult read = readAll(client->fd, bytes, sizeof bytes, deadline);
            if (read == ReadResult::Closed) break;
            std::optional<FrameHeader> header;
            if (read == ReadResult::Ok) header = decodeHeader(bytes);
            bool request = header && (header->kind == FrameKind::Send || header->kind == FrameKind::WaitEvent ||
                                      header->kind == FrameKind::StopEvents);
            std::vector<uint8_t> payload(request ? payloadLength(*header).value_or(0) : 0);
            if (read == ReadResult::Ok && request && !payload.empty()) {
                read = readAll(client->fd, payload.data(), payload.size(), deadline);
            }
            if (read != ReadResult::Ok) {
                std::lock_guard<std::mutex> guard(mutex_);
                if (!stopping_) log_("client " + std::to_string(client->number) + ": connection ended in a frame");
                break;
            }
            if (!request) {
                log_("client " + std::to_string(client->number) + ": malformed frame; disconnected");
                break;
            }
            if (!handleRequest(client, *header, payload)) break;
        }
    }
    shutdownSocket(client->fd);
    std::lock_guard<std::mutex> guard(mutex_);
    client->finished = true;
    for (auto& node : client->nodes) node = NodeEvents{};
    client->unsent.clear();
}

bool SpServer::handleRequest(const std::shared_ptr<Client>& client, const FrameHeader& header,
                             std::vector<uint8_t>& payload) {
    switch (header.kind) {
        case FrameKind::Send: {
            // Only a set can change the state: keep its request for the change function.
            std::vector<uint8_t> request;
            if (changed_ && payload[wire::kTypeOffset] == wire::kSet) request = payload;
            uint32_t result = sim_.sendCommand(static_cast<int32_t>(header.node), payload.data());
            bool changedState = result == kCommSuccess && !request.empty() &&
                                payload[wire::kTypeOffset] == wire::kAnswer && payload[wire::kStatusOffset] == 0;
            if (changedState) {
                std::lock_guard<std::mutex> guard(changeMutex_);
                changed_(static_cast<int32_t>(header.node), request.data());
            }
            return reply(*client, {FrameKind::SendReply, header.requestId, header.node, result}, payload.data(),
                         payload.size());
        }
        case FrameKind::WaitEvent: {
            std::vector<uint8_t> event;
            uint32_t result = kCommSuccess;
            {
                std::lock_guard<std::mutex> guard(mutex_);
                if (header.node >= nodeCount_) {
                    result = yatsim::SimBusComm::kNoSuchNode;
                } else {
                    NodeEvents& node = client->nodes[header.node];
                    node.registered = true;
                    if (node.events.empty()) {
                        if (node.waits.size() >= kMaxQueuedEvents) {
                            log_("client " + std::to_string(client->number) + ": more than " +
                                 std::to_string(kMaxQueuedEvents) + " event waits on node " +
                                 std::to_string(header.node) + "; disconnected");
                            return false;
                        }
                        node.waits.push_back(header.requestId);
                        return true;  // answered when the node's thread has an event
                    }
                    event = std::move(node.events.front());
                    node.events.pop_front();
                }
            }
            // Events handed to earlier waits go out first: a node's events keep their order.
            if (!sendUnsent(*client)) return false;
            return reply(*client, {FrameKind::EventReply, header.requestId, header.node, result}, event.data(),
                         event.size());
        }
        case FrameKind::StopEvents: {
            std::deque<uint32_t> waits;
            uint32_t result = kCommSuccess;
            {
                std::lock_guard<std::mutex> guard(mutex_);
                if (header.node >= nodeCount_) {
                    result = yatsim::SimBusComm::kNoSuchNode;
                } else {
                    NodeEvents& node = client->nodes[header.node];
                    waits.swap(node.waits);
                    node = NodeEvents{};
                }
            }
            // Events already handed to waits go first; each wait gets exactly one reply.
            if (!sendUnsent(*client)) return false;
            for (uint32_t id : waits) {
                if (!reply(*client, {FrameKind::EventReply, id, header.node, kCommEventsStopped}, nullptr, 0)) {
                    return false;
                }
            }
            return reply(*client, {FrameKind::StopReply, header.requestId, header.node, result}, nullptr, 0);
        }
        default: return false;
    }
}

void SpServer::pumpEvents(uint32_t node) {
    std::vector<uint8_t> event(kBufferBytes);
    for (;;) {
        uint32_t result = sim_.registerForEvents(node, event.data());
        std::lock_guard<std::mutex> guard(mutex_);
        if (stopping_) return;
        if (result != kCommSuccess) continue;  // a stop nobody asked for: keep serving
        for (auto& client : clients_) {
            if (client->finished || client->dropped) continue;
            NodeEvents& state = client->nodes[node];
            if (!state.registered) continue;
            if (!state.waits.empty()) {
                // The client's thread writes the reply; this thread goes on to the next client.
                if (client->unsent.size() >= kMaxUnsentEvents) {
                    dropSlowLocked(*client,
                                   "does not take its event replies (" + std::to_string(kMaxUnsentEvents) + " unsent)");
                    continue;
                }
                client->unsent.push_back({state.waits.front(), node, event});
                state.waits.pop_front();
                client->wake.wake();
                continue;
            }
            if (state.events.size() >= kMaxQueuedEvents) {
                state.events.pop_front();
                if (!state.dropLogged) {
                    log_("client " + std::to_string(client->number) + ": node " + std::to_string(node) +
                         " events not taken; dropping the oldest");
                }
                state.dropLogged = true;
            }
            state.events.push_back(event);
        }
    }
}

}  // namespace yatspd
