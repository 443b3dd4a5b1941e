#pragma once
// cInstanceMap: the sensor records of one class, keyed "node%d|sensor%d" (node, sensor number) and
// ordered as byte strings, so node1|sensor10 comes before node1|sensor2.
//
// Threads: host queries, the event threads and the polling thread use one map at once. Every access
// takes the map's own lock (shared for reads, exclusive for writes) and copies a whole record in or
// out, so no reader sees a torn record. Nothing here holds the lock while anything else runs: code
// that must talk to the SP between reading and rewriting a record takes a snapshot (or one record),
// sends, and then rewrites the record by key (rewrite or update).

#include <cstdint>
#include <functional>
#include <map>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sensors/sensor_record.h"

class cInstanceMap {
public:
    cInstanceMap() = default;
    cInstanceMap(const cInstanceMap&) = delete;
    cInstanceMap& operator=(const cInstanceMap&) = delete;

    // The key of (node, sensor): "node%d|sensor%d".
    static std::string makeKey(int32_t node, int32_t sensor);

    // Copies the record of (node, sensor) into *out (when out is not null). Returns ERR_FAILED (1) when
    // the key is absent (nothing copied); otherwise ERR_SUCCESS when the record is valid, ERR_FAILED
    // when it is not (copied anyway).
    // Logs "Getting Default reading for node [%d] and sensor [%d]".
    [[nodiscard]] int32_t Read(int32_t node, int32_t sensor, SensorRecord* out) const;
    // The same, also telling through *present whether the key exists.
    [[nodiscard]] int32_t Read(int32_t node, int32_t sensor, SensorRecord* out, bool* present) const;

    // Inserts the record under (node, sensor), or overwrites the record already there.
    void Add(int32_t node, int32_t sensor, const SensorRecord& record);

    // Overwrites the record under (record.node, record.sensorNumber) if it exists; false otherwise
    // (nothing is inserted).
    [[nodiscard]] bool rewrite(const SensorRecord& record);

    // Applies change to the record of (node, sensor) under the exclusive lock; false when absent.
    // change must be quick and must not call back into this map.
    [[nodiscard]] bool update(int32_t node, int32_t sensor, const std::function<void(SensorRecord&)>& change);

    // Copies of all records in key order.
    std::vector<SensorRecord> snapshot() const;
    // All keys in order.
    std::vector<std::string> keys() const;
    size_t size() const;

private:
    mutable std::shared_mutex mutex_;
    std::map<std::string, SensorRecord, std::less<>> records_;
};
