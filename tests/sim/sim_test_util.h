#pragma once
// Helpers of the simulator tests: send one request to a SimBusComm and look at the answer.

#include <cstdint>
#include <string>
#include <vector>

#include "commands/sp_cmd.h"
#include "sim/sim_bus_comm.h"

namespace simtest {

using yatsim::Bytes;

struct Reply {
    uint32_t result = 0;
    Bytes buffer;  // the whole 4096-byte buffer after the call
    uint8_t type() const { return buffer[0]; }
    uint8_t echo() const { return buffer[1]; }
    uint16_t length() const { return static_cast<uint16_t>(buffer[2] | (buffer[3] << 8)); }
    uint8_t status() const { return buffer[4]; }
    // The answer data after echo() command bytes, as long as length() says.
    Bytes data() const {
        size_t start = 6 + echo();
        return Bytes(buffer.begin() + static_cast<std::ptrdiff_t>(start),
                     buffer.begin() + static_cast<std::ptrdiff_t>(start + length()));
    }
};

// Builds dotCommand (type, data) with cSPCmd and sends it to node.
inline Reply send(cBusComm& comm, const char* dotCommand, uint8_t type = wire::kGet, const Bytes& data = {},
                  int32_t node = 0) {
    cSPCmd command;
    command.buildSPCommand(dotCommand, type, nullptr, data.empty() ? nullptr : data.data(), 0,
                           static_cast<int32_t>(data.size()));
    Reply reply;
    reply.result = command.send(&comm, node);
    reply.buffer.assign(command.buffer(), command.buffer() + wire::kBufferSize);
    return reply;
}

inline Bytes text(const std::string& value) { return Bytes(value.begin(), value.end()); }

}  // namespace simtest
