#pragma once
// EventConfiguration: which alerts and local events each node's SP supports, and whether each is
// enabled (initEvents, both forms of getEventConfiguration), and the system-health value drawn from
// the SP's active event codes (checkSystemHealth).
//
// Owner: the library object, for its whole life; the event configuration lists are freed with it.
// Threads: any host thread. The lists are guarded by the object's own mutex, which is never held
// while an SP command is in flight: initEvents builds the lists without it and publishes them at
// the end, and the enable-state operations work on a copy of the entry.
//
// Lists: one per node, ordered by alert table position; an entry's position in its node's list is its
// event instance number. Every node initEvents walks gets a list, empty when the node supports no
// row, so its queries answer 7 ("invalid event instance") and only nodes beyond the walk answer 9.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "events/event_config.h"

class cBusComm;
class cSPCmd;

// The alert table positions that the alert and local-event elements of a supported-commands list
// ("1.1" answer data, length bytes) name, in the order found. Only elements lying wholly inside the
// data count; a range element covers 1 to its last number (255 included), a single element its last
// number; a number without a table row adds nothing.
std::vector<int32_t> supportedEventRows(const uint8_t* data, size_t length);

class EventConfiguration {
public:
    // comm may be null (the library was not accepted); every operation then answers
    // ERR_DEVICE_NOT_OPEN (13) or ERR_NO_DEVICE (9) as below.
    explicit EventConfiguration(cBusComm* comm) : comm_(comm) {}

    // Builds every node's list from its "1.1" answer.
    // ERR_SUCCESS              built, or already built ("already initialized": the lists are left alone)
    // ERR_DEVICE_NOT_OPEN (13) no comm device ("device not open")
    // ERR_BAD_ANSWER (2)       a "1.1" answer failed its check (response, command length 2, status
    //                          SpStatus::kOk, ID bytes 1, 1)
    // the transport code when "1.1" could not be sent.
    // A failed run publishes nothing, so a later call walks every node again.
    [[nodiscard]] int32_t initEvents();

    // Entry instance of node's list: its type, description (buffer of at least 64 bytes),
    // description size (64) and enable state (read from the SP), each skipped when its output is
    // null, in this order. ERR_DEVICE_NOT_OPEN (13) no comm device; ERR_NO_DEVICE (9) "invalid
    // node" (no list for node); ERR_INVALID_INDEX (7) "invalid event instance"; else the first
    // failed result of the entry operations (event_config.h), or ERR_SUCCESS.
    [[nodiscard]] int32_t getEventConfiguration(uint32_t node, uint32_t instance, int32_t* type, char* description,
                                                int32_t* descriptionSize, uint8_t* enabled);
    // Writes *enable (non-zero as 1) as the entry's enable state; null does nothing.
    // ERR_DEVICE_NOT_OPEN, ERR_NO_DEVICE and ERR_INVALID_INDEX as above; else setEnabled's result
    // (ERR_SUCCESS without sending for a local event).
    [[nodiscard]] int32_t getEventConfiguration(uint32_t node, uint32_t instance, uint8_t* enable);

    // *health becomes 0, then healthFor113 when active code 113 is listed, then healthFor107 when
    // code 107 is (107 wins). Reads the active-code list twice. Results: ERR_DEVICE_NOT_OPEN (13) no
    // comm device; ERR_INVALID_PARAMETER (12) null health; the result of the first read that failed
    // (health stays 0 then: the second read is not sent after a failed first); else ERR_SUCCESS.
    [[nodiscard]] int32_t checkSystemHealth(int32_t node, int32_t* health, int32_t healthFor113, int32_t healthFor107);

    // Frees the lists (the library's destructor). Later calls see no lists.
    void freeLists();

private:
    // The table position of node's entry instance, or the result code (ERR_DEVICE_NOT_OPEN,
    // ERR_NO_DEVICE, ERR_INVALID_INDEX) with its log line.
    [[nodiscard]] int32_t entryPosition(uint32_t node, uint32_t instance, int32_t* position) const;

    cBusComm* const comm_;
    mutable std::mutex mutex_;
    std::vector<std::vector<cEventConfig>> lists_;
};
