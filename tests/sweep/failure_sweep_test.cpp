// The failure sweep: every operation of the interface over the simulator's default scenario. Each
// operation runs once cleanly to count its requests; then, for each request in turn, again with that
// request failing in transport, refused by the SP (status fault) or answered short (truncated fault).
// Each faulted run must give a result code its owner's header lists, must write nothing beyond what
// the operation allows, and must leave the library usable: the same operation without faults gives
// the clean result and sends the clean requests right after. A last run fails every request at once,
// and must still give a listed code.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <optional>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "commands/sp_status.h"
#include "frame/libyat.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "kit/scoped_settings.h"
#include "sim/led_registry.h"
#include "sim/sections/accounts.h"
#include "sim/sections/alerts.h"
#include "sim/sections/event_log.h"
#include "sim/sections/leds.h"
#include "sim/sections/network.h"
#include "sim/sections/snmp.h"
#include "sim/sim_bus_comm.h"
#include "yat/codes.h"
#include "yat/command_buffer.h"
#include "yat/event_log_records.h"
#include "yat/led_records.h"
#include "yat/pfa_records.h"
#include "yat/result_codes.h"
#include "yat/result_names.h"
#include "yat/system_info_records.h"
#include "yat/vpd.h"
#include "yat/vpd_records.h"

namespace {

using yatsim::FaultKind;
using yatsim::FaultRule;
using yatsim::NodeState;
using yatsim::SimBusComm;

// The transport code the comm device returns for a request that fails in transport, and the SP's
// status byte of a refused request, as the results that pass them on: values no operation produces by
// itself, so a pass-through is recognisable.
constexpr uint32_t kTransportCode = 53;
constexpr SpStatus kRefusedStatus{0x21};
constexpr int32_t kTransport = transportResult(kTransportCode);
constexpr int32_t kSpStatus = spStatusResult(kRefusedStatus);

enum class Sends {
    kCommands,      // sends SP commands on the caller's thread
    kNothing,       // answers without SP traffic
    kOnItsThreads,  // starts or stops the monitoring threads, which send on their own
};

// What an operation may leave written when one of its requests fails.
enum class Partial {
    kNone,          // all or nothing: the settings afterwards are those before, or those of a clean run
    kEarlierItems,  // items in order, the first failure ends it: what was written before stays
    kEveryItem,     // every item is written whatever the outcome of the one before
};

using Call = std::function<int32_t(cDeviceLib&)>;

struct Operation {
    int slot = 0;
    std::string name;
    Call call;
    std::vector<int32_t> allowed;  // results a faulted run may give (ERR_SUCCESS only where listed)
    Sends sends = Sends::kCommands;
    Partial partial = Partial::kNone;
    std::string why;                    // why the partial state is allowed
    int32_t cleanResult = ERR_SUCCESS;  // the result of a run without faults
    bool writes = false;                // a clean run changes the simulator's settings
    bool fresh = false;                 // the library keeps what a success found: each run gets a new open
    Call prepare;                       // after each open, without faults (results ignored)

    Operation&& writing(Partial p = Partial::kNone, std::string reason = {}) && {
        writes = true;
        partial = p;
        why = std::move(reason);
        return std::move(*this);
    }
    Operation&& freshOpen() && {
        fresh = true;
        return std::move(*this);
    }
    Operation&& after(Call setup) && {
        prepare = std::move(setup);
        return std::move(*this);
    }
    Operation&& result(int32_t clean) && {
        cleanResult = clean;
        return std::move(*this);
    }
};

Operation sending(int slot, std::string name, Call call, std::vector<int32_t> allowed) {
    Operation op;
    op.slot = slot;
    op.name = std::move(name);
    op.call = std::move(call);
    op.allowed = std::move(allowed);
    return op;
}

Operation silent(int slot, std::string name, Call call) {
    Operation op = sending(slot, std::move(name), std::move(call), {});
    op.sends = Sends::kNothing;
    return op;
}

Operation threaded(int slot, std::string name, Call call, Call prepare) {
    Operation op = sending(slot, std::move(name), std::move(call), {ERR_SUCCESS});
    op.sends = Sends::kOnItsThreads;
    op.prepare = std::move(prepare);
    return op;
}

// A result as the sweep's messages show it: its name, the fault's own codes, or the bare number.
std::string named(int32_t result) {
    if (result == kTransport) return "kTransport";
    if (result == kSpStatus) return "kSpStatus";
    const std::string name = yat::resultName(result);
    return name.empty() ? std::to_string(result) : name + " (" + std::to_string(result) + ")";
}

yattest::RecordingSink& sink() {
    static yattest::RecordingSink recording;
    return recording;
}

int32_t discover(cDeviceLib& l) { return l.initSensors(&sink()); }

// Every operation of cDeviceLib, in slot order.
// The operations, one per entry: kept as laid out by hand.
// clang-format off
const std::vector<Operation>& operations() {
    static const std::vector<Operation> table = [] {
        std::vector<Operation> t;
        t.push_back(sending(0, "initSensors", discover, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        t.push_back(silent(1, "getNodeCount", [](cDeviceLib& l) { return static_cast<int32_t>(l.getNodeCount()); }));
        t.push_back(silent(2, "reservedSlot2", [](cDeviceLib& l) {
            uint32_t v = 9;
            return l.reservedSlot2(&v) ? 1 : 0;
        }));
        t.push_back(silent(3, "getNumberSensors", [](cDeviceLib& l) {
            return l.getNumberSensors(yat::kClassTemperature, 1);
        }).after(discover));
        t.push_back(silent(4, "getSensorReading", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.getSensorReading(yat::kClassTemperature, 1, 1, &v);
        }).after(discover));
        t.push_back(silent(5, "getSensorLimits", [](cDeviceLib& l) {
            int32_t u = 0, d = 0;
            return l.getSensorLimits(yat::kClassTemperature, 1, 1, &u, &d);
        }).after(discover));
        t.push_back(silent(6, "getSensorStatus", [](cDeviceLib& l) {
            int32_t s = 0, r = 0, d = 0, u = 0;
            return l.getSensorStatus(yat::kClassTemperature, 1, 1, &s, &r, &d, &u);
        }).after(discover));
        t.push_back(silent(7, "getSensorType", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.getSensorType(yat::kClassTemperature, 1, 1, &v);
        }).after(discover));
        t.push_back(silent(8, "getSensorLocation", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.getSensorLocation(yat::kClassTemperature, 1, 1, &v);
        }).after(discover));
        t.push_back(silent(9, "capabilityFlag9", [](cDeviceLib& l) { return l.capabilityFlag9() ? 1 : 0; }));
        t.push_back(threaded(10, "registerForAsynchEvents", [](cDeviceLib& l) { return l.registerForAsynchEvents(&sink()); },
                             discover));
        t.push_back(threaded(11, "deRegisterForAsynchEvents",
                             [](cDeviceLib& l) {
                                 l.deRegisterForAsynchEvents();
                                 return 0;
                             },
                             [](cDeviceLib& l) {
                                 discover(l);
                                 return l.registerForAsynchEvents(&sink());
                             }));
        t.push_back(sending(12, "checkSystemHealth", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.checkSystemHealth(0, &v, 113, 107);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        t.push_back(silent(13, "reservedSlot13", [](cDeviceLib& l) { return l.reservedSlot13(0, 0); }));
        t.push_back(sending(14, "getFirstLogEntry", [](cDeviceLib& l) {
            LogEntryInfo e{};
            return l.getFirstLogEntry(0, &e);
        }, {ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(15, "getNextLogEntry", [](cDeviceLib& l) {
            LogEntryInfo e{};
            return l.getNextLogEntry(0, &e);
        }, {ERR_BAD_ANSWER, kTransport}));
        t.push_back(silent(16, "reservedSlot16", [](cDeviceLib& l) { return l.reservedSlot16(0, 0); }));
        t.push_back(silent(17, "reservedSlot17", [](cDeviceLib& l) { return l.reservedSlot17(0, 0); }));
        t.push_back(silent(18, "reservedSlot18", [](cDeviceLib& l) { return l.reservedSlot18(0, 0); }));
        t.push_back(silent(19, "reservedSlot19", [](cDeviceLib& l) { return l.reservedSlot19(0, 0); }));
        t.push_back(silent(20, "reservedSlot20", [](cDeviceLib& l) { return l.reservedSlot20(0, 0); }));
        t.push_back(silent(21, "reservedSlot21", [](cDeviceLib& l) { return l.reservedSlot21(0, 0, 0, 0); }));
        t.push_back(silent(22, "getDefaultThresholds", [](cDeviceLib& l) {
            int32_t a = 0, b = 0, c = 0;
            return l.getDefaultThresholds(0, &a, &b, &c);
        }));
        // The drive's VPD: the read length is searched with several reads; a search read that fails
        // in transport is read again, so the search may still succeed.
        t.push_back(sending(23, "getVPDData", [](cDeviceLib& l) {
            VPD vpd;
            return l.getVPDData(0, 7, 1, &vpd);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, ERR_INVALID_VPD, kTransport}));
        t.push_back(sending(24, "eraseLog", [](cDeviceLib& l) { return l.eraseLog(0); },
                            {ERR_BAD_ANSWER, kTransport}).writing());
        t.push_back(silent(25, "reservedSlot25", [](cDeviceLib& l) { return l.reservedSlot25(0) ? 1 : 0; }));
        t.push_back(silent(26, "reservedSlot26", [](cDeviceLib& l) { return l.reservedSlot26() ? 1 : 0; }));
        t.push_back(sending(27, "getBluelightStatus", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.getBluelightStatus(0, &v);
        }, {ERR_FAILED, ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(28, "setBluelightStatus", [](cDeviceLib& l) { return l.setBluelightStatus(0, 1); },
                            {ERR_FAILED, kTransport}).writing());
        t.push_back(silent(29, "getSensorInstance", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.getSensorInstance(yat::kClassTemperature, 1, 1, &v);
        }).after(discover));
        t.push_back(sending(30, "getDHCPEnable", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.getDHCPEnable(0, 1, &v);
        }, {ERR_BAD_ANSWER, kTransport}));
        // A text whose read fails is left untouched without changing the result.
        t.push_back(sending(31, "getIPConfigInfo", [](cDeviceLib& l) {
            char a[16] = {}, m[16] = {}, g[16] = {};
            int32_t source = 0;
            return l.getIPConfigInfo(0, 1, a, m, g, &source);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(32, "getIPConfigString", [](cDeviceLib& l) {
            char text[64] = {};
            return l.getIPConfigString(0, 1, text, sizeof text);
        }, {ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(33, "setDHCPEnable", [](cDeviceLib& l) { return l.setDHCPEnable(0, 1, 1); },
                            {kTransport, kSpStatus}).writing());
        t.push_back(sending(34, "setIPConfigInfo", [](cDeviceLib& l) {
            return l.setIPConfigInfo(0, 1, "192.168.70.126", "255.255.254.0", "192.168.70.2");
        }, {kTransport, kSpStatus}).writing(Partial::kEarlierItems,
                           "mask, address and gateway are separate items of the SP, written one after the other"));
        t.push_back(sending(35, "getFirmwareData", [](cDeviceLib& l) {
            FirmwareInfo info;
            return l.getFirmwareData(0, 4, &info, 0);
        }, {ERR_FAILED, ERR_BAD_ANSWER}));
        t.push_back(silent(36, "getTypeSupportLevel", [](cDeviceLib& l) { return l.getTypeSupportLevel(0, 3); }));
        t.push_back(sending(37, "setIPConfigString", [](cDeviceLib& l) {
            static const char text[] = "sp-node0-renamed";
            return l.setIPConfigString(0, 1, text, static_cast<int32_t>(sizeof text));
        }, {ERR_BAD_ANSWER, kTransport}).writing());
        // The restart's outcome is not examined.
        t.push_back(sending(38, "resetServiceProcessor", [](cDeviceLib& l) {
            l.resetServiceProcessor(0);
            return 0;
        }, {ERR_SUCCESS}).writing());
        t.push_back(silent(39, "getSPType", [](cDeviceLib& l) {
            int32_t type = 0;
            return l.getSPType(&type);
        }));
        // The result is the last item's: an earlier item's failure leaves its field alone.
        t.push_back(sending(40, "getSystemState", [](cDeviceLib& l) {
            SystemStateInfo info{};
            return l.getSystemState(0, &info);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        // The UUID read never decides the result: the chassis read does.
        t.push_back(sending(41, "getMachineVPD", [](cDeviceLib& l) {
            MachineVPDInfo info{};
            return l.getMachineVPD(0, &info);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        // A failed timer reads -1; only when every one failed is the result not 0: the last read's
        // transport code, or 2.
        t.push_back(sending(42, "getWatchogTimers", [](cDeviceLib& l) {
            WatchdogTimersInfo info{};
            return l.getWatchogTimers(0, &info);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(43, "getPostBiosVPD", [](cDeviceLib& l) {
            PostBiosVPDInfo info{};
            return l.getPostBiosVPD(0, &info);
        }, {ERR_BAD_ANSWER, kTransport}));
        // Once found, the support flag stays: each run starts from a new open.
        t.push_back(sending(44, "getMonitorPFAEventSupport", [](cDeviceLib& l) {
            uint32_t level = 0;
            l.getMonitorPFAEventSupport(&level);
            return 0;
        }, {ERR_SUCCESS}).freshOpen());
        t.push_back(silent(45, "monitorPFAEvents", [](cDeviceLib& l) {
            PFAEventInfo event{};
            return l.monitorPFAEvents(&event);
        }).after([](cDeviceLib& l) {
            uint32_t level = 0;
            l.getMonitorPFAEventSupport(&level);
            return 0;
        }));
        // The first LED's bus type (I2C) reads its states without reporting a failed read.
        t.push_back(sending(46, "getGlintStatus", [](cDeviceLib& l) {
            GlintLEDList leds;
            return l.getGlintStatus(&leds);
        }, {ERR_SUCCESS, ERR_FAILED, ERR_BAD_ANSWER, kTransport}).after([](cDeviceLib& l) { return l.initGlint(); }));
        t.push_back(silent(47, "initGlint", [](cDeviceLib& l) { return l.initGlint(); }));
        t.push_back(silent(48, "capabilityFlag48", [](cDeviceLib& l) { return l.capabilityFlag48() ? 1 : 0; }));
        t.push_back(sending(49, "getPasswordInformation", [](cDeviceLib& l) {
            uint8_t force = 0, required = 0;
            int32_t age = 0, reuse = 0;
            return l.getPasswordInformation(0, &force, &age, &reuse, &required);
        }, {ERR_BAD_ANSWER, kTransport, kSpStatus}));
        t.push_back(sending(50, "setPasswordInformation", [](cDeviceLib& l) {
            uint8_t force = 0, required = 0;
            int32_t age = 180, reuse = 10;
            return l.setPasswordInformation(0, &force, &age, &reuse, &required);
        }, {kTransport, kSpStatus}).writing(Partial::kEveryItem,
                           "the four policy items are independent settings, each written whatever the outcome of "
                           "the one before"));
        t.push_back(sending(51, "getNetworkPort", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.getNetworkPort(0, 1, &v);
        }, {ERR_BAD_ANSWER, kTransport, kSpStatus}));
        // The restart after the accepted write is not examined.
        t.push_back(sending(52, "setNetworkPort", [](cDeviceLib& l) { return l.setNetworkPort(0, 1, 8080); },
                            {ERR_SUCCESS, kTransport, kSpStatus})
                        .writing(Partial::kEarlierItems,
                                 "the port is written first; when the restart after it fails, the new port waits "
                                 "for the next restart"));
        t.push_back(sending(53, "getLoginPolicyValue", [](cDeviceLib& l) {
            int32_t v = 0;
            return l.getLoginPolicyValue(0, &v);
        }, {ERR_BAD_ANSWER, kTransport, kSpStatus}));
        t.push_back(sending(54, "setLoginPolicyValue", [](cDeviceLib& l) { return l.setLoginPolicyValue(0, 7); },
                            {kTransport, kSpStatus}).writing());
        // The SMTP switch reads 0 when its read fails, without changing the result.
        t.push_back(sending(55, "getRemoteAlertConfiguration", [](cDeviceLib& l) {
            int32_t a = 0, b = 0, c = 0, d = 0;
            uint8_t smtp = 0;
            return l.getRemoteAlertConfiguration(0, &a, &b, &c, &d, &smtp);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(56, "getSMTPConfiguration", [](cDeviceLib& l) {
            char server[64] = {};
            uint32_t size = 0;
            return l.getSMTPConfiguration(0, 0, server, &size);
        }, {ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(57, "getSNMPConfiguration", [](cDeviceLib& l) {
            char a[48] = {}, b[48] = {};
            int32_t sa = 0, sb = 0, available = 0, set = 0;
            return l.getSNMPConfiguration(0, a, &sa, b, &sb, &available, &set);
        }, {ERR_BAD_ANSWER, kTransport}));
        // An access type the SP answers wrongly reads as the 238 marker, result 0.
        t.push_back(sending(58, "getSNMPCommunityConfiguration", [](cDeviceLib& l) {
            char name[16] = {};
            int32_t size = 0, access = 0;
            return l.getSNMPCommunityConfiguration(0, 0, name, &size, &access);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(59, "getSNMPCommunityIP", [](cDeviceLib& l) {
            char address[64] = {};
            int32_t size = 0;
            return l.getSNMPCommunityIP(0, 0, 0, address, &size);
        }, {ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(60, "setRemoteAlertConfiguration", [](cDeviceLib& l) {
            int32_t a = 5, b = 6, c = 7;
            uint8_t alerts = 0, smtp = 0;
            return l.setRemoteAlertConfiguration(0, &a, &b, &c, &alerts, &smtp);
        }, {ERR_BAD_ANSWER, kTransport}).writing(Partial::kEarlierItems,
                                                 "five separate items of the SP, written in argument order"));
        t.push_back(sending(61, "setSMTPConfiguration", [](cDeviceLib& l) {
            return l.setSMTPConfiguration(0, 0, "relay.dc1.example.net");
        }, {ERR_BAD_ANSWER, kTransport}).writing());
        t.push_back(sending(62, "setSNMPConfiguration", [](cDeviceLib& l) {
            const uint8_t changed = 5, set = 0;
            return l.setSNMPConfiguration(0, "Rack 15, row C", "dc2-r15-node0", &changed, &set);
        }, {ERR_BAD_ANSWER, kTransport}).writing(Partial::kEveryItem,
                           "two switches and two texts, separate items of the SP, each written whatever the outcome "
                           "of the one before"));
        t.push_back(sending(63, "setSNMPCommunityConfiguration", [](cDeviceLib& l) {
            const uint8_t access = 3;
            return l.setSNMPCommunityConfiguration(0, 1, "ops-write2", &access);
        }, {ERR_BAD_ANSWER, kTransport}).writing(Partial::kEveryItem,
                           "the community name and its access type are separate items, each written whatever the "
                           "outcome of the other"));
        t.push_back(sending(64, "setSNMPCommunityIP", [](cDeviceLib& l) {
            return l.setSNMPCommunityIP(0, 1, 1, "10.20.0.41");
        }, {ERR_BAD_ANSWER, kTransport}).writing());
        // The alert type reads 240 when its read fails the check, result 0.
        t.push_back(sending(65, "getOOBAlertConfiguration", [](cDeviceLib& l) {
            char description[64] = {}, destination[49] = {}, host[63] = {}, user[63] = {};
            int32_t type = 0, ds = 0, dd = 0, hs = 0, us = 0, ps = 0, available = 0, set = 0;
            return l.getOOBAlertConfiguration(0, 2, &type, description, &ds, destination, &dd, host, &hs, user, &us,
                                              &ps, &available, &set);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(66, "setOOBAlertConfiguration", [](cDeviceLib& l) {
            int32_t type = 4;
            const int32_t changed = 1, set = 1;
            return l.setOOBAlertConfiguration(0, 2, &type, "Dial-up backup", "5550188", "relay", "spdial2", "dl5593",
                                              &changed, &set);
        }, {ERR_BAD_ANSWER, kTransport}).writing(Partial::kEveryItem,
                           "the recipient's connection type, flags and texts are separate items of the SP, each "
                           "written whatever the outcome of the one before"));
        // Once built, the lists stay: each run starts from a new open.
        t.push_back(sending(67, "initEvents", [](cDeviceLib& l) { return l.initEvents(); },
                            {ERR_BAD_ANSWER, kTransport}).freshOpen());
        auto events = [](cDeviceLib& l) { return l.initEvents(); };
        t.push_back(sending(68, "getEventConfiguration", [](cDeviceLib& l) {
            int32_t type = 0, size = 0;
            char description[64] = {};
            uint8_t enabled = 0;
            return l.getEventConfiguration(0, 1, &type, description, &size, &enabled);
        }, {ERR_BAD_ANSWER, kTransport}).after(events));
        t.push_back(sending(69, "getEventConfiguration(enable)", [](cDeviceLib& l) {
            uint8_t enable = 0;
            return l.getEventConfiguration(0, 1, &enable);
        }, {ERR_BAD_ANSWER, kTransport}).after(events).writing());
        // A status read that fails in transport leaves status 0 and goes on; the authority falls back
        // to the flags.
        t.push_back(sending(70, "getUserAccount", [](cDeviceLib& l) {
            int32_t status = 0, authority = 0, ds = 0, bitmap = 0, bs = 0, us = 0, ps = 0;
            char description[14] = {}, user[16] = {};
            return l.getUserAccount(0, 2, &status, &authority, description, &ds, &bitmap, &bs, user, &us, &ps);
        }, {ERR_SUCCESS, ERR_BAD_ANSWER, kTransport}));
        t.push_back(sending(71, "setUserAccount", [](cDeviceLib& l) {
            int32_t status = yat::kAccountInUse, authority = yat::kAccountReadOnly;
            return l.setUserAccount(0, 1, &status, &authority, nullptr, "operator2", "op-3302");
        }, {ERR_INVALID_PARAMETER, kTransport}).writing(Partial::kEveryItem,
                            "authority, user ID and password are separate items of the SP, each written whatever "
                            "the outcome of the one before; a refused read the authority is built from ends it"));
        return t;
    }();
    return table;
}
// clang-format on

// The simulator's settings: what the write operations change.
struct Settings {
    std::vector<yatsim::NetworkSection> network;
    std::vector<yatsim::SnmpSection> snmp;
    std::vector<yatsim::AccountsSection> accounts;
    std::vector<std::map<std::pair<uint8_t, uint8_t>, bool>> enabled;
    std::vector<std::vector<yatsim::Bytes>> log;
    std::vector<uint8_t> locator;

    bool operator==(const Settings&) const = default;

    // The names of the parts that differ from other.
    std::string differences(const Settings& other) const {
        std::string text;
        auto note = [&](bool same, const char* part) {
            if (!same) text += std::string(text.empty() ? "" : ", ") + part;
        };
        note(network == other.network, "network");
        note(snmp == other.snmp, "snmp");
        note(accounts == other.accounts, "accounts");
        note(enabled == other.enabled, "event enable states");
        note(log == other.log, "event log");
        note(locator == other.locator, "locator light");
        return text;
    }
};

struct Outcome {
    int32_t result = 0;
    std::vector<SimBusComm::RecordedRequest> requests;
};

bool isWrite(const SimBusComm::RecordedRequest& request) { return request.type == wire::kSet; }

std::string describe(const SimBusComm::RecordedRequest& request) {
    return request.command + (isWrite(request) ? " (set)" : "");
}

std::vector<std::string> commands(const Outcome& run) {
    std::vector<std::string> list;
    for (const auto& request : run.requests) list.push_back(describe(request));
    return list;
}

const char* kindName(FaultKind kind) {
    switch (kind) {
        case FaultKind::kTransport: return "Transport";
        case FaultKind::kStatus: return "Refused";
        case FaultKind::kTruncated: return "Truncated";
        default: return "Other";
    }
}

class FailureSweep : public ::testing::TestWithParam<std::tuple<size_t, FaultKind>> {
protected:
    void SetUp() override {
        settings.change([&](RuntimeSettings& s) {
            s.rootDir = root.path() + "/";
            s.stdoutMode = StdoutMode::Off;
            s.logEnabled = false;  // thousands of runs: the log would only slow them down
        });
        yatsim::writeLedRegistry(comm.scenario(), root.path());
        for (uint32_t node = 0; node < comm.getNodeCount(); ++node) {
            initial.push_back(comm.withNode(node, [](NodeState& state) { return state; }));
        }
    }
    void TearDown() override {
        if (lib != nullptr) close();
    }

    void open() {
        ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
        if (op().prepare) op().prepare(*lib);
    }
    void close() {
        closeLibrary();
        lib = nullptr;
    }
    void reopen() {
        close();
        open();
    }

    // Puts every node back as the scenario has it.
    void restore() {
        for (uint32_t node = 0; node < initial.size(); ++node) {
            comm.withNode(node, [&](NodeState& state) { state = initial[node]; });
        }
    }

    Settings snapshot() {
        Settings s;
        for (uint32_t node = 0; node < initial.size(); ++node) {
            comm.withNode(node, [&](NodeState& state) {
                s.network.push_back(state.section<yatsim::NetworkSection>());
                s.snmp.push_back(state.section<yatsim::SnmpSection>());
                s.accounts.push_back(state.section<yatsim::AccountsSection>());
                s.enabled.push_back(state.section<yatsim::AlertsSection>().enabled);
                s.log.push_back(state.section<yatsim::EventLogSection>().entries);
                s.locator.push_back(state.section<yatsim::LedsSection>().locator);
            });
        }
        return s;
    }

    Outcome run() {
        comm.clearHistory();
        Outcome r;
        r.result = op().call(*lib);
        r.requests = comm.history();
        return r;
    }

    FaultRule fault(std::optional<uint64_t> nth) const {
        FaultRule rule;
        rule.kind = kind();
        if (kind() == FaultKind::kTransport) rule.value = kTransportCode;
        if (kind() == FaultKind::kStatus) rule.value = static_cast<uint32_t>(statusByte(kRefusedStatus));
        if (nth) rule.nth = {*nth};
        return rule;
    }

    const Operation& op() const { return operations()[std::get<0>(GetParam())]; }
    FaultKind kind() const { return std::get<1>(GetParam()); }
    // True when the faulted request never reached the SP's command handler.
    bool faultStopsTheCommand() const { return kind() != FaultKind::kTruncated; }

    void sweepSilent();
    void sweepThreaded();
    void sweepSends();
    void checkFaultedRun(const Outcome& clean, const Settings& cleanAfter, const Settings& before, size_t k,
                         const Outcome& faulted, const Settings& after);

    yattest::SettingsScope settings;
    yattest::LogCapture log;
    yattest::TempDir root;
    SimBusComm comm;
    std::vector<NodeState> initial;
    cLibYAT* lib = nullptr;
};

void FailureSweep::sweepSilent() {
    open();
    Outcome clean = run();
    EXPECT_TRUE(clean.requests.empty()) << commands(clean).front();
    comm.addFault(fault(std::nullopt));  // every request would fail
    Outcome faulted = run();
    EXPECT_EQ(faulted.result, clean.result);
    EXPECT_TRUE(faulted.requests.empty());
}

void FailureSweep::sweepThreaded() {
    // Monitoring over an SP whose every request fails: the threads meet the faults, stopping still
    // works, and monitoring starts again once the SP answers.
    open();
    comm.addFault(fault(std::nullopt));
    comm.clearHistory();
    // Registration is the operation itself, or (for deregistration) part of its preparation.
    const bool registers = op().slot == 10;
    if (registers) {
        EXPECT_EQ(op().call(*lib), ERR_SUCCESS);
    }
    // The polling thread sends on its own; wait (bounded) until it has met a fault.
    for (int i = 0; i < 5000 && comm.history().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(comm.history().empty()) << "the monitoring threads sent nothing";
    if (registers) {
        lib->deRegisterForAsynchEvents();
    } else {
        EXPECT_EQ(op().call(*lib), 0);
    }
    comm.clearFaults();
    EXPECT_EQ(lib->registerForAsynchEvents(&sink()), ERR_SUCCESS);
    lib->deRegisterForAsynchEvents();
}

void FailureSweep::checkFaultedRun(const Outcome& clean, const Settings& cleanAfter, const Settings& before, size_t k,
                                   const Outcome& faulted, const Settings& after) {
    const Operation& o = op();
    // A short answer may still be a whole one (a text cut in half is a shorter text; a write's answer
    // has no data to cut), so it may also succeed.
    const std::vector<int32_t>& allowed = o.allowed;
    bool resultAllowed = std::find(allowed.begin(), allowed.end(), faulted.result) != allowed.end() ||
                         (kind() == FaultKind::kTruncated && faulted.result == ERR_SUCCESS);
    EXPECT_TRUE(resultAllowed) << "result " << named(faulted.result);

    // The requests up to the faulted one are those of the clean run.
    ASSERT_GE(faulted.requests.size(), k) << "the faulted request was never sent";
    for (size_t i = 0; i < k; ++i) {
        EXPECT_EQ(describe(faulted.requests[i]), describe(clean.requests[i])) << "request " << i + 1;
    }

    // Nothing is written that a clean run would not write.
    for (const auto& request : faulted.requests) {
        if (!isWrite(request)) continue;
        bool known = std::any_of(clean.requests.begin(), clean.requests.end(), [&](const auto& c) {
            return isWrite(c) && c.command == request.command && c.data == request.data && c.node == request.node;
        });
        EXPECT_TRUE(known) << "a write the clean run does not make: " << request.command;
    }

    // Which writes reached the SP's handlers.
    size_t reached = 0;
    bool writeAfterFault = false;
    for (size_t i = 0; i < faulted.requests.size(); ++i) {
        if (!isWrite(faulted.requests[i])) continue;
        if (i == k - 1 && faultStopsTheCommand()) continue;
        ++reached;
        if (i >= k) writeAfterFault = true;
    }
    if (reached == 0) {
        EXPECT_EQ(after, before) << "changed without a write: " << after.differences(before);
    }
    if (!o.writes) {
        EXPECT_EQ(after, before) << "a read changed settings: " << after.differences(before);
        return;
    }
    switch (o.partial) {
        case Partial::kNone:
            EXPECT_TRUE(after == before || after == cleanAfter)
                << "partly written: " << after.differences(before) << " / " << after.differences(cleanAfter);
            break;
        case Partial::kEarlierItems:
            if (faultStopsTheCommand() && faulted.result != ERR_SUCCESS) {
                EXPECT_FALSE(writeAfterFault) << "wrote on after the failure";
            }
            break;
        case Partial::kEveryItem: break;
    }
}

void FailureSweep::sweepSends() {
    const Operation& o = op();
    open();
    restore();
    Settings before = snapshot();
    Outcome clean = run();
    Settings cleanAfter = snapshot();
    ASSERT_EQ(clean.result, o.cleanResult);
    ASSERT_FALSE(clean.requests.empty()) << "sends nothing: list it as such";
    RecordProperty("requests", static_cast<int>(clean.requests.size()));
    EXPECT_EQ(cleanAfter != before, o.writes) << cleanAfter.differences(before);

    for (size_t k = 1; k <= clean.requests.size(); ++k) {
        SCOPED_TRACE("request " + std::to_string(k) + " of " + std::to_string(clean.requests.size()) + ": " +
                     describe(clean.requests[k - 1]) + (o.why.empty() ? "" : "; partial: " + o.why));
        if (o.fresh) reopen();
        restore();
        comm.addFault(fault(k));
        Outcome faulted = run();
        comm.clearFaults();
        Settings after = snapshot();
        checkFaultedRun(clean, cleanAfter, before, k, faulted, after);

        // Usable afterwards: the same operation without faults does what the clean run did.
        restore();
        Outcome again = run();
        EXPECT_EQ(again.result, clean.result) << "after the fault";
        // What a fresh open finds once stays found: after a run that succeeded nothing is sent again.
        if (!o.fresh || faulted.result != ERR_SUCCESS) {
            EXPECT_EQ(commands(again), commands(clean)) << "after the fault (result " << faulted.result << ")";
        }
        if (HasFatalFailure()) return;
    }

    // Every request failing at once: still a result the header lists.
    SCOPED_TRACE("every request failing");
    if (o.fresh) reopen();
    restore();
    comm.addFault(fault(std::nullopt));
    Outcome failing = run();
    comm.clearFaults();
    bool listed = std::find(o.allowed.begin(), o.allowed.end(), failing.result) != o.allowed.end() ||
                  (kind() == FaultKind::kTruncated && failing.result == ERR_SUCCESS);
    EXPECT_TRUE(listed) << "result " << named(failing.result);
}

TEST_P(FailureSweep, EveryRequestInTurn) {
    switch (op().sends) {
        case Sends::kNothing: return sweepSilent();
        case Sends::kOnItsThreads: return sweepThreaded();
        case Sends::kCommands: return sweepSends();
    }
}

std::vector<size_t> rows() {
    std::vector<size_t> indices(operations().size());
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = i;
    return indices;
}

INSTANTIATE_TEST_SUITE_P(Interface, FailureSweep,
                         ::testing::Combine(::testing::ValuesIn(rows()),
                                            ::testing::Values(FaultKind::kTransport, FaultKind::kStatus,
                                                              FaultKind::kTruncated)),
                         [](const ::testing::TestParamInfo<FailureSweep::ParamType>& info) {
                             const Operation& o = operations()[std::get<0>(info.param)];
                             std::string name = "s" + std::to_string(o.slot) + "_";
                             for (char c : o.name) {
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             }
                             return name + "_" + kindName(std::get<1>(info.param));
                         });

// The table holds each of the 72 operations once, in slot order.
TEST(FailureSweepTable, CoversEveryOperationOfTheInterface) {
    const std::vector<Operation>& table = operations();
    ASSERT_EQ(table.size(), 72u);
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].slot, static_cast<int>(i)) << table[i].name;
        EXPECT_TRUE(table[i].call) << table[i].name;
        if (table[i].sends == Sends::kCommands) {
            EXPECT_FALSE(table[i].allowed.empty()) << table[i].name;
        }
        if (table[i].partial != Partial::kNone) {
            EXPECT_FALSE(table[i].why.empty()) << table[i].name;
        }
    }
}

}  // namespace
