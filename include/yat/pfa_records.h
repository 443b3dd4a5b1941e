#pragma once
// The memory predictive-failure (PFA) event a host receives from monitorPFAEvents.

#include <cstddef>
#include <cstdint>
#include <type_traits>

// One memory PFA event, as the SP's comprehensive event record named it. Five 32-bit fields.
struct PFAEventInfo {
    int32_t memoryCard = 0;  // memory card number (the record's ASCII digit as a number)
    int32_t dimm = 0;        // DIMM number on that card
    int32_t condition = 0;   // the record's condition (1 for the events kept)
    int32_t node = 0;        // index of the node that sent the event (0-based)
    int32_t valid = 0;       // 1 when the other fields were filled
};

static_assert(std::is_standard_layout_v<PFAEventInfo>);
static_assert(sizeof(PFAEventInfo) == 20);
static_assert(offsetof(PFAEventInfo, memoryCard) == 0);
static_assert(offsetof(PFAEventInfo, dimm) == 4);
static_assert(offsetof(PFAEventInfo, condition) == 8);
static_assert(offsetof(PFAEventInfo, node) == 12);
static_assert(offsetof(PFAEventInfo, valid) == 16);
