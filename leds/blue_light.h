#pragma once
// cSPBlueLight: the locator ("blue") light of a node, read and set with "d.7" (leds/led_wire.h).

#include <cstdint>

#include "commands/sp_cmd.h"

class cSPBlueLight : public cSPCmd {
public:
    // Builds the get request (type 2, no data); returns the buffer.
    uint8_t* buildGet();
    // Builds the set request (type 0) with one data byte, the low byte of value; returns the buffer.
    uint8_t* buildSet(int32_t value);
    // Decodes the answer of a get: ERR_FAILED (1) when its status is not SpStatus::kOk;
    // ERR_BAD_ANSWER (2) when it fails the answer check or holds no data byte; else stores the
    // state byte (0 to 255) in *state and returns ERR_SUCCESS.
    [[nodiscard]] int32_t getStateData(int32_t* state) const;
};
