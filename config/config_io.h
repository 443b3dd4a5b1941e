#pragma once
// Small helpers the configuration owners share: bounded measuring of host texts, item writes and the
// rule by which a get operation's items make its result.

#include <cstddef>
#include <cstdint>

#include "commands/sp_cmd.h"
#include "yat/result_codes.h"

class cBusComm;

namespace configio {

// The length of a host text, measured at most up to max + 1 characters; true when it is longer than
// max (the text is then not read further). A null text is never too long (length 0).
bool tooLong(const char* text, int32_t max, size_t* length);

// Item writes through cSPCmd::writeData: ERR_SUCCESS, the transport code, ERR_INVALID_PARAMETER (12)
// without a comm device, or ERR_BAD_ANSWER (2) when the SP answers with a non-zero status.
// The text and its terminator (length + 1 bytes; text[length] must be its terminator).
[[nodiscard]] int32_t writeText(cSPCmd& command, cBusComm* comm, int32_t node, const char* dotCommand,
                                const uint8_t* params, int32_t paramCount, const char* text, size_t length);
// One byte.
[[nodiscard]] int32_t writeByte(cSPCmd& command, cBusComm* comm, int32_t node, const char* dotCommand,
                                const uint8_t* params, int32_t paramCount, uint8_t value);

// The result of an operation that reads or writes several items: it starts at initial (ERR_FAILED,
// nothing done, unless the operation states another); each item's outcome replaces it until one
// fails, and the first failure stays. This is the one rule for writes of several items: every item
// is still written, in order, whatever the outcome of the one before, and the first failure is the
// result. Only a value refused before anything is sent for it (out of range, a text over its limit,
// a refused read the write would be built from) ends the operation there, with the first failure so
// far.
class Outcome {
public:
    explicit Outcome(int32_t initial = ERR_FAILED) : value_(initial) {}
    void take(int32_t result) {
        if (failed_) return;
        value_ = result;
        failed_ = result != ERR_SUCCESS;
    }
    int32_t value() const { return value_; }
    bool failed() const { return failed_; }

private:
    int32_t value_;
    bool failed_ = false;
};

}  // namespace configio
