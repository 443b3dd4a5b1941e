#pragma once
// Forward declarations of the records a host passes by pointer to cDeviceLib operations. Each is
// defined in the host header named beside it.

#include <vector>

struct SystemStateInfo;     // yat/system_info_records.h
struct WatchdogTimersInfo;  // yat/system_info_records.h
struct FirmwareInfo;        // yat/system_info_records.h
struct MachineVPDInfo;      // yat/vpd_records.h
struct PostBiosVPDInfo;     // yat/vpd_records.h
class VPD;                  // yat/vpd.h
struct LogEntryInfo;        // yat/event_log_records.h: one system event log entry
struct PFAEventInfo;        // yat/pfa_records.h: one memory PFA event
struct cGlintLED;           // yat/led_records.h: one diagnostic LED record
using GlintLEDList = std::vector<cGlintLED>;
class cSensorSink;  // yat/sensor_sink.h
