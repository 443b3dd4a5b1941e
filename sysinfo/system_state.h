#pragma once
// Commands of getSystemState (cSystemState) and getWatchogTimers (cWatchdog), with their answer
// layouts. Every request is a get (type 2) without parameters or data.
//
//   "4.3.6"    system state: A[0]
//   "4.3.3.1"  power-on time in seconds: A[0..3], least significant byte first
//   "4.3.3.2"  restart count: A[0..1], least significant byte first
//   "6.1"      power status: A[0] non-zero when powered on
//   "5.1.1"    POST watchdog: A[0], in units of 30
//   "5.1.3"    loader watchdog: A[0], in units of 30
//   "5.1.2"    OS watchdog: A[0]
//   "6.2.1"    power-off delay: A[0..1], least significant byte first

#include <cstdint>

#include "commands/sp_cmd.h"

namespace statewire {

inline constexpr const char* kSystemStateCommand = "4.3.6";
inline constexpr const char* kPowerOnTimeCommand = "4.3.3.1";
inline constexpr const char* kRestartCountCommand = "4.3.3.2";
inline constexpr const char* kPowerStatusCommand = "6.1";
inline constexpr const char* kPostWatchdogCommand = "5.1.1";
inline constexpr const char* kLoaderWatchdogCommand = "5.1.3";
inline constexpr const char* kOSWatchdogCommand = "5.1.2";
inline constexpr const char* kPowerOffDelayCommand = "6.2.1";

inline constexpr int32_t kSecondsPerHour = 3600;
inline constexpr int32_t kWatchdogUnit = 30;

}  // namespace statewire

// System state reads: built with the generic builder, decoded with the bounded helpers below.
class cSystemState : public cSPCmd {
public:
    // Builds dotCommand as a get request without data; returns the buffer or null.
    uint8_t* buildGet(const char* dotCommand);
    // When the answer's status byte is 0 and its data hold count (1, 2 or 4) bytes: stores them read
    // least significant byte first and returns true. Otherwise false and value untouched.
    [[nodiscard]] bool answerValue(uint32_t count, uint32_t* value) const;
};

class cWatchdog : public cSPCmd {
public:
    uint8_t* getPostWatchdog();
    uint8_t* getLoaderWatchdog();
    uint8_t* getOSWatchdog();
    uint8_t* getPowerOffDelay();
    // Status byte 0: stores A[0] (getWatchdogData) or A[0..1] least significant first
    // (getPowerOffDelayData) and returns ERR_SUCCESS. Returns ERR_BAD_ANSWER (2) (value untouched)
    // when the status byte is not 0 or the data are too short.
    [[nodiscard]] int32_t getWatchdogData(int32_t* value);
    [[nodiscard]] int32_t getPowerOffDelayData(int32_t* value);
};
