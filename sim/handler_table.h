#pragma once
// Requests, answers and the table that routes a request to the handler of its command family.
//
// A handler sees the node's state and the decoded request and returns the answer's status and data;
// SimBusComm writes the answer into the command buffer (type 4, echoed command bytes). Handlers run
// one at a time (SimBusComm holds its lock), so they may change the node state freely.
//
// Adding a command family: write sim/handlers/<family>.cpp with a register<Family>Handlers(HandlerTable&)
// function, declare it in sim/handlers/handlers.h and add one line to standardHandlers().

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "yat/command_buffer.h"
#include "sim/dotted.h"
#include "sim/node_state.h"

namespace yatsim {

// Status bytes of the simulated SP.
namespace spstatus {
inline constexpr uint8_t kOk = 0;
inline constexpr uint8_t kInvalidRequest = 1;                      // wrong command type or request data for the command
inline constexpr uint8_t kNotPresent = 2;                          // the addressed device is not installed
inline constexpr uint8_t kUnavailable = wire::kStatusUnavailable;  // 7: refused (read too long, device unavailable)
inline constexpr uint8_t kUnknownCommand = 0xFF;                   // the SP does not know the command
}  // namespace spstatus

struct Request {
    int32_t node = 0;
    uint8_t type = 0;  // wire::kSet, kGet, kGetNext
    Bytes command;
    Bytes data;
    std::string dotted() const { return dottedText(command); }
};

struct Answer {
    uint8_t status = spstatus::kOk;
    Bytes data;

    static Answer ok(Bytes data = {}) { return Answer{spstatus::kOk, std::move(data)}; }
    static Answer failure(uint8_t status) { return Answer{status, {}}; }
};

using Handler = std::function<Answer(NodeState& node, const Request& request)>;

class HandlerTable {
public:
    // Handles exactly this command. The dotted text must be valid (a bad one is a programming error and
    // throws std::invalid_argument).
    void add(std::string_view dotted, Handler handler);
    // Handles every longer command that begins with these bytes. Exact entries win over families, and
    // a longer family over a shorter one.
    void addFamily(std::string_view dottedPrefix, Handler handler);
    // The handler for command, or null.
    const Handler* find(const Bytes& command) const;

private:
    std::map<Bytes, Handler> exact_;
    std::map<Bytes, Handler> families_;
};

// The table with every command family the simulator knows.
const HandlerTable& standardHandlers();

// Decodes the request in a 4096-byte command buffer. Nothing when the command length is 0 or above
// wire::kMaxCommandBytes. The data are cut to what the buffer holds.
std::optional<Request> decodeRequest(const uint8_t* buffer, int32_t node);

// Writes an answer (type 4, the request's command bytes echoed, status, data cut to the room left in
// the buffer) over the whole buffer.
void encodeAnswer(uint8_t* buffer, const Bytes& command, const Answer& answer);

}  // namespace yatsim
