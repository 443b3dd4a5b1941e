// host-agent: the smallest useful host agent for libyat. It opens the library over the simulator's
// comm device, runs sensor discovery, prints every sensor with its reading and status, then monitors
// for the given number of seconds and prints every event the library reports, and closes cleanly.
//
//   host-agent [--comm DEVICE] [SECONDS [SCENARIO.json]]
//                               (default: 10 seconds over the simulator, the built-in two-node scenario)
//
// DEVICE chooses the comm device at run time through the plugin contract (yat/comm_plugin.h):
//   plugin:LIB[:ARGUMENT]   loads LIB (a path, or a name the dynamic loader finds) and opens its device
//                           with ARGUMENT (the plugin's own text; empty when left out)
//   unix:PATH, tcp:127.0.0.1:PORT[,timeout=MS]
//                           the socket device: plugin libyat_sockcomm.so.0, given the whole text,
//                           talking to a yat-spd daemon. It is installed beside the simulator's
//                           library (package libyat-simcomm0); from a build tree, point
//                           LD_LIBRARY_PATH at build/.../sockcomm or use plugin:/path/to/it:unix:PATH.
// A real agent hands openLibrary its own comm device (device ID 99) instead of yatSimCommOpen's.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>

#include "yat/codes.h"
#include "yat/comm_plugin.h"
#include "yat/libyat.h"
#include "yat/result_codes.h"
#include "yat/result_names.h"
#include "yat/sensor_sink.h"
#include "yat/version.h"
#include "yatsim/sim_comm.h"

namespace {

const char* className(int32_t sensorClass) {
    switch (sensorClass) {
        case yat::kClassTemperature: return "temperature";
        case yat::kClassVoltage: return "voltage";
        case yat::kClassFan: return "fan";
        case yat::kClassPowerSupply: return "power supply";
        case yat::kClassNodeEvent: return "node event";
        default: return "class ?";
    }
}

// The agent's sensor sink. The library calls reportSensor from its own threads while monitoring, so
// everything here is guarded by one mutex. The registry texts it is asked to keep live in memory
// only (a real agent stores them, so that a fan once seen stays known across runs).
class AgentSink final : public cSensorSink {
public:
    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void*, void*, int32_t code,
                         const char* text) override {
        std::lock_guard lock(mutex_);
        int32_t number = first != nullptr ? *static_cast<const int32_t*>(first) : sensor;
        if (code == yat::kReportDiscovered && !monitoring_) {
            // Discovery: the first value is the sensor number.
            if (sensorClass >= yat::kClassTemperature && sensorClass <= yat::kClassPowerSupply && first != nullptr) {
                sensors_.emplace(node, sensorClass, number);
            }
            return 0;
        }
        ++events_;
        std::printf("event: node %d, %s, sensor %d, code %d%s%s\n", node, className(sensorClass), sensor, code,
                    text != nullptr ? ", text " : "", text != nullptr ? text : "");
        std::fflush(stdout);
        return 0;
    }

    int32_t addRegistryText(const char* keyPath, const char* text) override {
        std::lock_guard lock(mutex_);
        if (keyPath != nullptr) registry_.insert(keyPath);
        if (text != nullptr) registry_.insert(text);
        return 0;
    }

    int32_t findRegistryText(const char* text) override {
        std::lock_guard lock(mutex_);
        return text != nullptr && registry_.count(text) != 0 ? 1 : 0;
    }

    void startMonitoring() {
        std::lock_guard lock(mutex_);
        monitoring_ = true;
    }
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors() {
        std::lock_guard lock(mutex_);
        return sensors_;
    }
    unsigned events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    std::mutex mutex_;
    bool monitoring_ = false;
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors_;  // node, class, sensor number
    std::set<std::string> registry_;
    unsigned events_ = 0;
};

// A reading slot holds an integer, or a float for voltages.
std::string slotText(int32_t sensorClass, int32_t slot) {
    char text[48];
    if (sensorClass == yat::kClassVoltage) {
        float volts = 0;
        std::memcpy(&volts, &slot, sizeof volts);
        std::snprintf(text, sizeof text, "%.2f V", static_cast<double>(volts));
    } else if (sensorClass == yat::kClassTemperature) {
        std::snprintf(text, sizeof text, "%d C", slot);
    } else {
        std::snprintf(text, sizeof text, "%d RPM", slot);
    }
    return text;
}

void printSensors(cDeviceLib& library, AgentSink& sink) {
    for (const auto& [node, sensorClass, sensor] : sink.sensors()) {
        int32_t status = 0, reading = 0, lower = 0, upper = 0;
        int32_t result = library.getSensorStatus(sensorClass, node, sensor, &status, &reading, &lower, &upper);
        std::printf("sensor: node %d, %s %d: ", node, className(sensorClass), sensor);
        if (result != ERR_SUCCESS) {
            std::printf("not readable (result %d %s)\n", result, yat::resultName(result));
        } else if (sensorClass == yat::kClassPowerSupply) {
            std::printf("status %d\n", status);
        } else {
            std::printf("%s, status %d\n", slotText(sensorClass, reading).c_str(), status);
        }
    }
}

// A comm device opened through a plugin library, or the simulator linked in when no plugin is named.
struct AgentComm {
    void* library = nullptr;  // dlopen handle; null for the linked-in simulator
    const YatCommPlugin* plugin = nullptr;
    cBusComm* comm = nullptr;

    void close() {
        if (plugin != nullptr) {
            plugin->close(comm);
        } else if (comm != nullptr) {
            yatSimCommClose(comm);
        }
        comm = nullptr;
        if (library != nullptr) dlclose(library);
        library = nullptr;
    }
};

// Opens the device a --comm text names (see the top of this file); false with the reason printed.
bool openPluginComm(const std::string& choice, AgentComm& out) {
    std::string libraryName;
    std::string argument;
    if (choice.rfind("plugin:", 0) == 0) {
        std::string rest = choice.substr(7);
        size_t colon = rest.find(':');
        libraryName = rest.substr(0, colon);
        if (colon != std::string::npos) argument = rest.substr(colon + 1);
    } else if (choice.rfind("unix:", 0) == 0 || choice.rfind("tcp:", 0) == 0) {
        // The socket plugin parses the endpoint itself; the agent only picks the library.
        libraryName = "libyat_sockcomm.so.0";  // the run-time name: no development package needed
        argument = choice;
    } else {
        std::fprintf(stderr, "--comm %s: expected plugin:LIB[:ARGUMENT], unix:PATH or tcp:127.0.0.1:PORT\n",
                     choice.c_str());
        return false;
    }
    if (libraryName.empty()) {
        std::fprintf(stderr, "--comm %s: no library named\n", choice.c_str());
        return false;
    }
    out.library = dlopen(libraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (out.library == nullptr) {
        const char* why = dlerror();
        std::fprintf(stderr, "cannot load comm plugin %s: %s\n", libraryName.c_str(), why != nullptr ? why : "?");
        return false;
    }
    auto entry = reinterpret_cast<YatCommPluginEntry>(dlsym(out.library, kYatCommPluginSymbol));
    const YatCommPlugin* plugin = entry != nullptr ? entry() : nullptr;
    if (plugin == nullptr) {
        std::fprintf(stderr, "%s is not a comm plugin: no %s\n", libraryName.c_str(), kYatCommPluginSymbol);
        out.close();
        return false;
    }
    if (plugin->version != kYatCommPluginVersion) {
        std::fprintf(stderr, "%s: plugin version %u, host expects %u\n", libraryName.c_str(),
                     static_cast<unsigned>(plugin->version), static_cast<unsigned>(kYatCommPluginVersion));
        out.close();
        return false;
    }
    char error[256] = "";
    out.comm = plugin->open(argument.c_str(), error, sizeof error);
    if (out.comm == nullptr) {
        std::fprintf(stderr, "cannot open the %s device (%s): %s\n", plugin->name != nullptr ? plugin->name : "?",
                     argument.c_str(), error);
        out.close();
        return false;
    }
    out.plugin = plugin;
    return true;
}

void printUsage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--comm plugin:LIB[:ARGUMENT]|unix:PATH|tcp:127.0.0.1:PORT] [SECONDS [SCENARIO.json]]\n",
                 program);
}

}  // namespace

int main(int argc, char** argv) {
    std::string commChoice;
    bool commGiven = false;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--comm") == 0) {
        if (argc < 3) {
            printUsage(argv[0]);
            return 2;
        }
        commChoice = argv[2];
        commGiven = true;
        first = 3;
    } else if (argc > 1 && std::strncmp(argv[1], "--comm=", 7) == 0) {
        commChoice = argv[1] + 7;
        commGiven = true;
        first = 2;
    }
    int positional = argc - first;
    long seconds = 10;
    char* end = nullptr;
    if (positional > 0) seconds = std::strtol(argv[first], &end, 10);
    if (positional > 2 || (positional > 0 && (end == argv[first] || *end != '\0')) || seconds < 0 ||
        seconds > 24 * 3600 || (positional > 1 && commGiven)) {
        // A scenario file is the simulator's; a plugin takes its own argument in --comm.
        printUsage(argv[0]);
        return 2;
    }
    const char* scenario = positional > 1 ? argv[first + 1] : nullptr;

    AgentComm agentComm;
    if (commGiven) {
        if (!openPluginComm(commChoice, agentComm)) return 2;
    } else {
        char error[256];
        agentComm.comm = yatSimCommOpen(scenario, error, sizeof error);
        if (agentComm.comm == nullptr) {
            std::fprintf(stderr, "cannot start the simulator: %s\n", error);
            return 2;
        }
    }
    cBusComm* comm = agentComm.comm;

    cLibYAT* library = nullptr;
    int32_t result = openLibrary(&library, comm);
    if (result != ERR_SUCCESS || library == nullptr) {
        std::fprintf(stderr, "openLibrary failed with result %d %s\n", result, yat::resultName(result));
        if (library != nullptr) closeLibrary();
        agentComm.close();
        return 1;
    }
    // Every operation is called through the interface (its virtual table), never on cLibYAT directly:
    // only openLibrary and closeLibrary are exported.
    cDeviceLib& device = *library;
    int32_t spType = 0;
    device.getSPType(&spType);
    // The version is the host headers' (yat/version.h); any libyat.so of the same major number runs it.
    std::printf("opened libyat (built against %s): %u node(s), SP type %d\n", yat::kVersionText, device.getNodeCount(),
                spType);

    AgentSink sink;
    result = device.initSensors(&sink);
    std::printf("discovery: result %d, %zu sensor(s)\n", result, sink.sensors().size());
    printSensors(device, sink);

    // Monitoring: the library's threads report sensor changes and SP events to the sink.
    sink.startMonitoring();
    result = device.registerForAsynchEvents(&sink);
    std::printf("monitoring for %ld s: registerForAsynchEvents result %d\n", seconds, result);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    if (result == ERR_SUCCESS) device.deRegisterForAsynchEvents();
    std::printf("received %u event(s)\n", sink.events());

    closeLibrary();
    agentComm.close();
    return 0;
}
