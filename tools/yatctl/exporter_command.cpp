// yatctl exporter: opens the library, runs discovery, turns monitoring on and serves /metrics in the
// Prometheus text format (MetricsServer: one thread, slow clients cannot hold up a scrape). A refresh
// thread reads the sensors and node facts through the library's operations every --refresh-interval
// seconds (the system event log every --sel-interval) into a snapshot; a scrape only turns that
// snapshot into text and never sends an SP command. Events the library reports to the sink are
// counted as they come. SIGTERM or SIGINT: stop serving, deregister, close; exit 0. A bad --listen
// address or a port in use: a message on stderr, exit 2.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <iostream>
#include <limits>
#include <memory>
#include <mutex>
#include <prometheus/text_serializer.h>
#include <set>
#include <thread>

#include "yat/codes.h"
#include "yat/event_log_records.h"
#include "yat/libyat.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "yat/system_info_records.h"
#include "yat/vpd_records.h"
#include "yatctl/exporter_model.h"
#include "yatctl/metrics_server.h"
#include "yatctl/service_notify.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

using exporter::Model;
using exporter::NodeSample;
using exporter::SensorSample;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr size_t kMaxRegistryTexts = 4096;
constexpr int kMaxSelEntries = 100000;  // bound of one count, whatever the SP keeps answering

// The write end of the pipe the signal handler wakes the main thread through.
std::atomic<int> signalPipe{-1};

extern "C" void onStopSignal(int) {
    int fd = signalPipe.load();
    if (fd >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t written = write(fd, &byte, 1);
    }
}

std::string resultText(int32_t result) {
    const char* name = resultName(result);
    return *name != '\0' ? name : std::to_string(result);
}

std::string boundedText(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

// What the exporter keeps between runs of the library's sink calls: the sensors discovery announced,
// and the registry texts (in memory only). After discovery every call is an event and is counted.
class ExporterSink final : public cSensorSink {
public:
    explicit ExporterSink(Model& model) : model_(model) {}

    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void*, void*, int32_t code,
                         const char*) override {
        std::lock_guard lock(mutex_);
        if (!monitoring_) {
            if (code == yat::kReportDiscovered && first != nullptr && sensorClass >= yat::kClassTemperature &&
                sensorClass <= yat::kClassPowerSupply) {
                int32_t number;
                std::memcpy(&number, first, sizeof number);
                sensors_.emplace(node, sensorClass, number);
            }
            return 0;
        }
        int32_t index = node - 1;  // the library numbers nodes from 1 here
        model_.countEvent(index, eventKind(sensorClass, code));
        if (code == yat::kReportPfaEvent) model_.countPfa(index);
        (void)sensor;
        return 0;
    }
    int32_t addRegistryText(const char* keyPath, const char* text) override {
        std::lock_guard lock(mutex_);
        for (const char* t : {keyPath, text}) {
            if (t != nullptr && registry_.size() < kMaxRegistryTexts) registry_.emplace(t, strnlen(t, 1024));
        }
        return 0;
    }
    int32_t findRegistryText(const char* text) override {
        std::lock_guard lock(mutex_);
        return text != nullptr && registry_.count(std::string(text, strnlen(text, 1024))) != 0 ? 1 : 0;
    }

    void startMonitoring() {
        std::lock_guard lock(mutex_);
        monitoring_ = true;
    }
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors() {
        std::lock_guard lock(mutex_);
        return sensors_;
    }

private:
    static std::string eventKind(int32_t sensorClass, int32_t code) {
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

    Model& model_;
    std::mutex mutex_;
    bool monitoring_ = false;
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors_;  // library node, class, sensor number
    std::set<std::string> registry_;
};

// The sensor facts that do not change: read once after discovery.
struct SensorFacts {
    int32_t libraryNode, sensorClass, sensor, type, instance;
};

// Reads through the library into the model; only the refresh thread calls it.
class Refresher {
public:
    Refresher(cDeviceLib& library, Model& model, std::vector<SensorFacts> sensors)
        : library_(library), model_(model), sensors_(std::move(sensors)) {}

    void refresh(bool countLog) {
        std::vector<SensorSample> samples;
        for (const SensorFacts& f : sensors_) {
            SensorSample s{f.libraryNode - 1, f.sensorClass, f.sensor, f.type, f.instance, kNaN, kNaN};
            int32_t status = 0, reading = 0, lower = 0, upper = 0;
            if (ok(library_.getSensorStatus(f.sensorClass, f.libraryNode, f.sensor, &status, &reading, &lower,
                                            &upper))) {
                s.state = exporter::sensorState(status);
                if (f.sensorClass == yat::kClassVoltage) {
                    float volts;
                    std::memcpy(&volts, &reading, sizeof volts);
                    s.value = static_cast<double>(volts);
                } else if (f.sensorClass != yat::kClassPowerSupply) {
                    s.value = reading;
                }
            }
            samples.push_back(s);
        }
        uint32_t count = std::min<uint32_t>(library_.getNodeCount(), 64);
        nodeFacts_.resize(count);
        std::vector<NodeSample> nodes;
        for (uint32_t i = 0; i < count; ++i) {
            int32_t node = static_cast<int32_t>(i);
            NodeSample n{node, false, kNaN, {kNaN, kNaN, kNaN, kNaN}, kNaN, {}, {}, {}, {}};
            SystemStateInfo state{};
            if (ok(library_.getSystemState(node, &state))) {
                n.up = true;
                n.powerOn = state.powerStatusOn != 0 ? 1 : 0;
            }
            WatchdogTimersInfo timers{};
            if (ok(library_.getWatchogTimers(node, &timers))) {
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
        double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
        model_.replaceReadings(std::move(samples), std::move(nodes), now);
        if (countLog) {
            for (uint32_t i = 0; i < count; ++i) countLogEntries(static_cast<int32_t>(i));
        }
    }

private:
    struct NodeFacts {
        bool firmwareRead = false, vpdRead = false;
        std::string firmwareRevision, systemFirmwareVersion, machineType, serial;
    };

    bool ok(int32_t result) {
        if (result == ERR_SUCCESS) return true;
        model_.countFailure(resultText(result));
        return false;
    }

    // Firmware levels and machine VPD change only with a flash: read until read once.
    void readNodeFacts(int32_t node, NodeFacts& facts) {
        if (!facts.firmwareRead) {
            FirmwareInfo sp, bios;
            if (ok(library_.getFirmwareData(node, 4, &sp, 0)) && ok(library_.getFirmwareData(node, 0, &bios, 0))) {
                facts.firmwareRevision = sp.revision.empty() ? sp.buildId : sp.revision;
                facts.systemFirmwareVersion = bios.revision.empty() ? bios.buildId : bios.revision;
                facts.firmwareRead = true;
            }
        }
        if (!facts.vpdRead) {
            MachineVPDInfo vpd{};
            if (ok(library_.getMachineVPD(node, &vpd))) {
                facts.machineType = boundedText(vpd.machineType, sizeof vpd.machineType);
                facts.serial = boundedText(vpd.serialNumber, sizeof vpd.serialNumber);
                facts.vpdRead = true;
            }
        }
    }

    void countLogEntries(int32_t node) {
        auto entry = std::make_unique<LogEntryInfo>();
        int32_t result = library_.getFirstLogEntry(node, entry.get());
        int entries = 0;
        while (result == ERR_SUCCESS && entries < kMaxSelEntries) {
            ++entries;
            result = library_.getNextLogEntry(node, entry.get());
        }
        if (result == ERR_SUCCESS || result == ERR_EMPTY) {
            model_.setSelEntries(node, entries);  // 11 marks the end of the log (or an empty one)
        } else {
            ok(result);
        }
    }

    cDeviceLib& library_;
    Model& model_;
    std::vector<SensorFacts> sensors_;
    std::vector<NodeFacts> nodeFacts_;
};

// The scrape: the snapshot as text, timed.
std::string scrapePage(Model& model, const std::string& prefix) {
    auto start = std::chrono::steady_clock::now();
    std::string page = prometheus::TextSerializer().Serialize(exporter::buildFamilies(model.snapshot(), prefix));
    model.setScrapeSeconds(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return page;
}

class ExporterCommand final : public Subcommand {
public:
    std::string name() const override { return "exporter"; }
    std::string description() const override {
        return "Serves the live sensor model as Prometheus metrics on /metrics until SIGTERM";
    }
    void addOptions(CLI::App& app) override {
        app.add_option("--listen", listen_, "ADDRESS:PORT to serve on (port 0: any free port)")->capture_default_str();
        app.add_option("--metric-prefix", prefix_, "First word of every metric family name")->capture_default_str();
        app.add_option("--refresh-interval", refreshSeconds_, "Seconds between reads of the sensors")
            ->check(CLI::Range(0.01, 3600.0))
            ->capture_default_str();
        app.add_option("--sel-interval", selSeconds_, "Seconds between counts of the system event log")
            ->check(CLI::Range(1.0, 86400.0))
            ->capture_default_str();
    }
    void validate(Session&) override {
        parseListenAddress(listen_);
        bool valid = !prefix_.empty() && !(prefix_[0] >= '0' && prefix_[0] <= '9') &&
                     std::all_of(prefix_.begin(), prefix_.end(), [](char c) {
                         return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
                     });
        if (!valid) throw UsageError("--metric-prefix: \"" + prefix_ + "\" is not a metric name");
    }

    void run(Session& session, Document&) override {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot create the signal pipe");
        signalPipe.store(fds[1]);
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);

        cDeviceLib& library = session.library();
        Model model;
        ExporterSink sink(model);
        int32_t discovery = library.initSensors(&sink);
        if (discovery != ERR_SUCCESS) model.countFailure(resultText(discovery));
        std::vector<SensorFacts> facts;
        for (const auto& [node, sensorClass, sensor] : sink.sensors()) {
            int32_t type = 0, instance = 0;
            library.getSensorType(sensorClass, node, sensor, &type);
            library.getSensorInstance(sensorClass, node, sensor, &instance);
            facts.push_back({node, sensorClass, sensor, type, instance});
        }
        Refresher refresher(library, model, std::move(facts));
        refresher.refresh(true);

        sink.startMonitoring();
        int32_t monitoring = library.registerForAsynchEvents(&sink);
        std::cerr << "yatctl exporter: monitoring: registerForAsynchEvents result " << monitoring << "\n";

        std::mutex mutex;
        std::condition_variable wake;
        bool stop = false;
        std::thread refreshThread([&] {
            auto interval = service::withinWatchdog(std::chrono::duration<double>(refreshSeconds_));
            auto selInterval = std::chrono::duration<double>(selSeconds_);
            auto lastCount = std::chrono::steady_clock::now();
            std::unique_lock lock(mutex);
            while (!wake.wait_for(lock, interval, [&] { return stop; })) {
                lock.unlock();
                bool countLog = std::chrono::steady_clock::now() - lastCount >= selInterval;
                if (countLog) lastCount = std::chrono::steady_clock::now();
                refresher.refresh(countLog);
                service::alive();
                lock.lock();
            }
        });

        ListenAddress address = parseListenAddress(listen_);
        MetricsServer server([&] { return scrapePage(model, prefix_); });
        std::string failure;
        try {
            server.listen(address);
        } catch (const std::exception& error) {
            failure = error.what();
        }
        if (failure.empty()) {
            std::string host = address.v6 ? "[" + address.host + "]" : address.host;
            std::string url = "http://" + host + ":" + std::to_string(server.port()) + "/metrics";
            std::cerr << "yatctl exporter: serving " << url << std::endl;
            service::ready("serving " + url);
            server.serve(fds[0]);  // until a stop signal writes to the pipe
            service::stopping();
        }

        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        wake.notify_all();
        refreshThread.join();
        if (monitoring == ERR_SUCCESS) library.deRegisterForAsynchEvents();
        signalPipe.store(-1);
        close(fds[0]);
        close(fds[1]);
        if (!failure.empty()) throw UsageError("cannot listen on " + listen_ + ": " + failure);
    }

private:
    std::string listen_ = "127.0.0.1:9464";
    std::string prefix_ = "yat";
    double refreshSeconds_ = 5;
    double selSeconds_ = 300;
};

}  // namespace

std::unique_ptr<Subcommand> makeExporterCommand() { return std::make_unique<ExporterCommand>(); }

}  // namespace yatctl
