// System state and watchdog commands.

#include "sysinfo/system_state.h"

#include "yat/result_codes.h"
#include "platform/log.h"
#include "sysinfo/log_texts.h"

namespace {

uint8_t* buildPlainGet(cSPCmd& command, const char* tag, const char* dotCommand) {
    yatLog(tag, sysinfo_texts::kEntered2);
    return command.buildSPCommand(dotCommand, wire::kGet, nullptr, nullptr, 0, 0);
}

// Status 0 and count bytes of data: their value, least significant byte first.
[[nodiscard]] bool readLittleEndian(const cSPCmd& command, uint32_t count, uint32_t* value) {
    if (command.answerStatus() != SpStatus::kOk || value == nullptr) return false;
    ByteReader answer = command.answerReader();
    uint32_t result = 0;
    for (uint32_t i = count; i > 0; --i) result = (result << 8) | answer.u8(i - 1);
    if (answer.overrun()) return false;  // fewer than count data bytes
    *value = result;
    return true;
}

[[nodiscard]] int32_t watchdogData(cSPCmd& command, const char* tag, uint32_t count, int32_t* value) {
    if (command.answerStatus() != SpStatus::kOk) return ERR_BAD_ANSWER;
    ByteReader answer = command.answerReader();
    yatLog(tag, sysinfo_texts::kReadWasSucessfulHereSThe);
    dumpdata(answer.data(), answer.size());
    uint32_t raw = 0;
    if (!readLittleEndian(command, count, &raw)) {
        yatLog(tag, sysinfo_texts::kTheAnswerHoldsOnlyBytes, static_cast<int32_t>(answer.size()));
        return ERR_BAD_ANSWER;
    }
    if (value != nullptr) *value = static_cast<int32_t>(raw);
    return ERR_SUCCESS;
}

}  // namespace

uint8_t* cSystemState::buildGet(const char* dotCommand) {
    return buildSPCommand(dotCommand, wire::kGet, nullptr, nullptr, 0, 0);
}

bool cSystemState::answerValue(uint32_t count, uint32_t* value) const { return readLittleEndian(*this, count, value); }

uint8_t* cWatchdog::getPostWatchdog() {
    return buildPlainGet(*this, "cspcmd: cWatchdog.getPostWatchdog()", statewire::kPostWatchdogCommand);
}

uint8_t* cWatchdog::getLoaderWatchdog() {
    return buildPlainGet(*this, "cspcmd: cWatchdog.getLoaderWatchdog()", statewire::kLoaderWatchdogCommand);
}

uint8_t* cWatchdog::getOSWatchdog() {
    return buildPlainGet(*this, "cspcmd: cWatchdog.getOSWatchdog()", statewire::kOSWatchdogCommand);
}

uint8_t* cWatchdog::getPowerOffDelay() {
    return buildPlainGet(*this, "cspcmd: cWatchdog.getPowerOffDelay()", statewire::kPowerOffDelayCommand);
}

int32_t cWatchdog::getWatchdogData(int32_t* value) {
    return watchdogData(*this, "cspcmd: cWatchdog.getWatchdogData()", 1, value);
}

int32_t cWatchdog::getPowerOffDelayData(int32_t* value) {
    return watchdogData(*this, "cspcmd: cWatchdog.getPowerOffDelayData()", 2, value);
}
