// Network settings: address conversion, the DHCP fallback, static writes, TCP ports with the restart,
// SMTP limits and the remote-alert items, on the wire and in their results.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "config/ip_config.h"
#include "config/network_settings.h"
#include "config/tcp_port.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "yat/device_lib.h"
#include "yat/result_codes.h"

namespace {

using yattest::Bytes;
using yattest::FakeComm;

// A host-side library object that records restarts, to see setNetworkPort go through the interface.
class RecordingLib final : public cDeviceLib {
public:
    RecordingLib() : cDeviceLib("t", "t", "t", "t") {}
    void resetServiceProcessor(int32_t node) override { restarts.push_back(node); }
    std::vector<int32_t> restarts;
};

class Network : public ::testing::Test {
protected:
    yattest::LogCapture log;
    FakeComm comm{2};
    RecordingLib lib;
    NetworkSettings settings{&comm, lib};
    NetworkSettings closed{nullptr, lib};
};

struct ConvertCase {
    const char* text;
    int32_t result;
    Bytes bytes;
};

class Convert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(Convert, DottedTextToBytes) {
    uint8_t buffer[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(cIPConfig::convertIPStringToData(GetParam().text, buffer, 5), GetParam().result);
    if (GetParam().result == ERR_SUCCESS) {
        EXPECT_EQ(Bytes(buffer, buffer + 4), GetParam().bytes);
    }
    EXPECT_EQ(buffer[5], 0xEE);  // never past the given size
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Convert,
    ::testing::Values(ConvertCase{"192.168.0.1", 0, {192, 168, 0, 1}}, ConvertCase{"10.1.2.3.99", 0, {10, 1, 2, 3}},
                      ConvertCase{"300.1.1.1", 0, {44, 1, 1, 1}}, ConvertCase{" 1.-1.+2.x", 0, {1, 255, 2, 0}},
                      ConvertCase{"99999999999.0.0.1", 0, {0xFF & 99999999999LL, 0, 0, 1}},
                      ConvertCase{"10.1.2", ERR_BAD_ANSWER, {}}, ConvertCase{"1.2.3.4.5.6", ERR_BAD_ANSWER, {}},
                      ConvertCase{"1.2.3.4.5.6.7.8", ERR_BAD_ANSWER, {}}, ConvertCase{"", ERR_BAD_ANSWER, {}}));

TEST(ConvertNull, RefusesNullTextOrBuffer) {
    uint8_t buffer[5];
    EXPECT_EQ(cIPConfig::convertIPStringToData(nullptr, buffer, 5), ERR_BAD_ANSWER);
    EXPECT_EQ(cIPConfig::convertIPStringToData("1.2.3.4", nullptr, 5), ERR_BAD_ANSWER);
}

TEST_F(Network, IpConfigInfoFallsBackToStaticItemsWithoutALease) {
    comm.answer("4.9.1.1.10.2", {0, 0, 0, 0});
    comm.answer("4.9.1.1.4", {192, 168, 70, 125});
    comm.answer("4.9.1.1.e", {255, 255, 255, 0});
    comm.answer("4.9.1.1.9", {192, 168, 70, 1});
    comm.answer("4.9.1.1.8", {1});
    char address[16] = "x", mask[16] = "x", gateway[16] = "x";
    int32_t source = -1;
    EXPECT_EQ(settings.getIPConfigInfo(0, 1, address, mask, gateway, &source), ERR_SUCCESS);
    EXPECT_STREQ(address, "192.168.70.125");
    EXPECT_STREQ(mask, "255.255.255.0");
    EXPECT_STREQ(gateway, "192.168.70.1");
    EXPECT_EQ(source, 1);  // from the DHCP switch, read last
    EXPECT_EQ(comm.commands(),
              (std::vector<std::string>{"4.9.1.1.10.2", "4.9.1.1.4", "4.9.1.1.e", "4.9.1.1.9", "4.9.1.1.8"}));
    EXPECT_TRUE(
        log.has("cLibYAT::getIPConfigInfo", "cLibYAT::getIPConfigInfo -- sourcetype is [0], port [1] node [0]"));
}

TEST_F(Network, IpConfigInfoReadsTheLeaseAndLeavesFailedTextsUntouched) {
    comm.answer("4.9.1.2.10.2", {10, 10, 14, 77});
    comm.status("4.9.1.2.10.4", 7);
    comm.answer("4.9.1.2.10.3", {10, 10}).claimLength(2);  // too short for an address
    comm.answer("4.9.1.2.8", {0});
    char address[16] = "x", mask[16] = "mask", gateway[16] = "gw";
    int32_t source = -1;
    EXPECT_EQ(settings.getIPConfigInfo(1, 2, address, mask, gateway, &source), ERR_SUCCESS);
    EXPECT_STREQ(address, "10.10.14.77");
    EXPECT_STREQ(mask, "mask");
    EXPECT_STREQ(gateway, "gw");
    EXPECT_EQ(source, 0);

    comm.clearRules();
    comm.fail("4.9.1.2.10.2", 6);
    comm.status("4.9.1.2.8", 3);
    EXPECT_EQ(settings.getIPConfigInfo(1, 2, address, nullptr, nullptr, &source), ERR_BAD_ANSWER);
    comm.clearRules();
    comm.fail("4.9.1.2.10.2", 6);
    comm.fail("4.9.1.2.8", 8);
    EXPECT_EQ(settings.getIPConfigInfo(1, 2, address, nullptr, nullptr, &source), 8);
}

// The first read (the DHCP-assigned address) decides where the texts come from. Refused or short, it
// counts as no lease and the static items are read; failing in transport, no text is read. Either
// way the IP source and the result come from the DHCP switch, read last.
struct FirstReadCase {
    const char* name;
    std::function<void(FakeComm&)> script;
    std::vector<std::string> commands;
    const char* address;
};

class IpConfigFirstRead : public Network, public ::testing::WithParamInterface<FirstReadCase> {};

TEST_P(IpConfigFirstRead, DecidesWhereTheTextsComeFrom) {
    const FirstReadCase& c = GetParam();
    c.script(comm);
    comm.answer("4.9.1.1.4", {192, 168, 70, 125});
    comm.answer("4.9.1.1.8", {1});
    char address[16] = "x";
    int32_t source = -1;
    EXPECT_EQ(settings.getIPConfigInfo(0, 1, address, nullptr, nullptr, &source), ERR_SUCCESS);
    EXPECT_EQ(comm.commands(), c.commands);
    EXPECT_STREQ(address, c.address);
    EXPECT_EQ(source, 1);
}

INSTANTIATE_TEST_SUITE_P(Failures, IpConfigFirstRead,
                         ::testing::Values(FirstReadCase{"Refused",
                                                         [](FakeComm& c) {
                                                             c.status("4.9.1.1.10.2", 7, {10, 1, 1, 1});
                                                         },
                                                         {"4.9.1.1.10.2", "4.9.1.1.4", "4.9.1.1.8"},
                                                         "192.168.70.125"},
                                           FirstReadCase{"Short",
                                                         [](FakeComm& c) {
                                                             c.answer("4.9.1.1.10.2", {10, 1});
                                                         },
                                                         {"4.9.1.1.10.2", "4.9.1.1.4", "4.9.1.1.8"},
                                                         "192.168.70.125"},
                                           FirstReadCase{"Transport",
                                                         [](FakeComm& c) { c.fail("4.9.1.1.10.2", 6); },
                                                         {"4.9.1.1.10.2", "4.9.1.1.8"},
                                                         "x"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Network, ArgumentChecksSendNothing) {
    char text[16];
    int32_t value = 0;
    EXPECT_EQ(settings.getIPConfigInfo(0, 1, nullptr, nullptr, nullptr, &value), ERR_INVALID_PARAMETER);
    EXPECT_EQ(settings.getIPConfigInfo(0, 1, text, nullptr, nullptr, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(closed.getIPConfigInfo(0, 1, text, nullptr, nullptr, &value), ERR_FAILED);
    EXPECT_EQ(settings.getDHCPEnable(0, 1, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(closed.getDHCPEnable(0, 1, &value), ERR_FAILED);
    EXPECT_EQ(settings.getIPConfigString(0, 1, text, 0), ERR_INVALID_PARAMETER);
    EXPECT_EQ(closed.setDHCPEnable(0, 1, 1), ERR_FAILED);
    EXPECT_EQ(settings.setDHCPEnable(0, 1, 256), ERR_INVALID_PARAMETER);
    EXPECT_EQ(settings.setIPConfigString(0, 1, nullptr, 3), ERR_INVALID_PARAMETER);
    EXPECT_EQ(settings.setIPConfigString(0, 1, "abc", 5000), ERR_INVALID_PARAMETER);
    EXPECT_EQ(closed.getNetworkPort(0, 1, &value), ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(settings.getNetworkPort(0, 1, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(closed.setNetworkPort(0, 1, 80), ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(settings.setNetworkPort(0, 1, 65536), ERR_INVALID_PARAMETER);
    EXPECT_EQ(settings.setNetworkPort(0, 1, -1), ERR_INVALID_PARAMETER);
    // Interface and port numbers that do not fit their byte would address another item.
    for (int32_t number : {256, -1, static_cast<int32_t>(0xFFFFFFFFu)}) {
        EXPECT_EQ(settings.getDHCPEnable(0, number, &value), ERR_INVALID_INDEX);
        EXPECT_EQ(settings.setIPConfigInfo(0, number, "1.2.3.4", nullptr, nullptr), ERR_INVALID_INDEX);
        EXPECT_EQ(settings.getNetworkPort(0, number, &value), ERR_INVALID_INDEX);
        EXPECT_EQ(settings.setNetworkPort(0, number, 80), ERR_INVALID_INDEX);
    }
    EXPECT_TRUE(comm.requests().empty());
    EXPECT_TRUE(lib.restarts.empty());
}

TEST_F(Network, DhcpSwitchAndTextItem) {
    comm.answer("4.9.1.1.8", {1}).type(wire::kGet);
    int32_t enable = -1;
    EXPECT_EQ(settings.getDHCPEnable(0, 1, &enable), ERR_SUCCESS);
    EXPECT_EQ(enable, 1);
    comm.answer("4.9.1.3.8", {}).claimLength(0);
    enable = -1;
    EXPECT_EQ(settings.getDHCPEnable(0, 3, &enable), ERR_BAD_ANSWER);  // no data byte
    EXPECT_EQ(enable, -1);

    comm.answer("4.9.1.1.3", {'h', 'o', 's', 't'}).type(wire::kGet);
    char text[8] = "xxxxxxx";
    EXPECT_EQ(settings.getIPConfigString(0, 1, text, 1), ERR_SUCCESS);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(settings.getIPConfigString(0, 1, text, 3), ERR_SUCCESS);
    EXPECT_STREQ(text, "ho");

    comm.clearRequests();
    comm.status("4.9.1.1.8", 3).type(wire::kSet).times(1);
    EXPECT_EQ(settings.setDHCPEnable(1, 1, 2), 3);
    EXPECT_EQ(comm.requests().at(0).data, Bytes{2});
    EXPECT_TRUE(log.has("cLibYAT::setDHCPEnable",
                        "The device driver call succeeded and status is [3] for node [1] and port [1] and enable [2]"));

    comm.status("4.9.1.1.3", 3).type(wire::kSet).times(1);
    EXPECT_EQ(settings.setIPConfigString(0, 1, "name", 4), ERR_BAD_ANSWER);
    comm.answer("4.9.1.1.3", {}).type(wire::kSet);
    EXPECT_EQ(settings.setIPConfigString(0, 1, "name", 4), ERR_SUCCESS);
    EXPECT_EQ(comm.requests().back().data, (Bytes{'n', 'a', 'm', 'e'}));
}

TEST_F(Network, StaticWritesGoMaskAddressGateway) {
    comm.answer("4.9.1.2.e", {});
    comm.answer("4.9.1.2.4", {});
    comm.answer("4.9.1.2.9", {});
    EXPECT_EQ(settings.setIPConfigInfo(0, 2, "10.0.0.9", "255.0.0.0", "10.0.0.1"), ERR_SUCCESS);
    std::vector<yattest::Request> sent = comm.requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].command, "4.9.1.2.e");
    EXPECT_EQ(sent[0].data, (Bytes{255, 0, 0, 0}));
    EXPECT_EQ(sent[1].command, "4.9.1.2.4");
    EXPECT_EQ(sent[1].data, (Bytes{10, 0, 0, 9}));
    EXPECT_EQ(sent[2].command, "4.9.1.2.9");
    EXPECT_EQ(sent[2].type, wire::kSet);
}

TEST_F(Network, AnyTextThatDoesNotConvertStopsEveryWrite) {
    EXPECT_EQ(settings.setIPConfigInfo(0, 1, "10.0.0.9", "255.0.0.0", "10.0.0"), ERR_INVALID_PARAMETER);
    EXPECT_EQ(settings.setIPConfigInfo(0, 1, "1.2.3.4.5.6", nullptr, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(comm.requests().empty());
}

TEST_F(Network, StaticWriteStopsAtTheFirstRefusalOrSendFailure) {
    comm.answer("4.9.1.1.e", {});
    comm.status("4.9.1.1.4", 4).times(1);
    EXPECT_EQ(settings.setIPConfigInfo(0, 1, "10.0.0.9", "255.0.0.0", "10.0.0.1"), 4);
    EXPECT_EQ(comm.count("4.9.1.1.9"), 0u);
    EXPECT_TRUE(log.has("cLibYAT::setIPConfigInfo",
                        "setting ipaddr the deviceDriver retval is [4] and the status field is [4]"));
    comm.fail("4.9.1.1.4", 17);
    EXPECT_EQ(settings.setIPConfigInfo(0, 1, "10.0.0.9", "255.0.0.0", "10.0.0.1"), 17);
    EXPECT_EQ(comm.count("4.9.1.1.9"), 0u);
}

TEST_F(Network, PortWriteIsFollowedByTheRestartThroughTheInterface) {
    comm.answer("4.d.2", {}).type(wire::kSet);
    EXPECT_EQ(settings.setNetworkPort(1, 2, 8080), ERR_SUCCESS);
    ASSERT_EQ(comm.requests().size(), 1u);
    EXPECT_EQ(comm.requests()[0].data, (Bytes{0x1F, 0x90}));
    EXPECT_EQ(comm.requests()[0].node, 1);
    EXPECT_EQ(lib.restarts, std::vector<int32_t>{1});
    EXPECT_TRUE(log.has("cSvcProcCfg::setNetworkPort", "setting the port [2] to [1f 90] from newPort [8080]"));

    comm.clearRules();
    comm.status("4.d.2", 5).times(1);
    EXPECT_EQ(settings.setNetworkPort(1, 2, 8080), 5);
    comm.fail("4.d.2", 11);
    EXPECT_EQ(settings.setNetworkPort(1, 2, 8080), 11);
    EXPECT_EQ(lib.restarts.size(), 1u);  // no restart after a failed write

    // The library object's own restart sends "7.4".
    settings.resetServiceProcessor(0);
    EXPECT_EQ(comm.requests().back().command, "7.4");
    EXPECT_EQ(comm.requests().back().type, wire::kSet);
}

TEST_F(Network, PortReadResults) {
    comm.answer("4.d.1", {0x01, 0xBB}).times(1);
    int32_t value = -1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(settings.getNetworkPort(0, 1, &value), ERR_SUCCESS);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(value, 443);
    EXPECT_NE(printed.find("cSvcProcCfg::getTCPNetworkPortData -- value [443]"), std::string::npos);

    comm.status("4.d.1", 2).times(1);
    value = -1;
    EXPECT_EQ(settings.getNetworkPort(0, 1, &value), 2);
    comm.answer("4.d.1", {0x01}).times(1);
    EXPECT_EQ(settings.getNetworkPort(0, 1, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(value, -1);
}

TEST_F(Network, SmtpServerLimits) {
    comm.answer("4.9.3.3.1", {}).type(wire::kSet).times(1);
    std::string longest(63, 's');
    EXPECT_EQ(settings.setSMTPConfiguration(0, 0, longest.c_str()), ERR_SUCCESS);
    Bytes expected(longest.begin(), longest.end());
    expected.resize(64, 0);
    EXPECT_EQ(comm.requests().at(0).data, expected);

    comm.clearRequests();
    std::string tooLong(64, 's');
    EXPECT_EQ(settings.setSMTPConfiguration(0, 0, tooLong.c_str()), ERR_INVALID_PARAMETER);
    EXPECT_EQ(settings.setSMTPConfiguration(0, 1, "mail"), ERR_INVALID_INDEX);
    EXPECT_EQ(settings.setSMTPConfiguration(0, 0, nullptr), ERR_SUCCESS);
    EXPECT_EQ(closed.setSMTPConfiguration(0, 0, "mail"), ERR_DEVICE_NOT_OPEN);
    EXPECT_TRUE(comm.requests().empty());

    comm.status("4.9.3.3.1", 3).type(wire::kSet);
    EXPECT_EQ(settings.setSMTPConfiguration(0, 0, "mail"), ERR_BAD_ANSWER);
}

TEST_F(Network, SmtpServerReadIsBoundedAndMaxSizeNeedsNoCommand) {
    uint32_t most = 0;
    EXPECT_EQ(settings.getSMTPConfiguration(0, 5, nullptr, &most), ERR_SUCCESS);
    EXPECT_EQ(most, 63u);
    EXPECT_TRUE(comm.requests().empty());

    comm.answer("4.9.3.3.1", Bytes(200, 'm'));  // no terminator anywhere
    char server[65];
    std::memset(server, 0xEE, sizeof server);
    EXPECT_EQ(settings.getSMTPConfiguration(0, 0, server, nullptr), ERR_SUCCESS);
    EXPECT_EQ(std::string(server), std::string(63, 'm'));
    EXPECT_EQ(static_cast<uint8_t>(server[64]), 0xEE);
    EXPECT_EQ(settings.getSMTPConfiguration(0, 1, server, nullptr), ERR_INVALID_INDEX);
    EXPECT_EQ(closed.getSMTPConfiguration(0, 0, server, &most), ERR_DEVICE_NOT_OPEN);
    EXPECT_TRUE(log.has("cLibYAT::getSMTPConfiguration", "device not open"));
}

TEST_F(Network, RemoteAlertReadsStopAtTheFirstFailure) {
    comm.answer("4.1.1.5", {3});
    comm.status("4.1.1.4", 1);
    int32_t v5 = -1, v4 = -1, v3 = -1, flag = -1;
    uint8_t smtp = 0xEE;
    EXPECT_EQ(settings.getRemoteAlertConfiguration(0, &v5, &v4, &v3, &flag, &smtp), ERR_BAD_ANSWER);
    EXPECT_EQ(v5, 3);
    EXPECT_EQ(v4, -1);
    EXPECT_EQ(v3, -1);
    EXPECT_EQ(smtp, 0xEE);

    comm.answer("4.9.3.3.2", {0, 0, 1, 0});
    EXPECT_EQ(settings.getRemoteAlertConfiguration(0, nullptr, nullptr, nullptr, nullptr, &smtp), ERR_SUCCESS);
    EXPECT_EQ(smtp, 1);
    comm.clearRules();
    comm.status("4.9.3.3.2", 2);
    EXPECT_EQ(settings.getRemoteAlertConfiguration(0, nullptr, nullptr, nullptr, nullptr, &smtp), ERR_BAD_ANSWER);
    EXPECT_EQ(smtp, 0);  // a failed switch read stores 0
}

TEST_F(Network, RemoteAlertWritesSendLowBytesAndNormalisedSwitches) {
    for (const char* command : {"4.1.1.5", "4.1.1.4", "4.1.1.3", "4.5.8", "4.9.3.3.2"}) comm.answer(command, {});
    int32_t v5 = 0x103, v4 = 2, v3 = 4;
    uint8_t flag = 5, smtp = 9;
    EXPECT_EQ(settings.setRemoteAlertConfiguration(0, &v5, &v4, &v3, &flag, &smtp), ERR_SUCCESS);
    std::vector<yattest::Request> sent = comm.requests();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0].data, Bytes{3});
    EXPECT_EQ(sent[3].command, "4.5.8");
    EXPECT_EQ(sent[3].data, Bytes{1});
    EXPECT_EQ(sent[4].data, (Bytes{0, 0, 0, 1}));

    comm.clearRequests();
    comm.clearRules();
    comm.answer("4.1.1.5", {});
    comm.status("4.1.1.4", 3);
    EXPECT_EQ(settings.setRemoteAlertConfiguration(0, &v5, &v4, &v3, nullptr, nullptr), ERR_BAD_ANSWER);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"4.1.1.5", "4.1.1.4"}));
}

// A send that fails part-way through a write never reports success, and nothing follows it.
TEST_F(Network, EveryFailedSendOfAStaticWriteEndsIt) {
    for (int n = 1; n <= 3; ++n) {
        FakeComm flaky(1);
        for (const char* command : {"4.9.1.1.e", "4.9.1.1.4", "4.9.1.1.9"}) flaky.answer(command, {});
        flaky.failNth(n, 40 + static_cast<uint32_t>(n));
        NetworkSettings writer(&flaky, lib);
        EXPECT_EQ(writer.setIPConfigInfo(0, 1, "1.2.3.4", "255.255.0.0", "1.2.0.1"), 40 + n);
        EXPECT_EQ(flaky.requests().size(), static_cast<size_t>(n));
    }
}

TEST(PortAnswer, DecoderBoundsItsReads) {
    Bytes buffer(wire::kBufferSize, 0);
    const uint8_t command[] = {4, 0xd, 1};
    yattest::writeAnswer(buffer.data(), command, 3, 0, {0x1F, 0x90});
    int32_t value = -1;
    EXPECT_EQ(decodePortAnswer(buffer.data(), buffer.size(), &value), ERR_SUCCESS);
    EXPECT_EQ(value, 8080);
    value = -1;
    EXPECT_EQ(decodePortAnswer(buffer.data(), 10, &value), ERR_BAD_ANSWER);  // the bytes lie past the end
    EXPECT_EQ(decodePortAnswer(buffer.data(), 3, &value), ERR_BAD_ANSWER);
    EXPECT_EQ(value, -1);
}

}  // namespace
