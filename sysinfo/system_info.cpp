// System state, watchdog timers and firmware data.

#include "sysinfo/system_info.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "sysinfo/firmware_command.h"
#include "yat/system_info_records.h"
#include "sysinfo/system_state.h"
#include "sysinfo/log_texts.h"

namespace {

// Sends the request built last; true when it was carried and the SP answered with status 0.
[[nodiscard]] bool sendAndCheck(cSPCmd& command, cBusComm* comm, int32_t node, int32_t* sent) {
    *sent = command.send(comm, node);
    return *sent == ERR_SUCCESS && command.answerStatus() == SpStatus::kOk;
}

void dumpAnswer(const cSPCmd& command) {
    ByteReader answer = command.answerReader();
    dumpdata(answer.data(), answer.size());
}

}  // namespace

int32_t SystemInfo::getSystemState(int32_t node, SystemStateInfo* info) {
    constexpr const char* tag = sysinfo_texts::kTagClibyatGetSystemState2;
    if (commDevice == nullptr || info == nullptr) {
        int32_t result = commDevice == nullptr ? ERR_FAILED : ERR_INVALID_PARAMETER;
        yatLog(tag, sysinfo_texts::kNoCommDeviceOrNoRecord, result);
        return result;
    }
    cSystemState command;
    int32_t sent = ERR_SUCCESS;
    uint32_t value = 0;

    command.buildGet(statewire::kSystemStateCommand);
    if (sendAndCheck(command, commDevice, node, &sent) && command.answerValue(1, &value)) {
        info->sysState = static_cast<uint8_t>(value);
        yatLog(tag, sysinfo_texts::kGotSysState, info->sysState);
        dumpAnswer(command);
    }

    command.buildGet(statewire::kPowerOnTimeCommand);
    if (sendAndCheck(command, commDevice, node, &sent) && command.answerValue(4, &value)) {
        info->powerOnHours = static_cast<int32_t>(value / statewire::kSecondsPerHour);
        yatLog(tag, sysinfo_texts::kGotPowerOnHours, info->powerOnHours);
        dumpAnswer(command);
    }

    command.buildGet(statewire::kRestartCountCommand);
    if (sendAndCheck(command, commDevice, node, &sent) && command.answerValue(2, &value)) {
        info->restartCount = static_cast<int16_t>(value);
        yatLog(tag, sysinfo_texts::kGotRestartCount, info->restartCount);
        dumpAnswer(command);
    }

    command.buildGet(statewire::kPowerStatusCommand);
    int32_t result = ERR_SUCCESS;
    if (sendAndCheck(command, commDevice, node, &sent) && command.answerValue(1, &value)) {
        yatLog(sysinfo_texts::kTagClibyatGetSystemState, sysinfo_texts::kJustSentPowerStatusCmdSo);
        dumpAnswer(command);
        info->powerStatusOn = value != 0 ? 1 : 0;
        yatLog(tag, sysinfo_texts::kGotPowerStatusOn, info->powerStatusOn);
        dumpAnswer(command);
    } else {
        // A carried request whose answer failed is no success either: the field was not read.
        result = sent != ERR_SUCCESS ? sent : ERR_BAD_ANSWER;
    }
    yatLog(tag, sysinfo_texts::kSendCommandFailedRetVal, result);
    return result;
}

int32_t SystemInfo::getWatchogTimers(int32_t node, WatchdogTimersInfo* info) {
    constexpr const char* tag = sysinfo_texts::kTagClibyatGetWatchogTimers2;
    if (commDevice == nullptr) {
        yatLog(tag, sysinfo_texts::kSendCommandFailedRetVal, 0);
        return ERR_SUCCESS;
    }
    if (info == nullptr) {
        yatLog(tag, sysinfo_texts::kSendCommandFailedRetVal, ERR_INVALID_PARAMETER);
        return ERR_INVALID_PARAMETER;
    }
    cWatchdog command;
    int32_t failures = 0;
    int32_t sent = ERR_SUCCESS;

    // Reads one watchdog byte into *field (times factor); -1 and one more failure when it failed.
    auto readTimer = [&](uint8_t* (cWatchdog::*build)(), int32_t* field, int32_t factor) {
        (command.*build)();
        int32_t value = 0;
        if (!sendAndCheck(command, commDevice, node, &sent) || command.getWatchdogData(&value) != ERR_SUCCESS) {
            *field = -1;
            ++failures;
            return false;
        }
        *field = value * factor;
        return true;
    };
    if (readTimer(&cWatchdog::getPostWatchdog, &info->postWatchdog, statewire::kWatchdogUnit)) {
        yatLog(tag, sysinfo_texts::kGotPostWatchdogTimer, info->postWatchdog);
        dumpAnswer(command);
    }
    if (readTimer(&cWatchdog::getLoaderWatchdog, &info->loaderWatchdog, statewire::kWatchdogUnit)) {
        yatLog(tag, sysinfo_texts::kGotLoaderWatchdogTimer, info->loaderWatchdog);
        dumpAnswer(command);
    }
    if (readTimer(&cWatchdog::getOSWatchdog, &info->osWatchdog, 1)) {
        yatLog(tag, sysinfo_texts::kGotOSWatchdogTimer, info->osWatchdog);
        dumpAnswer(command);
    }

    command.getPowerOffDelay();
    int32_t delay = 0;
    if (!sendAndCheck(command, commDevice, node, &sent)) {
        info->powerOffDelay = -1;
        ++failures;
    } else {
        yatLog(sysinfo_texts::kTagClibyatGetWatchogTimers, sysinfo_texts::kJustSentPowerStatusCmdSo);
        if (command.getPowerOffDelayData(&delay) != ERR_SUCCESS) {
            info->powerOffDelay = -1;
            ++failures;
        } else {
            info->powerOffDelay = delay;
            yatLog(tag, sysinfo_texts::kGotPowerOffDelay, info->powerOffDelay);
            dumpAnswer(command);
        }
    }

    int32_t result = ERR_SUCCESS;
    if (failures == 4) {
        // Nothing was read: the last send's code, or a bad answer when that send itself went through.
        result = sent != ERR_SUCCESS ? sent : ERR_BAD_ANSWER;
    }
    yatLog(tag, sysinfo_texts::kSendCommandFailedRetVal, result);
    return result;
}

int32_t SystemInfo::getFirmwareData(int32_t node, int32_t kind, FirmwareInfo* info, int32_t extra) {
    constexpr const char* tag = sysinfo_texts::kTagCLibYATGetFirmwareData;
    if (info == nullptr) {
        yatLog(tag, sysinfo_texts::kTheParametersWereWrong);
        return ERR_INVALID_PARAMETER;
    }
    if (commDevice == nullptr) {
        yatLog(tag, sysinfo_texts::kNotConnectedToTheDevice);
        return ERR_FAILED;
    }
    yatLog(tag, sysinfo_texts::kConnectedToTheDevice);
    cFirmware command(kind, extra);
    if (command.buildCommand() == nullptr) return ERR_FAILED;
    if (command.send(commDevice, node) != ERR_SUCCESS) return ERR_FAILED;
    yatLog(tag, sysinfo_texts::kWasAbleToGetTheFirmware);
    return command.getCommandData(info);
}
