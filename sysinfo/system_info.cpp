// System state, watchdog timers and firmware data.

#include "sysinfo/system_info.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "sysinfo/firmware_command.h"
#include "yat/system_info_records.h"
#include "sysinfo/system_state.h"

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
    constexpr const char* tag = "clibyat.getSystemState";
    if (commDevice == nullptr || info == nullptr) {
        int32_t result = commDevice == nullptr ? ERR_FAILED : ERR_INVALID_PARAMETER;
        yatLog(tag, "no comm device or no record; nothing sent:  retVal=[%d]", result);
        return result;
    }
    cSystemState command;
    int32_t sent = ERR_SUCCESS;
    uint32_t value = 0;

    command.buildGet(statewire::kSystemStateCommand);
    if (sendAndCheck(command, commDevice, node, &sent) && command.answerValue(1, &value)) {
        info->sysState = static_cast<uint8_t>(value);
        yatLog(tag, "got sysState: [%d]", info->sysState);
        dumpAnswer(command);
    }

    command.buildGet(statewire::kPowerOnTimeCommand);
    if (sendAndCheck(command, commDevice, node, &sent) && command.answerValue(4, &value)) {
        info->powerOnHours = static_cast<int32_t>(value / statewire::kSecondsPerHour);
        yatLog(tag, "got powerOnHours: [%d]", info->powerOnHours);
        dumpAnswer(command);
    }

    command.buildGet(statewire::kRestartCountCommand);
    if (sendAndCheck(command, commDevice, node, &sent) && command.answerValue(2, &value)) {
        info->restartCount = static_cast<int16_t>(value);
        yatLog(tag, "got restartCount: [%d]", info->restartCount);
        dumpAnswer(command);
    }

    command.buildGet(statewire::kPowerStatusCommand);
    int32_t result = ERR_SUCCESS;
    if (sendAndCheck(command, commDevice, node, &sent) && command.answerValue(1, &value)) {
        yatLog("clibyat.getSystemState()", "just sent power status cmd....so let's interpret it");
        dumpAnswer(command);
        info->powerStatusOn = value != 0 ? 1 : 0;
        yatLog(tag, "got powerStatusOn: [%d]", info->powerStatusOn);
        dumpAnswer(command);
    } else {
        // A carried request whose answer failed is no success either: the field was not read.
        result = sent != ERR_SUCCESS ? sent : ERR_BAD_ANSWER;
    }
    yatLog(tag, "sendCommand failed:  retVal=[%d]", result);
    return result;
}

int32_t SystemInfo::getWatchogTimers(int32_t node, WatchdogTimersInfo* info) {
    constexpr const char* tag = "clibyat.getWatchogTimers";
    if (commDevice == nullptr) {
        yatLog(tag, "sendCommand failed:  retVal=[%d]", 0);
        return ERR_SUCCESS;
    }
    if (info == nullptr) {
        yatLog(tag, "sendCommand failed:  retVal=[%d]", ERR_INVALID_PARAMETER);
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
        yatLog(tag, "got post watchdog timer: [%d]", info->postWatchdog);
        dumpAnswer(command);
    }
    if (readTimer(&cWatchdog::getLoaderWatchdog, &info->loaderWatchdog, statewire::kWatchdogUnit)) {
        yatLog(tag, "got loader watchdog timer: [%d]", info->loaderWatchdog);
        dumpAnswer(command);
    }
    if (readTimer(&cWatchdog::getOSWatchdog, &info->osWatchdog, 1)) {
        yatLog(tag, "got OS watchdog timer: [%d]", info->osWatchdog);
        dumpAnswer(command);
    }

    command.getPowerOffDelay();
    int32_t delay = 0;
    if (!sendAndCheck(command, commDevice, node, &sent)) {
        info->powerOffDelay = -1;
        ++failures;
    } else {
        yatLog("clibyat.getWatchogTimers()", "just sent power status cmd....so let's interpret it");
        if (command.getPowerOffDelayData(&delay) != ERR_SUCCESS) {
            info->powerOffDelay = -1;
            ++failures;
        } else {
            info->powerOffDelay = delay;
            yatLog(tag, "got power off delay: [%d]", info->powerOffDelay);
            dumpAnswer(command);
        }
    }

    int32_t result = ERR_SUCCESS;
    if (failures == 4) {
        // Nothing was read: the last send's code, or a bad answer when that send itself went through.
        result = sent != ERR_SUCCESS ? sent : ERR_BAD_ANSWER;
    }
    yatLog(tag, "sendCommand failed:  retVal=[%d]", result);
    return result;
}

int32_t SystemInfo::getFirmwareData(int32_t node, int32_t kind, FirmwareInfo* info, int32_t extra) {
    constexpr const char* tag = "cLibYAT::getFirmwareData";
    if (info == nullptr) {
        yatLog(tag, "the parameters were wrong");
        return ERR_INVALID_PARAMETER;
    }
    if (commDevice == nullptr) {
        yatLog(tag, "not connected to the device");
        return ERR_FAILED;
    }
    yatLog(tag, "connected to the device");
    cFirmware command(kind, extra);
    if (command.buildCommand() == nullptr) return ERR_FAILED;
    if (command.send(commDevice, node) != ERR_SUCCESS) return ERR_FAILED;
    yatLog(tag, "was able to get the firmware info");
    return command.getCommandData(info);
}
