#pragma once
// Scripts a FakeComm to answer the sensor commands of one node as an SP would: the supported-commands
// list, temperature and voltage readings with their limits, fans, the power status and VPD images.
// Dotted commands are spelled out here so the tests state the bytes on the wire.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "kit/fake_comm.h"
#include "sensors/sensor_wire.h"

namespace sensortest {

using yattest::Bytes;
using yattest::FakeComm;

// A signed value in hundredths, low byte first.
inline Bytes hundredths(int32_t value) {
    auto bits = static_cast<uint16_t>(static_cast<int16_t>(value));
    return {static_cast<uint8_t>(bits & 0xFF), static_cast<uint8_t>(bits >> 8)};
}

// One supported-commands entry: the length byte (with the range flag) and the command bytes.
inline Bytes entry(std::initializer_list<uint8_t> command, bool range = false) {
    Bytes bytes(command.size() + 1);
    bytes[0] = static_cast<uint8_t>(command.size() | (range ? 0x80 : 0));
    size_t i = 1;
    for (uint8_t byte : command) bytes[i++] = byte;
    return bytes;
}

inline Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        for (uint8_t byte : part) all.push_back(byte);
    }
    return all;
}

inline std::string hex(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

// An EEPROM VPD image of 96 bytes holding a FRU number.
inline Bytes vpdImage(const std::string& fru) {
    Bytes image(96, 0);
    image[0] = 'V';
    image[1] = 'P';
    image[2] = 'D';
    image[3] = 1;
    for (size_t i = 0; i < fru.size() && i < 12; ++i) image[16 + i] = static_cast<uint8_t>(fru[i]);
    return image;
}

class ScriptedSp {
public:
    ScriptedSp(FakeComm& comm, int32_t node = -1) : comm_(comm), node_(node) {}

    void supported(const Bytes& data) { scope(comm_.answer("1.1", data)); }

    // The temperature limit command for a selector, as the SP knows it.
    static std::string tempLimit(int32_t location, int32_t instance, int32_t selector) {
        const sensorwire::LimitChannel channel =
            sensorwire::limitChannel(sensorwire::kClassTemperature, location, instance);
        std::string text = "4.3.2.1.";
        for (uint8_t i = 0; i < channel.count; ++i) text += hex(channel.bytes[i]) + ".";
        return text + hex(selector);
    }

    // A temperature: reading and limits in whole degrees (0 = the SP gives no such limit).
    void temp(int32_t location, int32_t instance, int32_t degrees, int32_t upper = 0, int32_t lower = 0) {
        scope(comm_.answer("2.1." + hex(location) + "." + hex(instance), hundredths(degrees * 100)));
        if (lower != 0) scope(comm_.answer(tempLimit(location, instance, 3), hundredths(lower * 100)));
        if (upper != 0) scope(comm_.answer(tempLimit(location, instance, 2), hundredths(upper * 100)));
    }

    // A voltage at location 1 in hundredths of a volt with its first-choice limits (selectors 6, 2).
    void volt(int32_t instance, int32_t centivolts, int32_t upper = 0, int32_t lower = 0) {
        int32_t target = sensorwire::limitChannel(sensorwire::kClassVoltage, 1, instance).bytes[0];
        scope(comm_.answer("2.2.1." + hex(instance), hundredths(centivolts)));
        if (lower != 0) scope(comm_.answer("4.3.2.2." + hex(target) + ".6", hundredths(lower)));
        if (upper != 0) scope(comm_.answer("4.3.2.2." + hex(target) + ".2", hundredths(upper)));
    }

    // A fan: speed in units of 50 RPM (255 = stopped).
    void fan(int32_t instance, uint8_t units) { scope(comm_.answer("2.3." + hex(instance), {units})); }
    void fanUnavailable(int32_t instance) { scope(comm_.status("2.3." + hex(instance), 7)); }

    void power(uint8_t present, uint8_t failed) { scope(comm_.answer("f.5.1", {present, failed})); }

    // VPD of power supply `supply` (1-based VPD instance): an image, or status 2 (no such supply).
    void powerVpd(int32_t supply, const std::string& fru) {
        scope(comm_.answer("4.3.5.c." + hex(supply), vpdImage(fru)));
    }
    void noPowerVpd(int32_t supply) { scope(comm_.status("4.3.5.c." + hex(supply), 2)); }
    void dasdVpd(const std::string& fru) { scope(comm_.answer("4.3.5.e.1", vpdImage(fru))); }

    void multiNodeId(uint8_t id) { scope(comm_.answer("14.1.3.2", {0, 0, id})); }

private:
    void scope(FakeComm::Rule& rule) {
        if (node_ >= 0) rule.node(node_);
    }

    FakeComm& comm_;
    int32_t node_;
};

// Holds one use of the shared object of class T so a test can look at its records.
template <class T>
class Peek {
public:
    Peek() : object_(T::acquireInstance()) {}
    ~Peek() { T::releaseInstance(); }
    Peek(const Peek&) = delete;
    Peek& operator=(const Peek&) = delete;
    T* operator->() const { return object_; }
    T* get() const { return object_; }

private:
    T* object_;
};

}  // namespace sensortest
