#pragma once
// Host records of the diagnostic LED panel: one cGlintLED per configured LED and node, each with the
// sensor entries whose bits decide whether the LED is lit. initGlint builds the library's list from
// the LED panel registry tree; getGlintStatus reads the states and copies the whole list into the
// host's GlintLEDList (std::vector<cGlintLED>, yat/host_records.h). A host compiles its own copy of
// these declarations, so the fields keep their order and widths; the static_asserts pin the fixed part.

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "yat/host_records.h"

// One sensor bit of an LED.
struct cGlintSensor {
    int32_t index = 0;     // registry "index" of the sensor
    uint32_t regaddr = 0;  // the LED's "regaddr": register address (I2C) or answer data offset
    uint32_t mask = 0;     // bits that must all be set in the data byte for the sensor to be on
    int32_t location = 0;  // registry "location" of the sensor
    int32_t status = 0;    // 0 when built; after a read 1 = on, 0 = off
};
static_assert(std::is_standard_layout_v<cGlintSensor>);
static_assert(sizeof(cGlintSensor) == 20);
static_assert(offsetof(cGlintSensor, index) == 0);
static_assert(offsetof(cGlintSensor, regaddr) == 4);
static_assert(offsetof(cGlintSensor, mask) == 8);
static_assert(offsetof(cGlintSensor, location) == 12);
static_assert(offsetof(cGlintSensor, status) == 16);

// Bus types of an LED group ("ledbustype"): which passthru request reads it.
enum GlintBusType : uint32_t {
    kGlintBusI2C = 1,
    kGlintBusDMC = 2,
    kGlintBusIPMI = 3,
    kGlintBusH8 = 4,
};

// Capacity of the dot command text, terminator included (at most 63 characters).
inline constexpr size_t kGlintDotCommandSize = 64;

// One LED of one node.
struct cGlintLED {
    char dotCommand[kGlintDotCommandSize] = {};  // "ledGrp%dDotCmd" of its command, zero-terminated
    uint32_t ledbus = 0;                         // group values: passthru parameters
    uint32_t ledregister = 0;
    uint32_t ledbustype = 0;  // GlintBusType
    uint32_t leddevicetype = 0;
    int32_t state = 0;     // 0 when built; after a read 1 = lit, 0 = dark
    int32_t location = 0;  // LED values, passed through from the registry
    int32_t type = 0;
    int32_t index = 0;
    int32_t node = 0;                   // node index the record belongs to
    std::vector<cGlintSensor> sensors;  // in registry order

    int32_t getNodeNumber() const { return node; }
};
static_assert(std::is_standard_layout_v<cGlintLED>);
static_assert(offsetof(cGlintLED, ledbus) == 64);
static_assert(offsetof(cGlintLED, ledregister) == 68);
static_assert(offsetof(cGlintLED, ledbustype) == 72);
static_assert(offsetof(cGlintLED, leddevicetype) == 76);
static_assert(offsetof(cGlintLED, state) == 80);
static_assert(offsetof(cGlintLED, location) == 84);
static_assert(offsetof(cGlintLED, type) == 88);
static_assert(offsetof(cGlintLED, index) == 92);
static_assert(offsetof(cGlintLED, node) == 96);
static_assert(offsetof(cGlintLED, sensors) == 100 || offsetof(cGlintLED, sensors) == 104);
