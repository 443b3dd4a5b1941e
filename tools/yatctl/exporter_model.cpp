#include "yatctl/exporter_model.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <set>

#include <prometheus/text_serializer.h>

#include "yat/codes.h"

namespace yatctl::exporter {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using prometheus::ClientMetric;
using prometheus::MetricFamily;
using prometheus::MetricType;

struct ClassFamilies {
    int32_t sensorClass;
    const char* value;  // null: the class has no value series
    const char* valueHelp;
    const char* state;
    const char* word;  // the readable name's first word
};

constexpr ClassFamilies kClassFamilies[] = {
    {yat::kClassTemperature, "temperature_celsius", "Temperature reading in degrees Celsius", "temperature_state",
     "Temperature"},
    {yat::kClassFan, "fan_speed_rpm", "Fan speed in rotations per minute", "fan_speed_state", "Fan"},
    {yat::kClassVoltage, "voltage_volts", "Voltage reading in volts", "voltage_state", "Voltage"},
    {yat::kClassPowerSupply, nullptr, nullptr, "power_supply_state", "Power Supply"},
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

std::vector<MetricFamily> buildFamilies(const Snapshot& snapshot, const std::string& prefix) {
    std::vector<MetricFamily> families;
    std::set<int32_t> staleNodes;
    for (const NodeSample& n : snapshot.nodes) {
        if (isStale(snapshot, n)) staleNodes.insert(n.node);
    }
    const std::string stateHelp = " state (0 nominal, 1 warning, 2 critical, NaN unknown)";
    for (const ClassFamilies& cls : kClassFamilies) {
        MetricFamily values;
        if (cls.value != nullptr) values = family(prefix, cls.value, cls.valueHelp, MetricType::Gauge);
        MetricFamily states =
            family(prefix, cls.state, std::string(cls.word) + " sensor" + stateHelp, MetricType::Gauge);
        for (const SensorSample& s : snapshot.sensors) {
            if (s.sensorClass != cls.sensorClass || staleNodes.count(s.node) != 0) continue;
            std::vector<ClientMetric::Label> labels{{"id", std::to_string(s.sensor)},
                                                    {"name", std::string(cls.word) + " " + std::to_string(s.instance)},
                                                    {"node", std::to_string(s.node)},
                                                    {"type", std::to_string(s.type)}};
            if (cls.value != nullptr) values.metric.push_back(metric(labels, s.value, MetricType::Gauge));
            states.metric.push_back(metric(std::move(labels), s.state, MetricType::Gauge));
        }
        if (cls.value != nullptr) families.push_back(std::move(values));
        families.push_back(std::move(states));
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
    for (const auto& [name, isUp] : snapshot.collectors) {
        collectors.metric.push_back(metric({{"collector", name}}, isUp ? 1 : 0, MetricType::Gauge));
    }
    families.push_back(std::move(collectors));

    MetricFamily events =
        family(prefix, "events_total", "SP events reported to the exporter's sink", MetricType::Counter);
    for (const auto& [key, count] : snapshot.events) {
        events.metric.push_back(metric({{"kind", std::get<1>(key)}, {"node", std::to_string(std::get<0>(key))}},
                                       static_cast<double>(count), MetricType::Counter));
    }
    MetricFamily pfa = family(prefix, "pfa_events_total", "Predictive failure alerts reported", MetricType::Counter);
    std::map<int32_t, uint64_t> pfaEvents = snapshot.pfaEvents;
    for (const NodeSample& n : snapshot.nodes) pfaEvents.emplace(n.node, 0);  // every node's count starts at 0
    for (const auto& [node, count] : pfaEvents) {
        pfa.metric.push_back(metric({{"node", std::to_string(node)}}, static_cast<double>(count), MetricType::Counter));
    }
    MetricFamily failures =
        family(prefix, "sp_command_failures_total", "Library operations that failed, by result", MetricType::Counter);
    for (const auto& [result, count] : snapshot.commandFailures) {
        failures.metric.push_back(metric({{"result", result}}, static_cast<double>(count), MetricType::Counter));
    }
    MetricFamily rounds = family(prefix, "polling_rounds_total", "Refresh rounds over every node", MetricType::Counter);
    rounds.metric.push_back(metric({}, static_cast<double>(snapshot.pollingRounds), MetricType::Counter));
    MetricFamily last =
        family(prefix, "last_poll_timestamp_seconds", "Unix time of the last finished refresh", MetricType::Gauge);
    last.metric.push_back(metric({}, snapshot.lastPollSeconds, MetricType::Gauge));
    MetricFamily scrape = family(prefix, "scrape_duration_seconds", "Time the previous scrape took", MetricType::Gauge);
    scrape.metric.push_back(metric({}, snapshot.lastScrapeSeconds, MetricType::Gauge));
    for (MetricFamily* f : {&events, &pfa, &failures, &rounds, &last, &scrape}) families.push_back(std::move(*f));
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

void Model::countFailure(const std::string& result) {
    std::lock_guard lock(mutex_);
    snapshot_.commandFailures[result] += 1;
}

void Model::setScrapeSeconds(double seconds) {
    std::lock_guard lock(mutex_);
    snapshot_.lastScrapeSeconds = seconds;
}

void Model::setCollectorUp(const std::string& collector, bool up) {
    std::lock_guard lock(mutex_);
    snapshot_.collectors[collector] = up;
}

double unixSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string scrapePage(Model& model, const std::string& prefix) {
    auto start = std::chrono::steady_clock::now();
    Snapshot snapshot = model.snapshot();
    snapshot.nowSeconds = unixSeconds();
    std::string page = prometheus::TextSerializer().Serialize(buildFamilies(snapshot, prefix));
    model.setScrapeSeconds(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return page;
}

}  // namespace yatctl::exporter
