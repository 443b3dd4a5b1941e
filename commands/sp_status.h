#pragma once
// The two codes an SP command meets besides the library's own results (yat/result_codes.h), each with
// a type of its own so that neither can be taken for a library result by accident:
//
// - the comm device's transport code: what sendCommand returns, kCommSuccess (yat/bus_comm.h) when
//   an answer came back. A failed send ends most operations with that code passed on unchanged as
//   their result; cSPCmd::send does the passing on (transportResult), so callers only ever see a
//   signed library result.
// - the SP's status byte (SpStatus) at offset 4 of an answer: 0 when the SP did what was asked, else
//   why it did not. Operations turn it into a result (ERR_BAD_ANSWER mostly); the few whose contract
//   passes the byte itself on say so with spStatusResult.

#include <cstdint>

#include "yat/command_buffer.h"

// The SP's status byte of an answer. Values the library acts on have names; the SP may give others.
enum class SpStatus : uint8_t {
    kOk = 0,
    kNoDevice = 2,                            // a VPD read: the addressed device is not there
    kUnavailable = wire::kStatusUnavailable,  // the addressed device is unavailable; a list read: the list ended
};

// The status byte as a number, for log lines.
constexpr int statusByte(SpStatus status) { return static_cast<int>(status); }

// The status byte as an operation's result, for the operations whose contract passes it on unchanged
// (ERR_SUCCESS when the SP succeeded).
[[nodiscard]] constexpr int32_t spStatusResult(SpStatus status) { return static_cast<int32_t>(status); }

// A comm device's transport code as the library passes it on: the same 32 bits, read as a signed
// result. 0 stays ERR_SUCCESS.
[[nodiscard]] constexpr int32_t transportResult(uint32_t code) { return static_cast<int32_t>(code); }
