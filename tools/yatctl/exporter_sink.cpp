#include "yatctl/exporter_sink.h"

#include <algorithm>
#include <cstring>

#include "yat/codes.h"
#include "yatctl/sensor_words.h"

namespace yatctl::exporter {

namespace {

// Bounds of what the sink remembers about threads, whatever the library does.
constexpr size_t kMaxThreads = 256;
constexpr size_t kMaxWaiting = 4096;

// The kind of a node event report, or "" for a report that is no event of the SP.
std::string nodeEventKind(int32_t code) {
    switch (code) {
        case yat::kReportDasdEvent: return "drive";
        case yat::kReportPfaEvent: return "pfa";
        case yat::kReportVoltageEvent: return "voltage";
        case yat::kReportFanEvent: return "fan";
        default: return "";  // the processor indicators of the polling
    }
}

}  // namespace

int32_t ExporterSink::reportSensor(int32_t sensorClass, int32_t node, int32_t, void* first, void*, void*, int32_t code,
                                   const char*) {
    std::lock_guard lock(mutex_);
    if (code == yat::kReportDiscovered) {
        if (first != nullptr && sensorClass >= yat::kClassTemperature && sensorClass <= yat::kClassPowerSupply) {
            int32_t number;
            std::memcpy(&number, first, sizeof number);
            sensors_.emplace(node, sensorClass, number);
        }
        return 0;
    }
    if (!monitoring_ || discovering_) return 0;
    const std::thread::id thread = std::this_thread::get_id();
    const int32_t shown = shownNode(node);
    if (sensorClass == yat::kClassNodeEvent) {
        std::string kind = nodeEventKind(code);
        if (kind.empty()) {
            if (pollers_.size() < kMaxThreads) pollers_.insert(thread);
        } else {
            count(shown, kind, code);
        }
        return 0;
    }
    if (sensorClass == yat::kClassTemperature || sensorClass == yat::kClassVoltage) {
        if (pollers_.size() < kMaxThreads) pollers_.insert(thread);
        return 0;
    }
    if (sensorClass != yat::kClassFan && sensorClass != yat::kClassPowerSupply) return 0;
    if (pollers_.count(thread) != 0) return 0;
    auto seen = std::find_if(threadNodes_.begin(), threadNodes_.end(),
                             [&](const auto& entry) { return std::get<0>(entry) == thread; });
    if (seen != threadNodes_.end() && std::get<1>(*seen) != shown) {
        pollers_.insert(thread);  // two nodes: the polling thread
        return 0;
    }
    if (seen == threadNodes_.end() && threadNodes_.size() < kMaxThreads) threadNodes_.emplace_back(thread, shown);
    if (waiting_.size() < kMaxWaiting) {
        waiting_.push_back({thread, shown, sensorClass == yat::kClassFan ? "fan" : "power_supply", false});
    }
    return 0;
}

void ExporterSink::count(int32_t node, const std::string& kind, int32_t code) {
    model_.countEvent(node, kind);
    if (code == yat::kReportPfaEvent) model_.countPfa(node);
}

void ExporterSink::settle() {
    std::lock_guard lock(mutex_);
    std::vector<Waiting> still;
    for (Waiting& w : waiting_) {
        if (pollers_.count(w.thread) != 0) continue;
        if (w.seenBySettle) {
            count(w.node, w.kind, 0);
        } else {
            w.seenBySettle = true;
            still.push_back(std::move(w));
        }
    }
    waiting_ = std::move(still);
}

int32_t ExporterSink::addRegistryText(const char* keyPath, const char* text) {
    std::lock_guard lock(mutex_);
    return registry_.addRegistryText(keyPath, text);
}

int32_t ExporterSink::findRegistryText(const char* text) {
    std::lock_guard lock(mutex_);
    return registry_.findRegistryText(text);
}

void ExporterSink::startMonitoring() {
    std::lock_guard lock(mutex_);
    monitoring_ = true;
}

void ExporterSink::setDiscovering(bool discovering) {
    std::lock_guard lock(mutex_);
    discovering_ = discovering;
}

std::set<std::tuple<int32_t, int32_t, int32_t>> ExporterSink::sensors() {
    std::lock_guard lock(mutex_);
    return sensors_;
}

std::string ExporterSink::registryError() {
    std::lock_guard lock(mutex_);
    return registry_.registryError();
}

}  // namespace yatctl::exporter
