// The keyed, locked record store of one sensor class.

#include "sensors/instance_map.h"

#include <algorithm>
#include <charconv>
#include <mutex>

#include "platform/log.h"
#include "yat/result_codes.h"
#include "sensors/log_texts.h"

namespace {

// "node%d|sensor%d" into buffer (large enough for two 32-bit integers); returns the text.
std::string_view formatKey(int32_t node, int32_t sensor, char (&buffer)[40]) {
    static constexpr std::string_view nodePart = "node";
    static constexpr std::string_view sensorPart = "|sensor";
    char* p = buffer;
    p = std::copy(nodePart.begin(), nodePart.end(), p);
    p = std::to_chars(p, buffer + sizeof buffer, node).ptr;
    p = std::copy(sensorPart.begin(), sensorPart.end(), p);
    p = std::to_chars(p, buffer + sizeof buffer, sensor).ptr;
    return std::string_view(buffer, static_cast<size_t>(p - buffer));
}

}  // namespace

std::string cInstanceMap::makeKey(int32_t node, int32_t sensor) {
    char buffer[40];
    return std::string(formatKey(node, sensor, buffer));
}

int32_t cInstanceMap::Read(int32_t node, int32_t sensor, SensorRecord* out) const {
    return Read(node, sensor, out, nullptr);
}

int32_t cInstanceMap::Read(int32_t node, int32_t sensor, SensorRecord* out, bool* present) const {
    yatLog(sensors_texts::kTagCInstanceMapRead, sensors_texts::kGettingDefaultReadingForNodeAnd, node, sensor);
    char buffer[40];
    std::string_view key = formatKey(node, sensor, buffer);
    std::shared_lock<std::shared_mutex> lock(mutex_);
    auto found = records_.find(key);
    if (present != nullptr) *present = found != records_.end();
    if (found == records_.end()) return ERR_FAILED;
    if (out != nullptr) *out = found->second;
    return found->second.valid != 0 ? ERR_SUCCESS : ERR_FAILED;
}

void cInstanceMap::Add(int32_t node, int32_t sensor, const SensorRecord& record) {
    constexpr const char* tag = sensors_texts::kTagCInstanceMapAdd;
    yatLog(tag, sensors_texts::kAddingGenericSensorToMap);
    std::string key = makeKey(node, sensor);
    bool inserted;
    {
        std::unique_lock<std::shared_mutex> lock(mutex_);
        auto [position, added] = records_.try_emplace(key, record);
        if (!added) position->second = record;
        inserted = added;
    }
    if (inserted) {
        yatLog(tag, sensors_texts::kTheInstanceWasNotFoundAnd, key.c_str());
    } else {
        yatLog(tag, sensors_texts::kTheInstanceWasFoundAndIs, key.c_str());
    }
}

bool cInstanceMap::rewrite(const SensorRecord& record) {
    char buffer[40];
    std::string_view key = formatKey(record.node, record.sensorNumber, buffer);
    std::unique_lock<std::shared_mutex> lock(mutex_);
    auto found = records_.find(key);
    if (found == records_.end()) return false;
    found->second = record;
    return true;
}

bool cInstanceMap::update(int32_t node, int32_t sensor, const std::function<void(SensorRecord&)>& change) {
    char buffer[40];
    std::string_view key = formatKey(node, sensor, buffer);
    std::unique_lock<std::shared_mutex> lock(mutex_);
    auto found = records_.find(key);
    if (found == records_.end()) return false;
    SensorRecord copy = found->second;
    change(copy);
    found->second = copy;
    return true;
}

std::vector<SensorRecord> cInstanceMap::snapshot() const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    std::vector<SensorRecord> records;
    records.reserve(records_.size());
    for (const auto& entry : records_) records.push_back(entry.second);
    return records;
}

std::vector<std::string> cInstanceMap::keys() const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    std::vector<std::string> keys;
    keys.reserve(records_.size());
    for (const auto& entry : records_) keys.push_back(entry.first);
    return keys;
}

size_t cInstanceMap::size() const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return records_.size();
}
