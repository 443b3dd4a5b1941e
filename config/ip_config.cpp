// Interface settings commands, address conversion and the SP restart.

#include "config/ip_config.h"

#include "config/network_wire.h"
#include "platform/log.h"
#include "yat/result_codes.h"
#include "config/log_texts.h"

namespace {

// The low 8 bits of the decimal value of [begin, end): blanks, a sign, then digits up to the first
// other character. Computed modulo 2^32, whose low 8 bits equal those of the true value.
uint8_t partValue(const char* begin, const char* end) {
    const char* p = begin;
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')) ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    uint32_t value = 0;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
    if (negative) value = 0u - value;
    return static_cast<uint8_t>(value & 0xFFu);
}

const char* partEnd(const char* part) {
    const char* p = part;
    while (*p != '\0' && *p != '.') ++p;
    return p;
}

}  // namespace

int32_t cIPConfig::convertIPStringToData(const char* text, uint8_t* buffer, int32_t size) {
    constexpr const char* tag = config_texts::kTagCIPConfigConvertIPStringToData;
    if (text == nullptr || buffer == nullptr) return ERR_BAD_ANSWER;
    int32_t count = 0;
    const char* part = text;
    for (const char* end = partEnd(part); *end == '.' && count + 1 <= size; end = partEnd(part)) {
        buffer[count++] = partValue(part, end);
        part = end + 1;
    }
    if (count + 1 < size) buffer[count++] = partValue(part, partEnd(part));
    if (count == 4) {
        yatLog(tag, config_texts::kData0Data1Data2, buffer[0], buffer[1], buffer[2], buffer[3]);
        return ERR_SUCCESS;
    }
    yatLog(tag, config_texts::kCounterIs, count);
    return ERR_BAD_ANSWER;
}

uint8_t* cIPConfig::buildGet(const char* dotCommand, uint8_t iface) {
    return buildSPCommand(dotCommand, wire::kGet, &iface, nullptr, 1, 0);
}

uint8_t* cIPConfig::buildSet(const char* dotCommand, uint8_t iface, const uint8_t* data, int32_t size) {
    return buildSPCommand(dotCommand, wire::kSet, &iface, data, 1, size);
}

bool cIPConfig::answerHolds(size_t count) const { return answerOk() && answerReader().has(0, count); }

int32_t cIPConfig::answerAddress(char* text) {
    if (!answerHolds(netwire::kAddressBytes)) return ERR_BAD_ANSWER;
    return getAnswerIPAddress(text);
}

int32_t cIPConfig::answerByte(int32_t* value) {
    if (!answerHolds(1)) return ERR_BAD_ANSWER;
    return getAnswerByte(value);
}

void cSPUtilities::resetServiceProcessor(cBusComm* comm, int32_t node) {
    if (comm == nullptr) return;
    yatLog(config_texts::kTagCSPUtilitiesResetServiceProcessor, config_texts::kEntered);
    if (buildSPCommand(netwire::kRestartCommand, wire::kSet, nullptr, nullptr, 0, 0) == nullptr) return;
    // The SP goes away to restart, so its answer says nothing; only a request that never left is worth a line.
    int32_t sent = send(comm, node);
    if (sent != ERR_SUCCESS)
        yatLog(config_texts::kTagCSPUtilitiesResetServiceProcessor, config_texts::kTheRestartWasNotSent, sent);
}
