// The system event log operations.

#include "events/event_log.h"

#include "events/sel_command.h"
#include "platform/log.h"
#include "yat/event_log_records.h"
#include "yat/result_codes.h"
#include "events/log_texts.h"

int32_t EventLog::getFirstLogEntry(int32_t node, LogEntryInfo* entry) {
    constexpr const char* tag = events_texts::kTagCLibYATGetFirstLogEntry;
    yatLog(tag, events_texts::kGettingTheFirstLogEntryFor, node);
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    yatLog(tag, events_texts::kTheDeviceIsNotNull);
    if (entry == nullptr) {
        yatLog(tag, events_texts::kTheEntryIsNull);
        return ERR_INVALID_PARAMETER;
    }
    yatLog(tag, events_texts::kTheEntryIsNotNull);
    cSPSEL command;
    command.buildFirst();
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) {
        yatLog(tag, events_texts::kSendingLogEntryFailed);
        return sent;
    }
    yatLog(tag, events_texts::kSucceededInGettingFirstLogEntry);
    int32_t result = command.getCommandData(0, entry);
    yatLog(tag, events_texts::kGetcommanddataReturned, result);
    return result;
}

int32_t EventLog::getNextLogEntry(int32_t node, LogEntryInfo* entry) {
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    if (entry == nullptr) return ERR_INVALID_PARAMETER;
    cSPSEL command;
    command.buildNext();
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) return sent;
    return command.getCommandData(0, entry);
}

int32_t EventLog::eraseLog(int32_t node) {
    constexpr const char* tag = events_texts::kTagCLibYATEraseLog;
    yatLog(tag, events_texts::kEntering);
    if (comm_ == nullptr) {
        yatLog(tag, events_texts::kDeviceIsNull);
        return ERR_DEVICE_NOT_OPEN;
    }
    cSPSEL command;
    command.buildErase();
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) {
        yatLog(tag, events_texts::kSendCommandFailedReturnCode, sent);
        return sent;
    }
    // A refused erase left the log as it was: the host must not be told it is clear.
    if (command.answerStatus() != SpStatus::kOk) {
        yatLog(tag, events_texts::kTheSPRefusedTheEraseWith, statusByte(command.answerStatus()));
        return ERR_BAD_ANSWER;
    }
    return ERR_SUCCESS;
}
