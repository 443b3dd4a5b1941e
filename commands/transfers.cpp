// Generic transfers of cSPCmd: build, send and check in one step.

#include <cstring>

#include "commands/sp_cmd.h"
#include "platform/endian.h"
#include "yat/result_codes.h"

int32_t cSPCmd::sendRequest(cBusComm* comm, int32_t node, int32_t commandType, const char* dotCommand,
                            const uint8_t* params, int32_t paramCount) {
    if (buildSPCommand(dotCommand, commandType, params, nullptr, paramCount, 0) == nullptr) {
        return ERR_INVALID_PARAMETER;
    }
    if (comm == nullptr) return ERR_INVALID_PARAMETER;
    return send(comm, node);
}

int32_t cSPCmd::readData(cBusComm* comm, int32_t node, int32_t commandType, const char* dotCommand,
                         const uint8_t* params, int32_t paramCount, void* destination, int32_t length) {
    if (comm == nullptr || destination == nullptr || length < 0) return ERR_INVALID_PARAMETER;
    int32_t result = sendRequest(comm, node, commandType, dotCommand, params, paramCount);
    if (result != ERR_SUCCESS) return result;
    if (!answerOk()) return ERR_BAD_ANSWER;
    // Exactly length bytes, whatever the answer's own length, but never past the buffer.
    size_t room = wire::kBufferSize - wire::kHeaderSize - static_cast<size_t>(origCmdSize);
    size_t count = static_cast<size_t>(length);
    if (count > room) {
        std::memset(static_cast<uint8_t*>(destination) + room, 0, count - room);
        count = room;
    }
    std::memcpy(destination, answerData(), count);
    return ERR_SUCCESS;
}

int32_t cSPCmd::readValue32(cBusComm* comm, int32_t node, const char* dotCommand, uint32_t* value) {
    if (value == nullptr) return ERR_INVALID_PARAMETER;
    uint8_t bytes[4] = {};
    int32_t result = readData(comm, node, wire::kGet, dotCommand, nullptr, 0, bytes, 4);
    if (result == ERR_SUCCESS) {
        *value = endian::loadBE32(bytes);
    }
    return result;
}

int32_t cSPCmd::writeData(cBusComm* comm, int32_t node, const char* dotCommand, const uint8_t* params,
                          int32_t paramCount, const uint8_t* data, int32_t dataSize) {
    if (buildSPCommand(dotCommand, wire::kSet, params, data, paramCount, dataSize) == nullptr) {
        return ERR_INVALID_PARAMETER;
    }
    if (comm == nullptr) return ERR_INVALID_PARAMETER;
    int32_t result = send(comm, node);
    if (result != ERR_SUCCESS) return result;
    return answerStatus() == SpStatus::kOk ? ERR_SUCCESS : ERR_BAD_ANSWER;
}

int32_t cSPCmd::writeValue32(cBusComm* comm, int32_t node, const char* dotCommand, uint32_t value) {
    const uint8_t data[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                             static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return writeData(comm, node, dotCommand, nullptr, 0, data, 4);
}
