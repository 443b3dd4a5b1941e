#pragma once
// Library-internal companion of the library object: its parts and the release step of closeLibrary.
// The object itself is declared in yat/libyat.h.

#include <cstdint>
#include <memory>

#include "platform/library_mutex.h"
#include "yat/libyat.h"

class SystemInfo;
class SensorModel;
class EventMonitor;
class EventConfiguration;
class EventLog;
class NetworkSettings;
class SnmpSettings;
class AccountSettings;
class LedPanel;

// What the library object holds: the accepted comm device and one object per subsystem, each with
// its own state, locks and documented results; the operations forward to them.
struct cLibYAT::Parts {
    cBusComm* commDevice = nullptr;  // the accepted device; not owned
    bool libOk = false;              // the comm device was accepted
    std::unique_ptr<SystemInfo> systemInfo;
    std::unique_ptr<SensorModel> sensorModel;
    std::unique_ptr<EventMonitor> eventMonitor;              // monitoring
    std::unique_ptr<EventConfiguration> eventConfiguration;  // event configuration and system health
    std::unique_ptr<EventLog> eventLog;                      // system event log
    std::unique_ptr<NetworkSettings> networkSettings;        // network, ports, SMTP, remote alerts
    std::unique_ptr<SnmpSettings> snmpSettings;              // SNMP and alert recipients
    std::unique_ptr<AccountSettings> accountSettings;        // accounts and password policy
    std::unique_ptr<LedPanel> ledPanel;                      // LED panel
};

// The release step of closeLibrary.
class cSPDev {
public:
    // Under the library mutex counts one user less; when none is left, destroys the object after
    // letting go of the mutex (an open meanwhile waits for it). Returns the number of users left, 0
    // when the object was destroyed or none existed, or kCloseRefused (nothing changed)
    // for a last close from inside a library operation on the same thread (a sink callback during
    // discovery).
    static int32_t Release();
};
