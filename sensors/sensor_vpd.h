#pragma once
// The VPD reads of sensor discovery: the DASD backplane (VPD kind 7) and the power supplies (kind 9),
// both read with length 96 for their FRU number text.

#include <cstdint>
#include <string>

#include "commands/sp_status.h"
#include "yat/result_codes.h"

class cBusComm;

struct SensorVpdRead {
    int32_t sent = ERR_SUCCESS;       // the send's result (ERR_INVALID_PARAMETER when nothing could be sent)
    SpStatus status = SpStatus::kOk;  // the answer's status byte (when sent is ERR_SUCCESS)
    bool hasFru = false;              // the answer parsed into a valid record with a FRU number text
    std::string fru;

    bool sentOk() const { return sent == ERR_SUCCESS; }
    // The answer names a device: sent and its status is not SpStatus::kNoDevice.
    bool present() const { return sentOk() && status != SpStatus::kNoDevice; }
};

// Reads VPD kind/instance (length 96) from node. Unless the send fails or the status is
// SpStatus::kNoDevice the answer is parsed and a non-empty FRU number taken.
SensorVpdRead readSensorVpd(cBusComm* comm, int32_t node, int32_t kind, int32_t instance);
