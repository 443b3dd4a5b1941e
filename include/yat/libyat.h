#pragma once
// The library object and the two exported entry points: what a host calls.
//
// openLibrary hands out the one cLibYAT object; the host calls the cDeviceLib operations on it and
// ends each successful open with one closeLibrary. cLibYAT is a thin front: every operation is a
// one-line forward to the subsystem that owns it (system information, sensors, monitoring, event
// log, configuration, LED panel). Each subsystem keeps its own state, locks and lifetimes; the
// result codes of each operation are listed in the owner's header.
//
// Lifetime: created only by openLibrary and destroyed only by the last closeLibrary. Threads: any
// number of host threads may call operations; the library's own threads (one event thread per node
// and a polling thread while monitoring runs) call the host's sensor sink, and the sink may call back
// in (yat/sensor_sink.h says which calls are allowed there).
//
// Closing. The last closeLibrary stops monitoring before anything else and returns within a bound:
// the time the comm device takes for its deRegisterForEvents calls + max(5 s scaled, 1 s) + 2 s
// scaled (7 s at the default scale), whatever the comm device, the events in flight or the sink's
// callbacks do. A library thread still inside a call of the comm device or of the sink by then is
// left behind (the log says so): it ends when that call returns and calls neither again. No library
// thread begins a call into the comm device or the sink after closeLibrary returned, so the host
// may destroy both then, except that one a left-behind thread is still inside must stay usable
// until the call returns.

#include <cstdint>
#include <memory>

#include "yat/bus_comm.h"
#include "yat/device_lib.h"

class cLibYAT final : public cDeviceLib {
public:
    // Accepts commDevice only when its device ID is DEVSP (99); then detects the SP type.
    explicit cLibYAT(cBusComm* commDevice);
    ~cLibYAT();
    cLibYAT(const cLibYAT&) = delete;
    cLibYAT& operator=(const cLibYAT&) = delete;

    // The open step of openLibrary: under the library mutex, creates the object on first use or
    // counts one more user. Stores the object (or null) in *out; ERR_SUCCESS with an object,
    // ERR_NO_RESOURCE (3) without, ERR_INVALID_PARAMETER (12) when out is null (nothing is created
    // then).
    static int32_t OpenLib(cLibYAT** out, cBusComm* commDevice);

    // True when the comm device was accepted; the device then (else null).
    bool libOk() const;
    cBusComm* comm() const;
    int32_t storedSPType() const { return spType; }

    // frame
    uint32_t getNodeCount() override;
    bool capabilityFlag9() override { return true; }
    bool capabilityFlag48() override { return true; }
    int32_t getDefaultThresholds(int32_t ignored, int32_t* first, int32_t* second, int32_t* third) override;
    int32_t getTypeSupportLevel(int32_t ignored, int32_t typeCode) override;

    // system information (SystemInfo): SP type, system state, watchdogs, firmware, VPD
    int32_t getSPType(int32_t* type) override;
    int32_t getSystemState(int32_t node, SystemStateInfo* info) override;
    int32_t getWatchogTimers(int32_t node, WatchdogTimersInfo* info) override;
    int32_t getFirmwareData(int32_t node, int32_t kind, FirmwareInfo* info, int32_t extra) override;
    int32_t getVPDData(int32_t node, int32_t kind, int32_t instance, VPD* vpd) override;
    int32_t getMachineVPD(int32_t node, MachineVPDInfo* info) override;
    int32_t getPostBiosVPD(int32_t node, PostBiosVPDInfo* info) override;

    // sensors (SensorModel): discovery and queries
    int32_t initSensors(cSensorSink* sink) override;
    int32_t getNumberSensors(int32_t sensorClass, int32_t node) override;
    int32_t getSensorReading(int32_t sensorClass, int32_t node, int32_t sensor, void* reading) override;
    int32_t getSensorLimits(int32_t sensorClass, int32_t node, int32_t sensor, void* upper, void* lower) override;
    int32_t getSensorStatus(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* status, void* reading,
                            void* lower, void* upper) override;
    int32_t getSensorType(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* type) override;
    int32_t getSensorLocation(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* location) override;
    int32_t getSensorInstance(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* instance) override;

    // monitoring (EventMonitor): event threads, event processing, polling, PFA events
    int32_t registerForAsynchEvents(cSensorSink* sink) override;
    void deRegisterForAsynchEvents() override;
    void getMonitorPFAEventSupport(uint32_t* level) override;
    int32_t monitorPFAEvents(PFAEventInfo* event) override;

    // event configuration and system health (EventConfiguration)
    int32_t initEvents() override;
    int32_t getEventConfiguration(uint32_t node, uint32_t instance, int32_t* type, char* description,
                                  int32_t* descriptionSize, uint8_t* enabled) override;
    int32_t getEventConfiguration(uint32_t node, uint32_t instance, uint8_t* enable) override;
    int32_t checkSystemHealth(int32_t node, int32_t* health, int32_t healthFor113, int32_t healthFor107) override;

    // system event log (EventLog)
    int32_t getFirstLogEntry(int32_t node, LogEntryInfo* entry) override;
    int32_t getNextLogEntry(int32_t node, LogEntryInfo* entry) override;
    int32_t eraseLog(int32_t node) override;

    // network, ports, SP restart, SMTP and remote alerts (NetworkSettings)
    int32_t getDHCPEnable(int32_t node, int32_t iface, int32_t* enable) override;
    int32_t getIPConfigInfo(int32_t node, int32_t iface, char* address, char* subnetMask, char* gateway,
                            int32_t* ipSource) override;
    int32_t getIPConfigString(int32_t node, int32_t iface, char* text, int32_t textSize) override;
    int32_t setDHCPEnable(int32_t node, int32_t iface, int32_t enable) override;
    int32_t setIPConfigInfo(int32_t node, int32_t iface, const char* address, const char* subnetMask,
                            const char* gateway) override;
    int32_t setIPConfigString(int32_t node, int32_t iface, const char* data, int32_t length) override;
    void resetServiceProcessor(int32_t node) override;
    int32_t getNetworkPort(int32_t node, int32_t port, int32_t* value) override;
    int32_t setNetworkPort(int32_t node, int32_t port, int32_t newPort) override;
    int32_t getRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                        int32_t* alertSetting3, int32_t* alertSwitch, uint8_t* smtpSwitch) override;
    int32_t setRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                        int32_t* alertSetting3, uint8_t* alertSwitch, uint8_t* smtpSwitch) override;
    int32_t getSMTPConfiguration(int32_t node, int32_t index, char* server, uint32_t* maxSize) override;
    int32_t setSMTPConfiguration(int32_t node, int32_t index, const char* server) override;

    // SNMP and out-of-band alert recipients (SnmpSettings)
    int32_t getSNMPConfiguration(int32_t node, char* textA, int32_t* sizeA, char* textB, int32_t* sizeB,
                                 int32_t* flagsAvailable, int32_t* flagsSet) override;
    int32_t setSNMPConfiguration(int32_t node, const char* textA, const char* textB, const uint8_t* flagsChanged,
                                 const uint8_t* flagsSet) override;
    int32_t getSNMPCommunityConfiguration(int32_t node, uint32_t community, char* communityString, int32_t* stringSize,
                                          int32_t* typeOfAccess) override;
    int32_t setSNMPCommunityConfiguration(int32_t node, uint32_t community, const char* communityString,
                                          const uint8_t* typeOfAccess) override;
    int32_t getSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, char* address,
                               int32_t* addressSize) override;
    int32_t setSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, const char* address) override;
    int32_t getOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType, char* description,
                                     int32_t* descriptionSize, char* destination, int32_t* destinationSize, char* host,
                                     int32_t* hostSize, char* userId, int32_t* userIdSize, int32_t* passwordSize,
                                     int32_t* flagsAvailable, int32_t* flagsSet) override;
    int32_t setOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType, const char* description,
                                     const char* destination, const char* host, const char* userId,
                                     const char* userPassword, const int32_t* flagsChanged,
                                     const int32_t* flagsSet) override;

    // login accounts, password policy and the login setting (AccountSettings)
    int32_t getUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                           char* authorityDescription, int32_t* descriptionSize, int32_t* customBitmap,
                           int32_t* bitmapSize, char* userId, int32_t* userIdSize, int32_t* passwordSize) override;
    int32_t setUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority, int32_t* customBitmap,
                           const char* userId, const char* userPassword) override;
    int32_t getPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit, int32_t* reusePeriod,
                                   uint8_t* userPwdReq) override;
    int32_t setPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit, int32_t* reusePeriod,
                                   uint8_t* userPwdReq) override;
    int32_t getLoginPolicyValue(int32_t node, int32_t* value) override;
    int32_t setLoginPolicyValue(int32_t node, int32_t value) override;

    // LED panel and locator light (LedPanel)
    int32_t initGlint() override;
    int32_t getGlintStatus(GlintLEDList* leds) override;
    int32_t getBluelightStatus(int32_t node, int32_t* state) override;
    int32_t setBluelightStatus(int32_t node, int32_t state) override;

private:
    // The library's own state (the accepted comm device and one object per subsystem) lives behind
    // this one pointer, declared inside the library only. The binary interface fixes cDeviceLib's
    // fields and slots, not what a cLibYAT adds after them: a host never creates, copies or sizes a
    // cLibYAT, it only calls the operations of the object openLibrary hands out.
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// The two exported entry points (C linkage). YAT_STATIC: the program links the library's code
// statically (its own tests and tools on Windows), so nothing is imported from the DLL.
#if defined(_WIN32) && defined(YAT_BUILDING_LIBRARY)
#define YAT_EXPORT __declspec(dllexport)
#elif defined(_WIN32) && !defined(YAT_STATIC)
#define YAT_EXPORT __declspec(dllimport)
#else
#define YAT_EXPORT __attribute__((visibility("default")))
#endif

// closeLibrary's answer to a last close it refused: one made from inside a library operation on the
// same thread (a sink callback during initSensors), which still uses the object. Nothing changed.
constexpr int32_t kCloseRefused = -1;

extern "C" {
// Opens (or shares) the library object over commDevice; see cLibYAT::OpenLib for the results. While
// a last close is destroying the object, an open waits for it to finish, except on a library thread
// (a sink callback), where it answers ERR_NO_RESOURCE (3) at once.
YAT_EXPORT int32_t openLibrary(cLibYAT** out, cBusComm* commDevice);
// Counts one user less; the last close stops monitoring and destroys the object (see Closing
// above), also when a sink callback on a library thread makes it: that thread ends when its
// callback returns, and the object must not be used afterwards. Returns the users left, 0 when
// the object was destroyed or none existed, or kCloseRefused.
YAT_EXPORT int32_t closeLibrary();
}
