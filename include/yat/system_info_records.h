#pragma once
// Host records filled by getSystemState, getWatchogTimers and getFirmwareData. A host compiles its own
// copy of these declarations, so the plain records keep their field order, widths and offsets; the
// static_asserts pin them. Fields an operation does not reach keep the values the host put there.

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

// getSystemState (interface slot 40).
struct SystemStateInfo {
    uint8_t sysState;       // first answer byte of "4.3.6"
    int32_t powerOnHours;   // "4.3.3.1" seconds / 3600, rounded down
    int16_t restartCount;   // "4.3.3.2", least significant byte first
    uint8_t powerStatusOn;  // 1 when the first answer byte of "6.1" is non-zero, else 0
};
static_assert(std::is_standard_layout_v<SystemStateInfo>);
static_assert(sizeof(SystemStateInfo) == 12);
static_assert(offsetof(SystemStateInfo, sysState) == 0);
static_assert(offsetof(SystemStateInfo, powerOnHours) == 4);
static_assert(offsetof(SystemStateInfo, restartCount) == 8);
static_assert(offsetof(SystemStateInfo, powerStatusOn) == 10);

// getWatchogTimers (interface slot 42). Each field is -1 when its item could not be read.
struct WatchdogTimersInfo {
    int32_t postWatchdog;    // "5.1.1" byte * 30
    int32_t loaderWatchdog;  // "5.1.3" byte * 30
    int32_t osWatchdog;      // "5.1.2" byte
    int32_t powerOffDelay;   // "6.2.1" two bytes, least significant first
};
static_assert(std::is_standard_layout_v<WatchdogTimersInfo>);
static_assert(sizeof(WatchdogTimersInfo) == 16);
static_assert(offsetof(WatchdogTimersInfo, postWatchdog) == 0);
static_assert(offsetof(WatchdogTimersInfo, loaderWatchdog) == 4);
static_assert(offsetof(WatchdogTimersInfo, osWatchdog) == 8);
static_assert(offsetof(WatchdogTimersInfo, powerOffDelay) == 12);

// getFirmwareData (interface slot 35). Texts are assigned whole. What each firmware kind writes:
//   0, 1  the SP's firmware: buildId, serialNumber, buildDate and revision ("1.nn")
//   2     the IPMI controller's device ID: revision ("major.minor"), manufacturerId, productId
//   3     one revision byte: revision (two digits), productId (the call's extra argument)
//   4     the SP's firmware ID: buildId, buildDate and revision ("1.nn")
//   6     four revision bytes: revision ("a.b.c.d"), productId (the call's extra argument)
// Other kinds have no request (ERR_FAILED).
struct FirmwareInfo {
    std::string buildId;
    int32_t manufacturerId = 0;
    int32_t productId = 0;
    uint32_t reserved = 0;  // never written by the library
    std::string buildDate;
    std::string serialNumber;
    std::string revision;
};
