// yat-redfishd: a Redfish service over one library instance (see README.md, "Redfish service").
//
// The HTTP server is cpp-httplib from Debian (libcpp-httplib-dev): a packaged, header-only-style
// library with a thread pool, request size limits and TLS through OpenSSL (SSLServer), without the
// weight of an asynchronous framework for a service that answers a handful of management clients.
//
//   yat-redfishd --listen ADDRESS:PORT --users FILE [--tls-cert FILE --tls-key FILE | --insecure-http]
//                [--comm DEVICE | --scenario FILE] [--lib PATH] [--log-dir DIR] [--state-dir DIR]
//   yat-redfishd hash-password      reads one password line on standard input, prints its hash
//
// The SP is reached through the comm device --comm chooses (the embedded simulator over --scenario by
// default), opened the way yatctl opens it.

#include <httplib.h>
#include <signal.h>

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <iostream>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>

#include "redfish/event_stream.h"
#include "redfish/events.h"
#include "redfish/http_front.h"
#include "redfish/protocol.h"
#include "redfish/resources.h"
#include "redfish/sessions.h"
#include "redfish/users.h"
#include "sim/dotted.h"
#include "sim/json_field.h"
#include "sim/sim_bus_comm.h"
#include "yat/codes.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "yatctl/config_options.h"
#include "yatctl/host_sink.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"

namespace {

using redfish::Json;

constexpr size_t kMostBody = 64 * 1024;  // a PATCH body; larger requests answer 413
constexpr int kThreads = 8;              // requests served at once; more wait for a thread
static_assert(redfish::EventHub::kMostStreamClients < kThreads, "event streams must leave threads for requests");

// The sensor sink the library reports to: notes the sensors discovery announces, and those polling
// announces later (a fan that turns again), in a set, so repeated reports add nothing; keeps the
// registry texts as yatctl's sink does; once forwardEvents was called, turns every report into the
// EventService's events (redfish/events.h; publishing never waits for a client or a destination). The
// library's threads call it; a mutex keeps it consistent.
class DaemonSink final : public cSensorSink {
public:
    explicit DaemonSink(std::string registryFile) : registry_(std::move(registryFile)) {}

    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void*, void*, int32_t code,
                         const char*) override {
        if (redfish::EventHub* hub = hub_.load()) publishEvent(*hub, sensorClass, node, sensor, first, code);
        if (code != yat::kReportDiscovered || sensorClass < yat::kClassTemperature ||
            sensorClass > yat::kClassPowerSupply || first == nullptr)
            return 0;
        int32_t number = 0;
        std::memcpy(&number, first, sizeof number);  // the first value is the sensor number
        std::lock_guard<std::mutex> lock(mutex_);
        if (sensors_.size() < 4096 && sensors_.emplace(node, sensorClass, number).second) ++generation_;
        return 0;
    }
    int32_t addRegistryText(const char* keyPath, const char* text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return registry_.addRegistryText(keyPath, text);
    }
    int32_t findRegistryText(const char* text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return registry_.findRegistryText(text);
    }
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sensors_;
    }
    // From now on the sink's reports go to the EventService as events; library names the sensors.
    void forwardEvents(cDeviceLib& library, redfish::EventHub& hub) {
        library_ = &library;
        hub_ = &hub;
    }
    // Grows with each sensor noted.
    uint64_t generation() {
        std::lock_guard<std::mutex> lock(mutex_);
        return generation_;
    }

private:
    void publishEvent(redfish::EventHub& hub, int32_t sensorClass, int32_t node, int32_t sensor, void* first,
                      int32_t code) {
        redfish::SensorNaming naming;
        int32_t location = 0, instance = 0;
        cDeviceLib* library = library_.load();
        if (code == yat::kReportDiscovered) return;  // an announcement, not an event
        if (sensorClass >= yat::kClassTemperature && sensorClass <= yat::kClassPowerSupply && library != nullptr &&
            library->getSensorLocation(sensorClass, node, sensor, &location) == ERR_SUCCESS &&
            library->getSensorInstance(sensorClass, node, sensor, &instance) == ERR_SUCCESS) {
            naming.name = yatctl::sensorName(sensorClass, location, instance);
            naming.id = redfish::sensorId(naming.name);
        }
        std::optional<int32_t> reading;
        if (first != nullptr) std::memcpy(&reading.emplace(), first, sizeof(int32_t));
        if (auto message = translator_.translate(sensorClass, node, sensor, reading, code, naming))
            hub.publish(*message);
    }

    std::atomic<cDeviceLib*> library_{nullptr};
    std::atomic<redfish::EventHub*> hub_{nullptr};
    redfish::EventTranslator translator_;
    std::mutex mutex_;
    yatctl::HostSink registry_;
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors_;
    uint64_t generation_ = 0;
};

// Sensor discovery, repeated after a failure (an SP that does not answer at start) when a request
// comes and its delay has passed: 1 s, doubling up to 60 s (scaled by YAT_SLEEP_SCALE). A failure is
// logged once per delay. After it succeeds the sink registers for the library's events: its polling
// and event threads keep the sensors' status current (a fan that stops, a fan that turns again and
// is announced then); deregistered when this ends, before the library is closed. Thread-safe.
class Discovery {
public:
    Discovery(cDeviceLib& library, cSensorSink& sink) : library_(library), sink_(sink) {}
    ~Discovery() {
        if (registered_) library_.deRegisterForAsynchEvents();
    }
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;

    void attempt() {
        if (done_.load()) return;
        // A request does not wait for another request's discovery: it is served with what is known.
        std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
        if (!lock.owns_lock()) return;
        auto now = std::chrono::steady_clock::now();
        if (done_.load() || now < next_) return;
        int32_t result = library_.initSensors(&sink_);
        if (result == ERR_SUCCESS) {
            if (failures_ > 0)
                std::cerr << "yat-redfishd: sensor discovery succeeded after " << failures_ << " retries\n";
            done_ = true;
            int32_t registration = library_.registerForAsynchEvents(&sink_);
            registered_ = registration == ERR_SUCCESS;
            if (!registered_) {
                std::cerr << "yat-redfishd: event registration failed with result " << registration << " "
                          << yatctl::resultName(registration) << "; sensor states are those of discovery\n";
            }
            return;
        }
        ++failures_;
        if (delaySeconds_ != loggedDelaySeconds_) {
            std::cerr << "yat-redfishd: sensor discovery failed with result " << result << " "
                      << yatctl::resultName(result) << "; retrying in " << delaySeconds_ << " s\n";
            loggedDelaySeconds_ = delaySeconds_;
        }
        double scale = yatsim::environmentTimeScale();
        next_ = now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                          std::chrono::duration<double>(delaySeconds_ * scale));
        delaySeconds_ = std::min(delaySeconds_ * 2, 60.0);
    }

private:
    cDeviceLib& library_;
    cSensorSink& sink_;
    std::mutex mutex_;
    std::atomic<bool> done_{false};
    bool registered_ = false;
    int failures_ = 0;
    double delaySeconds_ = 1, loggedDelaySeconds_ = 0;
    std::chrono::steady_clock::time_point next_{};
};

// The sensors discovery announced, with their names from their location and instance.
std::vector<redfish::SensorEntry> sensorEntries(cDeviceLib& library, DaemonSink& sink) {
    std::vector<redfish::SensorEntry> entries;
    for (const auto& [node, sensorClass, sensor] : sink.sensors()) {
        int32_t location = 0, instance = 0;
        library.getSensorLocation(sensorClass, node, sensor, &location);
        library.getSensorInstance(sensorClass, node, sensor, &instance);
        redfish::SensorEntry e{node,   sensorClass,
                               sensor, yatctl::sensorName(sensorClass, location, instance),
                               "",     yatctl::sensorKind(sensorClass, location)};
        e.id = redfish::sensorId(e.name);
        entries.push_back(std::move(e));
    }
    return entries;
}

void sendJson(httplib::Response& res, redfish::Reply reply) {
    redfish::decorate(reply);
    res.status = reply.status;
    for (const auto& [name, value] : reply.headers) res.set_header(name, value);
    res.set_header("OData-Version", "4.0");
    if (!reply.allow.empty()) res.set_header("Allow", reply.allow);
    if (reply.status == 401) res.set_header("WWW-Authenticate", "Basic realm=\"yat-redfishd\"");
    res.set_content(redfish::jsonText(reply.body), "application/json;charset=utf-8");
}

int hashPasswordCommand() {
    try {
        std::string password = yatctl::readSecretLine("password", 1024);
        std::cout << redfish::hashPassword(password) << "\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "yat-redfishd hash-password: " << error.what() << "\n";
        return 2;
    }
}

struct Options {
    yatctl::GlobalOptions global;
    std::string listen, users, tlsCert, tlsKey;
    bool insecureHttp = false;
};

int serve(const Options& options, yatctl::StateDirOption& stateDir) {
    redfish::ListenAddress address;
    try {
        address = redfish::parseListen(options.listen);
    } catch (const std::invalid_argument& error) {
        std::cerr << "yat-redfishd: --listen " << options.listen << ": " << error.what() << "\n";
        return 2;
    }
    bool tls = !options.tlsCert.empty() || !options.tlsKey.empty();
    if (tls && (options.tlsCert.empty() || options.tlsKey.empty())) {
        std::cerr << "yat-redfishd: --tls-cert and --tls-key go together\n";
        return 2;
    }
    if (tls && options.insecureHttp) {
        std::cerr << "yat-redfishd: --insecure-http and --tls-cert exclude each other\n";
        return 2;
    }
    if (!tls && !options.insecureHttp) {
        std::cerr << "yat-redfishd: give --tls-cert and --tls-key (or --insecure-http on a loopback address)\n";
        return 2;
    }
    if (options.insecureHttp && !redfish::isLoopback(address.host)) {
        std::cerr << "yat-redfishd: --insecure-http serves only a loopback address, not " << address.host << "\n";
        return 2;
    }
    std::unique_ptr<redfish::Authenticator> users;
    try {
        users = std::make_unique<redfish::Authenticator>(redfish::loadUsers(options.users));
    } catch (const redfish::UsersError& error) {
        std::cerr << "yat-redfishd: --users " << options.users << ": " << error.what() << "\n";
        return 2;
    }

    // Termination signals are taken by one thread with sigwait, which stops the server.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    DaemonSink sink(stateDir.registryFile());
    // Outlives the library (its last callbacks) and the server (its event streams).
    redfish::EventHub events(redfish::httpPoster(), yatsim::environmentTimeScale());
    std::unique_ptr<yatctl::Session> session;
    try {
        session = std::make_unique<yatctl::Session>(options.global);
    } catch (const yatsim::ScenarioError& error) {
        std::cerr << "yat-redfishd: scenario " << error.what() << "\n";
        return 2;
    } catch (const yatctl::UsageError& error) {
        std::cerr << "yat-redfishd: " << error.what() << "\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "yat-redfishd: " << error.what() << "\n";
        return 1;
    }
    std::unique_ptr<redfish::Service> service;
    std::atomic<uint64_t> sensorsSeen{0};  // the sink's generation the service's sensors are from
    std::unique_ptr<Discovery> discovery;
    try {
        cDeviceLib& library = session->library();
        sink.forwardEvents(library, events);
        discovery = std::make_unique<Discovery>(library, sink);
        discovery->attempt();
        service = std::make_unique<redfish::Service>(library, sensorEntries(library, sink));
        sensorsSeen = sink.generation();
    } catch (const yatctl::LibraryError& error) {
        std::cerr << "yat-redfishd: " << error.what() << "\n";
        return 1;
    }

    std::unique_ptr<httplib::Server> server;
    if (tls) {
        server = std::make_unique<httplib::SSLServer>(options.tlsCert.c_str(), options.tlsKey.c_str());
        if (!server->is_valid()) {
            std::cerr << "yat-redfishd: cannot use --tls-cert " << options.tlsCert << " with --tls-key "
                      << options.tlsKey << "\n";
            return 2;
        }
    } else {
        server = std::make_unique<httplib::Server>();
    }
    server->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    server->set_payload_max_length(kMostBody);
    server->set_read_timeout(10, 0);
    server->set_write_timeout(10, 0);
    server->set_keep_alive_max_count(100);

    // Errors httplib answers by itself (a body over kMostBody: 413, a malformed request: 400, a
    // method it does not route) carry a Redfish error body too.
    server->set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        std::string message = res.status == 413 ? "The request body is larger than the service accepts."
                                                : "A general error has occurred. See Resolution for information on how "
                                                  "to resolve the error.";
        redfish::Reply reply = redfish::errorReply(res.status, "GeneralError", message);
        sendJson(res, reply);
        return httplib::Server::HandlerResponse::Handled;
    }));

    redfish::LoginLimiter limiter;
    redfish::SessionStore sessions;
    redfish::Gate gate(*users, sessions, limiter, std::cerr);
    auto handler = [&](const httplib::Request& req, httplib::Response& res) {
        if (req.path == "/redfish/v1/$metadata") {
            res.set_header("OData-Version", "4.0");
            res.set_content(redfish::metadataDocument(), "application/xml");
            return;
        }
        redfish::Request request{req.method,
                                 req.path,
                                 req.body,
                                 req.get_header_value("Authorization"),
                                 req.get_header_value("X-Auth-Token"),
                                 req.get_header_value("If-Match"),
                                 req.remote_addr};
        if (std::optional<redfish::Reply> own = gate.answer(request)) {
            sendJson(res, *own);
            return;
        }
        if (redfish::EventHub::serves(req.path)) {
            if (req.path == redfish::kEventStreamPath && req.method == "GET") {
                redfish::serveEventStream(events, res);
                return;
            }
            redfish::Reply reply = events.handle(req.method, req.path, req.body);
            if (reply.status == 204) {
                res.status = 204;
                return;
            }
            sendJson(res, reply);
            return;
        }
        // A sensor announced after discovery (or by a repeated discovery) is served from then on.
        discovery->attempt();
        uint64_t generation = sink.generation();
        if (sensorsSeen.exchange(generation) != generation) {
            service->setSensors(sensorEntries(session->library(), sink));
        }
        sendJson(res, service->handle(req.method, req.path, req.body, request.ifMatch));
    };
    const std::string anyPath = "/.*";
    server->Get(anyPath, handler);
    server->Post(anyPath, handler);
    server->Patch(anyPath, handler);
    server->Put(anyPath, handler);
    server->Delete(anyPath, handler);

    int port = address.port;
    bool bound =
        port == 0 ? (port = server->bind_to_any_port(address.host)) > 0 : server->bind_to_port(address.host, port);
    if (!bound) {
        std::cerr << "yat-redfishd: cannot listen on " << options.listen << "\n";
        return 1;
    }
    std::string shownHost = address.host.find(':') != std::string::npos ? "[" + address.host + "]" : address.host;
    std::cout << "yat-redfishd: serving " << (tls ? "https" : "http") << "://" << shownHost << ":" << port
              << "/redfish/v1 (" << service->sensorCount() << " sensors)" << std::endl;

    std::thread stopper([&server, &stopSignals, &events] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        events.stop();  // ends the event streams, which would keep their threads otherwise
        server->stop();
    });
    bool served = server->listen_after_bind();
    // The stopper may still be waiting when the server ended by itself: wake it.
    if (!served) std::cerr << "yat-redfishd: the server stopped unexpectedly\n";
    kill(getpid(), SIGTERM);
    stopper.join();
    return served ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "hash-password") return hashPasswordCommand();
    CLI::App app{"yat-redfishd: a Redfish service over libyat (see also: yat-redfishd hash-password)"};
    Options options;
    yatctl::StateDirOption stateDir("STATE_DIRECTORY");
    app.add_option("--listen", options.listen, "ADDRESS:PORT to serve (port 0: any free port)")->required();
    app.add_option("--users", options.users, "Users file: NAME:ROLE:HASH lines, readable by its owner only")
        ->required();
    app.add_option("--tls-cert", options.tlsCert, "TLS certificate chain (PEM)");
    app.add_option("--tls-key", options.tlsKey, "TLS private key (PEM)");
    app.add_flag("--insecure-http", options.insecureHttp, "Serve plain HTTP (loopback addresses only)");
    app.add_option("--comm", options.global.comm, yatcomm::kCommHelp);
    app.add_option("--scenario", options.global.scenarioFile,
                   "Scenario file (JSON) of the simulated server; default: the built-in two-node server");
    app.add_option("--lib", options.global.libraryPath, "Path of libyat.so; default: beside yat-redfishd");
    app.add_option("--log-dir", options.global.logDir, "Folder for libyat.log (sets YAT_LOG_DIR)");
    stateDir.add(app);
    CLI11_PARSE(app, argc, argv);
    return serve(options, stateDir);
}
