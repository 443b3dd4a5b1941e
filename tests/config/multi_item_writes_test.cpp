// The one rule for writes of several items: every item is still written, in order, whatever the
// outcome of the one before, and the first failure is the result. Only a value refused before anything
// is sent for it (out of range, over its limit, a refused read the write needs) ends the operation.

#include <functional>
#include <string>
#include <vector>

#include "config/account_settings.h"
#include "config/snmp_settings.h"
#include "config_fixture.h"
#include "yat/result_codes.h"

namespace {

using configtest::text;
using yattest::FakeComm;

struct WriteRuleCase {
    const char* name;
    std::function<void(FakeComm&)> script;
    std::function<int32_t(FakeComm&)> call;
    int32_t result;
    std::vector<std::string> writes;  // "command=data" of every set request sent (failed ones too), in order
};

class MultiItemWrites : public configtest::ConfigTest, public ::testing::WithParamInterface<WriteRuleCase> {};

TEST_P(MultiItemWrites, EveryItemIsWrittenAndTheFirstFailureIsTheResult) {
    const WriteRuleCase& c = GetParam();
    c.script(comm);
    // Every other item is accepted (rules added first answer first).
    for (const char* command : {"4.9.3.1.1", "4.9.3.1.2", "4.9.3.1.3", "4.9.3.1.5", "4.9.3.1.4.2.1", "4.9.3.1.4.2.5",
                                "4.1.4.1.1", "4.1.4.1.2", "4.1.4.1.4"}) {
        comm.answer(command, {});
    }
    for (const char* item : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "a", "c"}) {
        comm.answer(std::string("4.1.3.5.") + item, {});
    }
    EXPECT_EQ(c.call(comm), c.result);
    EXPECT_EQ(setLog(), c.writes);
}

int32_t snmpWrite(FakeComm& comm, const char* textA, const char* textB) {
    const uint8_t changed = 5, set = 4;  // traps enabled, version 1 agent off
    return SnmpSettings(&comm).setSNMPConfiguration(0, textA, textB, &changed, &set);
}

int32_t communityWrite(FakeComm& comm) {
    const uint8_t access = 3;
    return SnmpSettings(&comm).setSNMPCommunityConfiguration(0, 1, "ops", &access);
}

int32_t recipientWrite(FakeComm& comm, int32_t* type) {
    const int32_t changed = 3, set = 1;
    return SnmpSettings(&comm).setOOBAlertConfiguration(0, 4, type, "desc", "dest", nullptr, "user", "pw", &changed,
                                                        &set);
}

int32_t accountWrite(FakeComm& comm, int32_t status, int32_t authority) {
    return AccountSettings(&comm).setUserAccount(0, 0, status != 0 ? &status : nullptr,
                                                 authority != 0 ? &authority : nullptr, nullptr, "ann", "pw");
}

const std::vector<std::string> kSnmpWrites = {"4.9.3.1.3=#", "4.9.3.1.5=#", "4.9.3.1.2=a#", "4.9.3.1.1=b#"};
const std::vector<std::string> kType4Writes = {"4.1.3.5.4=#",     "4.1.3.5.1=#",     "4.1.3.5.c=#",  "4.1.3.5.3=desc#",
                                               "4.1.3.5.2=dest#", "4.1.3.5.5=user#", "4.1.3.5.6=pw#"};

INSTANTIATE_TEST_SUITE_P(
    Rule, MultiItemWrites,
    ::testing::Values(WriteRuleCase{"SnmpSwitchFailsInTransport", [](FakeComm& c) { c.fail("4.9.3.1.3", 6); },
                                    [](FakeComm& c) { return snmpWrite(c, "a", "b"); }, 6, kSnmpWrites},
                      WriteRuleCase{"SnmpTextRefusedThenLaterFailure",
                                    [](FakeComm& c) {
                                        c.status("4.9.3.1.2", 1);
                                        c.fail("4.9.3.1.1", 6);
                                    },
                                    [](FakeComm& c) { return snmpWrite(c, "a", "b"); }, ERR_BAD_ANSWER, kSnmpWrites},
                      WriteRuleCase{"SnmpOverlongTextBKeepsTheFirstFailure",
                                    [](FakeComm& c) { c.status("4.9.3.1.5", 1); },
                                    [](FakeComm& c) { return snmpWrite(c, "a", std::string(48, 'b').c_str()); },
                                    ERR_BAD_ANSWER,
                                    {"4.9.3.1.3=#", "4.9.3.1.5=#", "4.9.3.1.2=a#"}},
                      WriteRuleCase{"SnmpAllWritten", [](FakeComm&) {},
                                    [](FakeComm& c) { return snmpWrite(c, "a", "b"); }, ERR_SUCCESS, kSnmpWrites},
                      WriteRuleCase{"CommunityNameRefused",
                                    [](FakeComm& c) { c.status("4.9.3.1.4.2.1", 1); },
                                    communityWrite,
                                    ERR_BAD_ANSWER,
                                    {"4.9.3.1.4.2.1=ops#", "4.9.3.1.4.2.5=#"}},
                      WriteRuleCase{"CommunityAccessFails",
                                    [](FakeComm& c) { c.fail("4.9.3.1.4.2.5", 6); },
                                    communityWrite,
                                    6,
                                    {"4.9.3.1.4.2.1=ops#", "4.9.3.1.4.2.5=#"}},
                      WriteRuleCase{"RecipientDescriptionRefused", [](FakeComm& c) { c.status("4.1.3.5.3", 1); },
                                    [](FakeComm& c) {
                                        int32_t type = 4;
                                        return recipientWrite(c, &type);
                                    },
                                    ERR_BAD_ANSWER, kType4Writes},
                      WriteRuleCase{"RecipientTypeFailsInTransport", [](FakeComm& c) { c.fail("4.1.3.5.4", 6); },
                                    [](FakeComm& c) {
                                        int32_t type = 4;
                                        return recipientWrite(c, &type);
                                    },
                                    6, kType4Writes},
                      WriteRuleCase{"RecipientTypeReadFailsSoOnlyTypelessItems",
                                    [](FakeComm& c) { c.fail("4.1.3.5.4", 6); },
                                    [](FakeComm& c) { return recipientWrite(c, nullptr); },
                                    6,
                                    {"4.1.3.5.1=#", "4.1.3.5.c=#", "4.1.3.5.3=desc#"}},
                      WriteRuleCase{"RecipientClearGoesOnAfterARefusal",
                                    [](FakeComm& c) { c.status("4.1.3.5.1", 1); },
                                    [](FakeComm& c) {
                                        int32_t type = 1;
                                        return SnmpSettings(&c).setOOBAlertConfiguration(
                                            0, 4, &type, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
                                    },
                                    ERR_BAD_ANSWER,
                                    {"4.1.3.5.1=#", "4.1.3.5.3=#", "4.1.3.5.8=#", "4.1.3.5.2=#", "4.1.3.5.9=#",
                                     "4.1.3.5.5=#", "4.1.3.5.a=#", "4.1.3.5.6=#", "4.1.3.5.7=#"}},
                      WriteRuleCase{"AccountStatusReadFailsInTransport",
                                    [](FakeComm& c) {
                                        c.fail("4.1.4.1.1", 6).type(2);
                                        c.answer("4.1.4.1.4", {0x80});
                                    },
                                    [](FakeComm& c) { return accountWrite(c, 1, 3); },
                                    6,
                                    {"4.1.4.1.4=#", "4.1.4.1.1=ann#", "4.1.4.1.2=pw#"}},
                      WriteRuleCase{"AccountStatusReadRefusedWritesNothing",
                                    [](FakeComm& c) { c.status("4.1.4.1.1", 3, text("x")); },
                                    [](FakeComm& c) { return accountWrite(c, 1, 1); },
                                    ERR_INVALID_PARAMETER,
                                    {}},
                      WriteRuleCase{"AccountWithoutUserIdGoesOn",
                                    [](FakeComm& c) { c.answer("4.1.4.1.1", {0}); },
                                    [](FakeComm& c) { return accountWrite(c, 1, 0); },
                                    ERR_INVALID_PARAMETER,
                                    {"4.1.4.1.1=ann#", "4.1.4.1.2=pw#"}},
                      WriteRuleCase{"AccountFreeingRefusedGoesOn",
                                    [](FakeComm& c) { c.status("4.1.4.1.1", 1); },
                                    [](FakeComm& c) { return accountWrite(c, 3, 0); },
                                    ERR_INVALID_PARAMETER,
                                    {"4.1.4.1.1=#", "4.1.4.1.1=ann#", "4.1.4.1.2=pw#"}},
                      WriteRuleCase{"AccountFlagsReadFailsInTransport",
                                    [](FakeComm& c) { c.fail("4.1.4.1.4", 8); },
                                    [](FakeComm& c) { return accountWrite(c, 0, 3); },
                                    8,
                                    {"4.1.4.1.1=ann#", "4.1.4.1.2=pw#"}},
                      WriteRuleCase{"AccountUserIdFailsPasswordStillWritten",
                                    [](FakeComm& c) { c.fail("4.1.4.1.1", 7); },
                                    [](FakeComm& c) { return accountWrite(c, 0, 0); },
                                    7,
                                    {"4.1.4.1.1=ann#", "4.1.4.1.2=pw#"}}),
    [](const auto& info) { return std::string(info.param.name); });

using WriteExit = configtest::ConfigTest;

// The closing line of setOOBAlertConfiguration comes on every way out.
TEST_F(WriteExit, RecipientWriteLogsItOnEveryPath) {
    SnmpSettings snmp(&comm);
    comm.answer("4.1.3.1.4", {});
    int32_t type = 4;
    EXPECT_EQ(
        snmp.setOOBAlertConfiguration(0, 12, &type, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
        ERR_INVALID_INDEX);
    EXPECT_EQ(snmp.setOOBAlertConfiguration(0, 0, &type, std::string(64, 'd').c_str(), nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr),
              ERR_INVALID_PARAMETER);
    comm.fail("4.1.3.2.4", 6);
    EXPECT_EQ(snmp.setOOBAlertConfiguration(0, 1, &type, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              6);
    EXPECT_EQ(log.countText("setOOBAlertConfiguration....EXIT"), 3u);
}

}  // namespace
