#pragma once
// Wire layouts of the sensor command family: the reading and limit answers, the power status answer
// ("fuel gauge"), the multi-node ID answer and the supported-commands list. Offsets count from the
// first answer data byte. Decoders over these layouts are free functions (sensors/sensor_decoders.h,
// sensors/supported_commands.h) that tests and fuzzers call without a comm device.

#include <cstddef>
#include <cstdint>

#include "yat/codes.h"

namespace sensorwire {

// Sensor classes (the host's names are in yat/codes.h).
inline constexpr int32_t kClassTemperature = yat::kClassTemperature;
inline constexpr int32_t kClassVoltage = yat::kClassVoltage;
inline constexpr int32_t kClassFan = yat::kClassFan;
inline constexpr int32_t kClassPower = yat::kClassPowerSupply;

// The SP's location codes of sensors (the byte after the class in the reading and limit commands),
// where a sensor sits. Temperatures are also found at locations 3 and 5.
inline constexpr int32_t kLocationFan = 0;          // fans carry no location
inline constexpr int32_t kLocationBoard = 1;        // the system board; the only voltage location
inline constexpr int32_t kLocationCpu = 2;          // a processor
inline constexpr int32_t kLocationDasd = 4;         // the DASD backplane
inline constexpr int32_t kLocationDasdRetry = 6;    // a DASD backplane sensor that answers only here
inline constexpr int32_t kLocationPowerSupply = 7;  // stored with power supply records; never sent

// Reading command "2.x.x.x": class, location, instance (fans: class, instance).
inline constexpr const char* kReadingCommand = "2.x.x.x";
// Temperature and voltage answers: a signed 16-bit value in hundredths, low byte first.
inline constexpr size_t kHundredthsLength = 2;
inline constexpr size_t kHundredthsOffset = 0;
// Fan answers: one byte, the speed in units of 50 RPM; 255 means stopped.
inline constexpr size_t kFanLength = 1;
inline constexpr size_t kFanOffset = 0;
inline constexpr uint8_t kFanStopped = 255;
inline constexpr int32_t kFanRpmPerUnit = 50;

// Limit command "4.3.2.x.x.x.x" and its limit selectors.
inline constexpr const char* kLimitCommand = "4.3.2.x.x.x.x";
inline constexpr uint8_t kSelectorTempUpperAlternate = 1;
inline constexpr uint8_t kSelectorTempUpper = 2;
inline constexpr uint8_t kSelectorTempLower = 3;
inline constexpr uint8_t kVoltUpperSelectors[3] = {2, 3, 4};
inline constexpr uint8_t kVoltLowerSelectors[3] = {6, 7, 8};
// The limit channel: the command bytes between the class and the selector. A temperature's channel
// depends on where it sits: on the board (location 1, a channel per instance 0-6), a CPU (location 2:
// 5, instance), the DASD backplane (location 4: 6, 1), location 5 (7) and location 6 (2); other
// temperatures have no limits. A voltage's channel is its instance 0-20, except 14 and 15 (0).
struct LimitChannel {
    uint8_t bytes[2] = {};
    uint8_t count = 0;  // 0: the sensor has no limit command
};
inline constexpr uint8_t kBoardLimitChannels[] = {0, 1, 2, 9, 0, 8, 10};
inline constexpr int32_t kVoltageLimitChannels = 21;

constexpr LimitChannel limitChannel(int32_t sensorClass, int32_t location, int32_t instance) {
    if (sensorClass == kClassVoltage) {
        if (instance < 0 || instance >= kVoltageLimitChannels) return {};
        return {{static_cast<uint8_t>(instance == 14 || instance == 15 ? 0 : instance), 0}, 1};
    }
    if (sensorClass != kClassTemperature) return {};
    switch (location) {
        case kLocationBoard:
            if (instance < 0 || instance >= static_cast<int32_t>(sizeof kBoardLimitChannels)) return {};
            return {{kBoardLimitChannels[instance], 0}, 1};
        case kLocationCpu: return {{5, static_cast<uint8_t>(instance)}, 2};
        case kLocationDasd: return {{6, 1}, 2};
        case 5: return {{7, 0}, 1};
        case kLocationDasdRetry: return {{2, 0}, 1};
        default: return {};
    }
}

// Fans have no limit command: both limits are this constant (RPM).
inline constexpr int32_t kFanLimit = 550;

// Power status command "f.5.1": byte 0 the present supplies, byte 1 the failed supplies (bit s is
// supply s).
inline constexpr const char* kPowerStatusCommand = "f.5.1";
inline constexpr size_t kPowerPresentOffset = 0;
inline constexpr size_t kPowerFailedOffset = 1;
inline constexpr size_t kPowerStatusLength = 2;
inline constexpr int32_t kMaxPowerSupplies = 8;

// Multi-node ID command "14.1.3.2": three request data bytes 0; answer byte 2 is the ID, 255 none.
inline constexpr const char* kMultiNodeIdCommand = "14.1.3.2";
inline constexpr size_t kMultiNodeIdRequestLength = 3;
inline constexpr size_t kMultiNodeIdOffset = 2;
inline constexpr uint8_t kNoMultiNodeId = 255;

// Supported-commands list "1.1". Every entry: byte 0 holds the entry length L (bits 0-6) and the
// range flag (bit 7); bytes 1..L are the bytes of one supported dot command.
inline constexpr const char* kSupportedCommandsCommand = "1.1";
inline constexpr uint8_t kSupportedCommandsId[2] = {1, 1};
inline constexpr uint8_t kEntryLengthMask = 0x7F;
inline constexpr uint8_t kEntryRangeFlag = 0x80;
// Within a sensor reading entry (entry byte 1 = 2): class, location and instance bytes.
inline constexpr uint8_t kReadingCommandByte = 2;
inline constexpr size_t kEntryCommandOffset = 1;
inline constexpr size_t kEntryClassOffset = 2;
inline constexpr size_t kEntryLocationOffset = 3;
inline constexpr size_t kEntryInstanceOffset = 4;

}  // namespace sensorwire
