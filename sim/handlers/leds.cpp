// The LED family: the locator light "d.7" and the passthru requests of the LED panel's commands (every
// other "d..." command the node's panel names). A passthru request is answered by the device it
// addresses, told apart by its data (leds/led_wire.h):
//   I2C (get, 6 bytes): the byte at the register address, from the group of that bus, device type
//   and register;
//   DMC (set, 4 bytes), H8 (set, 3 bytes), IPMI (set, 2 bytes): every byte of the device up to its
//   highest register address, IPMI with the completion code 0 first.
// A request for a device the command does not have answers status 2; a malformed one status 1.

#include <algorithm>

#include "leds/led_wire.h"
#include "sim/handlers/handlers.h"
#include "sim/sections/leds.h"
#include "yat/led_records.h"

namespace yatsim {

namespace {

// The matching groups' bytes from offset `first` up to the highest register address.
Answer deviceBytes(const std::vector<const SimLedGroup*>& groups, size_t first) {
    if (groups.empty()) return Answer::failure(spstatus::kNotPresent);
    uint32_t highest = 0;
    for (const SimLedGroup* group : groups) {
        for (const SimLed& led : group->leds) highest = std::max(highest, led.regaddr);
    }
    Bytes data(std::max<size_t>(first, highest + 1), 0);
    for (const SimLedGroup* group : groups) {
        for (const SimLed& led : group->leds) {
            if (led.regaddr >= first) data[led.regaddr] = group->byteAt(led.regaddr);
        }
    }
    return Answer::ok(std::move(data));
}

Answer passthru(const SimLedCommand& command, const Request& request) {
    const Bytes& d = request.data;
    std::vector<const SimLedGroup*> groups;
    auto collect = [&](auto matches) {
        for (const SimLedGroup& group : command.groups) {
            if (matches(group)) groups.push_back(&group);
        }
    };
    using namespace ledwire;
    if (request.type == wire::kGet && d.size() == static_cast<size_t>(kI2CLength) &&
        d[kI2CReadCount] == kI2CReadCountValue) {
        uint32_t deviceType = d[kI2CDeviceTypeLow] | (static_cast<uint32_t>(d[kI2CDeviceTypeHigh]) << 8);
        collect([&](const SimLedGroup& g) {
            return g.busType == kGlintBusI2C && g.bus == d[kI2CBus] && g.deviceType == deviceType &&
                   g.reg == d[kI2CRegister];
        });
        if (groups.empty()) return Answer::failure(spstatus::kNotPresent);
        uint8_t value = 0;
        for (const SimLedGroup* group : groups) value = static_cast<uint8_t>(value | group->byteAt(d[kI2CRegAddr]));
        return Answer::ok({value});
    }
    if (request.type != wire::kSet) return Answer::failure(spstatus::kInvalidRequest);
    if (d.size() == static_cast<size_t>(kDMCLength) && d[kDMCFunction] == kReadFunction &&
        d[kDMCCheck] == checkByte(d[kDMCRegister])) {
        collect([&](const SimLedGroup& g) {
            return g.busType == kGlintBusDMC && g.bus == d[kDMCBus] && g.reg == d[kDMCRegister];
        });
        return deviceBytes(groups, 0);
    }
    if (d.size() == static_cast<size_t>(kH8Length) && d[kH8Function] == kReadFunction &&
        d[kH8Check] == checkByte(d[kH8Register])) {
        collect([&](const SimLedGroup& g) { return g.busType == kGlintBusH8 && g.reg == d[kH8Register]; });
        return deviceBytes(groups, 0);
    }
    if (d.size() == static_cast<size_t>(kIPMILength) && d[kIPMINetFn] == kIPMINetFnValue &&
        d[kIPMICommand] == kIPMICommandValue) {
        collect([&](const SimLedGroup& g) { return g.busType == kGlintBusIPMI; });
        Answer answer = deviceBytes(groups, kIPMICompletionCode + 1);
        if (answer.status == spstatus::kOk) answer.data[kIPMICompletionCode] = 0;
        return answer;
    }
    return Answer::failure(spstatus::kInvalidRequest);
}

}  // namespace

void registerLedHandlers(HandlerTable& table) {
    table.add(ledwire::kBlueLightCommand, [](NodeState& node, const Request& request) {
        LedsSection& leds = node.section<LedsSection>();
        return answers::readWrite(
            request, [&] { return Answer::ok({leds.locator}); }, 1,
            [&](const Bytes& data) {
                leds.locator = data[0];
                return Answer::ok();
            });
    });
    table.addFamily("d", [](NodeState& node, const Request& request) {
        const std::string dotted = request.dotted();
        for (const SimLedCommand& command : node.section<LedsSection>().commands) {
            if (command.dotCommand == dotted) return passthru(command, request);
        }
        return Answer::failure(spstatus::kUnknownCommand);
    });
}

}  // namespace yatsim
