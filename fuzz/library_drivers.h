#pragma once
// The library operations the comm-driven fuzz targets run, one driver per target. The same drivers
// run over the simulator's default scenario in seed_generator.cpp, which records the answers as the
// targets' seeds, so the seeds walk the same requests the fuzzer later varies. Host buffers are
// exactly their stated sizes (heap, no slack), so any write past them is caught.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "config/network_settings.h"
#include "events/event_log.h"
#include "leds/passthru.h"
#include "sensors/sensor_model.h"
#include "sysinfo/system_info.h"
#include "yat/bus_comm.h"
#include "yat/device_lib.h"
#include "yat/event_log_records.h"
#include "yat/host_records.h"
#include "yat/system_info_records.h"
#include "yat/vpd_records.h"
#include "yat/led_records.h"
#include "yat/vpd.h"
#include "fuzz/library_fuzz_input.h"

namespace fuzzsupport {

// SystemInfo: summary and SP type, state, watchdogs, every firmware kind, the VPD kinds, machine
// and POST/BIOS VPD, on two nodes.
inline void driveSystemInfo(cBusComm* comm) {
    int32_t spType = 0;
    SystemInfo info(comm, spType);
    (void)info.initVectoredSystemSummary();
    int32_t type = 0;
    (void)info.getSPType(&type);
    for (int32_t node = 0; node < 2; ++node) {
        auto state = std::make_unique<SystemStateInfo>();
        (void)info.getSystemState(node, state.get());
        auto watchdogs = std::make_unique<WatchdogTimersInfo>();
        (void)info.getWatchogTimers(node, watchdogs.get());
        for (int32_t kind = 0; kind <= 6; ++kind) {
            auto firmware = std::make_unique<FirmwareInfo>();
            (void)info.getFirmwareData(node, kind, firmware.get(), 1);
        }
        for (int32_t kind : {2, 7, 9, 16, 17, 18, 21}) {
            auto vpd = std::make_unique<VPD>();
            (void)info.getVPDData(node, kind, 1, vpd.get());
        }
        auto machine = std::make_unique<MachineVPDInfo>();
        (void)info.getMachineVPD(node, machine.get());
        auto postBios = std::make_unique<PostBiosVPDInfo>();
        (void)info.getPostBiosVPD(node, postBios.get());
    }
}

// SensorModel: discovery over every node, then every query on every sensor found (and one past).
inline void driveSensorDiscovery(cBusComm* comm) {
    SensorModel model(comm);
    CountingSink sink;
    (void)model.initSensors(&sink);
    for (int32_t sensorClass = 1; sensorClass <= 4; ++sensorClass) {
        for (int32_t node = 0; node < 2; ++node) {
            int32_t count = model.getNumberSensors(sensorClass, node);
            if (count < 0 || count > 4096) std::abort();
            for (int32_t sensor = 0; sensor <= count && sensor < 64; ++sensor) {
                // The value slots are 32 bits (an int or a float); each is its own heap block.
                auto reading = std::make_unique<int32_t[]>(1), upper = std::make_unique<int32_t[]>(1),
                     lower = std::make_unique<int32_t[]>(1);
                int32_t status = 0, value = 0;
                (void)model.getSensorReading(sensorClass, node, sensor, reading.get());
                (void)model.getSensorLimits(sensorClass, node, sensor, upper.get(), lower.get());
                (void)model.getSensorStatus(sensorClass, node, sensor, &status, reading.get(), lower.get(),
                                            upper.get());
                (void)model.getSensorType(sensorClass, node, sensor, &value);
                (void)model.getSensorLocation(sensorClass, node, sensor, &value);
                (void)model.getSensorInstance(sensorClass, node, sensor, &value);
            }
        }
    }
}

// A library front whose SP restart does nothing (setNetworkPort calls it).
class NoRestartLib final : public cDeviceLib {
public:
    NoRestartLib() : cDeviceLib("f", "f", "f", "f") {}
    void resetServiceProcessor(int32_t) override {}
};

// NetworkSettings: interface items, ports, SMTP and remote alerts, then the writes that read first.
inline void driveNetworkSettings(cBusComm* comm) {
    NoRestartLib library;
    NetworkSettings settings(comm, library);
    for (int32_t iface = 0; iface < 2; ++iface) {
        int32_t value = 0;
        (void)settings.getDHCPEnable(0, iface, &value);
        auto address = std::make_unique<char[]>(16), mask = std::make_unique<char[]>(16),
             gateway = std::make_unique<char[]>(16);
        if (settings.getIPConfigInfo(0, iface, address.get(), mask.get(), gateway.get(), &value) == 0) {
            requireTerminated(address.get(), 16);
        }
        auto text = std::make_unique<char[]>(33);
        if (settings.getIPConfigString(0, iface, text.get(), 33) == 0) requireTerminated(text.get(), 33);
    }
    for (int32_t port = 0; port < 4; ++port) {
        int32_t value = 0;
        (void)settings.getNetworkPort(0, port, &value);
    }
    auto server = std::make_unique<char[]>(64);
    uint32_t maxSize = 0;
    if (settings.getSMTPConfiguration(0, 0, server.get(), &maxSize) == 0) requireTerminated(server.get(), 64);
    int32_t a = 0, b = 0, c = 0, d = 0;
    uint8_t smtp = 0;
    (void)settings.getRemoteAlertConfiguration(0, &a, &b, &c, &d, &smtp);
    (void)settings.setNetworkPort(0, 1, 8080);
    (void)settings.setIPConfigInfo(0, 0, "10.1.2.3", "255.255.255.0", nullptr);
}

// EventLog: the first entry and the following ones of both nodes, up to 40 each.
inline void driveEventLog(cBusComm* comm) {
    EventLog log(comm);
    for (int32_t node = 0; node < 2; ++node) {
        auto entry = std::make_unique<LogEntryInfo>();
        if (log.getFirstLogEntry(node, entry.get()) != 0) continue;
        for (int i = 0; i < 40 && log.getNextLogEntry(node, entry.get()) == 0; ++i) {
            requireTerminated(entry->message, sizeof entry->message);
        }
    }
}

// The LED list the passthru classes read: two nodes, two LEDs each, sensors at several register
// addresses (one far past any answer) and masks, on the dot command of the simulator's panel.
inline GlintLEDList passthruLeds(uint32_t busType) {
    GlintLEDList leds;
    for (int32_t node = 0; node < 2; ++node) {
        for (int32_t index = 0; index < 2; ++index) {
            cGlintLED led;
            std::strcpy(led.dotCommand, "d.1");  // as the simulator's default panel
            led.ledbus = 3;
            led.ledregister = 7;
            led.ledbustype = busType;
            led.leddevicetype = 0xA4;
            led.node = node;
            led.index = index;
            for (uint32_t regaddr : {0u, 0x10u, 0x12u, 4000u}) {
                cGlintSensor sensor;
                sensor.regaddr = regaddr + static_cast<uint32_t>(index);
                sensor.mask = regaddr == 0x12 ? 0x80 : 0x01;
                led.sensors.push_back(sensor);
            }
            leds.push_back(led);
        }
    }
    return leds;
}

// The four passthru classes, each reading its LED list.
inline void drivePassthru(cBusComm* comm) {
    for (uint32_t busType = kGlintBusI2C; busType <= kGlintBusH8; ++busType) {
        std::unique_ptr<cSPPassthru> passthru = makePassthru(busType);
        GlintLEDList leds = passthruLeds(busType);
        passthru->setGlintStatus(leds, comm);
        for (const cGlintLED& led : leds) {
            if (led.state != 0 && led.state != 1) std::abort();
        }
    }
}

// The drivers by target name, for the seed generator.
struct Driver {
    const char* target;
    void (*drive)(cBusComm*);
};
inline constexpr Driver kDrivers[] = {
    {"system_info", driveSystemInfo},
    {"sensor_discovery", driveSensorDiscovery},
    {"network_settings", driveNetworkSettings},
    {"event_log", driveEventLog},
    {"passthru", drivePassthru},
};

}  // namespace fuzzsupport

// The whole of a comm-driven fuzz target: the driver over a ScriptedComm answering from the input.
#define YAT_COMM_DRIVER_FUZZ_TARGET(driver)                                   \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        fuzzsupport::quietLibraryLog();                                       \
        std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size); \
        fuzzsupport::ScriptedComm comm(copy.get(), size);                     \
        fuzzsupport::driver(&comm);                                           \
        return 0;                                                             \
    }
