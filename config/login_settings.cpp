// The global login settings: the password policy ("4.1.1.a", "4.1.1.9", "4.1.1.b", "4.1.1.1a") and
// the login setting ("4.1.1.14"), through cSvcProcCfg.

#include "config/account_settings.h"
#include "config/account_wire.h"
#include "config/svc_proc_cfg.h"
#include "platform/log.h"
#include "yat/result_codes.h"
#include "config/log_texts.h"

using namespace accountwire;

namespace {

constexpr const char* kPolicyTag = config_texts::kTagSetPasswordInformation;

// Reads dotCommand and hands its answer data to take when the SP's status is SpStatus::kOk. Returns
// the transport failure, the SP's status byte (spStatusResult), ERR_BAD_ANSWER when take finds the
// data too short, or ERR_SUCCESS.
template <class Take>
[[nodiscard]] int32_t readSetting(cBusComm* comm, int32_t node, const char* dotCommand, Take take) {
    cSvcProcCfg command;
    int32_t result = command.sendRequest(comm, node, wire::kGet, dotCommand, nullptr, 0);
    if (result != ERR_SUCCESS) return result;
    if (command.answerStatus() != SpStatus::kOk) return spStatusResult(command.answerStatus());
    return take(command.answerReader()) ? ERR_SUCCESS : ERR_BAD_ANSWER;
}

// Writes the bytes to dotCommand. Returns the transport failure (*sent false), else the SP's status
// byte (spStatusResult).
[[nodiscard]] int32_t writeSetting(cBusComm* comm, int32_t node, const char* dotCommand, const uint8_t* data,
                                   int32_t size, bool* sent) {
    cSvcProcCfg command;
    *sent = false;
    if (command.buildSPCommand(dotCommand, wire::kSet, nullptr, data, 0, size) == nullptr) return ERR_INVALID_PARAMETER;
    int32_t result = command.send(comm, node);
    if (result != ERR_SUCCESS) return result;
    *sent = true;
    return spStatusResult(command.answerStatus());
}

// Takers for readSetting: a flag (1 when A[0] is non-zero) and a byte value.
// Each reads first and stores only when the answer held what it read.
auto flagInto(uint8_t* out) {
    return [out](const ByteReader& data) {
        const uint8_t byte = data.u8(0);
        if (data.overrun()) return false;
        *out = byte != 0 ? 1 : 0;
        return true;
    };
}
auto byteInto(int32_t* out) {
    return [out](const ByteReader& data) {
        const uint8_t byte = data.u8(0);
        if (data.overrun()) return false;
        *out = byte;
        return true;
    };
}

// A one-byte flag: 1 when non-zero.
uint8_t flagByte(const uint8_t* value) { return *value != 0 ? 1 : 0; }

}  // namespace

int32_t AccountSettings::getPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit,
                                                int32_t* reusePeriod, uint8_t* userPwdReq) {
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    if (forceChange == nullptr && ageLimit == nullptr && reusePeriod == nullptr && userPwdReq == nullptr) {
        return ERR_INVALID_PARAMETER;
    }
    int32_t result = ERR_SUCCESS;
    if (forceChange != nullptr) {
        result = readSetting(comm_, node, kForceChangeCommand, flagInto(forceChange));
        if (result != ERR_SUCCESS) return result;
    }
    if (ageLimit != nullptr) {
        result = readSetting(comm_, node, kAgeLimitCommand, [ageLimit](const ByteReader& data) {
            const uint16_t days = data.u16be(0);
            if (data.overrun()) return false;
            *ageLimit = days;
            return true;
        });
        if (result != ERR_SUCCESS) return result;
    }
    if (reusePeriod != nullptr) {
        result = readSetting(comm_, node, kReusePeriodCommand, byteInto(reusePeriod));
        if (result != ERR_SUCCESS) return result;
    }
    if (userPwdReq != nullptr) result = readSetting(comm_, node, kUserPwdReqCommand, flagInto(userPwdReq));
    return result;
}

int32_t AccountSettings::setPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit,
                                                int32_t* reusePeriod, uint8_t* userPwdReq) {
    yatLog(kPolicyTag, config_texts::kInTheRoutine);
    if (comm_ == nullptr) {
        yatLog(kPolicyTag, config_texts::kTheDeviceWasNull);
        return ERR_DEVICE_NOT_OPEN;
    }
    if (forceChange == nullptr && ageLimit == nullptr && reusePeriod == nullptr && userPwdReq == nullptr) {
        yatLog(kPolicyTag, config_texts::kAllParametersWereNull);
        return ERR_INVALID_PARAMETER;
    }
    yatLog(kPolicyTag, config_texts::kTheDeviceIsNotNull);
    yatLog(kPolicyTag, config_texts::kAtLeastOneParamIsNot);
    // Every given item is written whatever became of the one before; the first item that fails
    // gives the result, so a later success never hides an earlier failure.
    int32_t result = ERR_SUCCESS;
    int32_t outcome = ERR_SUCCESS;
    auto keep = [&result](int32_t itemResult) {
        if (result == ERR_SUCCESS) result = itemResult;
    };
    bool sent = false;
    if (forceChange != nullptr) {
        yatLog(kPolicyTag, config_texts::kForcechange);
        uint8_t value = flagByte(forceChange);
        outcome = writeSetting(comm_, node, kForceChangeCommand, &value, 1, &sent);
        keep(outcome);
        if (!sent) {
            yatLog(kPolicyTag, config_texts::kTheSendcommandFailedWithRetvalOf, outcome);
        } else {
            yatLog(kPolicyTag, config_texts::kSendcommandSucceededForForcechange);
            if (outcome == 0) {
                yatLog(kPolicyTag, config_texts::kCommandstatusSucceededForForcechange);
            } else {
                yatLog(kPolicyTag, config_texts::kTheGetcommandstatusFailedWithRetvalOf, outcome);
            }
        }
    }
    if (ageLimit != nullptr) {
        yatLog(kPolicyTag, config_texts::kAgelimit);
        if (*ageLimit < 0 || *ageLimit > kAgeLimitMax) {
            // No command for a value the SP cannot hold; this item's outcome is a bad parameter.
            yatLog(kPolicyTag, config_texts::kAgelimitIsOutside0NothingSent, *ageLimit, kAgeLimitMax);
            keep(ERR_INVALID_PARAMETER);
        } else {
            const uint8_t days[2] = {static_cast<uint8_t>(*ageLimit >> 8), static_cast<uint8_t>(*ageLimit)};
            yatLog(config_texts::kTagSetPwdAging, config_texts::kSetting0ToAnd2To, days[0], days[1]);
            outcome = writeSetting(comm_, node, kAgeLimitCommand, days, 2, &sent);
            keep(outcome);
            if (!sent) {
                yatLog(kPolicyTag, config_texts::kTheSendcommandFailedWithRetvalOf2, outcome);
            } else {
                yatLog(kPolicyTag, config_texts::kAgelimitSendcommandSucceeded);
                if (outcome == 0) {
                    yatLog(kPolicyTag, config_texts::kAgelimitGetcommandstatusSucceeded);
                } else {
                    yatLog(kPolicyTag, config_texts::kTheRetvalOfAfterAgelimit, outcome);
                }
            }
        }
    }
    if (reusePeriod != nullptr) {
        yatLog(kPolicyTag, config_texts::kReuseperiod);
        const uint8_t value = static_cast<uint8_t>(*reusePeriod);
        outcome = writeSetting(comm_, node, kReusePeriodCommand, &value, 1, &sent);
        keep(outcome);
    }
    if (userPwdReq != nullptr) {
        yatLog(kPolicyTag, config_texts::kInUserPwdReqSection);
        uint8_t value = flagByte(userPwdReq);
        outcome = writeSetting(comm_, node, kUserPwdReqCommand, &value, 1, &sent);
        keep(outcome);
        if (!sent) {
            yatLog(kPolicyTag, config_texts::kTheSendcommandFailedWithRetvalOf2, outcome);
        } else {
            yatLog(kPolicyTag, config_texts::kTheCommandSucceeded);
            if (outcome == 0) {
                yatLog(kPolicyTag, config_texts::kGetcommandstatusSucceeded);
            } else {
                yatLog(kPolicyTag, config_texts::kTheGetcommandstatusFailedWithRetvalOf2, outcome);
            }
        }
    }
    yatLog(kPolicyTag, config_texts::kExitingTheRoutine);
    return result;
}

int32_t AccountSettings::getLoginPolicyValue(int32_t node, int32_t* value) {
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    if (value == nullptr) return ERR_INVALID_PARAMETER;
    return readSetting(comm_, node, kLoginSettingCommand, byteInto(value));
}

int32_t AccountSettings::setLoginPolicyValue(int32_t node, int32_t value) {
    if (comm_ == nullptr) return ERR_DEVICE_NOT_OPEN;
    const uint8_t byte = static_cast<uint8_t>(value);
    bool sent = false;
    return writeSetting(comm_, node, kLoginSettingCommand, &byte, 1, &sent);
}
