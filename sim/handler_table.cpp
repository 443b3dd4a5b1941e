#include "sim/handler_table.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace yatsim {

namespace {

Bytes commandBytes(std::string_view dotted) {
    std::optional<Bytes> bytes = parseDotted(dotted);
    if (!bytes) throw std::invalid_argument("simulator: bad dotted command in handler table: " + std::string(dotted));
    return *bytes;
}

}  // namespace

void HandlerTable::add(std::string_view dotted, Handler handler) { exact_[commandBytes(dotted)] = std::move(handler); }

void HandlerTable::addFamily(std::string_view dottedPrefix, Handler handler) {
    families_[commandBytes(dottedPrefix)] = std::move(handler);
}

const Handler* HandlerTable::find(const Bytes& command) const {
    auto exact = exact_.find(command);
    if (exact != exact_.end()) return &exact->second;
    for (size_t length = command.size(); length-- > 0;) {
        auto family = families_.find(Bytes(command.begin(), command.begin() + static_cast<std::ptrdiff_t>(length)));
        if (family != families_.end()) return &family->second;
    }
    return nullptr;
}

std::optional<Request> decodeRequest(const uint8_t* buffer, int32_t node) {
    size_t commandLength = buffer[wire::kCommandLengthOffset];
    if (commandLength == 0 || commandLength > static_cast<size_t>(wire::kMaxCommandBytes)) return std::nullopt;
    Request request;
    request.node = node;
    request.type = buffer[wire::kTypeOffset];
    const uint8_t* command = buffer + wire::kHeaderSize;
    request.command.assign(command, command + commandLength);
    size_t dataLength = wire::boundedDataLength(buffer, commandLength);
    request.data.assign(command + commandLength, command + commandLength + dataLength);
    return request;
}

void encodeAnswer(uint8_t* buffer, const Bytes& command, const Answer& answer) {
    size_t commandLength = std::min(command.size(), static_cast<size_t>(wire::kMaxCommandBytes));
    size_t room = wire::kBufferSize - wire::kHeaderSize - commandLength;
    size_t size = std::min(answer.data.size(), room);
    std::memset(buffer, 0, wire::kBufferSize);
    buffer[wire::kTypeOffset] = wire::kAnswer;
    buffer[wire::kCommandLengthOffset] = static_cast<uint8_t>(commandLength);
    buffer[wire::kDataLengthOffset] = static_cast<uint8_t>(size & 0xFF);
    buffer[wire::kDataLengthOffset + 1] = static_cast<uint8_t>(size >> 8);
    buffer[wire::kStatusOffset] = answer.status;
    if (commandLength > 0) std::memcpy(buffer + wire::kHeaderSize, command.data(), commandLength);
    if (size > 0) std::memcpy(buffer + wire::kHeaderSize + commandLength, answer.data.data(), size);
}

}  // namespace yatsim
