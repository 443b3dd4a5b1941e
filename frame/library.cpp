// Library entry, the shared library object and its use count.

#include <memory>
#include <new>

#include "config/account_settings.h"
#include "config/network_settings.h"
#include "config/snmp_settings.h"
#include "events/event_configuration.h"
#include "events/event_log.h"
#include "frame/libyat.h"
#include "leds/led_panel.h"
#include "platform/log.h"
#include "platform/runtime.h"
#include "events/event_monitor.h"
#include "sensors/sensor_model.h"
#include "sysinfo/system_info.h"
#include "yat/result_codes.h"


namespace {

// Number of successful opens not yet closed; 0 exactly when sharedInstance is null. Written only
// under libraryMutex.
int32_t instancecounter = 0;
std::unique_ptr<cLibYAT> sharedInstance;

// Ends the log writer thread when no library is open any more.
void stopWriterWhenClosed() {
    {
        QV::MutexLock lock(libraryMutex);
        if (instancecounter != 0) return;
    }
    stopLogWriter();
}

}  // namespace

extern "C" int32_t openLibrary(cLibYAT** out, cBusComm* commDevice) {
    ensureRuntimeSettings();
    initLog(kLogFileName);
    yatLog("openlibrary", "about to try to create library");
    int32_t result = cLibYAT::OpenLib(out, commDevice);
    if (result != ERR_SUCCESS) stopWriterWhenClosed();
    return result;
}

extern "C" int32_t closeLibrary() {
    yatLog("openlibrary", "about to try to release library");
    int32_t result = cSPDev::Release();
    // The last close drains the log queue and ends its writer before returning.
    stopWriterWhenClosed();
    return result;
}

int32_t cLibYAT::OpenLib(cLibYAT** out, cBusComm* commDevice) {
    constexpr const char* tag = "cLibYAT::OpenLib";
    if (out == nullptr) {
        // Nowhere to hand the object: create nothing rather than leak a use.
        yatLog(tag, "called without a place for the library pointer; nothing opened");
        return ERR_INVALID_PARAMETER;
    }
    QV::MutexLock lock(libraryMutex);
    int32_t result = ERR_SUCCESS;
    yatLog(tag, "got mutex and now about to check instancecounter");
    if (instancecounter != 0) {
        ++instancecounter;
    } else {
        yatLog(tag, "about to create lib device");
        std::unique_ptr<cLibYAT> created;
        try {
            created = std::make_unique<cLibYAT>(commDevice);
        } catch (...) {
            // No memory, or construction failed: ends as an allocation failure; no exception may
            // cross the exported entry point.
            created.reset();
        }
        if (created == nullptr) {
            yatLog(tag, "could not create lib device");
        } else {
            yatLog(tag, "The SP Device was opened and lib_ok is [%d]", created->lib_ok ? 1 : 0);
            if (created->lib_ok) {
                sharedInstance = std::move(created);
                instancecounter = 1;
            } else {
                yatLog("cSPDev::OpenLib", " -- The SP Device was Released");
                created.reset();
            }
        }
    }
    yatLog(tag, "about to return");
    *out = sharedInstance.get();
    if (sharedInstance == nullptr) {
        result = ERR_NO_RESOURCE;
    } else {
        yatLog(tag, "The SP Device was opened, number nodes is [%d] again",
               static_cast<int32_t>(sharedInstance->getNodeCount()));
    }
    return result;
}

int32_t cSPDev::Release() {
    QV::MutexLock lock(libraryMutex);
    yatLog("cSPDev::Release", "cSPDev::Release() being called with a counter value of [%d]\n", instancecounter);
    --instancecounter;
    if (instancecounter > 0) return instancecounter;
    yatLog("cSPDev::Release()", "called and releasing pointer");
    sharedInstance.reset();
    instancecounter = 0;
    return 0;
}

cLibYAT::cLibYAT(cBusComm* device) : cDeviceLib("EvSPRev", "YAT SEL", "YAT System Event Log", "YAT") {
    constexpr const char* tag = "cLibYAT::cLibYAT";
    if (device == nullptr) {
        yatLog(tag, "The comm device was null");
    } else {
        yatLog(tag, "The comm device is not null, deviceID = [%d] and DEVSP = [%d]", device->getDeviceID(), DEVSP);
        if (device->getDeviceID() == DEVSP) {
            yatLog(tag, "setting lib_ok to true");
            lib_ok = true;
            commDevice = device;
            systemInfo = std::make_unique<SystemInfo>(commDevice, spType);
            sensorModel = std::make_unique<SensorModel>(commDevice);
            systemInfo->initVectoredSystemSummary();
            int32_t type = 0;
            getSPType(&type);
        } else {
            yatLog(tag, "setting lib_ok to false");
        }
    }
    if (systemInfo == nullptr) systemInfo = std::make_unique<SystemInfo>(nullptr, spType);
    if (sensorModel == nullptr) sensorModel = std::make_unique<SensorModel>(nullptr);
    eventStopFlag.store(false);
    // monitoring: EventMonitor
    eventMonitor = std::make_unique<EventMonitor>(commDevice, *sensorModel);

    // event configuration and system health: EventConfiguration
    eventConfiguration = std::make_unique<EventConfiguration>(commDevice);

    // system event log: EventLog
    eventLog = std::make_unique<EventLog>(commDevice);

    // network, ports, SMTP, remote alerts: NetworkSettings
    networkSettings = std::make_unique<NetworkSettings>(commDevice, *this);

    // SNMP and alert recipients: SnmpSettings
    snmpSettings = std::make_unique<SnmpSettings>(commDevice);

    // accounts and password policy: AccountSettings
    accountSettings = std::make_unique<AccountSettings>(commDevice);

    // LED panel: LedPanel
    ledPanel = std::make_unique<LedPanel>(commDevice, libraryMutex);

}

cLibYAT::~cLibYAT() {
    yatLog("cLibYAT::~cLibYAT", "destructor called");
    deRegisterForAsynchEvents();
    sensorModel->releaseObjects();
    systemInfo->freeSystemSummary();
    // LED panel: LedPanel
    ledPanel.reset();

    // event configuration and system health: EventConfiguration
    eventConfiguration->freeLists();

}

uint32_t cLibYAT::getNodeCount() { return commDevice != nullptr ? commDevice->getNodeCount() : 0; }

int32_t cLibYAT::getDefaultThresholds(int32_t, int32_t* first, int32_t* second, int32_t* third) {
    if (first != nullptr) *first = 75;
    if (second != nullptr) *second = 100;
    if (third != nullptr) *third = 0;
    return ERR_SUCCESS;
}

int32_t cLibYAT::getTypeSupportLevel(int32_t, int32_t typeCode) {
    if (typeCode == 3) return 3;
    if (typeCode == 6) return 2;
    return 0;
}
