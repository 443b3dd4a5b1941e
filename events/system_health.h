#pragma once
// cSystemHealth: reads the event codes the SP currently holds as active ("2.7.4", get, then get next
// until the SP answers status 7). Used by checkSystemHealth and by the polling update, which drives
// the CPU processor-hot indicators from these codes.
//
// A short-lived command object of the caller; one thread at a time. Sends SP commands: never call it
// with a lock held.

#include <cstdint>
#include <vector>

#include "commands/sp_cmd.h"

class cBusComm;

class cSystemHealth final : public cSPCmd {
public:
    // Appends every code of dotCommand's list (32-bit codes, most significant byte first) to codes,
    // reading group after group with get next. 0 when the list ended with status 7; 2 on a failed
    // send, no comm device or another non-zero status; 12 when codes is null.
    int32_t getEvents(cBusComm* comm, int32_t node, const char* dotCommand, std::vector<uint32_t>* codes);

    // The active event codes of node ("2.7.4") appended to codes; results as getEvents.
    int32_t getActiveEvents(cBusComm* comm, int32_t node, std::vector<uint32_t>* codes);
};
