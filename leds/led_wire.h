#pragma once
// Wire layouts of the LED panel commands: the passthru data the library sends to the device behind
// the SP for each bus type, the answers it reads back, and the locator light command. The simulator
// answers from the same constants.
//
// Passthru requests go out on the dot command the LED panel registry names for the LED's command
// ("ledGrp%dDotCmd"); the data (at most kPassthruDataSize bytes) depend on the bus type. Byte values
// are the low 8 bits of the LED record's 32-bit fields; "check" is the two's complement of the
// register byte (its negation modulo 256).
//
//   I2C  (type 2, get): bus, regaddr, device type low, device type high, register, 1
//        one request per sensor entry; answer data: A[0] is the byte at regaddr
//   DMC  (type 0, set): bus, 2, register, check
//   IPMI (type 0, set): 0x3A, 0x0A
//   H8   (type 0, set): 2, register, check
//        one request per node; answer data: the byte of each LED at offset regaddr. An IPMI answer
//        starts with the completion code (A[0], 0 for success), so its LED bytes sit at regaddr >= 1.
//
//   "d.7" locator light: get (type 2) answers A[0], the state byte; set (type 0) carries one byte.

#include <cstddef>
#include <cstdint>

namespace ledwire {

// Capacity of the passthru data buffer of one request.
inline constexpr size_t kPassthruDataSize = 64;

// I2C passthru data.
inline constexpr size_t kI2CBus = 0;
inline constexpr size_t kI2CRegAddr = 1;
inline constexpr size_t kI2CDeviceTypeLow = 2;
inline constexpr size_t kI2CDeviceTypeHigh = 3;
inline constexpr size_t kI2CRegister = 4;
inline constexpr size_t kI2CReadCount = 5;
inline constexpr uint8_t kI2CReadCountValue = 1;  // one byte read per request
inline constexpr int32_t kI2CLength = 6;

// DMC passthru data.
inline constexpr size_t kDMCBus = 0;
inline constexpr size_t kDMCFunction = 1;
inline constexpr size_t kDMCRegister = 2;
inline constexpr size_t kDMCCheck = 3;
inline constexpr int32_t kDMCLength = 4;

// H8 passthru data.
inline constexpr size_t kH8Function = 0;
inline constexpr size_t kH8Register = 1;
inline constexpr size_t kH8Check = 2;
inline constexpr int32_t kH8Length = 3;

// The read function byte of DMC and H8 requests.
inline constexpr uint8_t kReadFunction = 2;

// IPMI passthru data: network function and command of the LED status read.
inline constexpr size_t kIPMINetFn = 0;
inline constexpr size_t kIPMICommand = 1;
inline constexpr uint8_t kIPMINetFnValue = 0x3A;
inline constexpr uint8_t kIPMICommandValue = 0x0A;
inline constexpr int32_t kIPMILength = 2;
// Offset of the completion code in an IPMI answer's data.
inline constexpr size_t kIPMICompletionCode = 0;

// A data byte that reads as "every sensor off", whatever the mask.
inline constexpr uint8_t kAllOff = 0xFF;

// The check byte of DMC and H8 requests.
inline constexpr uint8_t checkByte(uint8_t value) { return static_cast<uint8_t>(0x100 - value); }

// The locator light.
inline constexpr const char* kBlueLightCommand = "d.7";

}  // namespace ledwire
