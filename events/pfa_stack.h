#pragma once
// PfaStack: the memory PFA events received and not yet taken by the host. Twenty entries, newest
// taken first; an event that arrives while all twenty are held is dropped.
//
// Shared by EventMonitor and the monitoring threads it starts (a thread left behind at deregistration
// keeps it alive). Pushed by the event threads, popped by host threads. The stack has a lock of its
// own, held only for the copy of one entry: an event thread never waits for the library mutex, which
// a host may hold across SP commands (discovery) or while it stops monitoring.

#include <array>
#include <cstdint>
#include <mutex>

struct PFAEventInfo;

class PfaStack {
public:
    static constexpr int32_t kCapacity = 20;

    // Keeps the event when there is room (logs "in routine with stackPos [%d]"); ERR_SUCCESS, or
    // ERR_EMPTY (11) when full.
    [[nodiscard]] int32_t push(int32_t memoryCard, int32_t dimm, int32_t condition, int32_t nodeIndex);
    // Takes the newest event into *out with valid 1: 0, or 11 (out untouched) when there is none.
    [[nodiscard]] int32_t pop(PFAEventInfo* out);
    // Number of events held.
    int32_t size() const;

private:
    struct Entry {
        int32_t memoryCard = 0;
        int32_t dimm = 0;
        int32_t condition = 0;
        int32_t nodeIndex = 0;
    };
    mutable std::mutex mutex_;  // guards entries_ and position_
    std::array<Entry, kCapacity> entries_{};
    int32_t position_ = -1;  // index of the newest entry, -1 when empty
};
