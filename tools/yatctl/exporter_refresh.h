#pragma once
// The exporter's refresh: reading the sensors and node facts through the library's operations into
// the model's snapshot (Refresher), and the thread that does so at an interval (RefreshThread). A
// scrape only reads the snapshot, so only the refresh sends SP commands.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "yat/device_lib.h"
#include "yatctl/exporter_model.h"
#include "yatctl/exporter_sink.h"

namespace yatctl::exporter {

// A result's name ("ERR_BAD_ANSWER"), or its number when it has none.
std::string resultText(int32_t result);

// The sensor facts that do not change: read once after discovery.
struct SensorFacts {
    int32_t libraryNode = 0, sensorClass = 0, sensor = 0;
    std::string name, kind;  // sensorName and sensorKind of its location and instance
};

// The facts of every sensor the sink noted during discovery (location and instance through the
// library).
std::vector<SensorFacts> readSensorFacts(cDeviceLib& library, ExporterSink& sink);

// A reading as the sensor resolves it: voltages to hundredths of a volt (the SP's unit), the others
// as they are.
double atResolution(int32_t sensorClass, double value);

// Reads through the library into the model; one thread at a time calls refresh. A failed operation
// is counted in the model under its node and operation, and the time each collector spent is noted.
class Refresher {
public:
    Refresher(cDeviceLib& library, Model& model) : library_(library), model_(model) {}

    // The sensors to read from now on; discovered: discovery succeeded (else the sensors collector
    // stays down).
    void setSensors(std::vector<SensorFacts> sensors, bool discovered);
    size_t sensorCount() const { return sensors_.size(); }

    // Reads every sensor's status and each node's state, watchdogs, firmware levels and machine VPD
    // (the last two until read once) into the model; with countLog also counts each node's system
    // event log entries.
    void refresh(bool countLog);

private:
    struct NodeFacts {
        bool firmwareRead = false, vpdRead = false;
        std::string firmwareRevision, systemFirmwareVersion, machineType, serial;
    };

    bool ok(int32_t result, int32_t node, const char* operation);
    void readSensors();
    void readNodeFacts(int32_t node, NodeFacts& facts);
    bool countLogEntries(int32_t node);

    cDeviceLib& library_;
    Model& model_;
    std::vector<SensorFacts> sensors_;
    std::vector<SensorSample> samples_;  // the sensors of the refresh in progress
    bool discovered_ = false;
    std::vector<NodeFacts> nodeFacts_;
};

// A step that must succeed (discovery, the event registration), retried after a failure with a
// delay that doubles from 1 s up to 60 s (scaled by YAT_SLEEP_SCALE). A failure logs one line on
// stderr with its result and the next delay, once per delay (the 60 s ones once in all), and the
// success after failures one more. One thread at a time calls attempt.
class Retried {
public:
    Retried(std::string what, std::function<int32_t()> step) : what_(std::move(what)), step_(std::move(step)) {}

    // Runs the step unless it has succeeded or its delay has not passed; true once it has succeeded.
    bool attempt(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());

private:
    const std::string what_;
    const std::function<int32_t()> step_;
    bool succeeded_ = false;
    int failures_ = 0;
    double delaySeconds_ = 1;  // unscaled
    double loggedDelaySeconds_ = 0;
    std::chrono::steady_clock::time_point next_{};
};

// A thread that calls round() every interval until the object is destroyed. The destructor wakes
// the thread at once, lets a round in progress end, and joins it, so no thread outlives the object.
// The constructor throws std::system_error when no thread can be started; nothing runs then.
class RefreshThread {
public:
    RefreshThread(std::chrono::duration<double> interval, std::function<void()> round);
    ~RefreshThread();
    RefreshThread(const RefreshThread&) = delete;
    RefreshThread& operator=(const RefreshThread&) = delete;

private:
    void loop();

    const std::chrono::duration<double> interval_;
    const std::function<void()> round_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;  // last: starts once everything it uses is in place
};

}  // namespace yatctl::exporter
