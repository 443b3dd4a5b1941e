#pragma once
// A sensor sink for the benchmarks: forgets every report and keeps the registry texts discovery adds,
// as a host does.

#include <set>
#include <string>

#include "yat/sensor_sink.h"

namespace yatbench {

class NullSink final : public cSensorSink {
public:
    int32_t reportSensor(int32_t, int32_t, int32_t, void*, void*, void*, int32_t, const char*) override { return 0; }
    int32_t addRegistryText(const char*, const char* text) override {
        if (text != nullptr) texts_.insert(text);
        return 0;
    }
    int32_t findRegistryText(const char* text) override { return text != nullptr && texts_.count(text) > 0 ? 1 : 0; }

private:
    std::set<std::string> texts_;
};

}  // namespace yatbench
