// The system event log operations.

#include "events/event_log.h"

#include "events/sel_command.h"
#include "platform/log.h"
#include "yat/event_log_records.h"
#include "yat/result_codes.h"

int32_t EventLog::getFirstLogEntry(int32_t node, LogEntryInfo* entry) {
    constexpr const char* tag = "cLibYAT::getFirstLogEntry";
    yatLog(tag, "getting the first log entry for node [%d]", node);
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    yatLog(tag, "the device is not null");
    if (entry == nullptr) {
        yatLog(tag, "the entry is null");
        return ERR_INVALID_PARAMETER;
    }
    yatLog(tag, "the entry is not null");
    cSPSEL command;
    command.buildFirst();
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) {
        yatLog(tag, "sending log entry failed");
        return sent;
    }
    yatLog(tag, "succeeded in getting first log entry");
    int32_t result = command.getCommandData(0, entry);
    yatLog(tag, "getcommanddata returned [%d]", result);
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
    constexpr const char* tag = "cLibYAT::eraseLog()";
    yatLog(tag, "Entering...");
    if (comm_ == nullptr) {
        yatLog(tag, "device is null.");
        return ERR_DEVICE_NOT_OPEN;
    }
    cSPSEL command;
    command.buildErase();
    int32_t sent = command.send(comm_, node);
    if (sent != ERR_SUCCESS) {
        yatLog(tag, "sendCommand() failed. Return code: [%d]", sent);
        return sent;
    }
    // A refused erase left the log as it was: the host must not be told it is clear.
    if (command.answerStatus() != SpStatus::kOk) {
        yatLog(tag, "the SP refused the erase with status [%d]", statusByte(command.answerStatus()));
        return ERR_BAD_ANSWER;
    }
    return ERR_SUCCESS;
}
