#pragma once
// yat-soak: the library under load and faults. The operations the soak's threads pick from, the
// per-thread state they run with, and what they count.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "frame/libyat.h"
#include "sim/sim_bus_comm.h"

namespace soak {

// The codes the fault plan uses, so that a pass-through of the comm device's failure or of the SP's
// status can be told from the library's own codes.
inline constexpr int32_t kTransportCode = 21;
inline constexpr int32_t kStatusCode = 7;

using Codes = std::set<int32_t>;

// Invariant failures, shared by every thread.
class Failures {
public:
    void add(const std::string& what);
    size_t count() const;
    std::vector<std::string> first(size_t n) const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> kept_;  // the first of each text only
    size_t count_ = 0;
};

// What one thread counted; merged at the end.
struct Counts {
    std::map<std::string, uint64_t> perKind;                       // operations run, by kind
    std::map<std::string, std::map<int32_t, uint64_t>> histogram;  // result codes, by operation
    uint64_t checkedRoundTrips = 0;                                // read-backs compared
    void merge(const Counts& other);
};

// One soak thread's view: the library, the simulator, its own generator and counts.
struct Worker {
    cDeviceLib* lib = nullptr;
    yatsim::SimBusComm* comm = nullptr;
    bool overSocket = false;  // the library reaches comm through the socket device (--comm unix:/tcp:)
    cSensorSink* sink = nullptr;
    Failures* failures = nullptr;
    std::mt19937_64 rng;
    Counts counts;
    int32_t node = 0;  // the node of the operation being run (drawn before each one)

    int32_t pick(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(rng); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p; }
    // Records code for the operation and reports it when it is not among allowed.
    void result(const char* kind, const char* operation, int32_t code, const Codes& allowed);
    void broken(const std::string& what) { failures->add(what); }
};

// A query or read operation of the interface: run by the host threads, chosen by weight.
struct Operation {
    const char* name;
    const char* kind;
    int weight;
    Codes allowed;
    std::function<int32_t(Worker&)> run;  // the result code; checks its outputs itself
};

// A write followed by the read of the same setting.
struct RoundTripResult {
    int32_t write = 0;
    int32_t read = 0;
    bool same = true;
    std::string wrote;
    std::string readBack;
};

struct RoundTrip {
    const char* name;
    int weight;
    Codes writeAllowed;
    Codes readAllowed;
    std::function<RoundTripResult(Worker&)> run;
};

const std::vector<Operation>& readOperations();
const std::vector<RoundTrip>& roundTrips();

// Runs one round trip: checks both codes and, when both succeeded and no fault hit this thread in
// between (over the socket device, where the simulator runs on the server's threads: no fault hit
// any request in between), that the setting reads back as written.
void runRoundTrip(Worker& worker, const RoundTrip& trip);

// Picks an entry by weight.
template <class T>
const T& pickWeighted(Worker& worker, const std::vector<T>& table) {
    int total = 0;
    for (const T& entry : table) total += entry.weight;
    int draw = worker.pick(0, total - 1);
    for (const T& entry : table) {
        if (draw < entry.weight) return entry;
        draw -= entry.weight;
    }
    return table.back();
}

}  // namespace soak
