// A 32-bit Windows host in miniature: loads libyat.dll with LoadLibrary, finds its two entry points
// with GetProcAddress, opens it over the simulator's comm device (device ID 99), runs sensor
// discovery and a few queries, monitors briefly, closes it and unloads the DLL. Every check that
// fails is printed; the exit code is the number of failed checks (0: all passed).
//
// Run from the folder that holds libyat.dll (CTest runs it under Wine with YAT_SLEEP_SCALE set).

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>
#include <tuple>

#include "yat/codes.h"
#include "yat/device_lib.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "yat/system_info_records.h"
#include "sim/comm_library/sim_comm.h"

namespace {

// What a host declares: it knows the interface, not the library's own class.
using OpenLibrary = int32_t (*)(cDeviceLib** out, cBusComm* commDevice);
using CloseLibrary = int32_t (*)();

int failures = 0;
int passes = 0;

void check(bool ok, const char* what) {
    if (ok) {
        ++passes;
        return;
    }
    ++failures;
    std::printf("FAILED: %s\n", what);
}

// Collects what discovery reports; monitoring calls it from the library's threads.
class Sink final : public cSensorSink {
public:
    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t, void* first, void*, void*, int32_t code,
                         const char*) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (code == yat::kReportDiscovered && first != nullptr && sensorClass >= yat::kClassTemperature &&
            sensorClass <= yat::kClassPowerSupply) {
            sensors_.emplace(node, sensorClass, *static_cast<const int32_t*>(first));
        }
        return 0;
    }
    int32_t addRegistryText(const char*, const char*) override { return 0; }
    int32_t findRegistryText(const char*) override { return 0; }

    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sensors_;
    }

private:
    std::mutex mutex_;
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors_;  // node, class, sensor number
};

template <class Function>
Function entryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void session(HMODULE module, cBusComm* comm) {
    auto open = entryPoint<OpenLibrary>(module, "openLibrary");
    auto close = entryPoint<CloseLibrary>(module, "closeLibrary");
    check(open != nullptr && close != nullptr, "GetProcAddress finds openLibrary and closeLibrary");
    check(GetProcAddress(module, "_ZN7cLibYAT7OpenLibEPPS_P8cBusComm") == nullptr, "nothing else is exported");
    if (open == nullptr || close == nullptr) return;

    cDeviceLib* lib = nullptr;
    check(open(&lib, comm) == ERR_SUCCESS && lib != nullptr, "openLibrary over the simulator succeeds");
    if (lib == nullptr) return;
    check(lib->getNodeCount() == 2u, "the simulator's two nodes are seen");
    int32_t type = -1;
    check(lib->getSPType(&type) == ERR_SUCCESS && type == 7, "SP type 7 from the summary");
    SystemStateInfo state{};
    check(lib->getSystemState(1, &state) == ERR_SUCCESS && state.powerOnHours == 8119,
          "system state of node 1 (power-on hours)");

    Sink sink;
    check(lib->initSensors(&sink) == ERR_SUCCESS, "sensor discovery succeeds");
    auto sensors = sink.sensors();
    check(!sensors.empty(), "discovery reports sensors");
    int readable = 0;
    for (const auto& [node, sensorClass, sensor] : sensors) {
        int32_t status = 0, reading = 0, lower = 0, upper = 0;
        if (lib->getSensorStatus(sensorClass, node, sensor, &status, &reading, &lower, &upper) == ERR_SUCCESS) {
            ++readable;
        }
    }
    check(readable == static_cast<int>(sensors.size()), "every discovered sensor can be read");

    // The monitoring threads start and are joined again before closeLibrary returns: the DLL is
    // unloaded right after, so a thread left behind would run in unmapped code.
    check(lib->registerForAsynchEvents(&sink) == ERR_SUCCESS, "monitoring starts");
    Sleep(20);
    lib->deRegisterForAsynchEvents();
    check(close() == 0, "the last closeLibrary returns 0");
    std::printf("opened libyat.dll: SP type %d, %u sensors discovered\n", type, static_cast<unsigned>(sensors.size()));
}

}  // namespace

int main() {
    char error[256] = {};
    cBusComm* comm = yatSimCommOpen(nullptr, error, sizeof error);
    if (comm == nullptr) {
        std::printf("FAILED: the simulator does not start: %s\n", error);
        return 1;
    }
    HMODULE module = LoadLibraryA("libyat.dll");
    check(module != nullptr, "LoadLibrary finds libyat.dll beside the program");
    if (module != nullptr) {
        session(module, comm);
        check(FreeLibrary(module) != 0, "FreeLibrary unloads the DLL");
        check(GetModuleHandleA("libyat.dll") == nullptr, "libyat.dll is no longer mapped");
    }
    yatSimCommClose(comm);
    std::printf("%d passed, %d failed\n", passes, failures);
    std::fflush(stdout);
    return failures;
}
