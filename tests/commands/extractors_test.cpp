// Answer checks and extractors, including answers that claim more data than the buffer holds.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/sp_cmd.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"

namespace {

using yattest::Bytes;

class Extractors : public ::testing::Test {
protected:
    // Builds "4.3.6" and writes an SP answer with this status and data over it.
    void answer(const Bytes& data, uint8_t status = 0) {
        ASSERT_NE(cmd.buildSPCommand("4.3.6", 2, nullptr, nullptr, 0, 0), nullptr);
        const uint8_t command[3] = {0x04, 0x03, 0x06};
        yattest::writeAnswer(cmd.buffer(), command, 3, status, data);
    }
    void claimLength(uint16_t length) {
        cmd.buffer()[2] = static_cast<uint8_t>(length & 0xFF);
        cmd.buffer()[3] = static_cast<uint8_t>(length >> 8);
    }
    // Every full-check extractor returns 2 and leaves its output as it was.
    void expectFullChecksFail() {
        char text[16] = "untouched";
        uint8_t bytes[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
        int32_t byte = -5;
        bool flag = true;
        EXPECT_EQ(cmd.getAnswerIPAddress(text), ERR_BAD_ANSWER);
        EXPECT_EQ(cmd.getAnswerText(text, sizeof text), ERR_BAD_ANSWER);
        EXPECT_STREQ(text, "untouched");
        EXPECT_EQ(cmd.getAnswerBytes(bytes, 4), ERR_BAD_ANSWER);
        EXPECT_EQ(bytes[0], 0xAA);
        EXPECT_EQ(cmd.getAnswerByte(&byte), ERR_BAD_ANSWER);
        EXPECT_EQ(byte, -5);
        EXPECT_EQ(cmd.getAnswerFlag(&flag), ERR_BAD_ANSWER);
        EXPECT_TRUE(flag);
    }

    cSPCmd cmd;
};

TEST_F(Extractors, TextIsCutToCapacityAndTerminated) {
    answer({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'});
    char text[8];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(cmd.getAnswerText(text, 4), ERR_SUCCESS);
    EXPECT_EQ(std::string(text, 5), std::string("012\0#", 5));

    EXPECT_EQ(cmd.getAnswerText(text, 1), ERR_SUCCESS);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(cmd.getAnswerText(text, 0), ERR_INVALID_PARAMETER);
    EXPECT_EQ(cmd.getAnswerText(nullptr, 4), ERR_INVALID_PARAMETER);
}

TEST_F(Extractors, FullCheckTextAndBytesUseOnlyTheLowLengthByte) {
    answer(Bytes(261, 'a'));  // length 0x0105
    char text[300];
    EXPECT_EQ(cmd.getAnswerText(text, sizeof text), ERR_SUCCESS);
    EXPECT_EQ(std::string(text), "aaaaa");
    uint8_t bytes[300];
    std::memset(bytes, 0xEE, sizeof bytes);
    EXPECT_EQ(cmd.getAnswerBytes(bytes, 200), ERR_SUCCESS);
    EXPECT_EQ(bytes[4], 'a');
    EXPECT_EQ(bytes[5], 0);
    EXPECT_EQ(bytes[6], 0xEE);
}

TEST_F(Extractors, BytesAreCutToTheLimitWithAZeroAfterThem) {
    answer({1, 2, 3, 4, 5});
    uint8_t bytes[8];
    std::memset(bytes, 0xEE, sizeof bytes);
    EXPECT_EQ(cmd.getAnswerBytes(bytes, 3), ERR_SUCCESS);
    EXPECT_EQ(Bytes(bytes, bytes + 5), (Bytes{1, 2, 3, 0, 0xEE}));
    EXPECT_EQ(cmd.getAnswerBytes(bytes, -1), ERR_INVALID_PARAMETER);
}

TEST_F(Extractors, FailedStatusFailsFullChecksButNotStatusOnlyExtractors) {
    answer({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}, 7);
    expectFullChecksFail();
    uint32_t dword = 0x11111111;
    EXPECT_EQ(cmd.getAnswerDword(&dword), ERR_SUCCESS);
    EXPECT_EQ(dword, 0x11111111u);
    uint8_t data[wire::kBufferSize];
    std::memset(data, 0xAB, sizeof data);
    EXPECT_EQ(cmd.copyAnswerData(data), ERR_SUCCESS);
    EXPECT_EQ(cmd.copyAnswerText(reinterpret_cast<char*>(data)), ERR_SUCCESS);
    EXPECT_EQ(data[0], 0xAB);
}

TEST_F(Extractors, WrongTypeOrEchoFailsTheAnswerCheck) {
    answer({1, 2, 3, 4});
    cmd.buffer()[0] = wire::kEvent;
    EXPECT_FALSE(cmd.answerOk());
    expectFullChecksFail();
    answer({1, 2, 3, 4});
    cmd.buffer()[1] = 4;
    EXPECT_FALSE(cmd.answerOk());
    expectFullChecksFail();
}

TEST_F(Extractors, IPAddressByteAndFlag) {
    answer({0xC0, 0xA8, 0x00, 0x01});
    char text[16];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(cmd.getAnswerIPAddress(text), ERR_SUCCESS);
    EXPECT_STREQ(text, "192.168.0.1");
    answer({0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(cmd.getAnswerIPAddress(text), ERR_SUCCESS);
    EXPECT_STREQ(text, "255.255.255.255");

    answer({0xFE});
    int32_t byte = 0;
    EXPECT_EQ(cmd.getAnswerByte(&byte), ERR_SUCCESS);
    EXPECT_EQ(byte, 254);
    bool flag = false;
    EXPECT_EQ(cmd.getAnswerFlag(&flag), ERR_SUCCESS);
    EXPECT_TRUE(flag);
    answer({0x00});
    EXPECT_EQ(cmd.getAnswerFlag(&flag), ERR_SUCCESS);
    EXPECT_FALSE(flag);
}

TEST_F(Extractors, DwordIsLeastSignificantByteFirst) {
    answer({0x78, 0x56, 0x34, 0x12});
    uint32_t value = 0;
    EXPECT_EQ(cmd.getAnswerDword(&value), ERR_SUCCESS);
    EXPECT_EQ(value, 0x12345678u);
}

TEST_F(Extractors, MaskIsZeroFirstFirstAndNotSecondZero) {
    answer({0x0F, 0x05});
    AnswerMask mask = cmd.getAnswerMask();
    EXPECT_EQ(Bytes(mask.bytes, mask.bytes + 4), (Bytes{0x00, 0x0F, 0x0A, 0x00}));
}

TEST_F(Extractors, ZeroDataIsNotCopied) {
    answer({0, 0, 0});
    EXPECT_TRUE(cmd.isAnswerDataZero());
    uint8_t data[wire::kBufferSize];
    std::memset(data, 0xAB, sizeof data);
    EXPECT_EQ(cmd.copyAnswerData(data), ERR_SUCCESS);
    EXPECT_EQ(data[0], 0xAB);
    answer({});
    EXPECT_TRUE(cmd.isAnswerDataZero());
    answer({0, 0, 9});
    EXPECT_FALSE(cmd.isAnswerDataZero());
}

TEST_F(Extractors, DataAndTextCopiesUseTheFullLength) {
    Bytes data(300, 'z');
    data[299] = 'y';
    answer(data);
    std::vector<uint8_t> out(wire::kBufferSize, 0xAB);
    EXPECT_EQ(cmd.copyAnswerData(out.data()), ERR_SUCCESS);
    EXPECT_EQ(out[299], 'y');
    EXPECT_EQ(out[300], 0xAB);
    EXPECT_EQ(cmd.copyAnswerText(reinterpret_cast<char*>(out.data())), ERR_SUCCESS);
    EXPECT_EQ(out[299], 'y');
    EXPECT_EQ(out[300], 0);
    EXPECT_EQ(out[301], 0xAB);
}

TEST_F(Extractors, ClaimedLengthBeyondTheBufferIsCutAtItsEnd) {
    answer(Bytes(10, 0x11));
    claimLength(0xFFFF);
    const size_t room = wire::kBufferSize - 6 - 3;
    EXPECT_EQ(cmd.answerDataLength(), 0xFFFF);
    EXPECT_EQ(cmd.answerReader().size(), room);

    // The caller's 4096 bytes plus a guard area: nothing past what the buffer holds is written.
    std::vector<uint8_t> out(2 * wire::kBufferSize, 0xAB);
    EXPECT_EQ(cmd.copyAnswerData(out.data()), ERR_SUCCESS);
    EXPECT_EQ(out[9], 0x11);
    EXPECT_EQ(out[10], 0);  // the rest of the answer buffer
    EXPECT_EQ(out[room - 1], 0);
    EXPECT_EQ(out[room], 0xAB);

    std::fill(out.begin(), out.end(), 0xAB);
    EXPECT_EQ(cmd.copyAnswerText(reinterpret_cast<char*>(out.data())), ERR_SUCCESS);
    EXPECT_EQ(out[room], 0);
    EXPECT_EQ(out[room + 1], 0xAB);

    EXPECT_FALSE(cmd.isAnswerDataZero());
    char text[300];
    EXPECT_EQ(cmd.getAnswerText(text, sizeof text), ERR_SUCCESS);  // low byte 0xFF: 255 bytes
    EXPECT_EQ(std::strlen(text), 10u);
}

}  // namespace
