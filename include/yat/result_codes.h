#pragma once
// Result codes shared by every cDeviceLib operation. A non-zero result of the comm device's
// sendCommand may also be passed through unchanged; each operation's header says when.

#include <cstdint>

enum : int32_t {
    ERR_SUCCESS = 0,              // success
    ERR_FAILED = 1,               // not provided, or failed without a more specific code
    ERR_BAD_ANSWER = 2,           // the SP's answer failed the answer checks or lacked an item
    ERR_NO_RESOURCE = 3,          // an object could not be created
    ERR_NOT_OPENED = 4,           // a configuration file failed to open
    ERR_NOTHING_TO_MONITOR = 5,   // monitoring requested with nothing to monitor
    ERR_INVALID_INDEX = 7,        // class, instance, event index or account out of range
    ERR_INVALID_VPD = 8,          // the VPD record is not valid after parsing
    ERR_NO_DEVICE = 9,            // comm device or another required object missing; node out of range
    ERR_EMPTY = 11,               // nothing to return
    ERR_INVALID_PARAMETER = 12,   // a required pointer is null or a size is unusable
    ERR_DEVICE_NOT_OPEN = 13,     // no comm device
    ERR_DEVICE_UNAVAILABLE = 14,  // the SP reports the sensor's device unavailable
    ERR_COMMAND_FAILED = 15,      // an SP command for one sensor value could not be sent
};

// The device identifier a comm device must carry to be accepted as the SP device.
constexpr int32_t DEVSP = 99;
