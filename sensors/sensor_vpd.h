#pragma once
// The VPD reads of sensor discovery: the DASD backplane (VPD kind 7) and the power supplies (kind 9),
// both read with length 96 for their FRU number text.

#include <cstdint>
#include <string>

class cBusComm;

struct SensorVpdRead {
    uint32_t sent = 0;    // the comm device's result (12 when nothing could be sent)
    uint8_t status = 0;   // the answer's status byte (when sent is 0)
    bool hasFru = false;  // the answer parsed into a valid record with a FRU number text
    std::string fru;

    bool sentOk() const { return sent == 0; }
    // The answer names a device: sent and its status is not 2.
    bool present() const { return sent == 0 && status != kStatusNoDevice; }

    static constexpr uint8_t kStatusNoDevice = 2;
};

// Reads VPD kind/instance (length 96) from node. Unless the send fails or the status is 2 the answer
// is parsed and a non-empty FRU number taken.
SensorVpdRead readSensorVpd(cBusComm* comm, int32_t node, int32_t kind, int32_t instance);
