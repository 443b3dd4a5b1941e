// The simulated SP's answers, byte for byte, and the state its writes change.

#include <gtest/gtest.h>

#include "sim/scenario.h"
#include "sim_test_util.h"

namespace {

using simtest::Bytes;
using simtest::send;
using yatsim::SimBusComm;

TEST(SimHandlers, SystemStateAnswerIsAWholeAnswerBuffer) {
    SimBusComm comm;
    simtest::Reply reply = send(comm, "4.3.6");
    ASSERT_EQ(reply.result, 0u);
    EXPECT_EQ(Bytes(reply.buffer.begin(), reply.buffer.begin() + 10), (Bytes{4, 3, 1, 0, 0, 0, 4, 3, 6, 4}));
    for (size_t i = 10; i < reply.buffer.size(); ++i) ASSERT_EQ(reply.buffer[i], 0) << i;
}

TEST(SimHandlers, LittleEndianCountersAndWatchdogs) {
    SimBusComm comm;
    EXPECT_EQ(send(comm, "4.3.3.1").data(), (Bytes{0xB0, 0x35, 0xBE, 0x01}));  // 8123 h = 29242800 s
    EXPECT_EQ(send(comm, "4.3.3.2", wire::kGet, {}, 1).data(), (Bytes{35, 0}));
    EXPECT_EQ(send(comm, "6.1").data(), (Bytes{1}));
    EXPECT_EQ(send(comm, "5.1.1").data(), (Bytes{10}));
    EXPECT_EQ(send(comm, "5.1.2").data(), (Bytes{120}));
    EXPECT_EQ(send(comm, "5.1.3").data(), (Bytes{4}));
    EXPECT_EQ(send(comm, "6.2.1").data(), (Bytes{45, 0}));
}

TEST(SimHandlers, SummaryCarriesTypeAndSortedCapabilities) {
    SimBusComm comm;
    Bytes data = send(comm, "1.2").data();
    ASSERT_EQ(data.size(), 36u + 4u + 10u * 4u);
    EXPECT_EQ(data[0], 0x10);
    EXPECT_EQ(data[1], 0x00);
    EXPECT_EQ(Bytes(data.begin() + 36, data.begin() + 40), (Bytes{0x10, 0x01, 0x00, 3}));
    EXPECT_EQ(Bytes(data.begin() + 40, data.begin() + 48), (Bytes{0x00, 0x01, 0x00, 0x01, 0x00, 0x02, 0x00, 0x01}));
    EXPECT_EQ(Bytes(data.end() - 4, data.end()), (Bytes{0x00, 64, 0x00, 0x01}));
}

TEST(SimHandlers, ProbesAnswerOnlyForTheirFamily) {
    SimBusComm comm;  // summary type 3: the Beryl probe answers
    EXPECT_EQ(send(comm, "4.9.1.1.16.2").status(), 0);
    EXPECT_EQ(send(comm, "4.3.5.19.1").status(), 0xFF);
    EXPECT_EQ(send(comm, "4.9.1.1.1").status(), 0xFF);
}

TEST(SimHandlers, IpmiDeviceIdAndRevisions) {
    SimBusComm comm;
    simtest::Reply id = send(comm, "ff.12.5", wire::kSet, {0x06, 0x01});
    EXPECT_EQ(id.data(), (Bytes{0x00, 32, 1, 2, 0x41, 0x02, 0xBF, 0xA1, 0xF0, 0x0F, 0x23, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(send(comm, "ff.12.5", wire::kSet, {0x3A, 0x6B, 2}).data(), (Bytes{0x00, 3, 0, 12, 5}));
    EXPECT_EQ(send(comm, "ff.12.5", wire::kSet, {0x3A, 0x6B, 7}).data(), (Bytes{0xC9}));  // unknown component
    EXPECT_EQ(send(comm, "ff.12.5", wire::kSet, {0x0A, 0x40}).data(), (Bytes{0xC1}));     // unknown IPMI command
    EXPECT_EQ(send(comm, "ff.12.5", wire::kSet, {0x06}).status(), 1);                     // no IPMI command byte
}

TEST(SimHandlers, VpdReadsWindowsAndRefusesLongReads) {
    SimBusComm comm;
    simtest::Reply refused = send(comm, "4.3.5.e.1", wire::kGet, {0, 0, 96, 0});
    EXPECT_EQ(refused.status(), 7);
    EXPECT_EQ(refused.length(), 0);
    simtest::Reply drive = send(comm, "4.3.5.e.1", wire::kGet, {0, 0, 90, 0});
    ASSERT_EQ(drive.status(), 0);
    ASSERT_EQ(drive.length(), 90);
    Bytes image = drive.data();
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{'V', 'P', 'D', 1}));
    EXPECT_EQ(Bytes(image.begin() + 28, image.begin() + 40), simtest::text("YD6B2H004411"));

    // Planar window of part 1: serial stored second half first, then the manufacturer ID.
    Bytes part1 = send(comm, "4.3.5.2.1", wire::kGet, {16, 0, 16, 0}).data();
    EXPECT_EQ(part1, simtest::text("41C7A2YB10KQYATS"));
    // A window past the end of the image is cut.
    EXPECT_EQ(send(comm, "4.3.5.2.1", wire::kGet, {120, 0, 96, 0}).length(), 8);
    EXPECT_EQ(send(comm, "4.3.5.2.1", wire::kGet, {0, 1, 4, 0}).length(), 0);
    // Absent device, malformed request data.
    EXPECT_EQ(send(comm, "4.3.5.c.3", wire::kGet, {0, 0, 96, 0}).status(), 2);
    EXPECT_EQ(send(comm, "4.3.5.2.1", wire::kGet, {0, 0, 96}).status(), 1);
    EXPECT_EQ(send(comm, "4.3.a").data().size(), 16u);
}

TEST(SimHandlers, WritesChangeTheNodeState) {
    SimBusComm comm;
    EXPECT_EQ(send(comm, "5.1.2", wire::kSet, {0x21}, 1).status(), 0);
    EXPECT_EQ(send(comm, "5.1.2", wire::kGet, {}, 1).data(), (Bytes{0x21}));
    EXPECT_EQ(send(comm, "5.1.2").data(), (Bytes{120}));  // node 0 untouched
    EXPECT_EQ(send(comm, "6.2.1", wire::kSet, {0x2C, 0x01}).status(), 0);
    EXPECT_EQ(send(comm, "6.2.1").data(), (Bytes{0x2C, 0x01}));
    EXPECT_EQ(send(comm, "6.1", wire::kSet, {0}).status(), 0);
    EXPECT_EQ(send(comm, "6.1").data(), (Bytes{0}));
    EXPECT_EQ(send(comm, "5.1.1", wire::kSet, {1, 2}).status(), 1);  // wrong size: refused, unchanged
    EXPECT_EQ(send(comm, "5.1.1").data(), (Bytes{10}));
    // An EEPROM write at offset 4 shows in the next read.
    EXPECT_EQ(send(comm, "4.3.5.3.1", wire::kSet, {4, 0, 'X', 'Y'}).status(), 0);
    EXPECT_EQ(send(comm, "4.3.5.3.1", wire::kGet, {4, 0, 4, 0}).data(), simtest::text("XYD3"));
    EXPECT_EQ(send(comm, "4.3.5.3.1", wire::kSet, {127, 0, 'X', 'Y'}).status(), 1);  // past the end
}

TEST(SimHandlers, UnknownAndMalformedRequests) {
    SimBusComm comm;
    simtest::Reply unknown = send(comm, "9.9.9");
    EXPECT_EQ(unknown.status(), 0xFF);
    EXPECT_EQ(unknown.echo(), 3);
    EXPECT_EQ(send(comm, "4.3.6", 7).status(), 1);  // no such request type

    uint8_t buffer[wire::kBufferSize] = {2, 0};  // no command bytes
    ASSERT_EQ(comm.sendCommand(0, buffer), 0u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(buffer[1], 0);
    EXPECT_EQ(buffer[4], 1);
    std::fill(std::begin(buffer), std::end(buffer), 0xFF);  // command length 255, data length 65535
    buffer[0] = 2;
    ASSERT_EQ(comm.sendCommand(0, buffer), 0u);
    EXPECT_EQ(buffer[4], 1);
    // Data length beyond the buffer: read only what the buffer holds.
    uint8_t huge[wire::kBufferSize] = {2, 3, 0xFF, 0xFF, 0, 0, 4, 3, 6};
    ASSERT_EQ(comm.sendCommand(0, huge), 0u);
    EXPECT_EQ(huge[4], 1);  // "4.3.6" takes no data

    EXPECT_EQ(comm.sendCommand(2, buffer), SimBusComm::kNoSuchNode);
    EXPECT_EQ(comm.sendCommand(-1, buffer), SimBusComm::kNoSuchNode);
    EXPECT_EQ(comm.sendCommand(0, nullptr), SimBusComm::kNoSuchNode);
}

TEST(SimHandlers, AnswerNeverExceedsTheBuffer) {
    std::string image(2 * 4000, 'a');
    SimBusComm comm(yatsim::parseScenario(R"({"nodes": [{"vpd": {"devices": [
        {"command": "4.3.5.2.7.3.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1", "hex": ")" +
                                              image + R"("}]}}]})",
                                          "test"));
    simtest::Reply reply = send(comm, "4.3.5.2.7.3.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1");
    ASSERT_EQ(reply.status(), 0);
    EXPECT_EQ(reply.length(), 4000u);  // the whole image: 4096 - 6 - 32 = 4058 would fit
}

}  // namespace
