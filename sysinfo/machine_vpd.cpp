// getMachineVPD (system UUID and chassis VPD by SP family) and getPostBiosVPD.

#include <cstring>

#include "sysinfo/system_info.h"
#include "yat/codes.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "platform/text.h"
#include "platform/utils.h"
#include "sysinfo/vpd_command.h"
#include "yat/vpd_records.h"
#include "sysinfo/log_texts.h"

namespace {

// A whole answer's data: zero past what the SP sent, so fixed offsets read zeros, never old bytes.
struct AnswerCopy {
    uint8_t bytes[wire::kBufferSize] = {};
    size_t size = 0;
    bool copied = false;
};

// Takes the answer with copyAnswerData: copied only when the status byte is 0 and the data are not
// all zero bytes.
void takeAnswer(cSystemUUID& command, AnswerCopy* copy) {
    std::memset(copy->bytes, 0, sizeof copy->bytes);  // nothing of an earlier answer may show through
    copy->copied = command.answerStatus() == SpStatus::kOk && !command.isAnswerDataZero();
    command.copyAnswerData(copy->bytes);
    copy->size = copy->copied ? command.answerReader().size() : 0;
}

// Sends the read built last and takes its answer. Returns ERR_SUCCESS with the answer in copy, the
// transport result, or ERR_BAD_ANSWER (2) when the SP refused the read (reported rather than
// success with the record untouched).
[[nodiscard]] int32_t readAnswer(cSystemUUID& command, cBusComm* comm, int32_t node, const char* tag,
                                 AnswerCopy* copy) {
    int32_t sent = command.send(comm, node);
    if (sent != ERR_SUCCESS) {
        yatLog(tag, sysinfo_texts::kSendCommandFailed);
        return sent;
    }
    if (command.answerStatus() != SpStatus::kOk) {
        yatLog(tag, sysinfo_texts::kReadRefusedWithStatus, statusByte(command.answerStatus()));
        return ERR_BAD_ANSWER;
    }
    takeAnswer(command, copy);
    return ERR_SUCCESS;
}

// Dumps the copied data from offset on.
void dumpFrom(const AnswerCopy& copy, size_t offset) {
    if (offset < copy.size) dumpdata(copy.bytes + offset, copy.size - offset);
}

}  // namespace

int32_t SystemInfo::getMachineVPD(int32_t node, MachineVPDInfo* info) {
    constexpr const char* tag = sysinfo_texts::kTagClibyatGetMachineVPD;
    yatLog(tag, sysinfo_texts::kEntered);
    int32_t result = ERR_SUCCESS;
    if (commDevice == nullptr || info == nullptr) {
        result = commDevice == nullptr ? ERR_FAILED : ERR_INVALID_PARAMETER;
        yatLog(tag, sysinfo_texts::kReturningWithRetVal, result);
        return result;
    }

    cSystemUUID command;
    AnswerCopy copy;
    command.buildGet(vpdwire::kUUIDCommand);
    if (command.send(commDevice, node) != ERR_SUCCESS) {
        yatLog(tag, sysinfo_texts::kSendCommandFailed);
    } else {
        takeAnswer(command, &copy);
        if (copy.copied) {
            // A buffer is given, so the conversion cannot fail.
            (void)bytesToString(copy.bytes, 0, static_cast<int32_t>(vpdwire::kUUIDSize), info->uuid);
            yatLog(tag, sysinfo_texts::kUuidHexUuidString, getULongFromBufferLSBFirst(copy.bytes, 0), info->uuid);
            yatLog(tag, sysinfo_texts::kDumpingDataBuffer);
            dumpFrom(copy, 0);
        }
    }

    const char* chassisCommand = nullptr;
    const vpdwire::ChassisLayout* layout = nullptr;
    bool withWindow = false;
    switch (spType) {
        case yat::kSpTypeCobaltFallback:
        case yat::kSpTypeCobalt:
            yatLog(tag, sysinfo_texts::kGettingChassisVPDForATarn);
            chassisCommand = vpdwire::kChassisTarnCobalt;
            layout = &vpdwire::kChassisTarnCobaltLayout;
            break;
        case yat::kSpTypeBeryl:
        case yat::kSpTypeGarnet:
        case yat::kSpTypeGarnetSsl:
            yatLog(tag, sysinfo_texts::kGettingChassisVPDForABeryl);
            chassisCommand = vpdwire::kChassisBerylGarnet;
            layout = &vpdwire::kChassisBerylGarnetLayout;
            withWindow = true;
            break;
        case yat::kSpTypeOpal:
        case yat::kSpTypeOpalSsl:
            yatLog(tag, sysinfo_texts::kGettingChassisVPDForAnOpal);
            chassisCommand = vpdwire::kChassisOpal;
            layout = &vpdwire::kChassisOpalLayout;
            withWindow = true;
            break;
        default: break;
    }
    if (chassisCommand == nullptr) {
        result = ERR_FAILED;
    } else {
        const uint8_t window[4] = {0, 0, static_cast<uint8_t>(vpdwire::kChassisReadLength & 0xFF),
                                   static_cast<uint8_t>(vpdwire::kChassisReadLength >> 8)};
        command.buildGet(chassisCommand, withWindow ? window : nullptr, withWindow ? 4 : 0);
        result = readAnswer(command, commDevice, node, tag, &copy);
        if (result == ERR_SUCCESS) {
            if (layout == &vpdwire::kChassisBerylGarnetLayout)
                yatLog(tag, sysinfo_texts::kSendCommandPassedSoMineTheData);
            if (copy.copied) {
                std::memcpy(info->machineType, copy.bytes + layout->machineType, vpdwire::kMachineTypeSize);
                std::memcpy(info->model, copy.bytes + layout->model, vpdwire::kModelSize);
                std::memcpy(info->serialNumber, copy.bytes + layout->serialNumber, vpdwire::kChassisSerialSize);
                if (layout == &vpdwire::kChassisTarnCobaltLayout) {
                    yatLog(tag, sysinfo_texts::kDumpingDataBuffer2);
                } else if (layout == &vpdwire::kChassisBerylGarnetLayout) {
                    yatLog(tag, sysinfo_texts::kDumpingDataBuffer3);
                } else {
                    yatLog(tag, sysinfo_texts::kDumpingDataBuffer4);
                }
                dumpFrom(copy, layout->machineType);
            }
        }
    }
    yatLog(tag, sysinfo_texts::kReturningWithRetVal, result);
    return result;
}

int32_t SystemInfo::getPostBiosVPD(int32_t node, PostBiosVPDInfo* info) {
    yatLog(sysinfo_texts::kTagClibyatGetPostBiosVPD, sysinfo_texts::kEntered);
    constexpr const char* tag = sysinfo_texts::kTagClibyatGetMachineVPD;
    int32_t result = ERR_SUCCESS;
    if (commDevice == nullptr || info == nullptr) {
        result = commDevice == nullptr ? ERR_FAILED : ERR_INVALID_PARAMETER;
        yatLog(tag, sysinfo_texts::kReturningWithRetVal, result);
        return result;
    }
    cSystemUUID command;
    command.buildGet(vpdwire::kPostBiosCommand);
    AnswerCopy copy;
    result = readAnswer(command, commDevice, node, tag, &copy);
    if (result == ERR_SUCCESS) {
        yatLog(tag, sysinfo_texts::kDumpingDataBuffer5);
        dumpFrom(copy, 0);
        if (copy.copied) {
            using namespace vpdwire;
            copyBoundedText(info->buildId, copy.bytes + kBuildIdOffset, kBuildIdSize);
            copyBoundedText(info->serialNumber, copy.bytes + kSerialNumberOffset, kSerialNumberSize);
            copyBoundedText(info->machineTypeModel, copy.bytes + kMachineTypeModelOffset, kMachineTypeModelSize);
            copyBoundedText(info->buildDate, copy.bytes + kBuildDateOffset, kBuildDateSize);
            info->revision = copy.bytes[kRevisionOffset];
            yatLog(tag, sysinfo_texts::kBuildIDSerialNumMtmBuildDateRevision, info->buildId, info->serialNumber,
                   info->machineTypeModel, info->buildDate, info->revision);
        }
    }
    yatLog(tag, sysinfo_texts::kReturningWithRetVal, result);
    return result;
}
