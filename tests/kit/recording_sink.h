#pragma once
// RecordingSink: a sensor sink that records every call, with the pointed-to values copied out at the
// time of the call, and keeps registry texts in memory like a host would.

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "yat/sensor_sink.h"

namespace yattest {

struct Report {
    int32_t sensorClass = 0;
    int32_t node = 0;
    int32_t sensor = 0;
    std::optional<int32_t> first;  // *first read as a 32-bit integer, if given
    std::optional<int32_t> second;
    std::optional<int32_t> third;
    int32_t code = 0;
    std::optional<std::string> text;
};

struct RegistryCall {
    std::string keyPath;
    std::string text;
};

class RecordingSink : public cSensorSink {
public:
    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                         int32_t code, const char* text) override;
    int32_t addRegistryText(const char* keyPath, const char* text) override;
    int32_t findRegistryText(const char* text) override;

    // Pre-loads a registry text, as if a host had kept it from an earlier run.
    void remember(const std::string& text);

    std::vector<Report> reports() const;
    std::vector<RegistryCall> registryCalls() const;
    std::vector<std::string> lookups() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Report> reports_;
    std::vector<RegistryCall> registryCalls_;
    std::vector<std::string> lookups_;
    std::set<std::string> known_;
};

}  // namespace yattest
