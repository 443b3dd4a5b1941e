// The vectored system summary: vector parsing and the SP type table.

#include "sysinfo/vss.h"

#include "yat/codes.h"
#include "yat/result_codes.h"
#include "platform/byte_reader.h"
#include "platform/log.h"
#include "sysinfo/log_texts.h"

size_t vsswire::fixedVectorLength(uint16_t id) {
    if (id <= kLastCapabilityId) return kCapabilityLength;
    switch (id) {
        case kSystemId: return kSystemLength;
        case kTypeId:
        case 0x1100:
        case 0x1101:
        case 0x1102:
        case 0x1200:
        case 0x1202: return 4;
        case 0x1201:
        case 0x1204:
        case 0x1205: return 7;
        default: return 0;
    }
}

void VectoredSystemSummary::init(const uint8_t* data, size_t length) {
    using namespace vsswire;
    for (uint8_t& byte : capabilities) byte = 0;
    type = 0;
    complete_ = true;
    ByteReader vectors(data, length);
    size_t offset = 0;
    while (offset < vectors.size()) {
        if (!vectors.has(offset, kIdSize)) {
            yatLog(sysinfo_texts::kTagVectoredSystemSummary, sysinfo_texts::kVectorAtOffsetRunsPastThe,
                   static_cast<int32_t>(offset));
            complete_ = false;
            break;
        }
        const uint16_t id = vectors.u16be(offset);
        size_t vectorLength = fixedVectorLength(id);
        if (id == kVariableId && vectors.has(offset + kVariableLengthByte, 1)) {
            vectorLength = kVariableBaseLength + vectors.u8(offset + kVariableLengthByte);
        }
        if (vectorLength == 0 && id != kVariableId) {
            yatLog(sysinfo_texts::kTagVectoredSystemSummary, sysinfo_texts::kMiscalculatedOffsetOrUnknownVectorID);
            complete_ = false;
            break;
        }
        if (vectorLength == 0 || !vectors.has(offset, vectorLength)) {
            yatLog(sysinfo_texts::kTagVectoredSystemSummary, sysinfo_texts::kVectorAtOffsetRunsPastThe2,
                   static_cast<unsigned>(id), static_cast<int32_t>(offset));
            complete_ = false;
            break;
        }
        if (id < kCapabilityCount) {
            capabilities[id / 8] = static_cast<uint8_t>(capabilities[id / 8] | (1u << (id % 8)));
        } else if (id == kTypeId) {
            type = vectors.u8(offset + kTypeByte);
        }
        offset += vectorLength;
    }
    yatLog(sysinfo_texts::kTagVectoredSystemSummaryInit, sysinfo_texts::kReturning);
}

bool VectoredSystemSummary::hasVector(uint16_t id) const {
    if (id >= vsswire::kCapabilityCount) return false;
    return (capabilities[id / 8] >> (id % 8)) & 1u;
}

int32_t spTypeFromSummary(const VectoredSystemSummary& summary) {
    using namespace vsswire;
    constexpr const char* tag = sysinfo_texts::kTagClibyatInitVectoredSystemSummary;
    constexpr const char* optionCard = " SP is an option card!";
    constexpr const char* notOptionCard = " SP is NOT an option card!";
    constexpr const char* sslCard = " SP is an SSL command mode card!";
    switch (summary.vssType()) {
        case kVssCobalt:
            if (summary.hasVector(kFlagOptionCard)) {
                yatLog(tag, sysinfo_texts::kText, optionCard);
                return yat::kSpTypeOptionCard;
            }
            yatLog(tag, sysinfo_texts::kText, notOptionCard);
            return yat::kSpTypeCobalt;
        case kVssFallback: return yat::kSpTypeCobaltFallback;
        case kVssBerylGarnet:
            if (summary.hasVector(kFlag17)) {
                if (summary.hasVector(kFlagSSL)) {
                    yatLog(tag, sysinfo_texts::kText, sslCard);
                    return yat::kSpTypeGarnetSsl;
                }
                if (summary.hasVector(kFlag20)) {
                    yatLog(tag, sysinfo_texts::kText, optionCard);
                    return yat::kSpTypeGarnetOptionCard;
                }
                yatLog(tag, sysinfo_texts::kText, notOptionCard);
                return yat::kSpTypeGarnet;
            }
            if (summary.hasVector(kFlagOptionCard)) {
                yatLog(tag, sysinfo_texts::kText, optionCard);
                return yat::kSpTypeBerylOptionCard;
            }
            yatLog(tag, sysinfo_texts::kText, notOptionCard);
            return yat::kSpTypeBeryl;
        case kVssOpal:
            if (summary.hasVector(kFlagSSL)) {
                yatLog(tag, sysinfo_texts::kText, sslCard);
                return yat::kSpTypeOpalSsl;
            }
            return yat::kSpTypeOpal;
        default: yatLog(tag, sysinfo_texts::kText, " Cannot determine SP type!"); return yat::kSpTypeUnknown;
    }
}

uint8_t* cSPVSS::buildCommand() { return buildSPCommand(vsswire::kCommand, wire::kGet, nullptr, nullptr, 0, 0); }

int32_t cSPVSS::getCommandData(VectoredSystemSummary* summary) {
    constexpr const char* tag = sysinfo_texts::kTagCSPVSSGetCommandData;
    if (summary == nullptr) return ERR_FAILED;
    yatLog(tag, sysinfo_texts::kRetCodeFromDotCommand, statusByte(answerStatus()));
    if (answerStatus() != SpStatus::kOk) return spStatusResult(answerStatus());
    ByteReader answer = answerReader();
    dumpdata(answer.data(), answer.size());
    summary->init(answer.data(), answer.size());
    yatLog(tag, sysinfo_texts::kReturning);
    return ERR_SUCCESS;
}
