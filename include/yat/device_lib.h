#pragma once
// cDeviceLib: the 72-operation device-library interface a host calls, in its fixed slot order. Every
// operation has a base behaviour that answers "not provided" (ERR_FAILED, false, 0 or nothing, as
// noted);
// cLibYAT overrides what it provides. The slot order, the argument types and the absence of a
// virtual destructor are part of the binary interface: the object is always destroyed through its
// concrete type. Pointer arguments are the host's; an operation documents which may be null.

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
                                      int32_t* location);                                                    // 8
    virtual bool capabilityFlag9();                                                                          // 9: false
    virtual int32_t registerForAsynchEvents(cSensorSink* sink);                                              // 10
    virtual void deRegisterForAsynchEvents();                                                                // 11
    virtual int32_t checkSystemHealth(int32_t node, int32_t* value, int32_t value113, int32_t value107);     // 12
    virtual int32_t reservedSlot13(int32_t a, int32_t b);                                                    // 13
    virtual int32_t getFirstLogEntry(int32_t node, LogEntryInfo* entry);                                     // 14
    virtual int32_t getNextLogEntry(int32_t node, LogEntryInfo* entry);                                      // 15
    virtual int32_t reservedSlot16(int32_t a, int32_t b);                                                    // 16
    virtual int32_t reservedSlot17(int32_t a, int32_t b);                                                    // 17
    virtual int32_t reservedSlot18(int32_t a, int32_t b);                                                    // 18
    virtual int32_t reservedSlot19(int32_t a, int32_t b);                                                    // 19
    virtual int32_t reservedSlot20(int32_t a, int32_t b);                                                    // 20
    virtual int32_t reservedSlot21(int32_t a, int32_t b, int32_t c, int32_t d);                              // 21
    virtual int32_t getDefaultThresholds(int32_t ignored, int32_t* first, int32_t* second, int32_t* third);  // 22
    virtual int32_t getVPDData(int32_t node, int32_t kind, int32_t instance, VPD* vpd);                      // 23
    virtual int32_t eraseLog(int32_t node);                                                                  // 24
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
    virtual int32_t getRemoteAlertConfiguration(int32_t node, int32_t* value4115, int32_t* value4114,
                                                int32_t* value4113, int32_t* flag458,
                                                uint8_t* flag49332);                                     // 55
    virtual int32_t getSMTPConfiguration(int32_t node, int32_t index, char* server, uint32_t* maxSize);  // 56
    virtual int32_t getSNMPConfiguration(int32_t node, char* textA, int32_t* sizeA, char* textB, int32_t* sizeB,
                                         int32_t* flagsAvailable, int32_t* flagsSet);  // 57
    virtual int32_t getSNMPCommunityConfiguration(int32_t node, uint32_t community, char* communityString,
                                                  int32_t* stringSize, int32_t* typeOfAccess);  // 58
    virtual int32_t getSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, char* address,
                                       int32_t* addressSize);  // 59
    virtual int32_t setRemoteAlertConfiguration(int32_t node, int32_t* value4115, int32_t* value4114,
                                                int32_t* value4113, uint8_t* flag458,
                                                uint8_t* flag49332);                        // 60
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
