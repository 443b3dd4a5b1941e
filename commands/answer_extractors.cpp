// Generic answer extractors of cSPCmd. Each reads only the bytes the buffer holds.

#include <cstdio>
#include <cstring>

#include "commands/sp_cmd.h"
#include "yat/result_codes.h"

int32_t cSPCmd::getAnswerIPAddress(char* text) {
    if (!answerOk()) return ERR_BAD_ANSWER;
    if (text == nullptr) return ERR_INVALID_PARAMETER;
    ByteReader answer = answerReader();
    const unsigned parts[4] = {answer.u8(0), answer.u8(1), answer.u8(2), answer.u8(3)};
    if (answer.overrun()) return ERR_BAD_ANSWER;  // fewer than four data bytes: a short answer
    std::snprintf(text, 16, "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
    return ERR_SUCCESS;
}

int32_t cSPCmd::getAnswerText(char* text, int32_t capacity) {
    if (!answerOk()) return ERR_BAD_ANSWER;
    if (text == nullptr || capacity <= 0) return ERR_INVALID_PARAMETER;
    size_t length = cmdBuffer[wire::kDataLengthOffset];  // only the low byte counts here
    size_t room = wire::kBufferSize - wire::kHeaderSize - static_cast<size_t>(origCmdSize);
    if (length > room) length = room;
    if (length > static_cast<size_t>(capacity - 1)) length = static_cast<size_t>(capacity - 1);
    std::memcpy(text, answerData(), length);
    text[length] = '\0';
    return ERR_SUCCESS;
}

int32_t cSPCmd::getAnswerBytes(uint8_t* buffer, int32_t limit) {
    if (!answerOk()) return ERR_BAD_ANSWER;
    if (buffer == nullptr || limit < 0) return ERR_INVALID_PARAMETER;
    size_t length = cmdBuffer[wire::kDataLengthOffset];  // only the low byte counts here
    size_t room = wire::kBufferSize - wire::kHeaderSize - static_cast<size_t>(origCmdSize);
    if (length > room) length = room;
    if (length > static_cast<size_t>(limit)) length = static_cast<size_t>(limit);
    std::memcpy(buffer, answerData(), length);
    buffer[length] = 0;
    return ERR_SUCCESS;
}

int32_t cSPCmd::getAnswerByte(int32_t* value) {
    if (!answerOk()) return ERR_BAD_ANSWER;
    if (value == nullptr) return ERR_INVALID_PARAMETER;
    ByteReader answer = answerReader();
    const uint8_t byte = answer.u8(0);
    if (answer.overrun()) return ERR_BAD_ANSWER;  // no data byte
    *value = byte;
    return ERR_SUCCESS;
}

int32_t cSPCmd::getAnswerFlag(bool* value) {
    if (!answerOk()) return ERR_BAD_ANSWER;
    if (value == nullptr) return ERR_INVALID_PARAMETER;
    ByteReader answer = answerReader();
    const uint8_t byte = answer.u8(0);
    if (answer.overrun()) return ERR_BAD_ANSWER;  // no data byte
    *value = byte != 0;
    return ERR_SUCCESS;
}

int32_t cSPCmd::getAnswerDword(uint32_t* value) {
    if (answerStatus() == SpStatus::kOk && value != nullptr) {
        ByteReader answer = answerReader();
        const uint32_t dword = answer.u32le(0);
        if (!answer.overrun()) *value = dword;  // a short answer leaves the value, as a refused one does
    }
    return ERR_SUCCESS;
}

int32_t cSPCmd::copyAnswerData(uint8_t* buffer) {
    if (answerStatus() == SpStatus::kOk && buffer != nullptr && !isAnswerDataZero()) {
        std::memcpy(buffer, answerData(), wire::boundedDataLength(cmdBuffer, static_cast<size_t>(origCmdSize)));
    }
    return ERR_SUCCESS;
}

int32_t cSPCmd::copyAnswerText(char* buffer) {
    if (answerStatus() == SpStatus::kOk && buffer != nullptr) {
        size_t length = wire::boundedDataLength(cmdBuffer, static_cast<size_t>(origCmdSize));
        // The terminator needs one byte of the caller's 4096; a full-length answer loses its last byte.
        if (length > wire::kBufferSize - 1) length = wire::kBufferSize - 1;
        std::memcpy(buffer, answerData(), length);
        buffer[length] = '\0';
    }
    return ERR_SUCCESS;
}

bool cSPCmd::isAnswerDataZero() const {
    const uint8_t* data = answerData();
    size_t length = wire::boundedDataLength(cmdBuffer, static_cast<size_t>(origCmdSize));
    for (size_t i = 0; i < length; ++i) {
        if (data[i] != 0) return false;
    }
    return true;
}

AnswerMask cSPCmd::getAnswerMask() const {
    const uint8_t* data = answerData();
    return AnswerMask{{0, data[0], static_cast<uint8_t>(data[0] & ~data[1]), 0}};
}
