// Dot-command encoding and the command buffer.

#include "commands/sp_cmd.h"

#include <cstring>

#include "yat/bus_comm.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "platform/utils.h"
#include "commands/log_texts.h"

namespace {

constexpr const char* kBuildTag = commands_texts::kTagCSPCmdBuildSPCommand;
constexpr const char* kBufferTag = commands_texts::kTagCSPCmdBuildCommandBuffer;

// Value of the hexadecimal token [begin, end) as one byte (the low 8 bits); false when the token is
// empty or holds a character that is not a hexadecimal digit.
bool hexToken(const char* begin, const char* end, uint8_t* value) {
    if (begin == end) return false;
    uint32_t result = 0;
    for (const char* p = begin; p != end; ++p) {
        int32_t digit = hexDigitValue(*p);
        if (digit < 0) return false;
        result = ((result << 4) | static_cast<uint32_t>(digit)) & 0xFFu;
    }
    *value = static_cast<uint8_t>(result);
    return true;
}

}  // namespace

uint8_t* cSPCmd::buildCommand(const char*) { return nullptr; }

int32_t cSPCmd::getCommandData(int32_t, void*) { return ERR_FAILED; }

uint8_t* cSPCmd::refuse() {
    std::memset(cmdBuffer, 0, sizeof cmdBuffer);
    origCmdSize = 0;
    built_ = false;
    return nullptr;
}

uint8_t* cSPCmd::buildSPCommand(const char* dotCommand, int32_t commandType, const uint8_t* params, const uint8_t* data,
                                int32_t paramCount, int32_t dataSize) {
    yatLog(kBuildTag, commands_texts::kTheSpcmdParamsizeDatasizeAndCommand, paramCount, dataSize,
           dotCommand != nullptr ? dotCommand : "(null)");
    origCmdSize = 0;
    built_ = false;
    if (dotCommand == nullptr) return nullptr;

    uint8_t bytes[wire::kMaxCommandBytes];
    int32_t p = 0;       // next command byte
    int32_t i = 0;       // next parameter
    int32_t tokens = 0;  // tokens seen; each yields at most one byte, so bounding them bounds p
    const char* token = dotCommand;
    for (;;) {
        const char* dot = std::strchr(token, '.');
        bool last = dot == nullptr;
        const char* end = last ? token + std::strlen(token) : dot;
        if (++tokens > wire::kMaxCommandBytes) {
            yatLog(kBuildTag, commands_texts::kCommandHasMoreThanTokensRefused, dotCommand, wire::kMaxCommandBytes);
            return refuse();
        }
        if (last) yatLog(kBuildTag, commands_texts::kReachedTheLastCharacterInThe, *token != '\0' ? *token : ' ');
        bool placeholder = *token == 'x' || *token == 'X';
        if (placeholder && end - token != 1) placeholder = false;  // "xa" is no placeholder and no number
        if (placeholder) {
            if (i < paramCount && params != nullptr) {
                yatLog(kBuildTag, commands_texts::kSettingCmdElementToCounter, static_cast<unsigned>(params[i]),
                       last ? i : p);
                bytes[p] = params[i];
                yatLog(kBuildTag, commands_texts::kIncreasingCounterValueTo, last ? 3 : 1, p, p + 1);
                ++i;
                ++p;
            }
        } else {
            uint8_t value = 0;
            if (!hexToken(token, end, &value)) {
                yatLog(kBuildTag, commands_texts::kCommandHasAMalformedTokenRefused, dotCommand);
                return refuse();
            }
            bytes[p] = value;
            yatLog(kBuildTag, commands_texts::kIncreasingCounterValueTo, last ? 4 : 2, p, p + 1);
            ++p;
        }
        if (last) break;
        token = dot + 1;
    }
    if (BuildCommandBuffer(bytes, commandType, data, dataSize, p) != ERR_SUCCESS) return nullptr;
    return cmdBuffer;
}

int32_t cSPCmd::BuildCommandBuffer(const uint8_t* commandBytes, int32_t commandType, const uint8_t* data,
                                   int32_t dataSize, int32_t commandByteCount) {
    std::memset(cmdBuffer, 0, sizeof cmdBuffer);
    origCmdSize = 0;
    built_ = false;
    if (data == nullptr) dataSize = 0;
    if (commandByteCount < 0 || commandByteCount > wire::kMaxCommandBytes || dataSize < 0 ||
        (commandBytes == nullptr && commandByteCount > 0) ||
        static_cast<size_t>(dataSize) > wire::kBufferSize - wire::kHeaderSize - static_cast<size_t>(commandByteCount)) {
        yatLog(kBufferTag, commands_texts::kRequestOfCommandBytesAndData, commandByteCount, dataSize);
        return ERR_INVALID_PARAMETER;
    }
    cmdBuffer[wire::kTypeOffset] = static_cast<uint8_t>(commandType);
    origCmdSize = commandByteCount;
    cmdBuffer[wire::kCommandLengthOffset] = static_cast<uint8_t>(commandByteCount);
    // Both bytes of the length: a request of more than 255 data bytes must not claim fewer.
    cmdBuffer[wire::kDataLengthOffset] = static_cast<uint8_t>(dataSize & 0xFF);
    cmdBuffer[wire::kDataLengthOffset + 1] = static_cast<uint8_t>(dataSize >> 8);
    if (commandByteCount > 0)
        std::memcpy(cmdBuffer + wire::kHeaderSize, commandBytes, static_cast<size_t>(commandByteCount));
    if (data != nullptr) {
        yatLog(kBufferTag, commands_texts::kThereIsDataSoCopyingIt);
        if (withheld_) yatLog(kBufferTag, commands_texts::kBytesWithheld, dataSize);
        std::memcpy(cmdBuffer + wire::kHeaderSize + commandByteCount, data, static_cast<size_t>(dataSize));
    } else {
        yatLog(kBufferTag, commands_texts::kThereIsNoDataSoNothing);
    }
    built_ = true;
    return ERR_SUCCESS;
}

int32_t cSPCmd::send(cBusComm* comm, int32_t node) {
    if (comm == nullptr || !built_) return ERR_INVALID_PARAMETER;
    return transportResult(comm->sendCommand(node, cmdBuffer));
}

bool cSPCmd::answerOk() const {
    return cmdBuffer[wire::kTypeOffset] == wire::kAnswer &&
           cmdBuffer[wire::kCommandLengthOffset] == static_cast<uint8_t>(origCmdSize) &&
           cmdBuffer[wire::kStatusOffset] == 0;
}

const uint8_t* cSPCmd::answerData() const { return cmdBuffer + wire::kHeaderSize + origCmdSize; }

ByteReader cSPCmd::answerReader() const {
    return ByteReader(answerData(), wire::boundedDataLength(cmdBuffer, static_cast<size_t>(origCmdSize)));
}

int32_t cSPCmd::dumpData(const char* tag) const {
    size_t length = wire::boundedDataLength(cmdBuffer, static_cast<size_t>(origCmdSize));
    if (withheld_) {
        yatLog(tag != nullptr ? tag : "dumpdata", commands_texts::kBytesWithheld2, static_cast<unsigned>(length));
        return 0;
    }
    return dumpdata(answerData(), length);
}
