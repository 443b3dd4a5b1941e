// Firmware item reads: requests by kind and their decoders.

#include "sysinfo/firmware_command.h"

#include <cstdio>

#include "yat/result_codes.h"
#include "platform/byte_reader.h"
#include "platform/log.h"
#include "yat/system_info_records.h"
#include "sysinfo/log_texts.h"

std::string firmwareVersionText(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "1.%02d", static_cast<int>(static_cast<int8_t>(value)));
    return text;
}

std::string twoDigitText(uint8_t value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02u", static_cast<unsigned>(value));
    return text;
}

int32_t decodeSPFirmware(const uint8_t* data, size_t size, bool longLayout, FirmwareInfo* info) {
    using namespace fwwire;
    ByteReader answer(data, size);
    if (info == nullptr) return ERR_INVALID_PARAMETER;
    // Everything is read first; the fields change only when the answer held all of it.
    if (longLayout) {
        std::string buildId = answer.text(kLongBuildIdOffset, kLongBuildIdSize);
        std::string serial = answer.text(kLongSerialOffset, kLongSerialSize);
        std::string buildDate = answer.text(kLongBuildDateOffset, kLongBuildDateSize);
        const uint8_t revision = answer.u8(kLongRevisionOffset);
        if (answer.overrun()) return ERR_BAD_ANSWER;
        info->buildId = std::move(buildId);
        info->serialNumber = std::move(serial);
        info->buildDate = std::move(buildDate);
        info->revision = firmwareVersionText(revision);
    } else {
        std::string buildId = answer.text(kShortBuildIdOffset, kShortBuildIdSize);
        std::string buildDate = answer.text(kShortBuildDateOffset, kShortBuildDateSize);
        const uint8_t revision = answer.u8(kShortRevisionOffset);
        if (answer.overrun()) return ERR_BAD_ANSWER;
        info->buildId = std::move(buildId);
        info->buildDate = std::move(buildDate);
        info->revision = firmwareVersionText(revision);
    }
    return ERR_SUCCESS;
}

int32_t decodeIPMIDeviceId(const uint8_t* data, size_t size, FirmwareInfo* info) {
    using namespace fwwire;
    ByteReader answer(data, size);
    if (info == nullptr) return ERR_INVALID_PARAMETER;
    const uint8_t completion = answer.u8(kIPMICompletionCode);
    const unsigned major = answer.u8(kIPMIMajorRevision) & 0x7Fu;
    const uint8_t bcd = answer.u8(kIPMIMinorRevision);
    const auto manufacturer =
        static_cast<int32_t>(answer.u8(kIPMIManufacturerId) | (answer.u8(kIPMIManufacturerId + 1) << 8) |
                             ((answer.u8(kIPMIManufacturerId + 2) & 0x0F) << 16));
    const uint16_t product = answer.u16le(kIPMIProductId);
    if (answer.overrun() || completion != 0) return ERR_BAD_ANSWER;
    const unsigned minor = (bcd >> 4) * 10u + (bcd & 0x0Fu);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%02u", major, minor);
    info->revision = text;
    info->manufacturerId = manufacturer;
    info->productId = product;
    return ERR_SUCCESS;
}

int32_t decodeRevisionBytes(const uint8_t* data, size_t size, int32_t kind, int32_t extra, FirmwareInfo* info) {
    using namespace fwwire;
    ByteReader answer(data, size);
    if (info == nullptr) return ERR_INVALID_PARAMETER;
    const size_t count = kind == kKindRevisionByte ? kRevisionByteCount3 : kRevisionByteCount6;
    const uint8_t completion = answer.u8(kIPMICompletionCode);
    std::string revision;
    if (kind == kKindRevisionByte) {
        revision = twoDigitText(answer.u8(kRevisionFirst));
    } else {
        for (size_t i = 0; i < count; ++i) {
            if (i != 0) revision += '.';
            revision += std::to_string(answer.u8(kRevisionFirst + i));
        }
    }
    if (answer.overrun() || completion != 0) return ERR_BAD_ANSWER;
    info->productId = extra;
    info->revision = std::move(revision);
    return ERR_SUCCESS;
}

bool hasSlowFanFirmwarePrefix(const uint8_t* data, size_t size) {
    static constexpr char kPrefixes[][fwwire::kFirmwarePrefixSize + 1] = {"RU", "QA", "AV", "T2", "GE", "GR", "VI"};
    ByteReader answer(data, size);
    const uint8_t first = answer.u8(0);
    const uint8_t second = answer.u8(1);
    if (answer.overrun()) return false;  // no whole prefix
    for (const auto& prefix : kPrefixes) {
        if (first == static_cast<uint8_t>(prefix[0]) && second == static_cast<uint8_t>(prefix[1])) return true;
    }
    return false;
}

uint8_t* cFirmware::buildCommand() {
    using namespace fwwire;
    switch (firmwareKind) {
        case kKindSP: return buildSPCommand(kSPCommand, wire::kGet, nullptr, nullptr, 0, 0);
        case kKindSPAlternate: return buildSPCommand(kSPAlternateCommand, wire::kGet, nullptr, nullptr, 0, 0);
        case kKindIPMIDeviceId:
            return buildSPCommand(kIPMICommand, wire::kSet, nullptr, kIPMIGetDeviceId, 0, sizeof kIPMIGetDeviceId);
        case kKindRevisionByte:
        case kKindRevisionBytes: {
            const uint8_t data[3] = {kIPMIRevisionNetFn, kIPMIRevisionCommand, static_cast<uint8_t>(extraValue)};
            return buildSPCommand(kIPMICommand, wire::kSet, nullptr, data, 0, sizeof data);
        }
        case kKindSPFirmwareId: return buildSPCommand(kSPFirmwareIdCommand, wire::kGet, nullptr, nullptr, 0, 0);
        default: return nullptr;
    }
}

int32_t cFirmware::getCommandData(FirmwareInfo* info) {
    using namespace fwwire;
    if (info == nullptr) return ERR_INVALID_PARAMETER;
    switch (firmwareKind) {
        case kKindSP:
        case kKindSPAlternate:
        case kKindSPFirmwareId: return getSPData(info);
        case kKindIPMIDeviceId: return getIPMIData(info);
        case kKindRevisionByte:
        case kKindRevisionBytes: return getRevisionData(info);
        default: return ERR_FAILED;
    }
}

int32_t cFirmware::getSPData(FirmwareInfo* info) {
    constexpr const char* tag = sysinfo_texts::kTagCFirmwareGetSPData;
    if (!answerOk()) {
        yatLog(tag, sysinfo_texts::kTheCommandItselfFailed);
        return ERR_BAD_ANSWER;
    }
    yatLog(tag, sysinfo_texts::kTheCommandBufferWasGood);
    yatLog(tag, sysinfo_texts::kTheCommandSucceeded);
    ByteReader answer = answerReader();
    int32_t result = decodeSPFirmware(answer.data(), answer.size(), firmwareKind != fwwire::kKindSPFirmwareId, info);
    if (result != ERR_SUCCESS) {
        yatLog(tag, sysinfo_texts::kTheAnswerHoldsOnlyBytesToo, static_cast<int32_t>(answer.size()));
        return result;
    }
    yatLog(tag, sysinfo_texts::kAtTheEndOfCommandSucceeded);
    return ERR_SUCCESS;
}

int32_t cFirmware::getIPMIData(FirmwareInfo* info) {
    constexpr const char* tag = sysinfo_texts::kTagCFirmwareGetIPMIData;
    if (!answerOk()) {
        yatLog(tag, sysinfo_texts::kTheCommandItselfFailed);
        return ERR_BAD_ANSWER;
    }
    yatLog(tag, sysinfo_texts::kTheCommandBufferWasGood);
    ByteReader answer = answerReader();
    return decodeIPMIDeviceId(answer.data(), answer.size(), info);
}

int32_t cFirmware::getRevisionData(FirmwareInfo* info) {
    if (!answerOk()) return ERR_BAD_ANSWER;
    ByteReader answer = answerReader();
    return decodeRevisionBytes(answer.data(), answer.size(), firmwareKind, extraValue, info);
}

bool cFirmware::checkForOnyx() const {
    yatLog(sysinfo_texts::kTagCSPGetVPDDataCheckForOnyx, sysinfo_texts::kTheRetvalWas, statusByte(answerStatus()));
    if (answerStatus() != SpStatus::kOk) return false;
    ByteReader answer = answerReader();
    return hasSlowFanFirmwarePrefix(answer.data(), answer.size());
}
