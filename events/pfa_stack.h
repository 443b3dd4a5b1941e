#pragma once
// PfaStack: the memory PFA events received and not yet taken by the host. Twenty entries, newest
// taken first; an event that arrives while all twenty are held is dropped.
//
// Owned by EventMonitor for the life of the library object. Pushed by the event threads, popped by
// host threads: both hold the library mutex for their short work (no SP command under it).

#include <array>
#include <cstdint>

struct PFAEventInfo;

class PfaStack {
public:
    static constexpr int32_t kCapacity = 20;

    // Keeps the event when there is room (logs "in routine with stackPos [%d]"); 0, or 11 when full.
    int32_t push(int32_t memoryCard, int32_t dimm, int32_t condition, int32_t nodeIndex);
    // Takes the newest event into *out with valid 1: 0, or 11 (out untouched) when there is none.
    int32_t pop(PFAEventInfo* out);
    // Number of events held.
    int32_t size() const;

private:
    struct Entry {
        int32_t memoryCard = 0;
        int32_t dimm = 0;
        int32_t condition = 0;
        int32_t nodeIndex = 0;
    };
    std::array<Entry, kCapacity> entries_{};
    int32_t position_ = -1;  // index of the newest entry, -1 when empty
};
