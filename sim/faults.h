#pragma once
// Fault injection of the simulator: rules that make requests fail in transport, answer with a
// non-zero status or a malformed answer, or take longer. Every decision is reproducible: the rules
// count the requests they match, and a rule with a rate draws from its own generator seeded from the
// plan's seed, so the same requests in the same order meet the same faults.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/handler_table.h"
#include "sim/json_field.h"

namespace yatsim {

enum class FaultKind {
    kTransport,        // sendCommand returns value (default 1), the buffer untouched
    kStatus,           // the answer carries status value (default 7) and no data; the command is not run
    kWrongType,        // the answer's type byte is value (default 2)
    kWrongEcho,        // the answer echoes value as command length (default: one more than sent)
    kTruncated,        // the answer data are cut to value bytes (default: half), the length field matching
    kOversizedLength,  // the data length field claims value (default 0xFFFF); the data stay as they are
    kLatency,          // the answer comes value milliseconds later (scaled by the time scale)
};
inline constexpr size_t kFaultKindCount = 7;

// The kind's name as a scenario writes it ("transport", "status", ...).
const char* faultKindName(FaultKind kind);

struct FaultRule {
    FaultKind kind = FaultKind::kTransport;
    std::optional<uint32_t> value;
    // Which requests the rule matches: a command (or every command beginning with it when prefix is
    // set; no command: every request), a node, a request type.
    std::optional<Bytes> command;
    bool prefix = false;
    std::optional<int32_t> node;
    std::optional<uint8_t> type;
    // When a matching request meets the fault: on the listed matches (1-based) if nth is not empty;
    // otherwise after the first skip matches, at most count times (0: no limit), each time with
    // probability rate.
    std::vector<uint64_t> nth;
    uint64_t skip = 0;
    uint64_t count = 0;
    double rate = 1.0;

    bool matches(const Request& request) const;
};

struct FaultPlan {
    uint64_t seed = 1;
    std::vector<FaultRule> rules;
};

// What happens to one request: the first rule that fires among the failure kinds, and the sum of the
// latencies of the latency rules that fire.
struct FaultDecision {
    std::optional<FaultRule> failure;
    uint32_t latencyMs = 0;
};

// Not thread-safe: SimBusComm calls it under its lock.
class FaultInjector {
public:
    explicit FaultInjector(const FaultPlan& plan = {});

    void add(const FaultRule& rule);
    void clear();
    // Restarts every rule's generator from seed and its counts from 0.
    void reseed(uint64_t seed);

    FaultDecision decide(const Request& request);

private:
    struct Active {
        FaultRule rule;
        uint64_t matched = 0;
        uint64_t fired = 0;
        uint64_t random = 0;  // generator state
    };
    static uint64_t ruleSeed(uint64_t seed, size_t index);
    bool fires(Active& active);

    uint64_t seed_;
    std::vector<Active> rules_;
};

// Applies a malformed-answer fault (wrong type, wrong echo, oversized length) to an encoded answer.
void applyMalformation(uint8_t* buffer, const FaultRule& rule);

// The "faults" member of a scenario.
FaultPlan loadFaultPlan(const Field& field);

}  // namespace yatsim
