// Generic transfers: bytes on the wire and every result.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "commands/sp_cmd.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"

namespace {

using yattest::Bytes;
using yattest::FakeComm;

class Transfers : public ::testing::Test {
protected:
    FakeComm comm{2};
    cSPCmd cmd;
};

TEST_F(Transfers, SendRequestBuildsWithoutDataAndReturnsTheSendResult) {
    const uint8_t params[2] = {3, 9};
    comm.answer("4.9.3.9", {1});
    EXPECT_EQ(cmd.sendRequest(&comm, 1, 3, "4.9.x.x", params, 2), ERR_SUCCESS);
    std::vector<yattest::Request> sent = comm.requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].node, 1);
    EXPECT_EQ(Bytes(sent[0].buffer.begin(), sent[0].buffer.begin() + 10),
              (Bytes{0x03, 0x04, 0x00, 0x00, 0x00, 0x00, 0x04, 0x09, 0x03, 0x09}));

    comm.fail("4.3.6", 9);
    EXPECT_EQ(cmd.sendRequest(&comm, 0, 2, "4.3.6", nullptr, 0), 9);
    EXPECT_EQ(cmd.sendRequest(nullptr, 0, 2, "4.3.6", nullptr, 0), ERR_INVALID_PARAMETER);
    EXPECT_EQ(cmd.sendRequest(&comm, 0, 2, "4..6", nullptr, 0), ERR_INVALID_PARAMETER);
    EXPECT_EQ(comm.requests().size(), 2u);
}

TEST_F(Transfers, ReadDataCopiesExactlyTheRequestedLength) {
    comm.answer("4.3.6", {1, 2, 3, 4, 5, 6}).claimLength(2);
    uint8_t out[6];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(cmd.readData(&comm, 0, 2, "4.3.6", nullptr, 0, out, 4), ERR_SUCCESS);
    EXPECT_EQ(Bytes(out, out + 6), (Bytes{1, 2, 3, 4, 0xEE, 0xEE}));
    EXPECT_EQ(comm.requests().at(0).type, 2);

    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(cmd.readData(&comm, 0, 2, "4.3.6", nullptr, 0, out, 0), ERR_SUCCESS);
    EXPECT_EQ(out[0], 0xEE);
}

TEST_F(Transfers, ReadDataLongerThanTheBufferHoldsStopsAtItsEnd) {
    comm.answer("4.3.6", Bytes(wire::kBufferSize, 0x11));
    std::vector<uint8_t> out(6000, 0xEE);
    EXPECT_EQ(cmd.readData(&comm, 0, 2, "4.3.6", nullptr, 0, out.data(), 5000), ERR_SUCCESS);
    const size_t room = wire::kBufferSize - 6 - 3;
    EXPECT_EQ(out[room - 1], 0x11);
    EXPECT_EQ(out[room], 0);  // the part no answer can hold reads as zeros
    EXPECT_EQ(out[4999], 0);
    EXPECT_EQ(out[5000], 0xEE);
}

TEST_F(Transfers, ReadDataResults) {
    uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(cmd.readData(nullptr, 0, 2, "4.3.6", nullptr, 0, out, 4), ERR_INVALID_PARAMETER);
    EXPECT_EQ(cmd.readData(&comm, 0, 2, "4.3.6", nullptr, 0, nullptr, 4), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(comm.requests().empty());

    comm.status("4.3.6", 3, {1, 2, 3, 4}).times(1);
    EXPECT_EQ(cmd.readData(&comm, 0, 2, "4.3.6", nullptr, 0, out, 4), ERR_BAD_ANSWER);
    comm.answer("4.3.6", {1, 2, 3, 4}).echoLength(2).times(1);
    EXPECT_EQ(cmd.readData(&comm, 0, 2, "4.3.6", nullptr, 0, out, 4), ERR_BAD_ANSWER);
    comm.answer("4.3.6", {1, 2, 3, 4}).answerType(5).times(1);
    EXPECT_EQ(cmd.readData(&comm, 0, 2, "4.3.6", nullptr, 0, out, 4), ERR_BAD_ANSWER);
    comm.fail("4.3.6", 21).times(1);
    EXPECT_EQ(cmd.readData(&comm, 0, 2, "4.3.6", nullptr, 0, out, 4), 21);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST_F(Transfers, ReadValue32IsMostSignificantByteFirst) {
    comm.answer("7.1", {0x12, 0x34, 0x56, 0x78});
    uint32_t value = 0;
    EXPECT_EQ(cmd.readValue32(&comm, 0, "7.1", &value), ERR_SUCCESS);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(comm.requests().at(0).type, 2);
    EXPECT_EQ(cmd.readValue32(&comm, 0, "7.1", nullptr), ERR_INVALID_PARAMETER);

    comm.clearRules();
    value = 5;
    EXPECT_EQ(cmd.readValue32(&comm, 0, "7.1", &value), ERR_BAD_ANSWER);  // unknown command: status 0xFF
    EXPECT_EQ(value, 5u);
}

TEST_F(Transfers, WriteDataSendsASetRequestAndChecksOnlyTheStatus) {
    const uint8_t param = 2;
    const uint8_t data[3] = {0xA1, 0xA2, 0xA3};
    comm.answer("4.5.2.1", {}).answerType(9).echoLength(0);
    EXPECT_EQ(cmd.writeData(&comm, 1, "4.5.x.1", &param, 1, data, 3), ERR_SUCCESS);
    yattest::Request sent = comm.requests().at(0);
    EXPECT_EQ(sent.node, 1);
    EXPECT_EQ(Bytes(sent.buffer.begin(), sent.buffer.begin() + 13),
              (Bytes{0x00, 0x04, 0x03, 0x00, 0x00, 0x00, 0x04, 0x05, 0x02, 0x01, 0xA1, 0xA2, 0xA3}));

    comm.clearRules();
    comm.status("4.5.2.1", 1);
    EXPECT_EQ(cmd.writeData(&comm, 1, "4.5.x.1", &param, 1, data, 3), ERR_BAD_ANSWER);
    comm.clearRules();
    comm.fail("4.5.2.1", 13);
    EXPECT_EQ(cmd.writeData(&comm, 1, "4.5.x.1", &param, 1, data, 3), 13);
    EXPECT_EQ(cmd.writeData(nullptr, 1, "4.5.x.1", &param, 1, data, 3), ERR_INVALID_PARAMETER);
}

TEST_F(Transfers, WriteValue32SendsFourBytesMostSignificantFirst) {
    comm.answer("7.2", {});
    EXPECT_EQ(cmd.writeValue32(&comm, 0, "7.2", 0x01020304u), ERR_SUCCESS);
    yattest::Request sent = comm.requests().at(0);
    EXPECT_EQ(sent.type, 0);
    EXPECT_EQ(sent.data, (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(sent.buffer[2], 4);
}

TEST_F(Transfers, SendWithoutABuiltRequestSendsNothing) {
    EXPECT_EQ(cmd.send(&comm, 0), static_cast<uint32_t>(ERR_INVALID_PARAMETER));
    ASSERT_NE(cmd.buildSPCommand("4.3.6", 2, nullptr, nullptr, 0, 0), nullptr);
    EXPECT_EQ(cmd.send(nullptr, 0), static_cast<uint32_t>(ERR_INVALID_PARAMETER));
    EXPECT_TRUE(comm.requests().empty());
}

}  // namespace
