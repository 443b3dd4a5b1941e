#pragma once
// cLibYAT: the one library object a host receives from openLibrary. It implements cDeviceLib over
// the comm device it was opened with. Operations are defined in the folder of the subsystem that
// owns them; this is the only declaration.
//
// Lifetime: created and destroyed only under the library mutex by openLibrary/closeLibrary. Threads:
// any number of host threads may call operations; the event and polling threads call some too.
// Operations that need the library mutex take it themselves.

#include <atomic>
#include <cstdint>
#include <vector>

#include "events/event_config.h"
#include "frame/bus_comm.h"
#include "frame/device_lib.h"
#include "leds/glint_led.h"
#include "platform/qv.h"

class cThreadLib;
class VectoredSystemSummary;
class cFanInst;
class cTempInstance;
class cVoltInstance;
class cPowerInstance;
class cSensorInst;

// The process-wide library mutex (recursive; always locked without a time limit).
extern QV::Mutex libraryMutex;

// The process-wide event stop flag: cleared by the constructor, set when monitoring stops.
extern std::atomic<bool> eventStopFlag;

class cLibYAT final : public cDeviceLib {
public:
    // Accepts commDevice only when its device ID is DEVSP (99); then detects the SP type.
    explicit cLibYAT(cBusComm* commDevice);
    ~cLibYAT();
    cLibYAT(const cLibYAT&) = delete;
    cLibYAT& operator=(const cLibYAT&) = delete;

    // The open step of openLibrary: under the library mutex, creates the object on first use or
    // counts one more user. Stores the object (or null) in *out; 0 with an object, 3 without, 12 when
    // out is null (nothing is created then).
    static int32_t OpenLib(cLibYAT** out, cBusComm* commDevice);

    bool libOk() const { return lib_ok; }
    cBusComm* comm() const { return commDevice; }
    int32_t storedSPType() const { return spType; }

    // frame
    uint32_t getNodeCount() override;
    bool capabilityFlag9() override { return true; }
    bool capabilityFlag48() override { return true; }
    int32_t getDefaultThresholds(int32_t ignored, int32_t* first, int32_t* second, int32_t* third) override;
    int32_t getTypeSupportLevel(int32_t ignored, int32_t typeCode) override;

    // sysinfo: SP type, system state, watchdogs, firmware, VPD
    int32_t getSPType(int32_t* type) override;
    int32_t getSystemState(int32_t node, SystemStateInfo* info) override;
    int32_t getWatchogTimers(int32_t node, WatchdogTimersInfo* info) override;
    int32_t getFirmwareData(int32_t node, int32_t kind, FirmwareInfo* info, int32_t extra) override;
    int32_t getVPDData(int32_t node, int32_t kind, int32_t instance, VPD* vpd) override;
    int32_t getMachineVPD(int32_t node, MachineVPDInfo* info) override;
    int32_t getPostBiosVPD(int32_t node, PostBiosVPDInfo* info) override;
    // Sends "1.2", parses the summary and sets spType; the comm device's code or the status on failure.
    int32_t initVectoredSystemSummary();

    // sensors: discovery and queries
    int32_t initSensors(cSensorSink* sink) override;
    int32_t getNumberSensors(int32_t sensorClass, int32_t node) override;
    int32_t getSensorReading(int32_t sensorClass, int32_t node, int32_t sensor, void* reading) override;
    int32_t getSensorLimits(int32_t sensorClass, int32_t node, int32_t sensor, void* upper, void* lower) override;
    int32_t getSensorStatus(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* status, void* reading,
                            void* lower, void* upper) override;
    int32_t getSensorType(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* type) override;
    int32_t getSensorLocation(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* location) override;
    int32_t getSensorInstance(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* instance) override;

private:
    // Destructor steps owned by the subsystems.
    void releaseSensorObjects();  // sensors: gives up this object's use of each class object
    void freeSystemSummary();     // sysinfo: frees the vectored system summary

    // sensors: the class objects as queries and the update threads see them. Each is null while its
    // class has no sensors; discovery publishes an object only once it keeps it, and only the
    // destructor destroys one, so a pointer loaded here stays usable while the library object lives.
    cTempInstance* temperatureObject() const;
    cVoltInstance* voltageObject() const;
    cFanInst* fanObject() const;
    cPowerInstance* powerObject() const;
    // The object of sensor class 1-4 (as above), or null for another class.
    cSensorInst* sensorObject(int32_t sensorClass) const;

    cThreadLib* eventThreads = nullptr;    // one per node while monitoring runs
    cThreadLib* pollingThread = nullptr;   // while monitoring runs
    bool pfaSupported = false;
    int32_t pfaStack[20][5] = {};
    int32_t pfaStackPosition = -1;         // -1: empty
    VectoredSystemSummary* systemSummary = nullptr;  // owned
    std::vector<std::vector<cEventConfig>> eventConfigList;  // one list per node
    cBusComm* commDevice = nullptr;        // not owned
    cFanInst* fanInstance = nullptr;
    cTempInstance* tempInstance = nullptr;
    cVoltInstance* voltInstance = nullptr;
    cPowerInstance* powerInstance = nullptr;
    GlintLEDList ledList;
    bool lib_ok = false;
};

// The release step of closeLibrary.
class cSPDev {
public:
    // Under the library mutex counts one user less; destroys the object when none is left. Returns the
    // number of users left, or 0 when the object was destroyed or none existed.
    static int32_t Release();
};

// The two exported entry points (C linkage).
#if defined(_WIN32) && defined(YAT_BUILDING_LIBRARY)
#define YAT_EXPORT __declspec(dllexport)
#elif defined(_WIN32)
#define YAT_EXPORT __declspec(dllimport)
#else
#define YAT_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
YAT_EXPORT int32_t openLibrary(cLibYAT** out, cBusComm* commDevice);
YAT_EXPORT int32_t closeLibrary();
}
