#pragma once
// ExporterSink: the exporter's sensor sink. It notes every sensor the library announces, keeps the
// registry texts the library hands it in the state folder's registry file (HostSink), and counts in
// the model the events the SPs sent, by node and kind (PFA events also on their own).
//
// Telling events from polls: the library reports to the sink from its polling thread (every sensor,
// every round) as well as from one event thread per node (what an event of the SP changed), through
// the same call. Only reports made on an event thread are counted:
// - A node event report with an event code (fan, voltage, PFA, drive) comes from an event thread only.
// - Temperatures, voltages and the processor indicators are reported by the polling thread only:
//   the thread that makes one is the poller, as is a thread that reports sensors of two nodes (an
//   event thread serves one node).
// - A fan or supply report (a stopped fan, a failed supply: an event thread's, or a routine poll's)
//   from a thread not known as the poller waits until the next settle after the one that saw it
//   (settle runs each refresh): the poller reports its temperatures within the same round, right
//   after its fans, so by then its thread is known and the report is dropped; otherwise it is
//   counted as an event.
// Reports during a discovery (setDiscovering) or before startMonitoring are never events.
// Thread-safe: the library's threads call it while the exporter reads it.

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "yat/sensor_sink.h"
#include "yatctl/exporter_model.h"
#include "yatctl/host_sink.h"

namespace yatctl::exporter {

class ExporterSink final : public cSensorSink {
public:
    // registryFile: the registry-data file (HostSink), or "" for texts kept in memory only.
    explicit ExporterSink(Model& model, std::string registryFile = "")
        : model_(model), registry_(std::move(registryFile)) {}

    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                         int32_t code, const char* text) override;
    int32_t addRegistryText(const char* keyPath, const char* text) override;
    int32_t findRegistryText(const char* text) override;

    // From now on reports outside a discovery may be events.
    void startMonitoring();
    // While on, reports are discovery's, not events (a discovery retried while monitoring runs).
    void setDiscovering(bool discovering);
    // Counts the waiting fan and supply reports that turned out not to be the poller's (see above).
    void settle();
    // The sensors discovery announced: library sensor key node, class, sensor number.
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors();
    // The first problem with the registry file, or "".
    std::string registryError();

private:
    struct Waiting {
        std::thread::id thread;
        int32_t node;  // from 0
        std::string kind;
        bool seenBySettle;
    };

    void count(int32_t node, const std::string& kind, int32_t code);

    Model& model_;
    std::mutex mutex_;
    bool monitoring_ = false;
    bool discovering_ = false;
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors_;
    HostSink registry_;
    std::set<std::thread::id> pollers_;
    std::vector<std::tuple<std::thread::id, int32_t>> threadNodes_;  // the node each other thread reported
    std::vector<Waiting> waiting_;
};

}  // namespace yatctl::exporter
