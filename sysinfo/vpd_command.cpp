// The VPD read command and the plain reads of fixed commands.

#include "sysinfo/vpd_command.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "yat/result_codes.h"
#include "platform/log.h"
#include "sysinfo/eeprom_parser.h"
#include "sysinfo/firmware_parser.h"
#include "yat/vpd.h"
#include "sysinfo/log_texts.h"

namespace {

constexpr const char* kVPDCommand = "4.3.5.x.x.x";
constexpr int32_t kMaxKindBytes = 3;
constexpr int32_t kWindowBytes = 4;

// The kind's command bytes after 04 03 05; 0 when the kind/instance pair builds nothing.
int32_t kindBytes(int32_t kind, int32_t instance, uint8_t* bytes) {
    const uint8_t n = static_cast<uint8_t>(instance);
    auto set = [bytes](std::initializer_list<uint8_t> list) {
        int32_t count = 0;
        for (uint8_t b : list) bytes[count++] = b;
        return count;
    };
    const bool first = instance == 1;
    switch (kind) {
        case 2: return set({2, 6, n});
        case 3: return set({2, 5, n});
        case 4: return first ? set({2, 5, 10}) : 0;
        case 6: return first ? set({2, 2}) : 0;
        case kVPDKindDASD: return set({14, n});
        case kVPDKindPowerSupply: return set({12, n});
        case 11: return first ? set({13}) : 0;
        case 13: return first ? set({2, 7, 3}) : 0;
        case 14: return set({15, 1});
        case 15: return first ? set({2, 7, 2}) : 0;
        case VPD_INST_SP:
            yatLog(sysinfo_texts::kTagCSPVPDCmdBuildCommand, sysinfo_texts::kVPDINSTSPCaseEntered);
            return first ? set({3, 1}) : 0;
        case kVPDKindPlanar: return first ? set({2, 1}) : 0;
        case 18: return first ? set({6, 1}) : 0;
        case 19: return first ? set({6, 2}) : 0;
        case 20: return first ? set({6, 3}) : 0;
        case kVPDKindDriverRevision: return first ? set({10}) : 0;
        default: return 0;
    }
}

// Whether the kind's request carries the offset/length window.
bool hasWindow(int32_t kind) { return kind < kVPDKindFirmwareImageFirst || kind > kVPDKindDriverRevision; }

}  // namespace

uint8_t* cSPVPDCmd::buildCommand(int32_t kind, int32_t instance, int32_t part, int32_t length) {
    uint8_t params[kMaxKindBytes] = {};
    int32_t paramCount = kindBytes(kind, instance, params);
    if (paramCount == 0) return nullptr;

    uint16_t offset = 0;
    uint16_t readLength = static_cast<uint16_t>(length);
    if (kind == kVPDKindPlanar) {
        const vpdwire::PlanarWindow* window = part == 1   ? &vpdwire::kPlanarPart1
                                              : part == 2 ? &vpdwire::kPlanarPart2
                                              : part == 3 ? &vpdwire::kPlanarPart3
                                                          : nullptr;
        if (window != nullptr) {
            offset = window->offset;
            readLength = window->length;
        }
    }
    const uint8_t data[kWindowBytes] = {static_cast<uint8_t>(offset & 0xFF), static_cast<uint8_t>(offset >> 8),
                                        static_cast<uint8_t>(readLength & 0xFF), static_cast<uint8_t>(readLength >> 8)};
    yatLog(sysinfo_texts::kTagCSPVPDCmdBuildCommand, sysinfo_texts::kAboutToProcessAVpdCommand);
    const bool window = hasWindow(kind);
    return buildSPCommand(kVPDCommand, wire::kGet, params, window ? data : nullptr, paramCount,
                          window ? kWindowBytes : 0);
}

int32_t cSPVPDCmd::getCommandData(int32_t kind, VPD* vpd) {
    constexpr const char* tag = sysinfo_texts::kTagCSPVPDCmdGetCommandData;
    yatLog(tag, sysinfo_texts::kEnteredRetCodeFromDotCommand, statusByte(answerStatus()));
    if (answerStatus() != SpStatus::kOk) return ERR_FAILED;
    if (vpd == nullptr) return ERR_INVALID_PARAMETER;

    ByteReader answer = answerReader();
    if (kind >= kVPDKindFirmwareImageFirst && kind <= kVPDKindFirmwareImageLast) {
        yatLog(tag, sysinfo_texts::kAboutToCreateFirmwareParserToParse);
        dumpdata(answer.data(), answer.size());
        // The parser marks the record valid or not; the caller reports one that is not.
        (void)parseFirmwareImage(answer.data(), answer.size(), vpd);
        yatLog(tag, sysinfo_texts::kJustFinishedParsingWithFirmwareParser);
    } else if (kind == kVPDKindDriverRevision) {
        std::string revision = answer.text(0, answer.size());
        yatLog(tag, sysinfo_texts::kDeviceDriverRevision, revision.c_str());
        // A driver revision is data of its own: the record is valid when the SP gave a text.
        vpd->setIsVPDValid(!revision.empty());
        vpd->set_FIRMWARE_IMAGE_VERSION(std::move(revision));
        vpd->set_FIRMWARE_IMAGE_BUILD_ID("");
        vpd->set_FIRMWARE_IMAGE_FILENAME("");
    } else {
        // As above: the record's valid mark carries the outcome.
        (void)parseEEPromAnswer(cmdBuffer, sizeof cmdBuffer, origCmdSize + eeprom::kLengthBias, vpd);
    }
    return ERR_SUCCESS;
}

uint8_t* cSystemUUID::buildGet(const char* dotCommand, const uint8_t* data, int32_t dataSize) {
    return buildSPCommand(dotCommand, wire::kGet, nullptr, data, 0, data != nullptr ? dataSize : 0);
}
