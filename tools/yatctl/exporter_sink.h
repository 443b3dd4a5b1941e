#pragma once
// ExporterSink: the exporter's sensor sink. It notes every sensor the library announces; after
// startMonitoring every report outside a discovery (setDiscovering) is an event, counted in the model
// by node and kind (PFA events also on their own). Registry texts are kept in memory only, at most 4096 of them.
// Thread-safe: the library's threads call it while the exporter reads it.

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <tuple>

#include "yat/sensor_sink.h"
#include "yatctl/exporter_model.h"

namespace yatctl::exporter {

class ExporterSink final : public cSensorSink {
public:
    explicit ExporterSink(Model& model) : model_(model) {}

    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                         int32_t code, const char* text) override;
    int32_t addRegistryText(const char* keyPath, const char* text) override;
    int32_t findRegistryText(const char* text) override;

    // From now on every report is an event.
    void startMonitoring();
    // While on, reports are discovery's, not events (a discovery retried while monitoring runs).
    void setDiscovering(bool discovering);
    // The sensors discovery announced: library node number (index + 1), class, sensor number.
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors();

private:
    Model& model_;
    std::mutex mutex_;
    bool monitoring_ = false;
    bool discovering_ = false;
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors_;
    std::set<std::string> registry_;
};

}  // namespace yatctl::exporter
