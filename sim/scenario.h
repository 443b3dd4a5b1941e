#pragma once
// A scenario: the simulated server (one NodeState per SP node), the timeline of events it raises and
// the faults it injects. Loaded from JSON (schema in sim/SCENARIO.md) and checked on load; the
// default scenario, a two-node server, is compiled into the simulator.

#include <string>
#include <string_view>
#include <vector>

#include "sim/events.h"
#include "sim/faults.h"
#include "sim/node_state.h"

namespace yatsim {

inline constexpr size_t kMaxNodes = 16;
// Limits of a scenario document: its size in bytes and the depth of nested arrays and objects.
inline constexpr size_t kMaxScenarioBytes = size_t{16} << 20;
inline constexpr size_t kMaxNesting = 64;
// Values (numbers, texts, arrays, objects, ...) a document may hold besides its timelines' entries,
// which are read one by one.
inline constexpr size_t kMaxDocumentValues = size_t{1} << 20;

struct Scenario {
    std::string source;  // the file name, or "(default scenario)"
    std::string description;
    std::vector<NodeState> nodes;
    std::vector<TimelineEntry> timeline;  // in time order
    // Played only when asked for (SimBusComm::playTimeline), with times counted from then.
    std::vector<TimelineEntry> demoTimeline;
    FaultPlan faults;
};

// Parses a scenario document in time linear in its size. Throws ScenarioError naming source, the field
// and what was expected; a NUL byte, an object with a key twice, arrays and objects nested deeper
// than kMaxNesting, and more than kMaxDocumentValues values besides the timelines are errors.
Scenario parseScenario(std::string_view text, const std::string& source);
// Reads and parses a scenario file. Throws ScenarioError when the file is missing, unreadable, not a
// regular file (a folder, FIFO or device) or larger than kMaxScenarioBytes, is not JSON, or has a
// wrong field.
Scenario loadScenarioFile(const std::string& path);

// The compiled-in default scenario, as text and parsed.
std::string_view defaultScenarioText();
Scenario defaultScenario();

}  // namespace yatsim
