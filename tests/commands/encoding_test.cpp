// Dot-command encoding and the command buffer: exact bytes, refusals and the builder's log lines.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/sp_cmd.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"

namespace {

using yattest::Bytes;

class Encoding : public ::testing::Test {
protected:
    // Builds and returns the command bytes (offset 6, byte 1 of them), checking the header fields.
    Bytes build(const char* dot, int32_t type, Bytes params, const Bytes& data = {}) {
        const uint8_t* dataBytes = data.empty() ? nullptr : data.data();
        uint8_t* result = cmd.buildSPCommand(dot, type, params.empty() ? nullptr : params.data(), dataBytes,
                                             static_cast<int32_t>(params.size()), static_cast<int32_t>(data.size()));
        EXPECT_EQ(result, cmd.buffer());
        const uint8_t* buffer = cmd.buffer();
        EXPECT_EQ(buffer[0], static_cast<uint8_t>(type));
        EXPECT_EQ(buffer[1], cmd.commandByteCount());
        return Bytes(buffer + 6, buffer + 6 + buffer[1]);
    }
    // True when the buffer holds only zeros from offset on.
    bool zeroFrom(size_t offset) const {
        for (size_t i = offset; i < wire::kBufferSize; ++i) {
            if (cmd.buffer()[i] != 0) return false;
        }
        return true;
    }
    // The request is refused: null result, cleared buffer, and send() puts nothing on the wire.
    void expectRefused(const char* dot, Bytes params = {}, const Bytes& data = {},
                       std::optional<int32_t> dataSize = std::nullopt) {
        SCOPED_TRACE(dot != nullptr ? dot : "(null)");
        std::memset(cmd.buffer(), 0x5A, wire::kBufferSize);
        int32_t size = dataSize.value_or(static_cast<int32_t>(data.size()));
        EXPECT_EQ(cmd.buildSPCommand(dot, 2, params.empty() ? nullptr : params.data(),
                                     data.empty() ? nullptr : data.data(), static_cast<int32_t>(params.size()), size),
                  nullptr);
        EXPECT_EQ(cmd.commandByteCount(), 0);
        yattest::FakeComm comm;
        EXPECT_EQ(cmd.send(&comm, 0), static_cast<uint32_t>(ERR_INVALID_PARAMETER));
        EXPECT_TRUE(comm.requests().empty());
    }

    yattest::LogCapture log;
    cSPCmd cmd;
};

TEST_F(Encoding, PlainGetRequest) {
    std::memset(cmd.buffer(), 0xEE, wire::kBufferSize);  // a build starts from a cleared buffer
    EXPECT_EQ(build("4.3.6", 2, {}), (Bytes{0x04, 0x03, 0x06}));
    const uint8_t* b = cmd.buffer();
    EXPECT_EQ(Bytes(b, b + 6), (Bytes{0x02, 0x03, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(cmd.commandByteCount(), 3);
    EXPECT_TRUE(zeroFrom(9));
}

TEST_F(Encoding, HexTokensOfEitherCaseGiveTheLowEightBits) {
    EXPECT_EQ(build("14.1.3.2", 2, {}), (Bytes{0x14, 0x01, 0x03, 0x02}));
    EXPECT_EQ(build("ff.12.5", 2, {}), (Bytes{0xFF, 0x12, 0x05}));
    EXPECT_EQ(build("a.0A.1a.FF.80", 3, {}), (Bytes{0x0A, 0x0A, 0x1A, 0xFF, 0x80}));
    EXPECT_EQ(build("123.7", 2, {}), (Bytes{0x23, 0x07}));
    EXPECT_EQ(build("9", 2, {}), (Bytes{0x09}));
}

TEST_F(Encoding, PlaceholdersTakeParametersInOrder) {
    EXPECT_EQ(build("4.1.4.x.1", 2, {7}), (Bytes{0x04, 0x01, 0x04, 0x07, 0x01}));
    EXPECT_EQ(cmd.buffer()[1], 5);
    EXPECT_EQ(build("4.1.3.x.0C", 2, {2}), (Bytes{0x04, 0x01, 0x03, 0x02, 0x0C}));
    EXPECT_EQ(build("4.9.3.1.4.x.x", 2, {1, 5}), (Bytes{0x04, 0x09, 0x03, 0x01, 0x04, 0x01, 0x05}));
    EXPECT_EQ(build("4.3.2.X.x.X.x", 2, {9, 8, 7, 6}), (Bytes{0x04, 0x03, 0x02, 0x09, 0x08, 0x07, 0x06}));
    EXPECT_EQ(build("x", 2, {0x42}), (Bytes{0x42}));
}

TEST_F(Encoding, SurplusPlaceholdersAreDroppedAndSurplusParametersIgnored) {
    EXPECT_EQ(build("4.1.4.x.1", 2, {}), (Bytes{0x04, 0x01, 0x04, 0x01}));
    EXPECT_EQ(cmd.buffer()[1], 4);
    const uint8_t param = 7;
    cmd.buildSPCommand("4.1.4.x.1", 2, nullptr, nullptr, 1, 0);  // a count without parameter bytes
    EXPECT_EQ(cmd.commandByteCount(), 4);
    cmd.buildSPCommand("4.1.4.x.1", 2, &param, nullptr, 0, 0);  // parameter bytes with count 0
    EXPECT_EQ(cmd.commandByteCount(), 4);
    EXPECT_EQ(build("4.9.x.x", 2, {1}), (Bytes{0x04, 0x09, 0x01}));
    EXPECT_EQ(build("4.x", 2, {1, 2, 3}), (Bytes{0x04, 0x01}));
}

TEST_F(Encoding, SetRequestCarriesItsData) {
    EXPECT_EQ(build("5.2.80", 0, {}, {0x01}), (Bytes{0x05, 0x02, 0x80}));
    const uint8_t* b = cmd.buffer();
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[1], 3);
    EXPECT_EQ(b[2], 1);
    EXPECT_EQ(b[3], 0);
    EXPECT_EQ(b[9], 1);
    EXPECT_TRUE(zeroFrom(10));

    build("4.3.6", 2, {});  // rebuilding clears the earlier data
    EXPECT_EQ(cmd.buffer()[9], 0);
    EXPECT_EQ(cmd.buffer()[2], 0);
}

TEST_F(Encoding, DataLengthOverTwoHundredFiftyFiveKeepsBothBytes) {
    Bytes data(300, 0x33);
    build("5.2.80", 0, {}, data);
    EXPECT_EQ(cmd.buffer()[2], 0x2C);
    EXPECT_EQ(cmd.buffer()[3], 0x01);
    EXPECT_EQ(cmd.buffer()[9 + 299], 0x33);
    EXPECT_EQ(cmd.buffer()[9 + 300], 0);
}

TEST_F(Encoding, DataFillsTheBufferExactlyButNeverBeyond) {
    Bytes full(wire::kBufferSize - 6 - 3, 0x77);
    build("4.3.6", 0, {}, full);
    EXPECT_EQ(cmd.buffer()[wire::kBufferSize - 1], 0x77);
    Bytes tooMuch(full.size() + 1, 0x77);
    expectRefused("4.3.6", {}, tooMuch);
    expectRefused("4.3.6", {}, {0x01}, -2);  // negative size
}

TEST_F(Encoding, NullDataCountsAsNoData) {
    EXPECT_NE(cmd.buildSPCommand("4.3.6", 0, nullptr, nullptr, 0, 5), nullptr);
    EXPECT_EQ(cmd.buffer()[2], 0);
    EXPECT_TRUE(zeroFrom(9));
}

TEST_F(Encoding, NullAndMalformedCommandsAreRefused) {
    expectRefused(nullptr);
    for (const char* dot : {"", ".", "4..3", "4.3.", ".4", "4.g.1", "4.xa.1", "4 .3", "0x14.1", "4.-1", "4.3\n"}) {
        expectRefused(dot, {1});
    }
}

TEST_F(Encoding, TokensAreBoundedAtThirtyTwo) {
    std::string longest = "1";
    for (int i = 1; i < wire::kMaxCommandBytes; ++i) longest += ".1";
    EXPECT_EQ(build(longest.c_str(), 2, {}), Bytes(wire::kMaxCommandBytes, 0x01));

    expectRefused((longest + ".1").c_str());
    std::string placeholders = "x";
    for (int i = 0; i < wire::kMaxCommandBytes; ++i) placeholders += ".x";
    expectRefused(placeholders.c_str());  // even tokens that would be dropped count
}

TEST_F(Encoding, BufferBuilderRefusesWhatDoesNotFit) {
    const uint8_t bytes[2] = {0x04, 0x03};
    EXPECT_EQ(cmd.BuildCommandBuffer(bytes, 2, nullptr, 0, 2), ERR_SUCCESS);
    EXPECT_EQ(cmd.commandByteCount(), 2);
    EXPECT_EQ(cmd.BuildCommandBuffer(nullptr, 2, nullptr, 0, 2), ERR_INVALID_PARAMETER);
    EXPECT_EQ(cmd.commandByteCount(), 0);
    EXPECT_EQ(cmd.BuildCommandBuffer(bytes, 2, nullptr, 0, -1), ERR_INVALID_PARAMETER);
    uint8_t many[wire::kMaxCommandBytes + 1] = {};
    EXPECT_EQ(cmd.BuildCommandBuffer(many, 2, nullptr, 0, wire::kMaxCommandBytes + 1), ERR_INVALID_PARAMETER);
    yattest::FakeComm comm;
    EXPECT_EQ(cmd.send(&comm, 0), static_cast<uint32_t>(ERR_INVALID_PARAMETER));
    EXPECT_TRUE(comm.requests().empty());
}

TEST_F(Encoding, BuilderLogsEveryStep) {
    const uint8_t param = 7;
    cmd.buildSPCommand("4.1.4.x.1", 2, &param, nullptr, 1, 0);
    EXPECT_EQ(log.texts("cSPCmd::buildSPCommand"), (std::vector<std::string>{
                                                       "The spcmd paramsize [1] datasize [0] and command [4.1.4.x.1]",
                                                       "2 increasing counter value [0] to [1]",
                                                       "2 increasing counter value [1] to [2]",
                                                       "2 increasing counter value [2] to [3]",
                                                       "setting cmd element to [7] counter [3]",
                                                       "1 increasing counter value [3] to [4]",
                                                       "Reached the last character in the string and it is [1]",
                                                       "4 increasing counter value [4] to [5]",
                                                   }));
    EXPECT_EQ(log.texts("cSPCmd::BuildCommandBuffer"), (std::vector<std::string>{"There is no data so nothing to do"}));
}

TEST_F(Encoding, BuilderLogsALastPlaceholderWithTheParameterIndex) {
    const uint8_t params[2] = {1, 5};
    const uint8_t data = 1;
    cmd.buildSPCommand("4.9.3.1.4.x.x", 0, params, &data, 2, 1);
    std::vector<std::string> texts = log.texts("cSPCmd::buildSPCommand");
    ASSERT_EQ(texts.size(), 11u);
    EXPECT_EQ(texts[0], "The spcmd paramsize [2] datasize [1] and command [4.9.3.1.4.x.x]");
    EXPECT_EQ(texts[6], "setting cmd element to [1] counter [5]");
    EXPECT_EQ(texts[7], "1 increasing counter value [5] to [6]");
    EXPECT_EQ(texts[8], "Reached the last character in the string and it is [x]");
    EXPECT_EQ(texts[9], "setting cmd element to [5] counter [1]");
    EXPECT_EQ(texts[10], "3 increasing counter value [6] to [7]");
    EXPECT_EQ(log.texts("cSPCmd::BuildCommandBuffer"), (std::vector<std::string>{"There is data so copying it"}));
}

TEST_F(Encoding, DroppedPlaceholderLogsNothingAndNullCommandLogsItsCall) {
    cmd.buildSPCommand("4.x.1", 2, nullptr, nullptr, 0, 0);
    EXPECT_EQ(log.texts("cSPCmd::buildSPCommand"), (std::vector<std::string>{
                                                       "The spcmd paramsize [0] datasize [0] and command [4.x.1]",
                                                       "2 increasing counter value [0] to [1]",
                                                       "Reached the last character in the string and it is [1]",
                                                       "4 increasing counter value [1] to [2]",
                                                   }));
    log.clear();
    cmd.buildSPCommand(nullptr, 2, nullptr, nullptr, 0, 0);
    EXPECT_EQ(log.texts("cSPCmd::buildSPCommand"),
              (std::vector<std::string>{"The spcmd paramsize [0] datasize [0] and command [(null)]"}));
}

}  // namespace
