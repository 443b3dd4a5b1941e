#include "yatctl/exporter_sink.h"

#include <cstring>

#include "yat/codes.h"

namespace yatctl::exporter {

namespace {

constexpr size_t kMaxRegistryTexts = 4096;

std::string eventKind(int32_t sensorClass, int32_t code) {
    switch (code) {
        case yat::kReportDasdEvent: return "drive";
        case yat::kReportPfaEvent: return "pfa";
        case yat::kReportVoltageEvent: return "voltage";
        case yat::kReportFanEvent: return "fan";
        default: break;
    }
    switch (sensorClass) {
        case yat::kClassTemperature: return "temperature";
        case yat::kClassVoltage: return "voltage";
        case yat::kClassFan: return "fan";
        case yat::kClassPowerSupply: return "power_supply";
        default: return "other";
    }
}

}  // namespace

int32_t ExporterSink::reportSensor(int32_t sensorClass, int32_t node, int32_t, void* first, void*, void*, int32_t code,
                                   const char*) {
    std::lock_guard lock(mutex_);
    if (code == yat::kReportDiscovered && first != nullptr && sensorClass >= yat::kClassTemperature &&
        sensorClass <= yat::kClassPowerSupply) {
        int32_t number;
        std::memcpy(&number, first, sizeof number);
        sensors_.emplace(node, sensorClass, number);
    }
    if (!monitoring_ || discovering_) return 0;
    int32_t index = node - 1;  // the library numbers nodes from 1 here
    model_.countEvent(index, eventKind(sensorClass, code));
    if (code == yat::kReportPfaEvent) model_.countPfa(index);
    return 0;
}

int32_t ExporterSink::addRegistryText(const char* keyPath, const char* text) {
    std::lock_guard lock(mutex_);
    for (const char* t : {keyPath, text}) {
        if (t != nullptr && registry_.size() < kMaxRegistryTexts) registry_.emplace(t, strnlen(t, 1024));
    }
    return 0;
}

int32_t ExporterSink::findRegistryText(const char* text) {
    std::lock_guard lock(mutex_);
    return text != nullptr && registry_.count(std::string(text, strnlen(text, 1024))) != 0 ? 1 : 0;
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

}  // namespace yatctl::exporter
