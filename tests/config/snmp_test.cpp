// SNMP agent settings and communities: flag maps, limits, instance checks and the 238 marker.

#include <cstring>
#include <string>

#include "config/snmp_settings.h"
#include "config_fixture.h"
#include "yat/result_codes.h"

namespace {

using configtest::Bytes;
using configtest::text;

class SnmpTest : public configtest::ConfigTest {
protected:
    SnmpSettings snmp{&comm};
};

struct SwitchCase {
    uint8_t trapsDisabled, v1, third;
    int32_t flagsSet;
};

class SnmpFlagMap : public SnmpTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SnmpFlagMap, ReadsTheThreeSwitchesIntoTheMap) {
    const SwitchCase& c = GetParam();
    comm.answer("4.9.3.1.3", {c.trapsDisabled});
    comm.answer("4.9.3.1.5", {c.v1});
    comm.answer("4.9.3.1.6", {c.third});
    int32_t available = 0, flags = -1;
    EXPECT_EQ(snmp.getSNMPConfiguration(0, nullptr, nullptr, nullptr, nullptr, &available, &flags), ERR_SUCCESS);
    EXPECT_EQ(available, 7);
    EXPECT_EQ(flags, c.flagsSet);
}

INSTANTIATE_TEST_SUITE_P(Switches, SnmpFlagMap,
                         ::testing::Values(SwitchCase{0, 0, 0, 4}, SwitchCase{1, 0, 0, 0}, SwitchCase{0, 1, 0, 5},
                                           SwitchCase{5, 9, 1, 3}, SwitchCase{0, 1, 1, 7}));

TEST_F(SnmpTest, AFailedSwitchReadCountsAsZeroAndIsReported) {
    comm.status("4.9.3.1.3", 7);
    comm.answer("4.9.3.1.5", {1});
    comm.answer("4.9.3.1.6", {0});
    int32_t available = 0, flags = -1;
    EXPECT_EQ(snmp.getSNMPConfiguration(0, nullptr, nullptr, nullptr, nullptr, &available, &flags), ERR_BAD_ANSWER);
    EXPECT_EQ(flags, 5);
    EXPECT_TRUE(log.has("---", "flagsSet = [5]"));
}

TEST_F(SnmpTest, TextsAreCutToTheirCapacityAndSizesAre47) {
    comm.answer("4.9.3.1.2", text(std::string(60, 'a')));
    comm.answer("4.9.3.1.1", text("node-b"));
    char a[64], b[64];
    std::memset(a, 'z', sizeof a);
    int32_t sizeA = 0, sizeB = 0;
    EXPECT_EQ(snmp.getSNMPConfiguration(0, a, &sizeA, b, &sizeB, nullptr, nullptr), ERR_SUCCESS);
    EXPECT_EQ(std::string(a), std::string(46, 'a'));
    EXPECT_EQ(a[47], 'z');
    EXPECT_STREQ(b, "node-b");
    EXPECT_EQ(sizeA, 47);
    EXPECT_EQ(sizeB, 47);
    EXPECT_EQ(snmp.getSNMPConfiguration(0, nullptr, &sizeA, nullptr, nullptr, nullptr, nullptr), ERR_FAILED);
}

struct FlagWriteCase {
    uint8_t changed, set;
    std::vector<std::string> writes;
};

class SnmpFlagWrites : public SnmpTest, public ::testing::WithParamInterface<FlagWriteCase> {};

TEST_P(SnmpFlagWrites, WritesOnlyTheChangedSwitches) {
    const FlagWriteCase& c = GetParam();
    comm.answer("4.9.3.1.3", {});
    comm.answer("4.9.3.1.5", {});
    int32_t expected = c.writes.empty() ? ERR_FAILED : ERR_SUCCESS;
    EXPECT_EQ(snmp.setSNMPConfiguration(0, nullptr, nullptr, &c.changed, &c.set), expected);
    EXPECT_EQ(setLog(), c.writes);
}

INSTANTIATE_TEST_SUITE_P(FlagMaps, SnmpFlagWrites,
                         ::testing::Values(FlagWriteCase{4, 0, {"4.9.3.1.3=#"}}, FlagWriteCase{4, 4, {"4.9.3.1.3=#"}},
                                           FlagWriteCase{1, 1, {"4.9.3.1.5=#"}},
                                           FlagWriteCase{5, 5, {"4.9.3.1.3=#", "4.9.3.1.5=#"}},
                                           FlagWriteCase{2, 2, {}},  // the third switch has no write form
                                           FlagWriteCase{0, 7, {}}));

TEST_F(SnmpTest, TrapsSwitchWritesTheInverseOfTrapsEnabled) {
    comm.answer("4.9.3.1.3", {});
    uint8_t changed = 4, on = 4, off = 0;
    EXPECT_EQ(snmp.setSNMPConfiguration(0, nullptr, nullptr, &changed, &on), ERR_SUCCESS);
    EXPECT_EQ(snmp.setSNMPConfiguration(0, nullptr, nullptr, &changed, &off), ERR_SUCCESS);
    ASSERT_EQ(sets().size(), 2u);
    EXPECT_EQ(sets()[0].data, Bytes{0});
    EXPECT_EQ(sets()[1].data, Bytes{1});
}

TEST_F(SnmpTest, TextLimitIs47AndAnOverlongTextSendsNothing) {
    comm.answer("4.9.3.1.2", {});
    comm.answer("4.9.3.1.1", {});
    std::string longest(47, 'k');
    EXPECT_EQ(snmp.setSNMPConfiguration(0, longest.c_str(), "b", nullptr, nullptr), ERR_SUCCESS);
    EXPECT_EQ(sets()[0].data, text(longest, true));
    comm.clearRequests();
    std::string over(48, 'k');
    EXPECT_EQ(snmp.setSNMPConfiguration(0, over.c_str(), "b", nullptr, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(comm.requests().empty());
}

struct InstanceCase {
    uint32_t community, ip;
};

class CommunityInstances : public SnmpTest, public ::testing::WithParamInterface<InstanceCase> {};

TEST_P(CommunityInstances, OutOfRangeGives7AndSendsNothing) {
    const InstanceCase& c = GetParam();
    char buffer[80] = {};
    int32_t size = 0, access = 0;
    uint8_t type = 1;
    EXPECT_EQ(snmp.getSNMPCommunityIP(0, c.community, c.ip, buffer, &size), ERR_INVALID_INDEX);
    EXPECT_EQ(snmp.setSNMPCommunityIP(0, c.community, c.ip, "10.0.0.1"), ERR_INVALID_INDEX);
    if (c.community > 2) {
        EXPECT_EQ(snmp.getSNMPCommunityConfiguration(0, c.community, buffer, &size, &access), ERR_INVALID_INDEX);
        EXPECT_EQ(snmp.setSNMPCommunityConfiguration(0, c.community, "x", &type), ERR_INVALID_INDEX);
    }
    EXPECT_TRUE(comm.requests().empty());
}

INSTANTIATE_TEST_SUITE_P(Ranges, CommunityInstances,
                         ::testing::Values(InstanceCase{3, 0}, InstanceCase{0, 3}, InstanceCase{0xFFFFFFFF, 0},
                                           InstanceCase{1, 0xFFFFFFFF}));

TEST_F(SnmpTest, CommunityReadsNameAndAccessWithTheInstanceInTheCommand) {
    comm.answer("4.9.3.1.4.3.1", text(std::string(20, 'n')));
    comm.answer("4.9.3.1.4.3.5", {2});
    char name[32];
    std::memset(name, 'z', sizeof name);
    int32_t size = 0, access = 0;
    EXPECT_EQ(snmp.getSNMPCommunityConfiguration(1, 2, name, &size, &access), ERR_SUCCESS);
    EXPECT_EQ(std::string(name), std::string(15, 'n'));
    EXPECT_EQ(size, 15);
    EXPECT_EQ(access, 2);
    EXPECT_EQ(comm.requests()[0].node, 1);
}

TEST_F(SnmpTest, AccessTypeShows238WhenTheAnswerFailsTheCheck) {
    comm.status("4.9.3.1.4.1.5", 7);
    int32_t access = 5;
    EXPECT_EQ(snmp.getSNMPCommunityConfiguration(0, 0, nullptr, nullptr, &access), ERR_SUCCESS);
    EXPECT_EQ(access, 238);
    EXPECT_TRUE(log.has("---", "SP Returned typeOfAccess Data = [ee]"));
    comm.fail("4.9.3.1.4.2.5", 4);
    access = 5;
    EXPECT_EQ(snmp.getSNMPCommunityConfiguration(0, 1, nullptr, nullptr, &access), 4);
    EXPECT_EQ(access, 5);
}

TEST_F(SnmpTest, CommunityNameLimitIs15) {
    comm.answer("4.9.3.1.4.1.1", {});
    comm.answer("4.9.3.1.4.1.5", {});
    uint8_t type = 3;
    EXPECT_EQ(snmp.setSNMPCommunityConfiguration(0, 0, std::string(16, 'c').c_str(), &type), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(comm.requests().empty());
    EXPECT_EQ(snmp.setSNMPCommunityConfiguration(0, 0, std::string(15, 'c').c_str(), &type), ERR_SUCCESS);
    EXPECT_EQ(setLog(), (std::vector<std::string>{"4.9.3.1.4.1.1=" + std::string(15, 'c') + "#", "4.9.3.1.4.1.5=#"}));
}

TEST_F(SnmpTest, CommunityAddressLimitIs63AndGoesToItemIpPlus2) {
    comm.answer("4.9.3.1.4.2.4", {});
    EXPECT_EQ(snmp.setSNMPCommunityIP(0, 1, 2, std::string(64, '1').c_str()), ERR_INVALID_PARAMETER);
    EXPECT_EQ(snmp.setSNMPCommunityIP(0, 1, 2, std::string(63, '1').c_str()), ERR_SUCCESS);
    EXPECT_EQ(snmp.setSNMPCommunityIP(0, 1, 2, nullptr), ERR_FAILED);
    EXPECT_EQ(setLog(), (std::vector<std::string>{"4.9.3.1.4.2.4=" + std::string(63, '1') + "#"}));
    comm.answer("4.9.3.1.4.1.2", text(std::string(70, 'h')));
    char address[80];
    int32_t size = 0;
    EXPECT_EQ(snmp.getSNMPCommunityIP(0, 0, 0, address, &size), ERR_SUCCESS);
    EXPECT_EQ(std::string(address), std::string(63, 'h'));
    EXPECT_EQ(size, 63);
}

TEST_F(SnmpTest, WithoutCommDeviceNothingIsDone) {
    SnmpSettings none(nullptr);
    int32_t size = 0, access = 3;
    EXPECT_EQ(none.getSNMPCommunityIP(0, 0, 0, nullptr, &size), ERR_FAILED);
    EXPECT_EQ(size, 63);
    EXPECT_EQ(none.getSNMPCommunityConfiguration(0, 0, nullptr, nullptr, &access), ERR_SUCCESS);
    EXPECT_EQ(access, 3);
    EXPECT_EQ(none.setSNMPCommunityIP(0, 0, 0, "1.2.3.4"), ERR_FAILED);
    EXPECT_EQ(none.setSNMPConfiguration(0, "a", nullptr, nullptr, nullptr), ERR_FAILED);
}

}  // namespace
