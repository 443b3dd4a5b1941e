// The soak's operation tables: every query and read operation of the interface with the result codes
// its owner's header allows, and the settings that are written and read back.

#include <cmath>
#include <cstring>
#include <string>

#include "soak.h"
#include "yat/codes.h"
#include "yat/event_log_records.h"
#include "yat/led_records.h"
#include "yat/pfa_records.h"
#include "yat/result_codes.h"
#include "yat/system_info_records.h"
#include "yat/vpd.h"
#include "yat/vpd_records.h"

namespace soak {

namespace {

constexpr int32_t T = kTransportCode;
constexpr int32_t S = kStatusCode;

// Operations that hand the SP's status on: the simulator's refusals (the status bytes of an invalid
// request 1, not present 2, refused 3, unavailable S and unknown command 0xFF), passed on as results.
Codes withStatuses(Codes codes) {
    codes.insert({1, 2, 3, S, 0xFF});
    return codes;
}

// True when text holds a terminator within size bytes.
bool terminated(const char* text, size_t size) { return std::memchr(text, 0, size) != nullptr; }

void checkText(Worker& w, const char* operation, const char* text, size_t size) {
    if (!terminated(text, size)) w.broken(std::string(operation) + ": text without terminator in its buffer");
}

// Reading, limits and status of one record must fit its class and belong together: a record copied
// while it is rewritten would mix an old reading with a new status.
void checkSensor(Worker& w, int32_t sensorClass, int32_t sensor, int32_t status, const void* reading, const void* lower,
                 const void* upper) {
    auto fail = [&](const std::string& what) {
        w.broken("sensor class " + std::to_string(sensorClass) + " node " + std::to_string(w.node) + " sensor " +
                 std::to_string(sensor) + ": " + what);
    };
    int32_t r, lo, hi;
    float fr, flo, fhi;
    std::memcpy(&r, reading, 4);
    std::memcpy(&lo, lower, 4);
    std::memcpy(&hi, upper, 4);
    std::memcpy(&fr, reading, 4);
    std::memcpy(&flo, lower, 4);
    std::memcpy(&fhi, upper, 4);
    switch (sensorClass) {
        case yat::kClassTemperature:
            if (r < -128 || r > 255) fail("temperature " + std::to_string(r) + " out of range");
            if (Codes{yat::kStatusUnknown, yat::kStatusNormal, yat::kStatusWarning, yat::kStatusCritical,
                      yat::kStatusProcessorHot, yat::kStatusProcessorNormal}
                    .count(status) == 0)
                fail("temperature status " + std::to_string(status));
            break;
        case yat::kClassVoltage:
            if (!std::isfinite(fr) || std::fabs(fr) > 400.0f) fail("voltage " + std::to_string(fr) + " out of range");
            if (Codes{yat::kStatusUnknown, yat::kStatusNormal, yat::kStatusVoltageLow, yat::kStatusVoltageHigh}.count(
                    status) == 0)
                fail("voltage status " + std::to_string(status));
            // The status is derived from the reading and limits stored with it.
            if (flo != 0.0f && fhi != 0.0f && status != yat::kStatusUnknown) {
                int32_t expected = fr < flo   ? yat::kStatusVoltageLow
                                   : fr > fhi ? yat::kStatusVoltageHigh
                                              : yat::kStatusNormal;
                if (status != expected) {
                    fail("voltage status " + std::to_string(status) + " does not match reading " + std::to_string(fr) +
                         " in [" + std::to_string(flo) + ", " + std::to_string(fhi) + "]");
                }
            }
            break;
        case yat::kClassFan:
            if (r < 0 || r > 20000) fail("fan " + std::to_string(r) + " RPM out of range");
            if (Codes{yat::kStatusUnknown, yat::kStatusNormal, yat::kStatusCritical}.count(status) == 0)
                fail("fan status " + std::to_string(status));
            if (!((lo == 0 && hi == 0) || (lo == 550 && hi == 550))) {
                fail("fan limits " + std::to_string(lo) + "/" + std::to_string(hi));
            }
            break;
        case yat::kClassPowerSupply:
            if (Codes{yat::kStatusUnknown, yat::kStatusNormal, yat::kStatusCritical, yat::kStatusSupplyFailed,
                      yat::kStatusNotPresent, yat::kStatusNoNormals}
                    .count(status) == 0)
                fail("supply status " + std::to_string(status));
            break;
        default: break;
    }
}

int32_t anyClass(Worker& w) { return w.chance(0.05) ? w.pick(0, 6) : w.pick(1, 4); }
int32_t anySensor(Worker& w) { return w.pick(w.chance(0.05) ? -1 : 1, 14); }

// The read operations, one per entry: kept as laid out by hand.
// clang-format off
const std::vector<Operation> kReadOperations = {
    // frame
    {"getNodeCount", "frame", 2, {ERR_SUCCESS}, [](Worker& w) {
         uint32_t n = w.lib->getNodeCount();
         if (n != 2) w.broken("getNodeCount: " + std::to_string(n));
         return 0;
     }},
    {"fixedAnswers", "frame", 2, {ERR_SUCCESS}, [](Worker& w) {
         // The operations the library does not provide, and its constant answers.
         uint32_t value = 7;
         bool fine = !w.lib->reservedSlot2(&value) && value == 0 && w.lib->capabilityFlag9() &&
                     w.lib->capabilityFlag48() && w.lib->reservedSlot13(1, 2) == 1 && w.lib->reservedSlot16(1, 2) == 1 &&
                     w.lib->reservedSlot17(1, 2) == 1 && w.lib->reservedSlot18(1, 2) == 1 &&
                     w.lib->reservedSlot19(1, 2) == 1 && w.lib->reservedSlot20(1, 2) == 1 &&
                     w.lib->reservedSlot21(1, 2, 3, 4) == 1 && !w.lib->reservedSlot25(1) && !w.lib->reservedSlot26() &&
                     w.lib->getTypeSupportLevel(0, 3) == 3 && w.lib->getTypeSupportLevel(0, 6) == 2 &&
                     w.lib->getTypeSupportLevel(0, 4) == 0;
         int32_t first = 0, second = 0, third = -1;
         fine = fine && w.lib->getDefaultThresholds(0, &first, &second, &third) == 0 && first == 75 && second == 100 &&
                third == 0;
         if (!fine) w.broken("a fixed answer changed");
         return 0;
     }},
    // sensors
    {"getNumberSensors", "sensors", 4, {ERR_SUCCESS}, [](Worker& w) {
         // The count of stored records, updates included: it only grows while the class object lives.
         int32_t n = w.lib->getNumberSensors(anyClass(w), w.node);
         if (n < 0) w.broken("getNumberSensors: " + std::to_string(n));
         return 0;
     }},
    {"getSensorReading", "sensors", 6, {ERR_SUCCESS, ERR_FAILED, ERR_INVALID_INDEX}, [](Worker& w) {
         int32_t value = 0;
         return w.lib->getSensorReading(anyClass(w), w.node, anySensor(w), &value);
     }},
    {"getSensorLimits", "sensors", 4, {ERR_SUCCESS, ERR_FAILED, ERR_INVALID_INDEX}, [](Worker& w) {
         int32_t upper = 0, lower = 0;
         return w.lib->getSensorLimits(anyClass(w), w.node, anySensor(w), &upper, &lower);
     }},
    {"getSensorStatus", "sensors", 10, {ERR_SUCCESS, ERR_INVALID_INDEX}, [](Worker& w) {
         int32_t sensorClass = anyClass(w), sensor = anySensor(w), status = -1;
         int32_t reading = 0, lower = 0, upper = 0;
         int32_t code = w.lib->getSensorStatus(sensorClass, w.node, sensor, &status, &reading, &lower, &upper);
         if (code == 0) checkSensor(w, sensorClass, sensor, status, &reading, &lower, &upper);
         return code;
     }},
    {"getSensorType", "sensors", 2, {ERR_SUCCESS, ERR_INVALID_INDEX}, [](Worker& w) {
         int32_t type = 0;
         return w.lib->getSensorType(anyClass(w), w.node, anySensor(w), &type);
     }},
    {"getSensorLocation", "sensors", 2, {ERR_SUCCESS, ERR_INVALID_INDEX}, [](Worker& w) {
         int32_t location = 0;
         return w.lib->getSensorLocation(anyClass(w), w.node, anySensor(w), &location);
     }},
    {"getSensorInstance", "sensors", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX}, [](Worker& w) {
         int32_t instance = 0;
         return w.lib->getSensorInstance(anyClass(w), w.node, anySensor(w), &instance);
     }},
    // system information
    {"getSPType", "sysinfo", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T, S}, [](Worker& w) {
         int32_t type = -1;
         return w.lib->getSPType(&type);
     }},
    {"getSystemState", "sysinfo", 3, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         SystemStateInfo info{};
         return w.lib->getSystemState(w.node, &info);
     }},
    {"getWatchogTimers", "sysinfo", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         WatchdogTimersInfo info{};
         return w.lib->getWatchogTimers(w.node, &info);
     }},
    {"getFirmwareData", "sysinfo", 3, {ERR_SUCCESS, ERR_FAILED, ERR_BAD_ANSWER, T}, [](Worker& w) {
         FirmwareInfo info;
         return w.lib->getFirmwareData(w.node, w.pick(0, 8), &info, w.pick(0, 3));
     }},
    {"getVPDData", "sysinfo", 3, {ERR_SUCCESS, ERR_FAILED, ERR_BAD_ANSWER, ERR_INVALID_VPD, T}, [](Worker& w) {
         VPD vpd;
         return w.lib->getVPDData(w.node, w.pick(0, 8), w.pick(0, 3), &vpd);
     }},
    {"getMachineVPD", "sysinfo", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         MachineVPDInfo info{};
         return w.lib->getMachineVPD(w.node, &info);
     }},
    {"getPostBiosVPD", "sysinfo", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         PostBiosVPDInfo info{};
         return w.lib->getPostBiosVPD(w.node, &info);
     }},
    // events
    {"checkSystemHealth", "events", 3, {ERR_SUCCESS, ERR_BAD_ANSWER, T, S}, [](Worker& w) {
         int32_t value = -1;
         int32_t code = w.lib->checkSystemHealth(w.node, &value, 113, 107);
         if (value != 0 && value != 113 && value != 107) w.broken("checkSystemHealth value " + std::to_string(value));
         return code;
     }},
    {"getEventConfiguration", "events", 4, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, ERR_NO_DEVICE, T},
     [](Worker& w) {
         int32_t type = 0, size = 0;
         char description[64];
         uint8_t enabled = 0;
         int32_t code = w.lib->getEventConfiguration(static_cast<uint32_t>(w.node), static_cast<uint32_t>(w.pick(0, 40)),
                                                     &type, description, &size, &enabled);
         if (code == 0) checkText(w, "getEventConfiguration", description, sizeof description);
         return code;
     }},
    {"getMonitorPFAEventSupport", "events", 1, {ERR_SUCCESS}, [](Worker& w) {
         uint32_t level = 9;
         w.lib->getMonitorPFAEventSupport(&level);
         if (level != 0 && level != 2 && level != 9) w.broken("PFA support level " + std::to_string(level));
         return 0;
     }},
    {"monitorPFAEvents", "events", 1, {ERR_SUCCESS, ERR_FAILED, ERR_EMPTY}, [](Worker& w) {
         PFAEventInfo event{};
         return w.lib->monitorPFAEvents(&event);
     }},
    // event log (reads; the log thread also walks and erases)
    {"getFirstLogEntry", "log", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_EMPTY, T}, [](Worker& w) {
         LogEntryInfo entry{};
         int32_t code = w.lib->getFirstLogEntry(w.node, &entry);
         if (code == 0) checkText(w, "getFirstLogEntry", entry.message, sizeof entry.message);
         return code;
     }},
    // network
    {"getDHCPEnable", "network", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, T}, [](Worker& w) {
         int32_t enable = 0;
         return w.lib->getDHCPEnable(w.node, w.pick(0, 2), &enable);
     }},
    {"getIPConfigInfo", "network", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, T}, [](Worker& w) {
         char address[16], mask[16], gateway[16];
         address[0] = mask[0] = gateway[0] = 0;
         int32_t source = 0;
         int32_t code = w.lib->getIPConfigInfo(w.node, w.pick(0, 2), address, mask, gateway, &source);
         checkText(w, "getIPConfigInfo", address, sizeof address);
         checkText(w, "getIPConfigInfo", gateway, sizeof gateway);
         return code;
     }},
    {"getIPConfigString", "network", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, T}, [](Worker& w) {
         char text[64];
         int32_t code = w.lib->getIPConfigString(w.node, w.pick(0, 2), text, sizeof text);
         if (code == 0) checkText(w, "getIPConfigString", text, sizeof text);
         return code;
     }},
    {"getNetworkPort", "network", 2, withStatuses({ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, T}), [](Worker& w) {
         int32_t value = 0;
         return w.lib->getNetworkPort(w.node, w.pick(0, 8), &value);
     }},
    {"getSMTPConfiguration", "network", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         char server[64];
         uint32_t size = 0;
         int32_t code = w.lib->getSMTPConfiguration(w.node, 0, server, &size);
         if (code == 0) checkText(w, "getSMTPConfiguration", server, sizeof server);
         return code;
     }},
    {"getRemoteAlertConfiguration", "network", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         int32_t a = 0, b = 0, c = 0, d = 0;
         uint8_t e = 0;
         return w.lib->getRemoteAlertConfiguration(w.node, &a, &b, &c, &d, &e);
     }},
    // SNMP and alert recipients
    {"getSNMPConfiguration", "snmp", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         char a[48], b[48];
         int32_t sizeA = 0, sizeB = 0, available = 0, set = 0;
         int32_t code = w.lib->getSNMPConfiguration(w.node, a, &sizeA, b, &sizeB, &available, &set);
         if (code == 0) checkText(w, "getSNMPConfiguration", a, sizeof a);
         return code;
     }},
    {"getSNMPCommunityConfiguration", "snmp", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, T}, [](Worker& w) {
         char name[16];
         int32_t size = 0, access = 0;
         int32_t code = w.lib->getSNMPCommunityConfiguration(w.node, static_cast<uint32_t>(w.pick(0, 3)), name, &size,
                                                             &access);
         if (code == 0) checkText(w, "getSNMPCommunityConfiguration", name, sizeof name);
         return code;
     }},
    {"getSNMPCommunityIP", "snmp", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, T}, [](Worker& w) {
         char address[64];
         int32_t size = 0;
         int32_t code = w.lib->getSNMPCommunityIP(w.node, static_cast<uint32_t>(w.pick(0, 3)),
                                                  static_cast<uint32_t>(w.pick(0, 3)), address, &size);
         if (code == 0) checkText(w, "getSNMPCommunityIP", address, sizeof address);
         return code;
     }},
    {"getOOBAlertConfiguration", "snmp", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, T}, [](Worker& w) {
         int32_t type = 0, dSize = 0, destSize = 0, hSize = 0, uSize = 0, pSize = 0, available = 0, set = 0;
         char description[64], destination[49], host[63], user[63];
         int32_t code = w.lib->getOOBAlertConfiguration(w.node, static_cast<uint32_t>(w.pick(0, 12)), &type, description,
                                                        &dSize, destination, &destSize, host, &hSize, user, &uSize,
                                                        &pSize, &available, &set);
         if (code == 0) checkText(w, "getOOBAlertConfiguration", description, sizeof description);
         return code;
     }},
    // accounts
    {"getUserAccount", "accounts", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, T}, [](Worker& w) {
         int32_t status = 0, authority = 0, dSize = 0, bitmap = 0, bSize = 0, uSize = 0, pSize = 0;
         char description[14], user[16];
         int32_t code = w.lib->getUserAccount(w.node, static_cast<uint32_t>(w.pick(0, 12)), &status, &authority,
                                              description, &dSize, &bitmap, &bSize, user, &uSize, &pSize);
         return code;
     }},
    {"getPasswordInformation", "accounts", 2, withStatuses({ERR_SUCCESS, ERR_BAD_ANSWER, T}), [](Worker& w) {
         uint8_t force = 0, required = 0;
         int32_t age = 0, reuse = 0;
         return w.lib->getPasswordInformation(w.node, &force, &age, &reuse, &required);
     }},
    {"getLoginPolicyValue", "accounts", 2, withStatuses({ERR_SUCCESS, ERR_BAD_ANSWER, T}), [](Worker& w) {
         int32_t value = 0;
         return w.lib->getLoginPolicyValue(w.node, &value);
     }},
    // LEDs
    {"getGlintStatus", "leds", 2, {ERR_SUCCESS, ERR_FAILED, ERR_BAD_ANSWER, ERR_NO_DEVICE, T}, [](Worker& w) {
         GlintLEDList leds;
         return w.lib->getGlintStatus(&leds);
     }},
    {"getBluelightStatus", "leds", 2, {ERR_SUCCESS, ERR_FAILED, ERR_BAD_ANSWER, T}, [](Worker& w) {
         int32_t state = 0;
         return w.lib->getBluelightStatus(w.node, &state);
     }},
};
// clang-format on

// A text the library returned into a buffer of size bytes; without a terminator inside the buffer
// it reads as "(unterminated)", which never equals a written value.
template <size_t N>
std::string text(const char (&buffer)[N]) {
    return terminated(buffer, N) ? std::string(buffer) : std::string("(unterminated)");
}

// A number written and read back: both results, and the value read against the value written.
RoundTripResult numbers(int32_t write, int32_t read, int32_t value, int32_t got) {
    RoundTripResult r;
    r.write = write;
    r.read = read;
    r.same = got == value;
    r.wrote = std::to_string(value);
    r.readBack = std::to_string(got);
    return r;
}

// A text written and read back.
RoundTripResult texts(int32_t write, int32_t read, const std::string& value, const std::string& got) {
    RoundTripResult r;
    r.write = write;
    r.read = read;
    r.same = got == value;
    r.wrote = value;
    r.readBack = got;
    return r;
}

// The settings written and read back. Each entry writes a fresh value and reads it again.
// The round trips, one per entry: kept as laid out by hand.
// clang-format off
const std::vector<RoundTrip> kRoundTrips = {
    {"loginPolicy", 2, withStatuses({ERR_SUCCESS, T}), withStatuses({ERR_SUCCESS, ERR_BAD_ANSWER, T}), [](Worker& w) {
         int32_t value = w.pick(0, 3), got = -1;
         int32_t write = w.lib->setLoginPolicyValue(w.node, value);
         int32_t read = w.lib->getLoginPolicyValue(w.node, &got);
         return numbers(write, read, value, got);
     }},
    {"networkPort", 2, withStatuses({ERR_SUCCESS, T}), withStatuses({ERR_SUCCESS, ERR_BAD_ANSWER, T}), [](Worker& w) {
         int32_t port = w.pick(1, 6), value = w.pick(1024, 65535), got = -1;
         int32_t write = w.lib->setNetworkPort(w.node, port, value);
         int32_t read = w.lib->getNetworkPort(w.node, port, &got);
         return numbers(write, read, value, got);
     }},
    {"smtpServer", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         std::string value = "mail" + std::to_string(w.pick(0, 99999)) + ".example.org";
         char got[64] = "?";
         uint32_t size = 0;
         int32_t write = w.lib->setSMTPConfiguration(w.node, 0, value.c_str());
         int32_t read = w.lib->getSMTPConfiguration(w.node, 0, got, &size);
         return texts(write, read, value, text(got));
     }},
    {"dhcpEnable", 2, withStatuses({ERR_SUCCESS, T}), {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         int32_t iface = w.pick(1, 2), value = w.pick(0, 1), got = -1;
         int32_t write = w.lib->setDHCPEnable(w.node, iface, value);
         int32_t read = w.lib->getDHCPEnable(w.node, iface, &got);
         return numbers(write, read, value, got);
     }},
    {"ipConfigString", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         int32_t iface = w.pick(1, 2);
         std::string value = "host" + std::to_string(w.pick(0, 99999));
         char got[64] = "?";
         int32_t write = w.lib->setIPConfigString(w.node, iface, value.c_str(), static_cast<int32_t>(value.size()));
         int32_t read = w.lib->getIPConfigString(w.node, iface, got, sizeof got);
         return texts(write, read, value, text(got));
     }},
    {"snmpCommunityIP", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         auto community = static_cast<uint32_t>(w.pick(0, 2)), instance = static_cast<uint32_t>(w.pick(0, 2));
         std::string value = "10.0." + std::to_string(w.pick(0, 255)) + "." + std::to_string(w.pick(1, 254));
         char got[64] = "?";
         int32_t size = 0;
         int32_t write = w.lib->setSNMPCommunityIP(w.node, community, instance, value.c_str());
         int32_t read = w.lib->getSNMPCommunityIP(w.node, community, instance, got, &size);
         return texts(write, read, value, text(got));
     }},
    {"snmpCommunity", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         RoundTripResult r;
         auto community = static_cast<uint32_t>(w.pick(0, 2));
         std::string value = "c" + std::to_string(w.pick(0, 999999));
         uint8_t access = static_cast<uint8_t>(w.pick(1, 3));
         char got[16] = "?";
         int32_t size = 0, gotAccess = -1;
         r.write = w.lib->setSNMPCommunityConfiguration(w.node, community, value.c_str(), &access);
         r.read = w.lib->getSNMPCommunityConfiguration(w.node, community, got, &size, &gotAccess);
         r.same = value == text(got) && gotAccess == access;
         r.wrote = value + "/" + std::to_string(access);
         r.readBack = text(got) + "/" + std::to_string(gotAccess);
         return r;
     }},
    {"snmpTexts", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         RoundTripResult r;
         std::string a = "contact" + std::to_string(w.pick(0, 9999)), b = "room" + std::to_string(w.pick(0, 9999));
         char gotA[48] = "?", gotB[48] = "?";
         int32_t sizeA = 0, sizeB = 0, available = 0, set = 0;
         r.write = w.lib->setSNMPConfiguration(w.node, a.c_str(), b.c_str(), nullptr, nullptr);
         r.read = w.lib->getSNMPConfiguration(w.node, gotA, &sizeA, gotB, &sizeB, &available, &set);
         r.same = a == text(gotA) && b == text(gotB);
         r.wrote = a + "/" + b;
         r.readBack = text(gotA) + "/" + text(gotB);
         return r;
     }},
    {"alertRecipient", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         auto recipient = static_cast<uint32_t>(w.pick(0, 11));
         std::string description = "ops" + std::to_string(w.pick(0, 99999));
         char got[64] = "?", destination[49], host[63], user[63];
         int32_t type = -1, dSize = 0, destSize = 0, hSize = 0, uSize = 0, pSize = 0, available = 0, set = 0;
         int32_t write = w.lib->setOOBAlertConfiguration(w.node, recipient, nullptr, description.c_str(), nullptr,
                                                         nullptr, nullptr, nullptr, nullptr, nullptr);
         int32_t read = w.lib->getOOBAlertConfiguration(w.node, recipient, &type, got, &dSize, destination, &destSize,
                                                        host, &hSize, user, &uSize, &pSize, &available, &set);
         return texts(write, read, description, text(got));
     }},
    {"userId", 2, {ERR_SUCCESS, ERR_INVALID_PARAMETER, T}, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         auto account = static_cast<uint32_t>(w.pick(1, 11));
         std::string value = "user" + std::to_string(w.pick(0, 99999));
         char got[16] = "?", description[14];
         int32_t status = 0, authority = 0, dSize = 0, bitmap = 0, bSize = 0, uSize = 0, pSize = 0;
         int32_t write = w.lib->setUserAccount(w.node, account, nullptr, nullptr, nullptr, value.c_str(), nullptr);
         int32_t read = w.lib->getUserAccount(w.node, account, &status, &authority, description, &dSize, &bitmap,
                                              &bSize, got, &uSize, &pSize);
         return texts(write, read, value, text(got));
     }},
    {"passwordPolicy", 2, withStatuses({ERR_SUCCESS, T}), withStatuses({ERR_SUCCESS, ERR_BAD_ANSWER, T}),
     [](Worker& w) {
         RoundTripResult r;
         uint8_t force = static_cast<uint8_t>(w.pick(0, 1)), required = static_cast<uint8_t>(w.pick(0, 1));
         int32_t age = w.pick(0, 365), reuse = w.pick(0, 5);
         uint8_t gotForce = 9, gotRequired = 9;
         int32_t gotAge = -1, gotReuse = -1;
         r.write = w.lib->setPasswordInformation(w.node, &force, &age, &reuse, &required);
         r.read = w.lib->getPasswordInformation(w.node, &gotForce, &gotAge, &gotReuse, &gotRequired);
         r.same = force == gotForce && age == gotAge && reuse == gotReuse && required == gotRequired;
         r.wrote = std::to_string(force) + "/" + std::to_string(age) + "/" + std::to_string(reuse) + "/" +
                   std::to_string(required);
         r.readBack = std::to_string(gotForce) + "/" + std::to_string(gotAge) + "/" + std::to_string(gotReuse) + "/" +
                      std::to_string(gotRequired);
         return r;
     }},
    {"remoteAlerts", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, {ERR_SUCCESS, ERR_BAD_ANSWER, T}, [](Worker& w) {
         RoundTripResult r;
         int32_t a = w.pick(0, 9), b = w.pick(0, 9), c = w.pick(0, 9);
         uint8_t flag = static_cast<uint8_t>(w.pick(0, 1)), smtp = static_cast<uint8_t>(w.pick(0, 1));
         int32_t gotA = -1, gotB = -1, gotC = -1, gotFlag = -1;
         uint8_t gotSmtp = 9;
         r.write = w.lib->setRemoteAlertConfiguration(w.node, &a, &b, &c, &flag, &smtp);
         r.read = w.lib->getRemoteAlertConfiguration(w.node, &gotA, &gotB, &gotC, &gotFlag, &gotSmtp);
         r.same = a == gotA && b == gotB && c == gotC && flag == gotFlag && smtp == gotSmtp;
         r.wrote = std::to_string(a) + "/" + std::to_string(b) + "/" + std::to_string(c) + "/" + std::to_string(flag) +
                   "/" + std::to_string(smtp);
         r.readBack = std::to_string(gotA) + "/" + std::to_string(gotB) + "/" + std::to_string(gotC) + "/" +
                      std::to_string(gotFlag) + "/" + std::to_string(gotSmtp);
         return r;
     }},
    {"locatorLight", 2, {ERR_SUCCESS, ERR_FAILED, T}, {ERR_SUCCESS, ERR_FAILED, ERR_BAD_ANSWER, T}, [](Worker& w) {
         int32_t value = w.pick(0, 2), got = -1;
         int32_t write = w.lib->setBluelightStatus(w.node, value);
         int32_t read = w.lib->getBluelightStatus(w.node, &got);
         return numbers(write, read, value, got);
     }},
    {"eventEnable", 2, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, ERR_NO_DEVICE, T},
     {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_INDEX, ERR_NO_DEVICE, T}, [](Worker& w) {
         RoundTripResult r;
         auto instance = static_cast<uint32_t>(w.pick(0, 20));
         uint8_t value = static_cast<uint8_t>(w.pick(0, 1)), got = 9;
         r.write = w.lib->getEventConfiguration(static_cast<uint32_t>(w.node), instance, &value);
         r.read = w.lib->getEventConfiguration(static_cast<uint32_t>(w.node), instance, nullptr, nullptr, nullptr, &got);
         // Local events keep no enable state on the SP: their write sends nothing.
         r.same = got == value || got == 9;
         r.wrote = std::to_string(value);
         r.readBack = std::to_string(got);
         return r;
     }},
};
// clang-format on

}  // namespace

const std::vector<Operation>& readOperations() { return kReadOperations; }
const std::vector<RoundTrip>& roundTrips() { return kRoundTrips; }

namespace {

// Faults met so far that may have hit this thread's requests.
uint64_t faultsSeen(const Worker& w) {
    if (!w.overSocket) return yatsim::SimBusComm::faultsOnThisThread();
    auto counts = w.comm->faultCounts();
    uint64_t failures = 0;
    for (size_t kind = 0; kind < counts.size(); ++kind) {
        if (kind != static_cast<size_t>(yatsim::FaultKind::kLatency)) failures += counts[kind];
    }
    return failures;
}

}  // namespace

void runRoundTrip(Worker& w, const RoundTrip& trip) {
    uint64_t faultsBefore = faultsSeen(w);
    RoundTripResult r = trip.run(w);
    bool faultHit = faultsSeen(w) != faultsBefore;
    std::string set = std::string("set ") + trip.name;
    std::string get = std::string("get ") + trip.name;
    w.result("config", set.c_str(), r.write, trip.writeAllowed);
    w.result("config", get.c_str(), r.read, trip.readAllowed);
    if (r.write == 0 && r.read == 0 && !faultHit) {
        ++w.counts.checkedRoundTrips;
        if (!r.same) {
            w.broken(std::string(trip.name) + " on node " + std::to_string(w.node) + ": wrote " + r.wrote +
                     ", read back " + r.readBack);
        }
    }
}

}  // namespace soak
