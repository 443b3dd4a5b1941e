// The simulated SP's event log and network settings, and the library's operations over them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "frame/libyat.h"
#include "kit/log_reader.h"
#include "sim/scenario.h"
#include "sim_test_util.h"
#include "yat/event_log_records.h"
#include "yat/result_codes.h"

namespace {

using simtest::Bytes;
using simtest::send;
using yatsim::SimBusComm;

SimBusComm scenario(const std::string& node) {
    return SimBusComm(yatsim::parseScenario("{\"nodes\": [" + node + "]}", "test"));
}

TEST(SimEventLog, HandsOutNewestFirstThenEndsWithLengthZero) {
    SimBusComm comm = scenario(R"({"eventLog": {"entries": [
        {"label": "OLD", "time": "1999-12-31 23:59:59", "message": "first"},
        {"label": "NEW", "time": "2000-01-01 00:00:00", "entryByte": 3, "message": "second"}]}})");
    Bytes newest = send(comm, "3.4.2").data();
    ASSERT_GE(newest.size(), 2u + 20u);
    EXPECT_EQ(newest[0], 26);  // 20 + "second"
    EXPECT_EQ(Bytes(newest.begin() + 2, newest.begin() + 5), (Bytes{'N', 'E', 'W'}));
    EXPECT_EQ(newest[2 + 9], 3);
    EXPECT_EQ(newest[2 + 10], 0);  // year byte of 2000
    Bytes older = send(comm, "3.4.2", wire::kGetNext).data();
    EXPECT_EQ(older[2 + 10], 99);
    EXPECT_EQ(send(comm, "3.4.2", wire::kGetNext).data(), (Bytes{0, 0}));
    EXPECT_EQ(send(comm, "3.4.2").data()[2], 'N');  // a get starts over

    EXPECT_EQ(send(comm, "3.4.3", wire::kSet, {1}).status(), 1);  // erase takes no data
    EXPECT_EQ(send(comm, "3.4.3", wire::kSet).status(), 0);
    EXPECT_EQ(send(comm, "3.4.2").data(), (Bytes{0, 0}));
}

TEST(SimNetwork, PortWriteTakesEffectAtTheRestart) {
    SimBusComm comm = scenario(R"({"network": {"ports": [{"number": 2, "port": 443}]}})");
    EXPECT_EQ(send(comm, "4.d.2", wire::kSet, {0x1F, 0x90}).status(), 0);
    EXPECT_EQ(send(comm, "4.d.2").data(), (Bytes{0x01, 0xBB}));  // still in force until the restart
    EXPECT_EQ(send(comm, "7.4", wire::kSet).status(), 0);
    EXPECT_EQ(send(comm, "4.d.2").data(), (Bytes{0x1F, 0x90}));
    EXPECT_EQ(send(comm, "4.d.2", wire::kSet, {0, 0}).status(), 3);  // port 0 refused
    EXPECT_EQ(send(comm, "4.d.7").status(), 2);                      // no such port
}

struct Refusal {
    const char* command;
    Bytes data;
};

class SimNetworkRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(SimNetworkRefusals, OutOfRangeWritesAreRefusedWithStatus3) {
    SimBusComm comm;
    Bytes before = send(comm, GetParam().command).data();
    EXPECT_EQ(send(comm, GetParam().command, wire::kSet, GetParam().data).status(), 3);
    EXPECT_EQ(send(comm, GetParam().command).data(), before);
}

INSTANTIATE_TEST_SUITE_P(Values, SimNetworkRefusals,
                         ::testing::Values(Refusal{"4.9.1.1.8", {2}}, Refusal{"4.9.1.1.e", {255, 0, 255, 0}},
                                           Refusal{"4.9.1.1.3", Bytes(64, 'a')}, Refusal{"4.9.3.3.1", Bytes(64, 'a')},
                                           Refusal{"4.9.3.3.2", {0, 0, 0, 2}}, Refusal{"4.1.1.5", {16}},
                                           Refusal{"4.5.8", {2}}));

// The library over the default scenario: what a host sees.
class SimLibraryNetwork : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
        host = lib;
    }
    void TearDown() override { closeLibrary(); }

    yattest::LogCapture log;
    SimBusComm comm;
    cLibYAT* lib = nullptr;
    cDeviceLib* host = nullptr;
};

TEST_F(SimLibraryNetwork, ReadsTheWholeLogAcrossTheCenturiesAndErasesIt) {
    std::vector<std::string> dates;
    LogEntryInfo entry{};
    int32_t result = host->getFirstLogEntry(0, &entry);
    while (result == ERR_SUCCESS && dates.size() < 100) {
        dates.push_back(entry.dateText);
        result = host->getNextLogEntry(0, &entry);
    }
    EXPECT_EQ(result, ERR_EMPTY);
    ASSERT_EQ(dates.size(), 30u);
    EXPECT_EQ(dates.front(), "04/02/2008");  // newest first
    EXPECT_EQ(dates.back(), "11/02/1999");
    EXPECT_NE(std::find(dates.begin(), dates.end(), "01/01/2000"), dates.end());

    EXPECT_EQ(host->eraseLog(0), ERR_SUCCESS);
    EXPECT_EQ(host->getFirstLogEntry(0, &entry), ERR_EMPTY);
    EXPECT_EQ(host->getFirstLogEntry(1, &entry), ERR_SUCCESS);  // the other node keeps its log
}

TEST_F(SimLibraryNetwork, InterfacesPortsAndSmtp) {
    char address[16] = {}, mask[16] = {}, gateway[16] = {};
    int32_t source = -1;
    // Node 0 interface 2 holds a lease; node 1 interface 1 has DHCP on but no lease.
    EXPECT_EQ(host->getIPConfigInfo(0, 2, address, mask, gateway, &source), ERR_SUCCESS);
    EXPECT_STREQ(address, "10.10.14.77");
    EXPECT_EQ(host->getIPConfigInfo(1, 1, address, mask, gateway, &source), ERR_SUCCESS);
    EXPECT_STREQ(address, "192.168.70.126");
    EXPECT_EQ(source, 1);

    EXPECT_EQ(host->setIPConfigInfo(0, 1, "10.0.0.9", "255.0.0.0", nullptr), ERR_SUCCESS);
    EXPECT_EQ(host->getIPConfigInfo(0, 1, address, mask, gateway, &source), ERR_SUCCESS);
    EXPECT_STREQ(address, "10.0.0.9");
    EXPECT_STREQ(gateway, "192.168.70.1");
    EXPECT_EQ(host->setIPConfigInfo(0, 1, nullptr, "255.0.255.0", nullptr), 3);  // refused by the SP

    int32_t port = 0;
    EXPECT_EQ(host->setNetworkPort(0, 2, 8443), ERR_SUCCESS);
    EXPECT_EQ(host->getNetworkPort(0, 2, &port), ERR_SUCCESS);
    EXPECT_EQ(port, 8443);  // the library's restart applied it

    char server[64] = {};
    EXPECT_EQ(host->setSMTPConfiguration(1, 0, "relay.example.org"), ERR_SUCCESS);
    EXPECT_EQ(host->getSMTPConfiguration(1, 0, server, nullptr), ERR_SUCCESS);
    EXPECT_STREQ(server, "relay.example.org");
    int32_t v5 = 0, v4 = 0, v3 = 0, flag = 0;
    uint8_t smtp = 0;
    EXPECT_EQ(host->getRemoteAlertConfiguration(0, &v5, &v4, &v3, &flag, &smtp), ERR_SUCCESS);
    EXPECT_EQ(std::vector<int32_t>({v5, v4, v3, flag, smtp}), std::vector<int32_t>({3, 2, 4, 1, 1}));
    int32_t tooBig = 16;
    EXPECT_EQ(host->setRemoteAlertConfiguration(0, &tooBig, nullptr, nullptr, nullptr, nullptr), ERR_BAD_ANSWER);
}

}  // namespace
