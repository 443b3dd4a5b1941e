// The alert family: enable states of the remote alerts ("4.2.1.x", "4.2.2.x", "4.2.3.x") and local
// events ("5.2.x"), the available event codes "2.7.3" and the active event codes "2.7.4".

#include <algorithm>

#include "events/event_config_wire.h"
#include "sim/handlers/handlers.h"
#include "sim/sections/alerts.h"

namespace yatsim {

namespace {

Bytes codeData(std::vector<uint32_t>::const_iterator first, std::vector<uint32_t>::const_iterator last) {
    Bytes data;
    for (auto it = first; it != last; ++it) eventwire::appendCode(data, *it);
    return data;
}

Answer endOfCodes() { return Answer::failure(eventwire::kCodesEndStatus); }

// The enable state of (group, number): a get answers one byte, a set of one byte stores it. Numbers
// no element covers answer "not present", except that local-event sets are kept for any number.
Answer enableState(AlertsSection& alerts, const Request& request, uint8_t group, uint8_t number) {
    auto key = std::make_pair(group, number);
    bool known = alerts.supports(group, number) || alerts.enabled.count(key) != 0;
    bool anySet = group == eventwire::kLocalGroup;
    return answers::readWrite(
        request,
        [&] {
            return known ? Answer::ok({static_cast<uint8_t>(alerts.enabled[key] ? 1 : 0)})
                         : Answer::failure(spstatus::kNotPresent);
        },
        1,
        [&](const Bytes& data) {
            if (!known && !anySet) return Answer::failure(spstatus::kNotPresent);
            alerts.enabled[key] = data[0] != 0;
            return Answer::ok();
        });
}

// A get answers the first group, each get next the next one; past the last, status 7.
template <class GroupAt>
Answer codeList(const Request& request, size_t& next, size_t groupCount, GroupAt groupAt) {
    if (!request.data.empty()) return Answer::failure(spstatus::kInvalidRequest);
    if (request.type == wire::kGet) {
        next = 0;
    } else if (request.type != wire::kGetNext) {
        return Answer::failure(spstatus::kInvalidRequest);
    }
    if (next >= groupCount) return endOfCodes();
    return Answer::ok(groupAt(next++));
}

}  // namespace

void registerAlertHandlers(HandlerTable& table) {
    for (uint8_t group = eventwire::kFirstGroup; group < eventwire::kLocalGroup; ++group) {
        std::string prefix = "4.2." + std::to_string(group);
        table.addFamily(prefix, [group](NodeState& node, const Request& request) {
            if (request.command.size() != 4) return Answer::failure(spstatus::kUnknownCommand);
            return enableState(node.section<AlertsSection>(), request, group, request.command[3]);
        });
    }
    table.addFamily("5.2", [](NodeState& node, const Request& request) {
        if (request.command.size() != 3) return Answer::failure(spstatus::kUnknownCommand);
        return enableState(node.section<AlertsSection>(), request, eventwire::kLocalGroup, request.command[2]);
    });
    table.add(eventwire::kAvailableCodesCommand, [](NodeState& node, const Request& request) {
        AlertsSection& alerts = node.section<AlertsSection>();
        return codeList(request, alerts.availableNext, alerts.availableGroups.size(), [&](size_t i) {
            return codeData(alerts.availableGroups[i].begin(), alerts.availableGroups[i].end());
        });
    });
    table.add(eventwire::kActiveCodesCommand, [](NodeState& node, const Request& request) {
        AlertsSection& alerts = node.section<AlertsSection>();
        const std::vector<uint32_t>& codes = alerts.activeCodes;
        size_t per = AlertsSection::kActiveCodesPerGroup;
        return codeList(request, alerts.activeNext, (codes.size() + per - 1) / per, [&](size_t i) {
            return codeData(codes.begin() + static_cast<std::ptrdiff_t>(i * per),
                            codes.begin() + static_cast<std::ptrdiff_t>(std::min(codes.size(), (i + 1) * per)));
        });
    });
}

}  // namespace yatsim
