#pragma once
// Forward declarations of the records a host passes by pointer to cDeviceLib operations. Each record
// is defined by the subsystem that fills it.

#include <vector>

struct SystemStateInfo;     // sysinfo/system_info_records.h
struct WatchdogTimersInfo;  // sysinfo/system_info_records.h
struct FirmwareInfo;        // sysinfo/system_info_records.h
struct MachineVPDInfo;      // sysinfo/vpd_records.h
struct PostBiosVPDInfo;     // sysinfo/vpd_records.h
class VPD;                  // sysinfo/vpd.h
struct LogEntryInfo;        // events: one system event log entry
struct PFAEventInfo;        // events: one memory PFA event
struct cGlintLED;           // leds: one diagnostic LED record
using GlintLEDList = std::vector<cGlintLED>;
class cSensorSink;  // frame/sensor_sink.h
