// yatctl exporter: opens the library, runs discovery, turns monitoring on and serves /metrics in the
// Prometheus text format (MetricsServer: one thread, slow clients cannot hold up a scrape). A refresh
// thread reads the sensors and node facts through the library's operations every --refresh-interval
// seconds (the system event log every --sel-interval) into a snapshot; a scrape only turns that
// snapshot into text and never sends an SP command. Events the SPs send are counted as they come.
// The registry texts that let the library recognise sensors seen before (a fan that stood still at
// start) live in --state-dir (default $STATE_DIRECTORY, which the service unit sets). SIGTERM or
// SIGINT: stop serving, deregister, close; exit 0. A bad --listen address or a port in use: a message
// on stderr, exit 2.
//
// The parts: the sink (exporter_sink.h), the refresh and its thread (exporter_refresh.h), the metric
// families and the page (exporter_model.h), the HTTP server (metrics_server.h) and the stop signals'
// pipe (stop_signal_pipe.h). Here: the options and run(), which owns them all; each part ends with
// its scope, in the reverse order, however run() ends.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>

#include "yat/device_lib.h"
#include "yat/result_codes.h"
#include "yatctl/exporter_model.h"
#include "yatctl/exporter_refresh.h"
#include "yatctl/exporter_sink.h"
#include "yatctl/host_sink.h"
#include "yatctl/metrics_server.h"
#include "yatctl/service_notify.h"
#include "yatctl/session.h"
#include "yatctl/stop_signal_pipe.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

using exporter::ExporterSink;
using exporter::Model;
using exporter::Refresher;
using exporter::RefreshThread;
using exporter::Retried;

// A node not refreshed successfully for this many refresh intervals has its sensor series dropped.
constexpr double kStaleIntervals = 3;

// The sink's registration for the library's events: deregistered when this ends, so that no library
// thread calls the sink after it is gone, however run() ends.
class EventRegistration {
public:
    EventRegistration(cDeviceLib& library, cSensorSink& sink)
        : library_(library), result_(library.registerForAsynchEvents(&sink)) {}
    ~EventRegistration() {
        if (result_ == ERR_SUCCESS) library_.deRegisterForAsynchEvents();
    }
    EventRegistration(const EventRegistration&) = delete;
    EventRegistration& operator=(const EventRegistration&) = delete;

    int32_t result() const { return result_; }

private:
    cDeviceLib& library_;
    const int32_t result_;
};

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
        stateDir_.add(app);
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
        StopSignalPipe stopSignals;

        cDeviceLib& library = session.library();
        auto refreshInterval = service::withinWatchdog(std::chrono::duration<double>(refreshSeconds_));
        Model model(kStaleIntervals * refreshInterval.count());
        model.setComm(session.commLabel(), session.sim() != nullptr);
        ExporterSink sink(model, stateDir_.registryFile());
        if (!sink.registryError().empty()) {
            std::cerr << "yatctl exporter: --state-dir: " << sink.registryError() << "; the registry texts are not kept"
                      << std::endl;
        }
        Refresher refresher(library, model);
        // Discovery and the event registration are retried from the refresh thread until they succeed,
        // so that an SP unreachable at start gets its sensors and events once it answers.
        Retried discovery("discovery", [&] {
            sink.setDiscovering(true);
            int32_t result = library.initSensors(&sink);
            sink.setDiscovering(false);
            if (result != ERR_SUCCESS) model.countFailure(exporter::kAllNodes, "discovery");
            refresher.setSensors(exporter::readSensorFacts(library, sink), result == ERR_SUCCESS);
            return result;
        });
        discovery.attempt();
        refresher.refresh(true);

        sink.startMonitoring();
        std::optional<EventRegistration> monitoring;
        Retried registration("monitoring registration", [&] {
            auto start = std::chrono::steady_clock::now();
            monitoring.emplace(library, sink);
            int32_t result = monitoring->result();
            model.setCollectorUp("monitoring", result == ERR_SUCCESS);
            model.setRefreshSeconds("monitoring",
                                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            if (result != ERR_SUCCESS) {
                model.countFailure(exporter::kAllNodes, "monitoring_registration");
                monitoring.reset();
            }
            return result;
        });
        registration.attempt();

        auto selInterval = std::chrono::duration<double>(selSeconds_);
        auto lastCount = std::chrono::steady_clock::now();
        RefreshThread refreshing(refreshInterval, [&] {
            // A sensor announced since (a fan that stood still at discovery and turns again) is read
            // from now on.
            if (discovery.attempt() && sink.sensors().size() != refresher.sensorCount()) {
                refresher.setSensors(exporter::readSensorFacts(library, sink), true);
            }
            registration.attempt();
            bool countLog = std::chrono::steady_clock::now() - lastCount >= selInterval;
            if (countLog) lastCount = std::chrono::steady_clock::now();
            refresher.refresh(countLog);
            sink.settle();
            service::alive();
        });

        ListenAddress address = parseListenAddress(listen_);
        MetricsServer server([&] { return exporter::scrapePage(model, prefix_); });
        try {
            server.listen(address);
        } catch (const std::exception& error) {
            throw UsageError("cannot listen on " + listen_ + ": " + error.what());
        }
        std::string host = address.v6 ? "[" + address.host + "]" : address.host;
        std::string url = "http://" + host + ":" + std::to_string(server.port()) + "/metrics";
        std::cerr << "yatctl exporter: serving " << url << " from the " << session.commDescription() << std::endl;
        service::ready("serving " + url);
        server.serve(stopSignals.readEnd());  // until a stop signal writes to the pipe
        service::stopping();
    }

private:
    std::string listen_ = "127.0.0.1:9464";
    std::string prefix_ = "yat";
    double refreshSeconds_ = 5;
    double selSeconds_ = 300;
    StateDirOption stateDir_{"STATE_DIRECTORY"};
};

}  // namespace

std::unique_ptr<Subcommand> makeExporterCommand() { return std::make_unique<ExporterCommand>(); }

}  // namespace yatctl
