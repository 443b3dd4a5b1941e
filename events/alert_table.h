#pragma once
// The fixed table of the alerts and local events an SP can raise: 43 rows ordered by group and then
// by number. A row's position in the table identifies it (cEventConfig stores the position).

#include <cstddef>
#include <cstdint>
#include <optional>

struct AlertRow {
    int32_t type;          // the type number the host sees
    int32_t group;         // 1 to 4 (eventwire::kFirstGroup .. kLocalGroup)
    uint8_t number;        // number within the group: the x of the group's enable command
    char description[67];  // zero-terminated
};

inline constexpr size_t kAlertRowCount = 43;
// The description size the host is told (and the most getDescription copies, terminator included).
inline constexpr int32_t kAlertDescriptionMax = 64;

// The row at position; null when position is outside the table.
const AlertRow* alertRow(int32_t position);

// The position of the row with this group and number, or nothing. Scans the rows in order and stops
// at the first row whose group is larger, or whose group is equal and whose number is larger.
std::optional<int32_t> findAlertRow(int32_t group, int32_t number);
