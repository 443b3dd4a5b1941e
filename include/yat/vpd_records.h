#pragma once
// Host records filled by getMachineVPD and getPostBiosVPD. Plain layouts shared with the host: the
// static_asserts pin size and offsets.

#include <cstddef>
#include <cstdint>
#include <type_traits>

// getMachineVPD (interface slot 41). Only uuid is zero-terminated by the library; the three chassis
// texts are written without a terminator (their last byte is left as the host set it).
struct MachineVPDInfo {
    char uuid[33];         // 16 UUID bytes as 32 upper-case hexadecimal characters and a zero
    char machineType[5];   // 4 characters
    char model[4];         // 3 characters
    char serialNumber[8];  // 7 characters
};
static_assert(std::is_standard_layout_v<MachineVPDInfo>);
static_assert(sizeof(MachineVPDInfo) == 50);
static_assert(offsetof(MachineVPDInfo, uuid) == 0);
static_assert(offsetof(MachineVPDInfo, machineType) == 33);
static_assert(offsetof(MachineVPDInfo, model) == 38);
static_assert(offsetof(MachineVPDInfo, serialNumber) == 42);

// getPostBiosVPD (interface slot 43). Every text is zero-terminated by the library.
struct PostBiosVPDInfo {
    char buildId[10];          // 9 characters
    char serialNumber[8];      // 7 characters
    char machineTypeModel[8];  // 7 characters
    char buildDate[9];         // 8 characters
    char alignment;            // not written
    int32_t revision;
};
static_assert(std::is_standard_layout_v<PostBiosVPDInfo>);
static_assert(sizeof(PostBiosVPDInfo) == 40);
static_assert(offsetof(PostBiosVPDInfo, buildId) == 0);
static_assert(offsetof(PostBiosVPDInfo, serialNumber) == 10);
static_assert(offsetof(PostBiosVPDInfo, machineTypeModel) == 18);
static_assert(offsetof(PostBiosVPDInfo, buildDate) == 26);
static_assert(offsetof(PostBiosVPDInfo, revision) == 36);
