// Parsing scenario documents near the 16 MiB cap: a legal timeline of about 380,000 entries, and an
// unknown member holding hundreds of thousands of empty objects (refused once parsed). The goal is
// well under a second for 16 MiB: the parser must be linear in the size of the text.
//
// Counters: bytes = size of the document; MiB/s = bytes parsed per second.

#include <benchmark/benchmark.h>

#include <string>

#include "sim/scenario.h"

namespace {

// {"nodes":[{}],"timeline":[E,E,...]} just under the size cap, E a fan event.
std::string timelineDocument() {
    const std::string entry = R"({"at":1000,"node":0,"event":"fan","fan":3})";
    std::string text = R"({"nodes":[{}],"timeline":[)";
    while (text.size() + entry.size() + 3 < yatsim::kMaxScenarioBytes) text += entry + ",";
    text.back() = ']';
    return text + "}";
}

// {"nodes":[{}],"x":[{},{},...]} with count objects.
std::string emptyObjectsDocument(size_t count) {
    std::string text = R"({"nodes":[{}],"x":[)";
    for (size_t i = 0; i < count; ++i) text += i == 0 ? "{}" : ",{}";
    return text + "]}";
}

void report(benchmark::State& state, size_t bytes) {
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["MiB/s"] =
        benchmark::Counter(static_cast<double>(bytes) / (1 << 20), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ScenarioTimeline16MiB(benchmark::State& state) {
    const std::string text = timelineDocument();
    for (auto _ : state) {
        yatsim::Scenario scenario = yatsim::parseScenario(text, "bench");
        benchmark::DoNotOptimize(scenario.timeline.size());
    }
    report(state, text.size());
}
BENCHMARK(BM_ScenarioTimeline16MiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ScenarioEmptyObjects(benchmark::State& state) {
    const std::string text = emptyObjectsDocument(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        try {
            yatsim::parseScenario(text, "bench");
        } catch (const yatsim::ScenarioError&) {
            // "x" is not a member of a scenario: refused after the whole text was parsed
        }
    }
    report(state, text.size());
}
BENCHMARK(BM_ScenarioEmptyObjects)->Arg(100000)->Arg(400000)->Arg(5000000)->Unit(benchmark::kMillisecond);

}  // namespace
