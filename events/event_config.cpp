// Event configuration entries: the alert table row they stand for and its enable state on the SP.

#include "events/event_config.h"

#include <cstring>

#include "events/alert_table.h"
#include "events/event_config_wire.h"
#include "platform/log.h"
#include "yat/result_codes.h"
#include "events/log_texts.h"

namespace {

// The row of position, logging "invalid index" under tag when there is none.
const AlertRow* rowOrLog(int32_t position, const char* tag) {
    const AlertRow* row = alertRow(position);
    if (row == nullptr) yatLog(tag, events_texts::kInvalidIndex);
    return row;
}

const char* groupTemplate(const AlertRow& row) {
    return eventwire::kGroupTemplates[row.group - eventwire::kFirstGroup];
}

}  // namespace

int32_t cEventConfig::getType(int32_t* type) const {
    constexpr const char* tag = events_texts::kTagCEventConfigGetType;
    const AlertRow* row = rowOrLog(position_, tag);
    if (row == nullptr) return ERR_INVALID_INDEX;
    if (type == nullptr) {
        yatLog(tag, events_texts::kInvalidParameter);
        return ERR_INVALID_PARAMETER;
    }
    *type = row->type;
    return ERR_SUCCESS;
}

int32_t cEventConfig::getDescription(char* buffer) const {
    constexpr const char* tag = events_texts::kTagCEventConfigGetDescription;
    const AlertRow* row = rowOrLog(position_, tag);
    if (row == nullptr) return ERR_INVALID_INDEX;
    if (buffer == nullptr) {
        yatLog(tag, events_texts::kInvalidParameter);
        return ERR_INVALID_PARAMETER;
    }
    // The host is promised 64 bytes: copy no more, terminator included.
    size_t length = strnlen(row->description, sizeof row->description);
    if (length > static_cast<size_t>(kAlertDescriptionMax) - 1) length = static_cast<size_t>(kAlertDescriptionMax) - 1;
    std::memcpy(buffer, row->description, length);
    buffer[length] = '\0';
    return ERR_SUCCESS;
}

int32_t cEventConfig::getDescMaxSize(int32_t* size) const {
    if (size == nullptr) {
        yatLog(events_texts::kTagCEventConfigGetDescMaxSize, events_texts::kInvalidParameter);
        return ERR_INVALID_PARAMETER;
    }
    *size = kAlertDescriptionMax;
    return ERR_SUCCESS;
}

int32_t cEventConfig::getEnabled(cBusComm* comm, int32_t node, uint8_t* enabled) {
    constexpr const char* tag = events_texts::kTagCEventConfigGetEnabled;
    const AlertRow* row = rowOrLog(position_, tag);
    if (row == nullptr) return ERR_INVALID_INDEX;
    if (enabled == nullptr) return ERR_INVALID_PARAMETER;
    uint8_t number = row->number;
    uint8_t state = 0;
    int32_t result = readData(comm, node, wire::kGet, groupTemplate(*row), &number, 1, &state, 1);
    if (result == ERR_SUCCESS) {
        *enabled = state != 0 ? 1 : 0;
    } else {
        yatLog(tag, events_texts::kReadingTheEnableStateOfType, row->type, node, result);
    }
    return result;
}

int32_t cEventConfig::setEnabled(cBusComm* comm, int32_t node, uint8_t value) {
    constexpr const char* tag = events_texts::kTagCEventConfigSetEnabled;
    const AlertRow* row = rowOrLog(position_, tag);
    if (row == nullptr) return ERR_INVALID_INDEX;
    // Local events can be read but are never written.
    if (row->group == eventwire::kLocalGroup) return ERR_SUCCESS;
    uint8_t number = row->number;
    uint8_t state = value != 0 ? 1 : 0;
    int32_t result = writeData(comm, node, groupTemplate(*row), &number, 1, &state, 1);
    yatLog(tag, events_texts::kSettingTypeOnNodeToReturned, row->type, node, state, result);
    return result;
}
