#pragma once
// The name of a result code, for agents that log or show results: resultName(ERR_BAD_ANSWER) is
// "ERR_BAD_ANSWER". A code this header does not name (a transport result the comm device passed
// through, say) gives "", never null, so the text can be printed as it is. Header only.

#include <cstdint>

#include "yat/result_codes.h"

namespace yat {

constexpr const char* resultName(int32_t result) noexcept {
    switch (result) {
        case ERR_SUCCESS: return "ERR_SUCCESS";
        case ERR_FAILED: return "ERR_FAILED";
        case ERR_BAD_ANSWER: return "ERR_BAD_ANSWER";
        case ERR_NO_RESOURCE: return "ERR_NO_RESOURCE";
        case ERR_NOT_OPENED: return "ERR_NOT_OPENED";
        case ERR_NOTHING_TO_MONITOR: return "ERR_NOTHING_TO_MONITOR";
        case ERR_INVALID_INDEX: return "ERR_INVALID_INDEX";
        case ERR_INVALID_VPD: return "ERR_INVALID_VPD";
        case ERR_NO_DEVICE: return "ERR_NO_DEVICE";
        case ERR_EMPTY: return "ERR_EMPTY";
        case ERR_INVALID_PARAMETER: return "ERR_INVALID_PARAMETER";
        case ERR_DEVICE_NOT_OPEN: return "ERR_DEVICE_NOT_OPEN";
        case ERR_DEVICE_UNAVAILABLE: return "ERR_DEVICE_UNAVAILABLE";
        case ERR_COMMAND_FAILED: return "ERR_COMMAND_FAILED";
        default: return "";
    }
}

}  // namespace yat
