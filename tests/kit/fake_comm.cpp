#include "kit/fake_comm.h"

#include <cstdio>
#include <cstring>

#include "yat/command_buffer.h"

namespace yattest {

std::string dotted(const uint8_t* bytes, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        char part[4];
        std::snprintf(part, sizeof part, "%x", bytes[i]);
        if (i > 0) text += '.';
        text += part;
    }
    return text;
}

void writeAnswer(uint8_t* buffer, const uint8_t* commandBytes, uint8_t commandLength, uint8_t status,
                 const Bytes& data) {
    uint8_t command[256];
    std::memcpy(command, commandBytes, commandLength);  // the request may overlap the answer
    std::memset(buffer, 0, wire::kBufferSize);
    buffer[0] = wire::kAnswer;
    buffer[1] = commandLength;
    size_t room = wire::kBufferSize - wire::kHeaderSize - commandLength;
    size_t size = data.size() < room ? data.size() : room;
    buffer[2] = static_cast<uint8_t>(size & 0xFF);
    buffer[3] = static_cast<uint8_t>(size >> 8);
    buffer[4] = status;
    std::memcpy(buffer + wire::kHeaderSize, command, commandLength);
    if (size > 0) std::memcpy(buffer + wire::kHeaderSize + commandLength, data.data(), size);
}

Bytes eventBuffer(std::initializer_list<uint8_t> commandBytes, const Bytes& data) {
    Bytes buffer(wire::kBufferSize, 0);
    Bytes command(commandBytes);
    writeAnswer(buffer.data(), command.data(), static_cast<uint8_t>(command.size()), 0, data);
    buffer[0] = wire::kEvent;
    return buffer;
}

FakeComm::FakeComm(uint32_t nodes, int32_t id) : nodes_(nodes) { setDeviceID(id); }

FakeComm::Rule& FakeComm::answer(const std::string& command, Bytes data) {
    std::lock_guard<std::mutex> guard(mutex_);
    Rule& rule = rules_.emplace_back();
    rule.command_ = command;
    rule.data_ = std::move(data);
    return rule;
}

FakeComm::Rule& FakeComm::status(const std::string& command, uint8_t status, Bytes data) {
    Rule& rule = answer(command, std::move(data));
    rule.status_ = status;
    return rule;
}

FakeComm::Rule& FakeComm::fail(const std::string& command, uint32_t result) {
    Rule& rule = answer(command, {});
    rule.sendResult_ = result;
    return rule;
}

FakeComm::Rule& FakeComm::raw(const std::string& command, Bytes data, std::function<void(uint8_t*)> mangle) {
    Rule& rule = answer(command, std::move(data));
    rule.mangle_ = std::move(mangle);
    return rule;
}

FakeComm::Rule& FakeComm::handle(const std::string& command, std::function<void(uint8_t*)> handler) {
    Rule& rule = answer(command, {});
    rule.handler_ = std::move(handler);
    return rule;
}

void FakeComm::failNth(int n, uint32_t result) {
    std::lock_guard<std::mutex> guard(mutex_);
    failNth_.emplace_back(n, result);
}

std::vector<Request> FakeComm::requests() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_;
}

std::vector<std::string> FakeComm::commands() const {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<std::string> result;
    for (const Request& request : requests_) result.push_back(request.command);
    return result;
}

size_t FakeComm::count(const std::string& command) const {
    std::lock_guard<std::mutex> guard(mutex_);
    size_t n = 0;
    for (const Request& request : requests_) n += request.command == command ? 1 : 0;
    return n;
}

void FakeComm::clearRequests() {
    std::lock_guard<std::mutex> guard(mutex_);
    requests_.clear();
}

void FakeComm::clearRules() {
    std::lock_guard<std::mutex> guard(mutex_);
    rules_.clear();
    failNth_.clear();
}

uint32_t FakeComm::sendCommand(int32_t node, uint8_t* buffer) {
    std::lock_guard<std::mutex> guard(mutex_);
    Request request;
    request.node = node;
    request.type = buffer[0];
    uint8_t length = buffer[1];
    if (length > wire::kMaxCommandBytes) length = wire::kMaxCommandBytes;  // a request never holds more
    request.commandBytes.assign(buffer + wire::kHeaderSize, buffer + wire::kHeaderSize + length);
    request.command = dotted(request.commandBytes.data(), length);
    size_t dataLength = wire::boundedDataLength(buffer, length);
    request.data.assign(buffer + wire::kHeaderSize + length, buffer + wire::kHeaderSize + length + dataLength);
    request.buffer.assign(buffer, buffer + wire::kBufferSize);
    requests_.push_back(request);
    int sequence = static_cast<int>(requests_.size());

    for (const auto& [n, result] : failNth_) {
        if (n == sequence) return result;
    }
    for (Rule& rule : rules_) {
        if (rule.command_ != request.command || rule.remaining_ == 0) continue;
        if (rule.node_ && *rule.node_ != node) continue;
        if (rule.type_ && *rule.type_ != request.type) continue;
        if (rule.remaining_ > 0) --rule.remaining_;
        if (rule.sendResult_ != 0) return rule.sendResult_;
        if (rule.handler_) {
            rule.handler_(buffer);
            return 0;
        }
        writeAnswer(buffer, request.commandBytes.data(), length, rule.status_, rule.data_);
        if (rule.claimedLength_) {
            buffer[2] = static_cast<uint8_t>(*rule.claimedLength_ & 0xFF);
            buffer[3] = static_cast<uint8_t>(*rule.claimedLength_ >> 8);
        }
        if (rule.echoLength_) buffer[1] = *rule.echoLength_;
        if (rule.answerType_) buffer[0] = *rule.answerType_;
        if (rule.mangle_) rule.mangle_(buffer);
        return 0;
    }
    writeAnswer(buffer, request.commandBytes.data(), length, 0xFF, {});
    return 0;
}

FakeComm::EventQueue& FakeComm::queue(uint32_t node) {
    for (auto& [n, q] : queues_) {
        if (n == node) return q;
    }
    return queues_.emplace_back(node, EventQueue{}).second;
}

void FakeComm::pushEvent(uint32_t node, const Bytes& buffer) {
    std::lock_guard<std::mutex> guard(mutex_);
    queue(node).events.push_back(buffer);
    eventsChanged_.notify_all();
}

void FakeComm::clearEvents() {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto& [n, q] : queues_) {
        q.events.clear();
        q.pendingStop = false;
    }
}

bool FakeComm::registered(uint32_t node) const {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& [n, q] : queues_) {
        if (n == node) return q.waiting > 0;
    }
    return false;
}

uint32_t FakeComm::registerForEvents(uint32_t node, uint8_t* buffer) {
    std::unique_lock<std::mutex> lock(mutex_);
    EventQueue* q = &queue(node);
    if (q->pendingStop) {
        q->pendingStop = false;
        return kCommEventsStopped;
    }
    uint64_t generation = q->stopGeneration;
    ++q->waiting;
    eventsChanged_.notify_all();
    eventsChanged_.wait(lock, [&] {
        q = &queue(node);
        return q->stopGeneration != generation || !q->events.empty();
    });
    --q->waiting;
    if (q->stopGeneration != generation) return kCommEventsStopped;
    Bytes event = std::move(q->events.front());
    q->events.pop_front();
    size_t size = event.size() < wire::kBufferSize ? event.size() : wire::kBufferSize;
    std::memset(buffer, 0, wire::kBufferSize);
    std::memcpy(buffer, event.data(), size);
    return 0;
}

uint32_t FakeComm::deRegisterForEvents(uint32_t node) {
    std::lock_guard<std::mutex> guard(mutex_);
    EventQueue& q = queue(node);
    ++q.stopGeneration;
    if (q.waiting == 0) q.pendingStop = true;
    eventsChanged_.notify_all();
    return 0;
}

bool FakeComm::stopPending(uint32_t node) const {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& [n, q] : queues_) {
        if (n == node) return q.pendingStop;
    }
    return false;
}

}  // namespace yattest
