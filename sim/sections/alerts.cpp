#include "sim/sections/alerts.h"

#include <algorithm>

#include "events/event_config_wire.h"

namespace yatsim {

namespace {

constexpr uint8_t kRangeFlag = 0x80;
constexpr size_t kMaxElements = 64;
constexpr size_t kMaxCodeGroups = 64;
constexpr size_t kMaxCodesPerGroup = 256;
constexpr size_t kMaxActiveCodes = 1024;

uint32_t codeField(const Field& field) { return static_cast<uint32_t>(field.integer(0, UINT32_MAX)); }

std::vector<uint32_t> codeList(const Field& list, size_t max) {
    if (list.size() > max) list.fail("expected at most " + std::to_string(max) + " codes");
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < list.size(); ++i) codes.push_back(codeField(list.at(i)));
    return codes;
}

void loadElements(const Field& list, AlertsSection& alerts) {
    if (list.size() > kMaxElements) list.fail("expected at most 64 elements");
    for (size_t i = 0; i < list.size(); ++i) {
        Field entry = list.at(i);
        entry.expectObject({"group", "upTo", "number"});
        SimAlertElement element;
        element.group = static_cast<uint8_t>(entry["group"].integer(1, 4));
        if (entry["upTo"].present() == entry["number"].present()) entry.fail("expected either upTo or number");
        element.range = entry["upTo"].present();
        element.last =
            static_cast<uint8_t>(element.range ? entry["upTo"].integer(0, 255) : entry["number"].integer(0, 255));
        alerts.elements.push_back(element);
        int first = element.range ? 1 : element.last;
        for (int number = first; number <= element.last; ++number) {
            alerts.enabled[{element.group, static_cast<uint8_t>(number)}] = true;
        }
    }
}

}  // namespace

std::vector<std::vector<uint32_t>> defaultAvailableCodeGroups() {
    return {
        {eventwire::kCpuHotCodeBase + 1, eventwire::kCpuHotCodeBase + 2, eventwire::kCpuHotCodeBase + 3,
         eventwire::kCpuHotCodeBase + 4, eventwire::kHealthCode113, eventwire::kHealthCode107},
        {0x05100001, eventwire::kMemoryPfaCode, 0x06014000},
    };
}

Bytes AlertsSection::supportedElements() const {
    Bytes list;
    for (const SimAlertElement& element : elements) {
        uint8_t flag = element.range ? kRangeFlag : 0;
        if (element.group == eventwire::kLocalGroup) {
            list.insert(list.end(), {static_cast<uint8_t>(eventwire::kLocalEventLength | flag),
                                     eventwire::kLocalEventPrefix[0], eventwire::kLocalEventPrefix[1], element.last});
        } else {
            list.insert(list.end(),
                        {static_cast<uint8_t>(eventwire::kRemoteAlertLength | flag), eventwire::kRemoteAlertPrefix[0],
                         eventwire::kRemoteAlertPrefix[1], element.group, element.last});
        }
    }
    return list;
}

bool AlertsSection::supports(uint8_t group, uint8_t number) const {
    return std::any_of(elements.begin(), elements.end(), [&](const SimAlertElement& element) {
        return element.group == group && number >= (element.range ? 1 : element.last) && number <= element.last;
    });
}

void AlertsSection::load(const Field& field, NodeState& node) {
    field.expectObject({"supported", "disabled", "availableCodes", "activeCodes"});
    AlertsSection alerts;
    loadElements(field["supported"], alerts);

    Field disabled = field["disabled"];
    for (size_t i = 0; i < disabled.size(); ++i) {
        Field entry = disabled.at(i);
        entry.expectObject({"group", "number"});
        auto group = static_cast<uint8_t>(entry["group"].integer(1, 4));
        auto number = static_cast<uint8_t>(entry["number"].integer(0, 255));
        if (!alerts.supports(group, number)) entry.fail("expected a group and number that \"supported\" covers");
        alerts.enabled[{group, number}] = false;
    }

    Field groups = field["availableCodes"];
    if (groups.present()) {
        if (groups.size() > kMaxCodeGroups) groups.fail("expected at most 64 groups of codes");
        for (size_t i = 0; i < groups.size(); ++i)
            alerts.availableGroups.push_back(codeList(groups.at(i), kMaxCodesPerGroup));
    } else {
        alerts.availableGroups = defaultAvailableCodeGroups();
    }
    alerts.activeCodes = codeList(field["activeCodes"], kMaxActiveCodes);
    node.install(alerts);
}

bool addActiveCode(NodeState& node, uint32_t code) {
    std::vector<uint32_t>& codes = node.section<AlertsSection>().activeCodes;
    if (std::find(codes.begin(), codes.end(), code) != codes.end() || codes.size() >= kMaxActiveCodes) return false;
    codes.push_back(code);
    return true;
}

bool removeActiveCode(NodeState& node, uint32_t code) {
    std::vector<uint32_t>& codes = node.section<AlertsSection>().activeCodes;
    auto found = std::find(codes.begin(), codes.end(), code);
    if (found == codes.end()) return false;
    codes.erase(found);
    return true;
}

}  // namespace yatsim
