#include "yatctl/exporter_model.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <set>

#include <prometheus/text_serializer.h>

#include "yat/codes.h"
#include "yat/version.h"

namespace yatctl::exporter {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using prometheus::ClientMetric;
using prometheus::MetricFamily;
using prometheus::MetricType;

// A class's families: its value (null: none), its state, and its limits (null: the class has none).
struct ClassFamilies {
    int32_t sensorClass;
    const char* value;
    const char* valueHelp;
    const char* state;
    const char* word;  // what the help texts call it
    const char* upperCritical;
    const char* upperWarning;
    const char* lowerCritical;
};

constexpr ClassFamilies kClassFamilies[] = {
    {yat::kClassTemperature, "temperature_celsius", "Temperature reading in degrees Celsius", "temperature_state",
     "Temperature", "temperature_upper_critical_celsius", "temperature_upper_warning_celsius", nullptr},
    {yat::kClassFan, "fan_speed_rpm", "Fan speed in rotations per minute", "fan_speed_state", "Fan", nullptr, nullptr,
     "fan_speed_lower_critical_rpm"},
    {yat::kClassVoltage, "voltage_volts", "Voltage reading in volts", "voltage_state", "Voltage",
     "voltage_upper_critical_volts", nullptr, "voltage_lower_critical_volts"},
    {yat::kClassPowerSupply, nullptr, nullptr, "power_supply_state", "Power supply", nullptr, nullptr, nullptr},
};

ClientMetric metric(std::vector<ClientMetric::Label> labels, double value, MetricType type) {
    ClientMetric m;
    m.label = std::move(labels);
    if (type == MetricType::Counter) {
        m.counter.value = value;
    } else {
        m.gauge.value = value;
    }
    return m;
}

MetricFamily family(const std::string& prefix, const std::string& name, const std::string& help, MetricType type) {
    MetricFamily f;
    f.name = prefix + "_" + name;
    f.help = help;
    f.type = type;
    return f;
}

}  // namespace

double sensorState(int32_t status) {
    switch (status) {
        case yat::kStatusNormal:
        case yat::kStatusProcessorNormal: return 0;
        case yat::kStatusWarning: return 1;
        case yat::kStatusCritical:
        case yat::kStatusVoltageLow:
        case yat::kStatusVoltageHigh:
        case yat::kStatusSupplyFailed:
        case yat::kStatusProcessorHot: return 2;
        default: return kNaN;  // unknown, not present, no normal readings, or a code this mapping lacks
    }
}

bool isStale(const Snapshot& snapshot, const NodeSample& node) {
    return snapshot.staleAfterSeconds > 0 && snapshot.nowSeconds - node.lastRefreshSeconds > snapshot.staleAfterSeconds;
}

namespace {

// A limit family, filled with the limits the SP states (a sensor without one has no series).
void addLimitFamily(std::vector<MetricFamily>& families, const std::string& prefix, const char* name,
                    const std::string& help, const std::vector<const SensorSample*>& sensors,
                    const std::vector<std::vector<ClientMetric::Label>>& labels, double SensorLimits::*limit) {
    if (name == nullptr) return;
    MetricFamily limits = family(prefix, name, help, MetricType::Gauge);
    for (size_t i = 0; i < sensors.size(); ++i) {
        double value = sensors[i]->limits.*limit;
        if (!std::isnan(value)) limits.metric.push_back(metric(labels[i], value, MetricType::Gauge));
    }
    families.push_back(std::move(limits));
}

MetricFamily counterFamily(const std::string& prefix, const std::string& name, const std::string& help) {
    return family(prefix, name, help, MetricType::Counter);
}

void addCount(MetricFamily& f, std::vector<ClientMetric::Label> labels, uint64_t count) {
    f.metric.push_back(metric(std::move(labels), static_cast<double>(count), MetricType::Counter));
}

}  // namespace

std::vector<MetricFamily> buildFamilies(const Snapshot& snapshot, const std::string& prefix) {
    std::vector<MetricFamily> families;
    std::set<int32_t> staleNodes;
    for (const NodeSample& n : snapshot.nodes) {
        if (isStale(snapshot, n)) staleNodes.insert(n.node);
    }
    const std::string stateHelp = " sensor state (0 nominal, 1 warning, 2 critical, NaN unknown)";
    for (const ClassFamilies& cls : kClassFamilies) {
        std::vector<const SensorSample*> shown;
        std::vector<std::vector<ClientMetric::Label>> labels;
        for (const SensorSample& s : snapshot.sensors) {
            if (s.sensorClass != cls.sensorClass || staleNodes.count(s.node) != 0) continue;
            shown.push_back(&s);
            labels.push_back({{"id", std::to_string(s.sensor)},
                              {"name", s.name},
                              {"node", std::to_string(s.node)},
                              {"type", s.kind}});
        }
        if (cls.value != nullptr) {
            MetricFamily values = family(prefix, cls.value, cls.valueHelp, MetricType::Gauge);
            for (size_t i = 0; i < shown.size(); ++i) {
                values.metric.push_back(metric(labels[i], shown[i]->value, MetricType::Gauge));
            }
            families.push_back(std::move(values));
        }
        MetricFamily states = family(prefix, cls.state, std::string(cls.word) + stateHelp, MetricType::Gauge);
        for (size_t i = 0; i < shown.size(); ++i) {
            states.metric.push_back(metric(labels[i], shown[i]->state, MetricType::Gauge));
        }
        families.push_back(std::move(states));
        std::string word = cls.word;
        addLimitFamily(families, prefix, cls.upperCritical, word + " above which the SP reports critical", shown,
                       labels, &SensorLimits::upperCritical);
        addLimitFamily(families, prefix, cls.upperWarning, word + " above which the SP reports a warning", shown,
                       labels, &SensorLimits::upperWarning);
        addLimitFamily(families, prefix, cls.lowerCritical, word + " below which the SP reports critical", shown,
                       labels, &SensorLimits::lowerCritical);
    }

    MetricFamily up = family(prefix, "up", "1 when the last refresh could read the node's SP", MetricType::Gauge);
    MetricFamily info =
        family(prefix, "bmc_info", "Constant 1, labelled with the SP's firmware and machine", MetricType::Gauge);
    MetricFamily power = family(prefix, "chassis_power_state", "1 when the node is powered on", MetricType::Gauge);
    MetricFamily watchdog =
        family(prefix, "watchdog_timeout_seconds", "Watchdog timeouts of the SP in seconds", MetricType::Gauge);
    MetricFamily sel = family(prefix, "sel_entries_count", "Entries in the SP's system event log", MetricType::Gauge);
    MetricFamily refreshed = family(prefix, "last_refresh_timestamp_seconds",
                                    "Unix time of the node's last successful refresh, 0 before", MetricType::Gauge);
    constexpr const char* kWatchdogs[] = {"post", "loader", "os", "power_off_delay"};
    for (const NodeSample& n : snapshot.nodes) {
        std::string node = std::to_string(n.node);
        up.metric.push_back(metric({{"node", node}}, n.up && !isStale(snapshot, n) ? 1 : 0, MetricType::Gauge));
        refreshed.metric.push_back(metric({{"node", node}}, n.lastRefreshSeconds, MetricType::Gauge));
        info.metric.push_back(metric({{"firmware_revision", n.firmwareRevision},
                                      {"machine_type", n.machineType},
                                      {"node", node},
                                      {"serial", n.serial},
                                      {"system_firmware_version", n.systemFirmwareVersion}},
                                     1, MetricType::Gauge));
        power.metric.push_back(metric({{"node", node}}, n.powerOn, MetricType::Gauge));
        for (size_t i = 0; i < std::size(kWatchdogs); ++i) {
            watchdog.metric.push_back(
                metric({{"node", node}, {"timer", kWatchdogs[i]}}, n.watchdogs[i], MetricType::Gauge));
        }
        sel.metric.push_back(metric({{"node", node}}, n.selEntries, MetricType::Gauge));
    }
    for (MetricFamily* f : {&up, &refreshed, &info, &power, &watchdog, &sel}) families.push_back(std::move(*f));
    MetricFamily collectors = family(prefix, "collector_up",
                                     "1 when the collector's last attempt succeeded for every node", MetricType::Gauge);
    MetricFamily durations = family(prefix, "refresh_duration_seconds",
                                    "Time the collector's last run spent with the SPs", MetricType::Gauge);
    for (const char* name : kCollectors) {
        auto isUp = snapshot.collectors.find(name);
        collectors.metric.push_back(metric(
            {{"collector", name}}, isUp != snapshot.collectors.end() && isUp->second ? 1 : 0, MetricType::Gauge));
        auto seconds = snapshot.refreshSeconds.find(name);
        durations.metric.push_back(metric(
            {{"collector", name}}, seconds != snapshot.refreshSeconds.end() ? seconds->second : 0, MetricType::Gauge));
    }
    families.push_back(std::move(collectors));
    families.push_back(std::move(durations));

    // Counters start at 0 for every node, so that rate() and increase() see the first one.
    auto events = snapshot.events;
    auto pfaEvents = snapshot.pfaEvents;
    auto failures = snapshot.commandFailures;
    for (const char* operation : kServerOperations) failures.emplace(std::make_tuple(kAllNodes, operation), 0);
    for (const NodeSample& n : snapshot.nodes) {
        for (const char* kind : kEventKinds) events.emplace(std::make_tuple(n.node, kind), 0);
        for (const char* operation : kNodeOperations) failures.emplace(std::make_tuple(n.node, operation), 0);
        pfaEvents.emplace(n.node, 0);
    }
    MetricFamily eventCounts = counterFamily(prefix, "events_total", "Events the SPs sent, by node and kind");
    for (const auto& [key, count] : events) {
        addCount(eventCounts, {{"kind", std::get<1>(key)}, {"node", std::to_string(std::get<0>(key))}}, count);
    }
    MetricFamily pfa = counterFamily(prefix, "pfa_events_total", "Predictive failure alerts the SPs sent");
    for (const auto& [node, count] : pfaEvents) addCount(pfa, {{"node", std::to_string(node)}}, count);
    MetricFamily failureCounts = counterFamily(prefix, "sp_command_failures_total",
                                               "Library operations of the refresh that failed, by node and operation");
    for (const auto& [key, count] : failures) {
        const auto& [node, operation] = key;
        std::vector<ClientMetric::Label> labels{{"operation", operation}};
        if (node != kAllNodes) labels.insert(labels.begin(), {"node", std::to_string(node)});
        addCount(failureCounts, std::move(labels), count);
    }
    MetricFamily rounds = counterFamily(prefix, "polling_rounds_total", "Refresh rounds over every node");
    addCount(rounds, {}, snapshot.pollingRounds);
    MetricFamily last =
        family(prefix, "last_poll_timestamp_seconds", "Unix time of the last finished refresh", MetricType::Gauge);
    last.metric.push_back(metric({}, snapshot.lastPollSeconds, MetricType::Gauge));
    MetricFamily build = family(prefix, "build_info",
                                "Constant 1, labelled with the exporter's version and the comm device in use "
                                "(simulated=\"true\": the embedded simulator, whose changes are lost at exit)",
                                MetricType::Gauge);
    std::vector<ClientMetric::Label> buildLabels{{"version", yat::kVersionText}};
    if (!snapshot.comm.empty()) {
        buildLabels.push_back({"comm", snapshot.comm});
        buildLabels.push_back({"simulated", snapshot.commSimulated ? "true" : "false"});
    }
    build.metric.push_back(metric(std::move(buildLabels), 1, MetricType::Gauge));
    for (MetricFamily* f : {&eventCounts, &pfa, &failureCounts, &rounds, &last, &build}) {
        families.push_back(std::move(*f));
    }
    return families;
}

Model::Model(double staleAfterSeconds) {
    snapshot_.staleAfterSeconds = staleAfterSeconds;
    for (const char* collector : kCollectors) snapshot_.collectors[collector] = false;
}

Snapshot Model::snapshot() const {
    std::lock_guard lock(mutex_);
    return snapshot_;
}

void Model::replaceReadings(std::vector<SensorSample> sensors, std::vector<NodeSample> nodes, double pollSeconds) {
    std::lock_guard lock(mutex_);
    for (NodeSample& n : nodes) {
        auto counted = selEntries_.find(n.node);
        n.selEntries = counted != selEntries_.end() ? counted->second : kNaN;
        if (n.up) lastRefresh_[n.node] = pollSeconds;
        auto refreshed = lastRefresh_.find(n.node);
        n.lastRefreshSeconds = refreshed != lastRefresh_.end() ? refreshed->second : 0;
    }
    snapshot_.sensors = std::move(sensors);
    snapshot_.nodes = std::move(nodes);
    snapshot_.pollingRounds += 1;
    snapshot_.lastPollSeconds = pollSeconds;
}

void Model::setSelEntries(int32_t node, double entries) {
    std::lock_guard lock(mutex_);
    selEntries_[node] = entries;
    for (NodeSample& n : snapshot_.nodes) {
        if (n.node == node) n.selEntries = entries;
    }
}

void Model::countEvent(int32_t node, const std::string& kind) {
    std::lock_guard lock(mutex_);
    snapshot_.events[{node, kind}] += 1;
}

void Model::countPfa(int32_t node) {
    std::lock_guard lock(mutex_);
    snapshot_.pfaEvents[node] += 1;
}

void Model::countFailure(int32_t node, const std::string& operation) {
    std::lock_guard lock(mutex_);
    snapshot_.commandFailures[{node, operation}] += 1;
}

void Model::setRefreshSeconds(const std::string& collector, double seconds) {
    std::lock_guard lock(mutex_);
    snapshot_.refreshSeconds[collector] = seconds;
}

void Model::setComm(const std::string& label, bool simulated) {
    std::lock_guard lock(mutex_);
    snapshot_.comm = label;
    snapshot_.commSimulated = simulated;
}

void Model::setCollectorUp(const std::string& collector, bool up) {
    std::lock_guard lock(mutex_);
    snapshot_.collectors[collector] = up;
}

double unixSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string scrapePage(const Model& model, const std::string& prefix) {
    Snapshot snapshot = model.snapshot();
    snapshot.nowSeconds = unixSeconds();
    return prometheus::TextSerializer().Serialize(buildFamilies(snapshot, prefix));
}

}  // namespace yatctl::exporter
