#include "yatctl/exporter_refresh.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>
#include <memory>

#include "yat/codes.h"
#include "yat/event_log_records.h"
#include "yat/result_codes.h"
#include "yat/result_names.h"
#include "yat/system_info_records.h"
#include "yat/vpd_records.h"
#include "sim/sim_bus_comm.h"
#include "yatctl/sensor_words.h"

namespace yatctl::exporter {

namespace {

// A value not read (yet): NaN, which the metrics show as unknown.
constexpr double kUnread = std::numeric_limits<double>::quiet_NaN();
constexpr int kMaxSelEntries = 100000;   // bound of one count, whatever the SP keeps answering
constexpr double kMaxRetrySeconds = 60;  // the longest delay between two attempts of a retried step

std::string boundedText(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

}  // namespace

std::string resultText(int32_t result) {
    const char* name = yat::resultName(result);
    return *name != '\0' ? name : std::to_string(result);
}

std::vector<SensorFacts> readSensorFacts(cDeviceLib& library, ExporterSink& sink) {
    std::vector<SensorFacts> facts;
    for (const auto& [node, sensorClass, sensor] : sink.sensors()) {
        int32_t location = 0, instance = 0;
        (void)library.getSensorLocation(sensorClass, node, sensor, &location);
        (void)library.getSensorInstance(sensorClass, node, sensor, &instance);
        facts.push_back({node, sensorClass, sensor, sensorName(sensorClass, location, instance),
                         sensorKind(sensorClass, location)});
    }
    return facts;
}

double atResolution(int32_t sensorClass, double value) {
    return sensorClass == yat::kClassVoltage ? std::round(value * 100) / 100 : value;
}

void Refresher::setSensors(std::vector<SensorFacts> sensors, bool discovered) {
    sensors_ = std::move(sensors);
    discovered_ = discovered;
}

namespace {

// A value of a sensor's 32-bit slot: a float for voltages, an integer for the others.
double slotValue(int32_t sensorClass, int32_t slot) {
    if (sensorClass != yat::kClassVoltage) return slot;
    float value;
    std::memcpy(&value, &slot, sizeof value);
    return atResolution(sensorClass, static_cast<double>(value));
}

// A limit the SP states: 0 means none (a sensor at location 3, a board sensor without limits).
double limitOf(int32_t sensorClass, int32_t slot) { return slot == 0 ? kNoLimit : slotValue(sensorClass, slot); }

// The limits of a sensor as its class uses them: a temperature warns above the lower of its two and is
// critical above the upper; a fan is critical below its lower; a voltage outside both.
SensorLimits limitsOf(int32_t sensorClass, int32_t lower, int32_t upper) {
    SensorLimits limits;
    switch (sensorClass) {
        case yat::kClassTemperature:
            limits.upperCritical = limitOf(sensorClass, upper);
            limits.upperWarning = limitOf(sensorClass, lower);
            break;
        case yat::kClassFan: limits.lowerCritical = limitOf(sensorClass, lower); break;
        case yat::kClassVoltage:
            limits.upperCritical = limitOf(sensorClass, upper);
            limits.lowerCritical = limitOf(sensorClass, lower);
            break;
        default: break;
    }
    return limits;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

void Refresher::refresh(bool countLog) {
    auto start = std::chrono::steady_clock::now();
    readSensors();
    model_.setRefreshSeconds("sensors", secondsSince(start));

    start = std::chrono::steady_clock::now();
    uint32_t count = std::min<uint32_t>(library_.getNodeCount(), 64);
    nodeFacts_.resize(count);
    std::vector<NodeSample> nodes;
    bool systemRead = count > 0;
    for (uint32_t i = 0; i < count; ++i) {
        int32_t node = static_cast<int32_t>(i);
        NodeSample n{node, false, kUnread, {kUnread, kUnread, kUnread, kUnread}, kUnread, {}, {}, {}, {}};
        SystemStateInfo state{};
        if (ok(library_.getSystemState(node, &state), node, "system_state")) {
            n.up = true;
            n.powerOn = state.powerStatusOn != 0 ? 1 : 0;
        } else {
            systemRead = false;
        }
        WatchdogTimersInfo timers{};
        if (ok(library_.getWatchogTimers(node, &timers), node, "watchdog_timers")) {
            n.watchdogs[0] = timers.postWatchdog;
            n.watchdogs[1] = timers.loaderWatchdog;
            n.watchdogs[2] = timers.osWatchdog;
            n.watchdogs[3] = timers.powerOffDelay;
        }
        readNodeFacts(node, nodeFacts_[i]);
        n.firmwareRevision = nodeFacts_[i].firmwareRevision;
        n.systemFirmwareVersion = nodeFacts_[i].systemFirmwareVersion;
        n.machineType = nodeFacts_[i].machineType;
        n.serial = nodeFacts_[i].serial;
        nodes.push_back(std::move(n));
    }
    model_.replaceReadings(std::move(samples_), std::move(nodes), unixSeconds());
    samples_.clear();
    model_.setCollectorUp("system", systemRead);
    model_.setRefreshSeconds("system", secondsSince(start));
    if (countLog) {
        start = std::chrono::steady_clock::now();
        bool counted = count > 0;
        for (uint32_t i = 0; i < count; ++i) counted = countLogEntries(static_cast<int32_t>(i)) && counted;
        model_.setCollectorUp("sel", counted);
        model_.setRefreshSeconds("sel", secondsSince(start));
    }
}

// Every sensor's status, reading and limits as the library holds them.
void Refresher::readSensors() {
    samples_.clear();
    bool sensorsRead = discovered_;
    for (const SensorFacts& f : sensors_) {
        int32_t node = shownNode(f.libraryNode);
        SensorSample s{node, f.sensorClass, f.sensor, f.name, f.kind, kUnread, kUnread};
        int32_t status = 0, reading = 0, lower = 0, upper = 0;
        if (ok(library_.getSensorStatus(f.sensorClass, f.libraryNode, f.sensor, &status, &reading, &lower, &upper),
               node, "sensor_status")) {
            s.state = sensorState(status);
            if (f.sensorClass != yat::kClassPowerSupply) {
                s.value = slotValue(f.sensorClass, reading);
                s.limits = limitsOf(f.sensorClass, lower, upper);
            }
        } else {
            sensorsRead = false;
        }
        samples_.push_back(std::move(s));
    }
    model_.setCollectorUp("sensors", sensorsRead);
}

bool Refresher::ok(int32_t result, int32_t node, const char* operation) {
    if (result == ERR_SUCCESS) return true;
    model_.countFailure(node, operation);
    return false;
}

// Firmware levels and machine VPD change only with a flash: read until read once.
void Refresher::readNodeFacts(int32_t node, NodeFacts& facts) {
    if (!facts.firmwareRead) {
        FirmwareInfo sp, bios;
        if (ok(library_.getFirmwareData(node, 4, &sp, 0), node, "firmware") &&
            ok(library_.getFirmwareData(node, 0, &bios, 0), node, "firmware")) {
            facts.firmwareRevision = sp.revision.empty() ? sp.buildId : sp.revision;
            facts.systemFirmwareVersion = bios.revision.empty() ? bios.buildId : bios.revision;
            facts.firmwareRead = true;
        }
    }
    if (!facts.vpdRead) {
        MachineVPDInfo vpd{};
        if (ok(library_.getMachineVPD(node, &vpd), node, "machine_vpd")) {
            facts.machineType = boundedText(vpd.machineType, sizeof vpd.machineType);
            facts.serial = boundedText(vpd.serialNumber, sizeof vpd.serialNumber);
            facts.vpdRead = true;
        }
    }
}

bool Refresher::countLogEntries(int32_t node) {
    auto entry = std::make_unique<LogEntryInfo>();
    int32_t result = library_.getFirstLogEntry(node, entry.get());
    int entries = 0;
    while (result == ERR_SUCCESS && entries < kMaxSelEntries) {
        ++entries;
        result = library_.getNextLogEntry(node, entry.get());
    }
    if (result == ERR_SUCCESS || result == ERR_EMPTY) {
        model_.setSelEntries(node, entries);  // ERR_EMPTY marks the end of the log (or an empty one)
        return true;
    }
    return ok(result, node, "event_log");
}

bool Retried::attempt(std::chrono::steady_clock::time_point now) {
    if (succeeded_ || now < next_) return succeeded_;
    int32_t result = step_();
    if (result == ERR_SUCCESS) {
        succeeded_ = true;
        if (failures_ > 0)
            std::cerr << "yatctl exporter: " << what_ << " succeeded after " << failures_ << " retries\n";
        return true;
    }
    ++failures_;
    if (delaySeconds_ != loggedDelaySeconds_) {  // once per step: at the longest delay, only the first time
        std::cerr << "yatctl exporter: " << what_ << " failed (" << resultText(result) << "); retrying in "
                  << delaySeconds_ << " s" << (delaySeconds_ == kMaxRetrySeconds ? " from now on" : "") << std::endl;
        loggedDelaySeconds_ = delaySeconds_;
    }
    double scale = yatsim::environmentTimeScale();
    next_ = now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(delaySeconds_ * scale));
    delaySeconds_ = std::min(delaySeconds_ * 2, kMaxRetrySeconds);
    return false;
}

RefreshThread::RefreshThread(std::chrono::duration<double> interval, std::function<void()> round)
    : interval_(interval), round_(std::move(round)), thread_([this] { loop(); }) {}

RefreshThread::~RefreshThread() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void RefreshThread::loop() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, interval_, [this] { return stop_; })) {
        lock.unlock();
        round_();
        lock.lock();
    }
}

}  // namespace yatctl::exporter
