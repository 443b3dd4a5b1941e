#pragma once
// cSystemHealth: reads an event-code list of the SP, group after group: a get, then get next while
// the SP answers status 0, until it answers a non-zero status. "2.7.4" lists the event codes the SP
// currently holds as active (checkSystemHealth, and the polling update, which drives the CPU
// processor-hot indicators from them).
//
// A short-lived command object of the caller; one thread at a time. Sends SP commands: never call it
// with a lock held.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "commands/sp_cmd.h"

class cBusComm;

// The codes of one answer group: 32-bit codes, most significant byte first, from data[0], data[4],
// ... as long as a whole code lies inside the first length bytes. leftover counts the bytes of a
// trailing partial code, which is not taken.
struct EventCodeGroup {
    std::vector<uint32_t> codes;
    size_t leftover = 0;
};
EventCodeGroup decodeEventCodes(const uint8_t* data, size_t length);

class cSystemHealth final : public cSPCmd {
public:
    // Appends every code of dotCommand's list to codes, in the order received.
    // ERR_SUCCESS                 the list ended with status kCodesEndStatus (a first answer of that
    //                             status gives no codes)
    // ERR_BAD_ANSWER (2)          no comm device, a failed send (first or get next), an answer that is
    //                             no answer to the request (type or echoed length wrong), another final
    //                             status, or an SP that was still answering after
    //                             eventwire::kMaxCodeGroups groups (the codes read so far stay in codes)
    // ERR_INVALID_PARAMETER (12)  codes is null
    [[nodiscard]] int32_t getEvents(cBusComm* comm, int32_t node, const char* dotCommand, std::vector<uint32_t>* codes);

    // The active event codes of node ("2.7.4") appended to codes; results as getEvents.
    [[nodiscard]] int32_t getActiveEvents(cBusComm* comm, int32_t node, std::vector<uint32_t>* codes);

    // Whether code is among node's active event codes: *active is cleared first and set when the
    // code is listed (also when the list read then failed part-way). Results as getEvents;
    // ERR_INVALID_PARAMETER (12) when active is null.
    [[nodiscard]] int32_t getActiveEvents(cBusComm* comm, int32_t node, uint32_t code, bool* active);

private:
    // Sends dotCommand with the request type; false when it could not be built or sent.
    [[nodiscard]] bool sendGroupRequest(cBusComm* comm, int32_t node, const char* dotCommand, uint8_t type);
};
