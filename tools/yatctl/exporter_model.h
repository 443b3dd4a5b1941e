#pragma once
// The exporter's view of the server: what the refresh thread last read through the library's
// operations and what the sensor sink was told, kept as one snapshot that a scrape turns into metric
// families without calling the library (so a scrape never sends an SP command).
//
// Node labels are node indexes (0-based) everywhere; the library's sensor node numbers (index + 1)
// are converted when recorded. State values: 0 nominal, 1 warning, 2 critical, NaN unknown (see
// sensorState). Thread-safe: the refresh thread and the sink write, any number of scrapes read.
//
// Freshness: a node whose last successful refresh (its system state read) is older than the model's
// bound counts as down, and its sensor series are left out of the page rather than shown with their
// last values; they come back with the node's next successful refresh.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include <prometheus/metric_family.h>

namespace yatctl::exporter {

// A sensor status code of the library as a state value (NaN for unknown, absent or unrecognised).
double sensorState(int32_t status);

struct SensorSample {
    int32_t node = 0;  // node index
    int32_t sensorClass = 0;
    int32_t sensor = 0;  // the sensor number
    int32_t type = 0;
    int32_t instance = 0;
    double value;  // NaN when unknown; power supplies have none
    double state;  // NaN when unknown
};

struct NodeSample {
    int32_t node = 0;
    bool up = false;  // the last refresh read the node's system state
    double powerOn;   // 1 on, 0 off, NaN unknown
    // Watchdog timeouts in seconds (NaN when unread): POST, loader, OS, power-off delay.
    double watchdogs[4];
    double selEntries;  // NaN until first counted
    std::string firmwareRevision, systemFirmwareVersion, machineType, serial;
    double lastRefreshSeconds = 0;  // Unix time of the node's last successful refresh, 0 before
};

// The parts of a refresh reported by yat_collector_up, each 1 when its last attempt succeeded.
inline constexpr const char* kCollectors[] = {"sensors", "system", "sel", "monitoring"};

struct Snapshot {
    std::vector<SensorSample> sensors;
    std::vector<NodeSample> nodes;
    std::map<std::tuple<int32_t, std::string>, uint64_t> events;  // (node, kind) -> count
    std::map<int32_t, uint64_t> pfaEvents;                        // node -> count
    std::map<std::string, uint64_t> commandFailures;              // result name -> count
    uint64_t pollingRounds = 0;
    double lastPollSeconds = 0;  // Unix time of the last finished refresh, 0 before
    double lastScrapeSeconds = 0;
    std::map<std::string, bool> collectors;  // collector -> its last attempt succeeded
    double nowSeconds = 0;                   // Unix time of the scrape
    double staleAfterSeconds = 0;            // 0: never stale
};

// Whether the node's sensor series are too old to be shown (see Freshness above).
bool isStale(const Snapshot& snapshot, const NodeSample& node);

// Turns a snapshot into the metric families, every name starting with prefix + "_".
std::vector<prometheus::MetricFamily> buildFamilies(const Snapshot& snapshot, const std::string& prefix);

// The current Unix time in seconds.
double unixSeconds();

// The shared snapshot.
class Model {
public:
    // staleAfterSeconds: the freshness bound (0: never stale).
    explicit Model(double staleAfterSeconds = 0);

    Snapshot snapshot() const;
    void replaceReadings(std::vector<SensorSample> sensors, std::vector<NodeSample> nodes, double pollSeconds);
    void setSelEntries(int32_t node, double entries);
    void countEvent(int32_t node, const std::string& kind);
    void countPfa(int32_t node);
    void countFailure(const std::string& result);
    void setScrapeSeconds(double seconds);
    void setCollectorUp(const std::string& collector, bool up);

private:
    mutable std::mutex mutex_;
    Snapshot snapshot_;
    std::map<int32_t, double> selEntries_;
    std::map<int32_t, double> lastRefresh_;  // node -> Unix time of its last successful refresh
};

// A scrape: the snapshot's metric families in the Prometheus text format, every name starting with
// prefix + "_". The time it took is recorded in the model for the next page.
std::string scrapePage(Model& model, const std::string& prefix);

}  // namespace yatctl::exporter
