#include "kit/recording_sink.h"

#include <cstring>

namespace yattest {

namespace {

std::optional<int32_t> valueAt(const void* pointer) {
    if (pointer == nullptr) return std::nullopt;
    int32_t value;
    std::memcpy(&value, pointer, sizeof value);
    return value;
}

}  // namespace

int32_t RecordingSink::reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second,
                                    void* third, int32_t code, const char* text) {
    std::lock_guard<std::mutex> guard(mutex_);
    Report report;
    report.sensorClass = sensorClass;
    report.node = node;
    report.sensor = sensor;
    report.first = valueAt(first);
    report.second = valueAt(second);
    report.third = valueAt(third);
    report.code = code;
    if (text != nullptr) report.text = std::string(text);
    reports_.push_back(report);
    return 0;
}

int32_t RecordingSink::addRegistryText(const char* keyPath, const char* text) {
    std::lock_guard<std::mutex> guard(mutex_);
    registryCalls_.push_back({keyPath != nullptr ? keyPath : "", text != nullptr ? text : ""});
    if (text != nullptr) known_.insert(text);
    return 0;
}

int32_t RecordingSink::findRegistryText(const char* text) {
    std::lock_guard<std::mutex> guard(mutex_);
    lookups_.push_back(text != nullptr ? text : "");
    return text != nullptr && known_.count(text) > 0 ? 1 : 0;
}

void RecordingSink::remember(const std::string& text) {
    std::lock_guard<std::mutex> guard(mutex_);
    known_.insert(text);
}

std::vector<Report> RecordingSink::reports() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return reports_;
}

std::vector<RegistryCall> RecordingSink::registryCalls() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return registryCalls_;
}

std::vector<std::string> RecordingSink::lookups() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return lookups_;
}

void RecordingSink::clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    reports_.clear();
    registryCalls_.clear();
    lookups_.clear();
}

}  // namespace yattest
