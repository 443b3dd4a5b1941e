#pragma once
// The exporter's view of the server: what the refresh thread last read through the library's
// operations and what the sensor sink was told, kept as one snapshot that a scrape turns into metric
// families without calling the library (so a scrape never sends an SP command).
//
// Node labels number nodes from 0 everywhere, as yatctl's --node does; the library's sensor key node
// numbers are converted when recorded (shownNode). State values: 0 nominal, 1 warning, 2 critical,
// NaN unknown (see sensorState). Thread-safe: the refresh thread and the sink write, any number of
// scrapes read.
//
// Freshness: a node whose last successful refresh (its system state read) is older than the model's
// bound counts as down, and its sensor series are left out of the page rather than shown with their
// last values; they come back with the node's next successful refresh.

#include <cstdint>
#include <limits>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include <prometheus/metric_family.h>

namespace yatctl::exporter {

// A sensor status code of the library as a state value (NaN for unknown, absent or unrecognised).
double sensorState(int32_t status);

inline constexpr double kNoLimit = std::numeric_limits<double>::quiet_NaN();

// A sensor's limits as the SP states them, kNoLimit where it states none.
struct SensorLimits {
    double upperCritical = kNoLimit;  // temperatures, voltages
    double upperWarning = kNoLimit;   // temperatures
    double lowerCritical = kNoLimit;  // fans, voltages
};

struct SensorSample {
    int32_t node = 0;  // from 0, as --node
    int32_t sensorClass = 0;
    int32_t sensor = 0;  // the sensor number
    std::string name;    // unique on its node, stable across runs (sensorName)
    std::string kind;    // what it measures, one word (sensorKind)
    double value;        // NaN when unknown; power supplies have none
    double state;        // NaN when unknown
    SensorLimits limits{};
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

// The parts of a refresh reported by yat_collector_up (each 1 when its last attempt succeeded) and
// yat_refresh_duration_seconds.
inline constexpr const char* kCollectors[] = {"sensors", "system", "sel", "monitoring"};

// The kinds of event yat_events_total counts, each from 0 for every node.
inline constexpr const char* kEventKinds[] = {"fan", "voltage", "power_supply", "pfa", "drive"};

// The library operations yat_sp_command_failures_total counts, each from 0: per node, and those that
// cover every node at once (their series carry no node label).
inline constexpr const char* kNodeOperations[] = {"sensor_status", "system_state", "watchdog_timers",
                                                  "firmware",      "machine_vpd",  "event_log"};
inline constexpr const char* kServerOperations[] = {"discovery", "monitoring_registration"};
inline constexpr int32_t kAllNodes = -1;  // the node of a kServerOperations failure

struct Snapshot {
    std::vector<SensorSample> sensors;
    std::vector<NodeSample> nodes;
    std::map<std::tuple<int32_t, std::string>, uint64_t> events;           // (node, kind) -> count
    std::map<int32_t, uint64_t> pfaEvents;                                 // node -> count
    std::map<std::tuple<int32_t, std::string>, uint64_t> commandFailures;  // (node or kAllNodes, operation)
    uint64_t pollingRounds = 0;
    double lastPollSeconds = 0;                    // Unix time of the last finished refresh, 0 before
    std::map<std::string, bool> collectors;        // collector -> its last attempt succeeded
    std::map<std::string, double> refreshSeconds;  // collector -> time its last run spent with the SP
    double nowSeconds = 0;                         // Unix time of the scrape
    double staleAfterSeconds = 0;                  // 0: never stale
    std::string comm;                              // the comm device's label (yat_build_info); "" leaves it out
    bool commSimulated = false;                    // the embedded simulator
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
    void countFailure(int32_t node, const std::string& operation);
    void setCollectorUp(const std::string& collector, bool up);
    void setRefreshSeconds(const std::string& collector, double seconds);
    void setComm(const std::string& label, bool simulated);

private:
    mutable std::mutex mutex_;
    Snapshot snapshot_;
    std::map<int32_t, double> selEntries_;
    std::map<int32_t, double> lastRefresh_;  // node -> Unix time of its last successful refresh
};

// A scrape: the snapshot's metric families in the Prometheus text format, every name starting with
// prefix + "_".
std::string scrapePage(const Model& model, const std::string& prefix);

}  // namespace yatctl::exporter
