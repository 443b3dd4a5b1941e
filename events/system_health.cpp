// The active event code list (stand-in until the reader is built: reports a failed read).

#include "events/system_health.h"

#include "yat/result_codes.h"

int32_t cSystemHealth::getEvents(cBusComm*, int32_t, const char*, std::vector<uint32_t>* codes) {
    return codes == nullptr ? ERR_INVALID_PARAMETER : ERR_BAD_ANSWER;
}

int32_t cSystemHealth::getActiveEvents(cBusComm* comm, int32_t node, std::vector<uint32_t>* codes) {
    return getEvents(comm, node, "2.7.4", codes);
}
