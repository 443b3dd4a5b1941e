// Fuzzes the simulator's scenario loader: any bytes as a scenario document. A document is either
// loaded or refused with a ScenarioError whose message is one printable line; nothing else may
// escape (no crash, no other exception, no unbounded recursion).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        yatsim::Scenario scenario = yatsim::parseScenario(text, "fuzz.json");
        if (scenario.nodes.empty() || scenario.nodes.size() > yatsim::kMaxNodes) std::abort();
    } catch (const yatsim::ScenarioError& error) {
        for (const char* c = error.what(); *c != '\0'; ++c) {
            if (*c < 0x20 || *c > 0x7E) std::abort();
        }
    }
    return 0;
}
