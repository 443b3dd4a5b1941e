// The simulator's SNMP, alert recipient and account commands through the library: writes change
// what reads return, and the SP refuses out-of-range values and over-long texts.

#include <gtest/gtest.h>

#include <string>

#include "sim_test_util.h"
#include "sim/scenario.h"

namespace {

using simtest::Bytes;
using simtest::send;
using simtest::text;

Bytes terminated(const std::string& value) {
    Bytes bytes = text(value);
    bytes.push_back(0);
    return bytes;
}

class SimConfig : public ::testing::Test {
protected:
    yatsim::SimBusComm comm;
};

TEST_F(SimConfig, DefaultScenarioHasTwelveRecipientsAndAccounts) {
    EXPECT_EQ(send(comm, "4.1.3.1.3").data(), text("NOC SNMP trap"));
    EXPECT_EQ(send(comm, "4.1.3.7.4").data(), Bytes{6});  // type 8
    EXPECT_EQ(send(comm, "4.1.3.7.2").data(), text("relay1.dc2.example"));
    EXPECT_EQ(send(comm, "4.1.3.a.3").data(), Bytes{});  // unused entry
    EXPECT_EQ(send(comm, "4.1.3.c.1").status(), 0);
    EXPECT_EQ(send(comm, "4.1.3.d.1").status(), 1);  // only twelve
    EXPECT_EQ(send(comm, "4.1.4.1.1").data(), text("USERID"));
    EXPECT_EQ(send(comm, "4.1.4.1.9").data(), (Bytes{0, 0, 0, 2}));
    EXPECT_EQ(send(comm, "4.9.3.1.4.3.1").data(), text("traps"));
    EXPECT_EQ(send(comm, "4.1.1.9").data(), (Bytes{0, 90}));
}

TEST_F(SimConfig, PasswordsCannotBeRead) {
    EXPECT_EQ(send(comm, "4.1.4.1.2").status(), 1);
    EXPECT_EQ(send(comm, "4.1.3.2.7").status(), 1);
    EXPECT_EQ(send(comm, "4.1.4.1.2", wire::kSet, terminated("newpass")).status(), 0);
}

struct Refusal {
    const char* command;
    Bytes data;
};

class SimRefusals : public SimConfig, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SimRefusals, OutOfRangeOrTooLongIsRefusedAndChangesNothing) {
    const Refusal& c = GetParam();
    Bytes before = send(comm, c.command).data();
    EXPECT_EQ(send(comm, c.command, wire::kSet, c.data).status(), 1);
    EXPECT_EQ(send(comm, c.command).data(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SimRefusals,
    ::testing::Values(Refusal{"4.9.3.1.2", terminated(std::string(48, 'a'))},
                      Refusal{"4.9.3.1.2", text("no terminator")}, Refusal{"4.9.3.1.3", {2}},
                      Refusal{"4.9.3.1.6", {1}},  // read only
                      Refusal{"4.9.3.1.4.1.1", terminated(std::string(16, 'c'))}, Refusal{"4.9.3.1.4.1.5", {4}},
                      Refusal{"4.9.3.1.4.1.2", terminated(std::string(64, 'h'))}, Refusal{"4.1.3.1.1", {3}},
                      Refusal{"4.1.3.1.4", {9}}, Refusal{"4.1.3.1.3", terminated(std::string(64, 'd'))},
                      Refusal{"4.1.4.1.1", terminated(std::string(16, 'u'))}, Refusal{"4.1.1.9", {0x01, 0x6e}},
                      Refusal{"4.1.1.a", {2}}, Refusal{"4.1.1.b", {25}}, Refusal{"4.1.1.14", {31}}));

TEST_F(SimConfig, AccountWritesChangeWhatIsRead) {
    EXPECT_EQ(send(comm, "4.1.4.2.4", wire::kSet, {0}).status(), 0);
    EXPECT_EQ(send(comm, "4.1.4.2.9").data(), (Bytes{0, 0, 0, 2}));  // now administrator
    EXPECT_EQ(send(comm, "4.1.4.2.4", wire::kSet, {0x21, 0x43, 0x05, 0x00}).status(), 0);
    EXPECT_EQ(send(comm, "4.1.4.2.9").data(), (Bytes{0x21, 0x43, 0x05, 0x00}));
    EXPECT_EQ(send(comm, "4.1.4.2.1", wire::kSet, {0}).status(), 0);
    EXPECT_EQ(send(comm, "4.1.4.2.1").data(), Bytes{});
    EXPECT_EQ(send(comm, "4.1.4.2.9").data(), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(send(comm, "4.1.4.2.1", wire::kSet, terminated("frank")).status(), 0);
    EXPECT_EQ(send(comm, "4.1.4.2.1", wire::kGet, {}, 1).data(), text("operator"));  // node 1 unchanged
    EXPECT_EQ(send(comm, "4.1.4.2.1").data(), text("frank"));
}

TEST_F(SimConfig, ScenarioRejectsTextsForItemsTheTypeLacks) {
    const char* scenario = R"({"nodes": [{"snmp": {"recipients": [{"type": 2, "description": "x", "host": "h"}]}}]})";
    EXPECT_THROW(yatsim::parseScenario(scenario, "test"), yatsim::ScenarioError);
    const char* accounts = R"({"nodes": [{"accounts": {"passwordPolicy": {"ageLimit": 366}}}]})";
    EXPECT_THROW(yatsim::parseScenario(accounts, "test"), yatsim::ScenarioError);
}

}  // namespace
