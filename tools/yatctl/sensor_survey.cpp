// Discovery, the read-back of every sensor, and one polling round for the supplies.

#include "yatctl/sensor_survey.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>

#include "yat/codes.h"
#include "yat/device_lib.h"
#include "yatctl/host_sink.h"
#include "yatctl/session.h"

namespace yatctl {

namespace {

// How long a polling round may take before the supplies are shown as discovery left them.
constexpr std::chrono::seconds kPollingBound{5};

double slotNumber(int32_t sensorClass, int32_t slot) {
    if (sensorClass != yat::kClassVoltage) return slot;
    float volts;
    std::memcpy(&volts, &slot, sizeof volts);
    return static_cast<double>(volts);
}

// The sink of the polling round: passes registry texts to the host's sink and notes which supplies
// the library reported, from whichever of its threads reports.
class PollingSink final : public cSensorSink {
public:
    PollingSink(HostSink& host, std::set<std::pair<int32_t, int32_t>> awaited)
        : host_(host), awaited_(std::move(awaited)) {}

    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void*, void*, void*, int32_t code,
                         const char*) override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (sensorClass == yat::kClassPowerSupply && code != yat::kReportDiscovered &&
            awaited_.erase({node, sensor}) != 0 && awaited_.empty()) {
            done_.notify_all();
        }
        return 0;
    }
    int32_t addRegistryText(const char* keyPath, const char* text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        return host_.addRegistryText(keyPath, text);
    }
    int32_t findRegistryText(const char* text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        return host_.findRegistryText(text);
    }

    void waitForAll() {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait_for(lock, kPollingBound, [this] { return awaited_.empty(); });
    }

private:
    HostSink& host_;
    std::set<std::pair<int32_t, int32_t>> awaited_;  // sensor-key node, sensor number
    std::mutex mutex_;
    std::condition_variable done_;
};

SensorRow readRow(cDeviceLib& library, int32_t keyNode, int32_t sensorClass, int32_t sensor) {
    SensorRow row;
    row.node = shownNode(keyNode);
    row.sensorClass = sensorClass;
    row.sensor = sensor;
    int32_t value = 0;
    if (library.getSensorType(sensorClass, keyNode, sensor, &value) == 0) row.type = value;
    if (library.getSensorLocation(sensorClass, keyNode, sensor, &value) == 0) row.location = value;
    if (library.getSensorInstance(sensorClass, keyNode, sensor, &value) == 0) row.instance = value;
    row.name = row.location && row.instance
                   ? sensorName(sensorClass, *row.location, *row.instance)
                   : std::string(classInfo(sensorClass).name) + " sensor " + std::to_string(sensor);
    int32_t reading = 0, lower = 0, upper = 0;
    row.result = library.getSensorStatus(sensorClass, keyNode, sensor, &row.status, &reading, &lower, &upper);
    if (row.result != 0) {
        row.severity = 2;
        return row;
    }
    row.severity = statusSeverity(sensorClass, row.status);
    if (sensorClass != yat::kClassPowerSupply) {
        row.reading = slotNumber(sensorClass, reading);
        row.limits = sensorLimits(sensorClass, slotNumber(sensorClass, lower), slotNumber(sensorClass, upper));
    }
    return row;
}

}  // namespace

SensorSurvey surveySensors(Session& session, HostSink& sink, bool pollSupplies) {
    cDeviceLib& library = session.library();
    SensorSurvey survey;
    survey.result = session.check(library.initSensors(&sink));
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors;  // sensor-key node, class, sensor number
    std::set<std::pair<int32_t, int32_t>> polled;             // supplies the library polls
    for (const HostSink::Announcement& a : sink.announcements()) {
        if (a.code != yat::kReportDiscovered || a.sensorClass < yat::kClassTemperature ||
            a.sensorClass > yat::kClassPowerSupply || !a.first)
            continue;
        sensors.emplace(a.node, a.sensorClass, *a.first);  // the first value is the sensor number
        // A supply's second value says the library polls the node's supplies.
        if (a.sensorClass == yat::kClassPowerSupply && a.second.value_or(0) != 0) polled.emplace(a.node, *a.first);
    }
    if (pollSupplies && !polled.empty()) {
        PollingSink pollingSink(sink, polled);
        if (library.registerForAsynchEvents(&pollingSink) == 0) {
            pollingSink.waitForAll();
            library.deRegisterForAsynchEvents();
        }
    }
    std::set<int32_t> answered;
    for (const auto& [node, sensorClass, sensor] : sensors) {
        survey.rows.push_back(readRow(library, node, sensorClass, sensor));
        answered.insert(shownNode(node));
    }
    for (int32_t node = 0; node < static_cast<int32_t>(session.nodeCount()); ++node) {
        if (answered.count(node) == 0) survey.silentNodes.push_back(node);
    }
    return survey;
}

const SensorSurvey& sharedSurvey(Session& session) {
    static std::map<const Session*, std::unique_ptr<SensorSurvey>> surveys;
    std::unique_ptr<SensorSurvey>& survey = surveys[&session];
    if (!survey) {
        HostSink sink;
        survey = std::make_unique<SensorSurvey>(surveySensors(session, sink, true));
    }
    return *survey;
}

std::vector<std::string> attentionList(const SensorSurvey& survey, std::optional<int32_t> node, bool nodePrefix) {
    std::vector<std::string> list;
    // Discovery stops at its first failure: the sensors of every node may be incomplete.
    if (survey.result != 0) list.push_back("sensor discovery failed (result " + std::to_string(survey.result) + ")");
    for (int32_t silent : survey.silentNodes) {
        if (node && silent != *node) continue;
        list.push_back((nodePrefix ? "node " + std::to_string(silent) + ": " : "") + "no sensors answered");
    }
    for (const SensorRow& row : survey.rows) {
        if (row.severity == 0 || (node && row.node != *node)) continue;
        std::string what = row.result != 0 ? "not readable" : statusWord(row.sensorClass, row.status);
        list.push_back((nodePrefix ? "node " + std::to_string(row.node) + ": " : "") + row.name + " " + what);
    }
    return list;
}

int worstSeverity(const SensorSurvey& survey, std::optional<int32_t> node) {
    int worst = survey.result != 0 ? 2 : 0;
    for (int32_t silent : survey.silentNodes) {
        if (!node || silent == *node) worst = 2;
    }
    for (const SensorRow& row : survey.rows) {
        if (!node || row.node == *node) worst = std::max(worst, row.severity);
    }
    return worst;
}

}  // namespace yatctl
