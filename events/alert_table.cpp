// The alert table and its lookup.

#include "events/alert_table.h"

namespace {

constexpr AlertRow kRows[kAlertRowCount] = {
    {15, 1, 1, "Remote Critical Temperature Threshold Exceeded"},
    {16, 1, 2, "Remote Critical Voltage Threshold Exceeded"},
    {17, 1, 3, "Remote Tamper Alarm"},
    {18, 1, 4, "Remote Multiple Fan Failure"},
    {19, 1, 5, "Remote Power Failure"},
    {20, 1, 6, "Remote Hard Drive Failure"},
    {21, 1, 7, "Remote VRM Failure"},
    {22, 1, 8, "Remote Multiple Switch Failure"},
    {23, 1, 9, "Remote Incompatible Hardware Configuration"},
    {24, 2, 1, "Remote Redundant Power Supply Failure"},
    {25, 2, 2, "Remote Single Fan Failure"},
    {26, 2, 3, "Remote Warning Temperature Threshold Exceeded"},
    {27, 2, 4, "Remote Warning Voltage Threshold Exceeded"},
    {28, 2, 6, "Remote Redundant Module Failure"},
    {29, 2, 7, "Remote CD-ROM/KVM Switching Failure"},
    {30, 3, 1, "Remote Post Watchdog Alert"},
    {31, 3, 2, "Remote OS Watchdog Alert"},
    {32, 3, 3, "Remote Application Alert"},
    {33, 3, 4, "Remote Power Off"},
    {34, 3, 5, "Remote Power On"},
    {35, 3, 6, "Remote Boot Failure"},
    {36, 3, 7, "Remote Loader Watchdog Alert"},
    {37, 3, 8, "Remote PFA Alert"},
    {38, 3, 9, "Remote Partition Notification Alert"},
    {39, 3, 10, "Remote System Inventory"},
    {40, 3, 11, "Remote System Log 75% Full"},
    {41, 3, 12, "Remote Network Change Notification"},
    {43, 3, 16, "Enable Remote Informational Alert"},
    {1, 4, 1, "Local Temperature Threshold"},
    {2, 4, 2, "Local Voltage Threshold"},
    {42, 4, 3, "Local Redundant Power Supply Failure"},
    {3, 4, 4, "Local Power Down"},
    {4, 4, 6, "Local Remote Login"},
    {5, 4, 7, "Local System Tamper"},
    {6, 4, 8, "Local Error Log Full"},
    {7, 4, 9, "Local Fan Failure"},
    {8, 4, 10, "Local Power Supply Failure"},
    {9, 4, 11, "Local DASD Alert"},
    {10, 4, 12, "Local Error Log 75% Full"},
    {11, 4, 13, "Local PFA Alert"},
    {12, 4, 14, "Local Secondary Device Alert"},
    {13, 4, 15, "Local Partition Notification Alert"},
    {14, 4, 16, "Local SP Unavailable"},
};

}  // namespace

const AlertRow* alertRow(int32_t position) {
    if (position < 0 || static_cast<size_t>(position) >= kAlertRowCount) return nullptr;
    return &kRows[position];
}

std::optional<int32_t> findAlertRow(int32_t group, int32_t number) {
    for (size_t i = 0; i < kAlertRowCount; ++i) {
        const AlertRow& row = kRows[i];
        if (row.group > group || (row.group == group && row.number > number)) break;
        if (row.group == group && row.number == number) return static_cast<int32_t>(i);
    }
    return std::nullopt;
}
