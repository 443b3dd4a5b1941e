// Event configuration lists, the enable-state operations and the system-health value.

#include "events/event_configuration.h"

#include <algorithm>

#include "events/alert_table.h"
#include "events/event_config_wire.h"
#include "events/system_health.h"
#include "platform/log.h"
#include "sensors/sensor_wire.h"
#include "sensors/supported_commands.h"
#include "yat/bus_comm.h"
#include "yat/result_codes.h"
#include "events/log_texts.h"

namespace {

constexpr const char* kInitTag = events_texts::kTagCLibYATInitEvents;
constexpr const char* kConfigTag = events_texts::kTagCLibYATGetEventConfiguration;

// The group an element enables rows of, or 0 when it is no alert or local-event element.
int32_t elementGroup(const SupportedCommandEntry& entry) {
    if (entry.length == eventwire::kRemoteAlertLength && entry.at(1) == eventwire::kRemoteAlertPrefix[0] &&
        entry.at(2) == eventwire::kRemoteAlertPrefix[1]) {
        uint8_t group = entry.at(eventwire::kElementGroupOffset);
        return group >= eventwire::kFirstGroup && group < eventwire::kLocalGroup ? group : 0;
    }
    if (entry.length == eventwire::kLocalEventLength && entry.at(1) == eventwire::kLocalEventPrefix[0] &&
        entry.at(2) == eventwire::kLocalEventPrefix[1]) {
        return eventwire::kLocalGroup;
    }
    return 0;
}

}  // namespace

std::vector<int32_t> supportedEventRows(const uint8_t* data, size_t length) {
    std::vector<int32_t> rows;
    SupportedCommandWalk walk(data, length);
    SupportedCommandEntry entry;
    while (walk.next(&entry)) {
        int32_t group = elementGroup(entry);
        if (group == 0) continue;
        // int bounds: a last number of 255 ends the loop without wrapping. A single number 255
        // names no row and adds nothing.
        for (int32_t number = entry.firstCovered(); number <= entry.lastCovered(); ++number) {
            if (number == 0xFF && !entry.range) break;
            if (auto row = findAlertRow(group, number)) rows.push_back(*row);
        }
    }
    return rows;
}

int32_t EventConfiguration::initEvents() {
    yatLog(kInitTag, events_texts::kInInitEvents);
    if (comm_ == nullptr) {
        yatLog(kInitTag, events_texts::kDeviceNotOpen);
        return ERR_DEVICE_NOT_OPEN;
    }
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!lists_.empty()) {
            yatLog(kInitTag, events_texts::kAlreadyInitialized);
            return ERR_SUCCESS;
        }
    }

    std::vector<std::vector<cEventConfig>> lists;
    for (uint32_t node = 0; node < comm_->getNodeCount(); ++node) {
        cSPCmd supported;
        supported.buildSPCommand(sensorwire::kSupportedCommandsCommand, wire::kGet, nullptr, nullptr, 0, 0);
        int32_t sent = supported.send(comm_, static_cast<int32_t>(node));
        if (sent != ERR_SUCCESS) {
            yatLog(kInitTag, events_texts::kReadingTheSupportedCommandsOfNode, node, sent);
            return sent;
        }
        if (!supportedCommandsAnswerOk(supported)) {
            yatLog(kInitTag, events_texts::kTheSupportedCommandsAnswerOfNode, node);
            return ERR_BAD_ANSWER;
        }
        ByteReader data = supported.answerReader();
        std::vector<int32_t> rows = supportedEventRows(data.data(), data.size());
        // Every node walked gets its list, empty when none of its elements names a table row.
        if (lists.size() < node + 1) lists.resize(node + 1);
        std::sort(rows.begin(), rows.end());
        for (int32_t row : rows) lists[node].emplace_back(row);
        yatLog(kInitTag, events_texts::kNodeSupportsAlertsAndEvents, node, static_cast<int32_t>(rows.size()));
    }

    std::lock_guard<std::mutex> guard(mutex_);
    if (lists_.empty()) lists_ = std::move(lists);
    return ERR_SUCCESS;
}

int32_t EventConfiguration::entryPosition(uint32_t node, uint32_t instance, int32_t* position) const {
    if (comm_ == nullptr) {
        yatLog(kConfigTag, events_texts::kDeviceNotOpen);
        return ERR_DEVICE_NOT_OPEN;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    if (node >= lists_.size()) {
        yatLog(kConfigTag, events_texts::kInvalidNode);
        return ERR_NO_DEVICE;
    }
    const std::vector<cEventConfig>& list = lists_[node];
    if (instance >= list.size()) {
        yatLog(kConfigTag, events_texts::kInvalidEventInstance);
        return ERR_INVALID_INDEX;
    }
    *position = list[instance].position();
    return ERR_SUCCESS;
}

int32_t EventConfiguration::getEventConfiguration(uint32_t node, uint32_t instance, int32_t* type, char* description,
                                                  int32_t* descriptionSize, uint8_t* enabled) {
    int32_t position = -1;
    int32_t result = entryPosition(node, instance, &position);
    if (result != ERR_SUCCESS) return result;
    // A copy of the entry: the SP read below runs without the lists' lock.
    cEventConfig entry(position);
    if (type != nullptr && (result = entry.getType(type)) != ERR_SUCCESS) return result;
    if (description != nullptr && (result = entry.getDescription(description)) != ERR_SUCCESS) return result;
    if (descriptionSize != nullptr && (result = entry.getDescMaxSize(descriptionSize)) != ERR_SUCCESS) return result;
    if (enabled != nullptr) return entry.getEnabled(comm_, static_cast<int32_t>(node), enabled);
    return ERR_SUCCESS;
}

int32_t EventConfiguration::getEventConfiguration(uint32_t node, uint32_t instance, uint8_t* enable) {
    int32_t position = -1;
    int32_t result = entryPosition(node, instance, &position);
    if (result != ERR_SUCCESS || enable == nullptr) return result;
    cEventConfig entry(position);
    return entry.setEnabled(comm_, static_cast<int32_t>(node), *enable);
}

int32_t EventConfiguration::checkSystemHealth(int32_t node, int32_t* health, int32_t healthFor113,
                                              int32_t healthFor107) {
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    if (health == nullptr) {
        yatLog(events_texts::kTagCLibYATCheckSystemHealth, events_texts::kInvalidParameter);
        return ERR_INVALID_PARAMETER;
    }
    *health = 0;
    bool active113 = false;
    bool active107 = false;
    cSystemHealth codes;
    // A list that could not be read says nothing about health: the first failed read is the result.
    int32_t result = codes.getActiveEvents(comm_, node, eventwire::kHealthCode113, &active113);
    if (result == ERR_SUCCESS) result = codes.getActiveEvents(comm_, node, eventwire::kHealthCode107, &active107);
    if (result != ERR_SUCCESS) return result;
    if (active113) *health = healthFor113;
    if (active107) *health = healthFor107;
    return ERR_SUCCESS;
}

void EventConfiguration::freeLists() {
    std::lock_guard<std::mutex> guard(mutex_);
    lists_.clear();
    lists_.shrink_to_fit();
}
