#pragma once
// cDeviceLib: the 72-operation device-library interface a host calls, in its fixed slot order. Every
// operation has a base behaviour that answers "not provided" (ERR_FAILED, false, 0 or nothing, as
// noted); cLibYAT overrides what it provides. The slot order, the argument types and the absence of
// a virtual destructor are part of the binary interface: the object is always destroyed through its
// concrete type. Pointer arguments are the host's; a null one skips its item where an operation has
// several, and is refused (ERR_INVALID_PARAMETER) where it has one.
//
// What each operation of the library's object (yat/libyat.h) gives, in one table. Node: which node
// number the operation takes. "index" is the node index, 0 to getNodeCount() - 1, whose SP the
// commands go to; "key" is the node of a sensor key, as reportSensor gives it: the node index + 1
// (on systems of more than two nodes, the node's multi-node ID + 1); "-" takes none. Results: what
// it returns besides ERR_SUCCESS (yat/result_codes.h, yat/result_names.h); "transport" is the comm
// device's own code of a failed sendCommand and "SP status" the SP's status byte of a refused
// request, both passed on unchanged. Blocks: "SP" sends SP commands on the calling thread (one comm
// device round trip each, no lock held); "mutex" holds the process-wide library mutex meanwhile, so
// such calls wait for each other; "-" answers from memory without SP traffic.
//
// slot operation                    node   blocks     results besides ERR_SUCCESS
//  0   initSensors                  -      SP, mutex  ERR_NO_DEVICE, ERR_NO_RESOURCE, ERR_BAD_ANSWER, transport;
//                                                     calls the sink on the calling thread
//  1   getNodeCount                 -      -          the number of nodes (0 without a comm device)
//  3   getNumberSensors             (none) -          the sensors of the class over all nodes (not a result)
//  4   getSensorReading             key    -          ERR_FAILED, ERR_INVALID_INDEX
//  5   getSensorLimits              key    -          ERR_FAILED, ERR_INVALID_INDEX
//  6   getSensorStatus              key    -          ERR_INVALID_INDEX
//  7   getSensorType                key    -          ERR_INVALID_INDEX
//  8   getSensorLocation            key    -          ERR_INVALID_INDEX
//  10  registerForAsynchEvents      -      (below)    ERR_NO_DEVICE, ERR_FAILED, ERR_NOTHING_TO_MONITOR,
//                                                     ERR_NO_RESOURCE
//  11  deRegisterForAsynchEvents    -      (below)    none (void)
//  12  checkSystemHealth            index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER
//  14  getFirstLogEntry             index  SP         ERR_BAD_ANSWER, ERR_EMPTY, ERR_INVALID_PARAMETER,
//  15  getNextLogEntry                                ERR_DEVICE_NOT_OPEN, transport
//  22  getDefaultThresholds         -      -          none
//  23  getVPDData                   index  SP         ERR_FAILED, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER,
//                                                     ERR_INVALID_VPD, transport
//  24  eraseLog                     index  SP         ERR_BAD_ANSWER, ERR_DEVICE_NOT_OPEN, transport
//  27  getBluelightStatus           index  SP         ERR_FAILED, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER, transport
//  28  setBluelightStatus           index  SP         ERR_FAILED, transport
//  29  getSensorInstance            key    -          ERR_BAD_ANSWER, ERR_INVALID_INDEX
//  30  getDHCPEnable                index  SP         ERR_FAILED, ERR_INVALID_INDEX, ERR_INVALID_PARAMETER,
//  31  getIPConfigInfo                                ERR_BAD_ANSWER, transport
//  32  getIPConfigString
//  33  setDHCPEnable                index  SP         ERR_FAILED, ERR_INVALID_INDEX, ERR_INVALID_PARAMETER,
//  34  setIPConfigInfo                                transport, SP status
//  37  setIPConfigString            index  SP         ERR_FAILED, ERR_INVALID_INDEX, ERR_INVALID_PARAMETER,
//                                                     ERR_BAD_ANSWER, transport
//  35  getFirmwareData              index  SP         ERR_FAILED, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER
//  36  getTypeSupportLevel          -      -          a support level, not a result
//  38  resetServiceProcessor        index  SP         none (void; the restart's outcome is not examined)
//  39  getSPType                    -      SP, mutex  the probe's transport or SP status (first call only)
//  40  getSystemState               index  SP         ERR_FAILED, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER, transport
//  41  getMachineVPD                index  SP         ERR_FAILED, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER, transport
//  42  getWatchogTimers             index  SP         ERR_INVALID_PARAMETER, ERR_BAD_ANSWER, transport
//  43  getPostBiosVPD               index  SP         ERR_FAILED, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER, transport
//  44  getMonitorPFAEventSupport    -      SP, mutex  none (void; *level 2 or 0)
//  45  monitorPFAEvents             -      (below)    ERR_FAILED, ERR_EMPTY, ERR_INVALID_PARAMETER
//  46  getGlintStatus               -      SP         ERR_NO_DEVICE, ERR_INVALID_PARAMETER, ERR_FAILED,
//                                                     ERR_BAD_ANSWER, transport
//  47  initGlint                    -      mutex      ERR_NO_DEVICE (reads the LED panel file first, unlocked)
//  49  getPasswordInformation       index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER,
//                                                     transport, SP status
//  50  setPasswordInformation       index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_PARAMETER, transport,
//                                                     SP status
//  51  getNetworkPort               index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_INDEX, ERR_INVALID_PARAMETER,
//                                                     ERR_BAD_ANSWER, transport, SP status
//  52  setNetworkPort               index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_INDEX, ERR_INVALID_PARAMETER,
//                                                     transport, SP status
//  53  getLoginPolicyValue          index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER,
//                                                     transport, SP status
//  54  setLoginPolicyValue          index  SP         ERR_DEVICE_NOT_OPEN, transport, SP status
//  55  getRemoteAlertConfiguration  index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER,
//                                                     transport
//  56  getSMTPConfiguration         index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_INDEX, ERR_BAD_ANSWER,
//                                                     transport
//  57  getSNMPConfiguration         index  SP         ERR_FAILED, ERR_BAD_ANSWER, transport
//  58  getSNMPCommunityConfiguration index SP         ERR_FAILED, ERR_INVALID_INDEX, ERR_BAD_ANSWER, transport
//  59  getSNMPCommunityIP           index  SP         ERR_FAILED, ERR_INVALID_INDEX, ERR_BAD_ANSWER, transport
//  60  setRemoteAlertConfiguration  index  SP         ERR_DEVICE_NOT_OPEN, ERR_BAD_ANSWER, transport
//  61  setSMTPConfiguration         index  SP         ERR_DEVICE_NOT_OPEN, ERR_INVALID_INDEX, ERR_INVALID_PARAMETER,
//                                                     ERR_BAD_ANSWER, transport
//  62  setSNMPConfiguration         index  SP         ERR_FAILED, ERR_INVALID_PARAMETER, ERR_BAD_ANSWER, transport
//  63  setSNMPCommunityConfiguration index SP         ERR_FAILED, ERR_INVALID_INDEX, ERR_INVALID_PARAMETER,
//  64  setSNMPCommunityIP                             ERR_BAD_ANSWER, transport
//  65  getOOBAlertConfiguration     index  SP         ERR_FAILED, ERR_INVALID_INDEX, ERR_BAD_ANSWER, transport
//  66  setOOBAlertConfiguration     index  SP         ERR_FAILED, ERR_INVALID_INDEX, ERR_INVALID_PARAMETER,
//                                                     ERR_BAD_ANSWER, transport
//  67  initEvents                   -      SP         ERR_DEVICE_NOT_OPEN, ERR_BAD_ANSWER, transport
//  68  getEventConfiguration (both) index  SP         ERR_DEVICE_NOT_OPEN, ERR_NO_DEVICE, ERR_INVALID_INDEX,
//  69                                                 ERR_INVALID_PARAMETER, ERR_BAD_ANSWER, transport
//  70  getUserAccount               index  SP         ERR_INVALID_INDEX, ERR_BAD_ANSWER, transport
//  71  setUserAccount               index  SP         ERR_INVALID_INDEX, ERR_INVALID_PARAMETER, transport
// The other slots keep the base behaviour; capabilityFlag9 and capabilityFlag48 answer true.
//
// Blocking times (all waits scale with YAT_SLEEP_SCALE): monitorPFAEvents waits up to 30 s for an
// event on a host thread when none is held (at once on a library thread); deRegisterForAsynchEvents,
// and with it the last closeLibrary, returns within the time the comm device takes for its
// deRegisterForEvents calls + max(5 s scaled, 1 s) + 2 s scaled, 7 s at the default scale
// (yat/libyat.h); registerForAsynchEvents starts the threads and returns, but while an earlier
// registration is still being stopped it first waits for that one's threads, within the same bound.
// Which threads call the sink, and what a callback may call: yat/sensor_sink.h.

#include <cstdint>

#include "yat/host_records.h"

class cDeviceLib {
public:
    // Copies each non-null text into its field (texts longer than a field are cut to fit);
    // a null deviceKind stores "Unknown". spType starts at 0.
    cDeviceLib(const char* eventTagText, const char* logShort, const char* logLong, const char* deviceKind);
    cDeviceLib(const cDeviceLib&) = delete;
    cDeviceLib& operator=(const cDeviceLib&) = delete;

    virtual int32_t initSensors(cSensorSink* sink);                                                      // 0
    virtual uint32_t getNodeCount();                                                                     // 1: 0
    virtual bool reservedSlot2(uint32_t* value);                                                         // 2: writes 0
    virtual int32_t getNumberSensors(int32_t sensorClass, int32_t node);                                 // 3
    virtual int32_t getSensorReading(int32_t sensorClass, int32_t node, int32_t sensor, void* reading);  // 4
    virtual int32_t getSensorLimits(int32_t sensorClass, int32_t node, int32_t sensor, void* upper,
                                    void* lower);  // 5
    virtual int32_t getSensorStatus(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* status, void* reading,
                                    void* lower, void* upper);                                        // 6
    virtual int32_t getSensorType(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* type);  // 7
    virtual int32_t getSensorLocation(int32_t sensorClass, int32_t node, int32_t sensor,
                                      int32_t* location);        // 8
    virtual bool capabilityFlag9();                              // 9: false
    virtual int32_t registerForAsynchEvents(cSensorSink* sink);  // 10
    virtual void deRegisterForAsynchEvents();                    // 11
    virtual int32_t checkSystemHealth(int32_t node, int32_t* health, int32_t healthFor113, int32_t healthFor107);  // 12
    virtual int32_t reservedSlot13(int32_t a, int32_t b);                                                          // 13
    virtual int32_t getFirstLogEntry(int32_t node, LogEntryInfo* entry);                                           // 14
    virtual int32_t getNextLogEntry(int32_t node, LogEntryInfo* entry);                                            // 15
    virtual int32_t reservedSlot16(int32_t a, int32_t b);                                                          // 16
    virtual int32_t reservedSlot17(int32_t a, int32_t b);                                                          // 17
    virtual int32_t reservedSlot18(int32_t a, int32_t b);                                                          // 18
    virtual int32_t reservedSlot19(int32_t a, int32_t b);                                                          // 19
    virtual int32_t reservedSlot20(int32_t a, int32_t b);                                                          // 20
    virtual int32_t reservedSlot21(int32_t a, int32_t b, int32_t c, int32_t d);                                    // 21
    virtual int32_t getDefaultThresholds(int32_t ignored, int32_t* first, int32_t* second, int32_t* third);        // 22
    virtual int32_t getVPDData(int32_t node, int32_t kind, int32_t instance, VPD* vpd);                            // 23
    virtual int32_t eraseLog(int32_t node);                                                                        // 24
    virtual bool reservedSlot25(int32_t a);                            // 25: false
    virtual bool reservedSlot26();                                     // 26: false
    virtual int32_t getBluelightStatus(int32_t node, int32_t* state);  // 27
    virtual int32_t setBluelightStatus(int32_t node, int32_t state);   // 28
    virtual int32_t getSensorInstance(int32_t sensorClass, int32_t node, int32_t sensor,
                                      int32_t* instance);                         // 29
    virtual int32_t getDHCPEnable(int32_t node, int32_t iface, int32_t* enable);  // 30
    virtual int32_t getIPConfigInfo(int32_t node, int32_t iface, char* address, char* subnetMask, char* gateway,
                                    int32_t* ipSource);                                            // 31
    virtual int32_t getIPConfigString(int32_t node, int32_t iface, char* text, int32_t textSize);  // 32
    virtual int32_t setDHCPEnable(int32_t node, int32_t iface, int32_t enable);                    // 33
    virtual int32_t setIPConfigInfo(int32_t node, int32_t iface, const char* address, const char* subnetMask,
                                    const char* gateway);                                              // 34
    virtual int32_t getFirmwareData(int32_t node, int32_t kind, FirmwareInfo* info, int32_t extra);    // 35
    virtual int32_t getTypeSupportLevel(int32_t ignored, int32_t typeCode);                            // 36: 0
    virtual int32_t setIPConfigString(int32_t node, int32_t iface, const char* data, int32_t length);  // 37
    virtual void resetServiceProcessor(int32_t node);                                                  // 38
    virtual int32_t getSPType(int32_t* type);                                                          // 39: spType
    virtual int32_t getSystemState(int32_t node, SystemStateInfo* info);                               // 40
    virtual int32_t getMachineVPD(int32_t node, MachineVPDInfo* info);                                 // 41
    virtual int32_t getWatchogTimers(int32_t node, WatchdogTimersInfo* info);                          // 42
    virtual int32_t getPostBiosVPD(int32_t node, PostBiosVPDInfo* info);                               // 43
    virtual void getMonitorPFAEventSupport(uint32_t* level);                                           // 44: writes 0
    virtual int32_t monitorPFAEvents(PFAEventInfo* event);                                             // 45
    virtual int32_t getGlintStatus(GlintLEDList* leds);                                                // 46
    virtual int32_t initGlint();                                                                       // 47
    virtual bool capabilityFlag48();                                                                   // 48: false
    virtual int32_t getPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit, int32_t* reusePeriod,
                                           uint8_t* userPwdReq);  // 49
    virtual int32_t setPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit, int32_t* reusePeriod,
                                           uint8_t* userPwdReq);                  // 50
    virtual int32_t getNetworkPort(int32_t node, int32_t port, int32_t* value);   // 51
    virtual int32_t setNetworkPort(int32_t node, int32_t port, int32_t newPort);  // 52
    virtual int32_t getLoginPolicyValue(int32_t node, int32_t* value);            // 53
    virtual int32_t setLoginPolicyValue(int32_t node, int32_t value);             // 54
    virtual int32_t getRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                                int32_t* alertSetting3, int32_t* alertSwitch,
                                                uint8_t* smtpSwitch);                                    // 55
    virtual int32_t getSMTPConfiguration(int32_t node, int32_t index, char* server, uint32_t* maxSize);  // 56
    virtual int32_t getSNMPConfiguration(int32_t node, char* textA, int32_t* sizeA, char* textB, int32_t* sizeB,
                                         int32_t* flagsAvailable, int32_t* flagsSet);  // 57
    virtual int32_t getSNMPCommunityConfiguration(int32_t node, uint32_t community, char* communityString,
                                                  int32_t* stringSize, int32_t* typeOfAccess);  // 58
    virtual int32_t getSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, char* address,
                                       int32_t* addressSize);  // 59
    virtual int32_t setRemoteAlertConfiguration(int32_t node, int32_t* alertSetting5, int32_t* alertSetting4,
                                                int32_t* alertSetting3, uint8_t* alertSwitch,
                                                uint8_t* smtpSwitch);                       // 60
    virtual int32_t setSMTPConfiguration(int32_t node, int32_t index, const char* server);  // 61
    virtual int32_t setSNMPConfiguration(int32_t node, const char* textA, const char* textB,
                                         const uint8_t* flagsChanged, const uint8_t* flagsSet);  // 62
    virtual int32_t setSNMPCommunityConfiguration(int32_t node, uint32_t community, const char* communityString,
                                                  const uint8_t* typeOfAccess);  // 63
    virtual int32_t setSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance,
                                       const char* address);  // 64
    virtual int32_t getOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType, char* description,
                                             int32_t* descriptionSize, char* destination, int32_t* destinationSize,
                                             char* host, int32_t* hostSize, char* userId, int32_t* userIdSize,
                                             int32_t* passwordSize, int32_t* flagsAvailable, int32_t* flagsSet);  // 65
    virtual int32_t setOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType,
                                             const char* description, const char* destination, const char* host,
                                             const char* userId, const char* userPassword, const int32_t* flagsChanged,
                                             const int32_t* flagsSet);  // 66
    virtual int32_t initEvents();                                       // 67
    virtual int32_t getEventConfiguration(uint32_t node, uint32_t instance, int32_t* type, char* description,
                                          int32_t* descriptionSize, uint8_t* enabled);         // 68
    virtual int32_t getEventConfiguration(uint32_t node, uint32_t instance, uint8_t* enable);  // 69
    virtual int32_t getUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                   char* authorityDescription, int32_t* descriptionSize, int32_t* customBitmap,
                                   int32_t* bitmapSize, char* userId, int32_t* userIdSize,
                                   int32_t* passwordSize);  // 70
    virtual int32_t setUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                   int32_t* customBitmap, const char* userId, const char* userPassword);  // 71

protected:
    ~cDeviceLib() = default;

    char eventTag[20] = {};
    char logShortName[20] = {};
    char logLongName[32] = {};
    char deviceKindName[32] = {};
    int32_t spType = 0;
};
