// Out-of-band alert recipients: the per-type item rules, the flag map and the type-1 clear.

#include <cstring>
#include <memory>
#include <string>

#include "config/snmp_settings.h"
#include "config_fixture.h"
#include "yat/result_codes.h"

namespace {

using configtest::Bytes;
using configtest::text;

class RecipientTest : public configtest::ConfigTest {
protected:
    // Recipient 4 (SP number 5) of the given alert type with a description and every text item.
    void script(int32_t type) {
        comm.answer("4.1.3.5.4", {static_cast<uint8_t>(type - 2)});
        comm.answer("4.1.3.5.3", text("recipient five"));
        comm.answer("4.1.3.5.2", text("item2"));
        comm.answer("4.1.3.5.8", text("item8"));
        comm.answer("4.1.3.5.5", text("item5"));
        comm.answer("4.1.3.5.9", text("item9"));
        comm.answer("4.1.3.5.1", {2});
        comm.answer("4.1.3.5.c", {0});
    }
    int32_t read() {
        std::memset(destination, 'z', sizeof destination);
        std::memset(host, 'z', sizeof host);
        std::memset(userId, 'z', sizeof userId);
        host[0] = 'H';
        host[1] = 0;
        return snmp.getOOBAlertConfiguration(0, 4, &type, description, nullptr, destination, nullptr, host, nullptr,
                                             userId, nullptr, nullptr, &available, &flags);
    }

    SnmpSettings snmp{&comm};
    int32_t type = -1, available = 0, flags = 0;
    char description[64] = {}, destination[64] = {}, host[64] = {}, userId[64] = {};
};

struct TypeCase {
    int32_t type;
    const char* destination;
    const char* host;  // "H": untouched
    const char* userId;
};

class RecipientReadRules : public RecipientTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(RecipientReadRules, EachTypeReadsItsOwnItems) {
    const TypeCase& c = GetParam();
    script(c.type);
    EXPECT_EQ(read(), ERR_SUCCESS);
    EXPECT_EQ(type, c.type);
    EXPECT_STREQ(description, "recipient five");
    EXPECT_STREQ(destination, c.destination);
    EXPECT_STREQ(host, c.host);
    EXPECT_STREQ(userId, c.userId);
    EXPECT_EQ(available, 3);
    EXPECT_EQ(flags, 3);
}

INSTANTIATE_TEST_SUITE_P(Types, RecipientReadRules,
                         ::testing::Values(TypeCase{2, "item2", "H", ""}, TypeCase{3, "item2", "H", ""},
                                           TypeCase{4, "item2", "H", "item5"}, TypeCase{6, "item2", "H", ""},
                                           TypeCase{7, "item8", "H", ""}, TypeCase{8, "", "item2", "item9"},
                                           TypeCase{9, "item8", "item2", "item9"}, TypeCase{10, "item2", "H", ""}));

TEST_F(RecipientTest, AnEntryWithoutDescriptionIsType1WhateverItsConnection) {
    script(5);
    comm.clearRules();
    comm.answer("4.1.3.5.4", {3});
    comm.answer("4.1.3.5.3", {});
    comm.answer("4.1.3.5.1", {1});
    comm.answer("4.1.3.5.c", {1});
    EXPECT_EQ(read(), ERR_SUCCESS);
    EXPECT_EQ(type, 1);
    EXPECT_STREQ(destination, "");
    EXPECT_STREQ(userId, "");
    EXPECT_EQ(flags, 0);
    EXPECT_TRUE(log.has("---", "AlertType = [1]"));
}

TEST_F(RecipientTest, DestinationIsCutAt48AndSizesAreStated) {
    script(2);
    comm.clearRules();
    comm.answer("4.1.3.5.4", {0});
    comm.answer("4.1.3.5.3", text(std::string(80, 'd')));
    comm.answer("4.1.3.5.2", text(std::string(80, 'x')));
    int32_t sizes[5] = {};
    EXPECT_EQ(snmp.getOOBAlertConfiguration(0, 4, &type, description, &sizes[0], destination, &sizes[1], nullptr,
                                            &sizes[2], nullptr, &sizes[3], &sizes[4], nullptr, nullptr),
              ERR_SUCCESS);
    EXPECT_EQ(std::string(description), std::string(63, 'd'));
    EXPECT_EQ(std::string(destination), std::string(48, 'x'));
    EXPECT_EQ(std::vector<int32_t>(sizes, sizes + 5), (std::vector<int32_t>{63, 49, 63, 63, 15}));
}

TEST_F(RecipientTest, AFailedConnectionTypeReadShows240AndIsReported) {
    script(2);
    comm.clearRules();
    comm.status("4.1.3.5.4", 7);
    comm.answer("4.1.3.5.3", text("x"));
    EXPECT_EQ(snmp.getOOBAlertConfiguration(0, 4, &type, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr),
              ERR_BAD_ANSWER);
    EXPECT_EQ(type, 240);
}

// A description read the SP refuses tells nothing about the entry: the alert type stays the
// connection type + 2 and the host's description is left as it was.
TEST_F(RecipientTest, ARefusedDescriptionReadKeepsTheTypeAndTheText) {
    comm.status("4.1.3.5.3", 1, text("ignored"));
    script(5);
    std::strcpy(description, "keep");
    EXPECT_EQ(read(), ERR_BAD_ANSWER);
    EXPECT_EQ(type, 5);
    EXPECT_STREQ(description, "keep");
}

// Host and user ID come into buffers of 63 bytes: at most 62 characters and the zero byte, whatever
// the SP sends (one more would write past a host's buffer).
TEST_F(RecipientTest, HostAndUserIdFitBuffersOf63Bytes) {
    script(9);
    comm.clearRules();
    comm.answer("4.1.3.5.4", {7});
    comm.answer("4.1.3.5.3", text("relay"));
    comm.answer("4.1.3.5.2", text(std::string(100, 'h')));
    comm.answer("4.1.3.5.9", text(std::string(100, 'u')));
    auto hostBuffer = std::make_unique<char[]>(63);
    auto userBuffer = std::make_unique<char[]>(63);
    EXPECT_EQ(snmp.getOOBAlertConfiguration(0, 4, &type, nullptr, nullptr, nullptr, nullptr, hostBuffer.get(), nullptr,
                                            userBuffer.get(), nullptr, nullptr, nullptr, nullptr),
              ERR_SUCCESS);
    EXPECT_EQ(type, 9);
    EXPECT_EQ(std::string(hostBuffer.get()), std::string(62, 'h'));
    EXPECT_EQ(std::string(userBuffer.get()), std::string(62, 'u'));
}

// The flag map counts only what was read: an entry status or selective-notification byte whose read
// fails stays at the 238 marker, which sets neither bit.
struct FlagReadCase {
    const char* name;
    bool statusFails, selectiveFails;
    int32_t flags;
};

class RecipientFlagReads : public RecipientTest, public ::testing::WithParamInterface<FlagReadCase> {};

TEST_P(RecipientFlagReads, AFailedItemSetsNoBit) {
    const FlagReadCase& c = GetParam();
    if (c.statusFails) comm.status("4.1.3.5.1", 1, {2});
    if (c.selectiveFails) comm.fail("4.1.3.5.c", 6);
    script(5);
    EXPECT_EQ(read(), c.statusFails ? ERR_BAD_ANSWER : 6);
    EXPECT_EQ(available, 3);
    EXPECT_EQ(flags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(Items, RecipientFlagReads,
                         ::testing::Values(FlagReadCase{"EntryStatus", true, false, 2},
                                           FlagReadCase{"SelectiveNotification", false, true, 1},
                                           FlagReadCase{"Both", true, true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecipientTest, InstancePastElevenGives7) {
    for (uint32_t instance : {12u, 0xFFFFFFFFu}) {
        EXPECT_EQ(snmp.getOOBAlertConfiguration(0, instance, &type, description, nullptr, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                  ERR_INVALID_INDEX);
        EXPECT_EQ(snmp.setOOBAlertConfiguration(0, instance, &type, "d", nullptr, nullptr, nullptr, nullptr, nullptr,
                                                nullptr),
                  ERR_INVALID_INDEX);
    }
    EXPECT_TRUE(comm.requests().empty());
}

struct WriteCase {
    int32_t type;
    std::vector<std::string> writes;
};

class RecipientWriteRules : public RecipientTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(RecipientWriteRules, EachTypeWritesItsOwnItems) {
    const WriteCase& c = GetParam();
    for (const char* item : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "a", "c"}) {
        comm.answer(std::string("4.1.3.5.") + item, {});
    }
    int32_t alertType = c.type;
    EXPECT_EQ(snmp.setOOBAlertConfiguration(0, 4, &alertType, "desc", "dest", "host", "user", "pw", nullptr, nullptr),
              ERR_SUCCESS);
    EXPECT_EQ(setLog(), c.writes);
}

INSTANTIATE_TEST_SUITE_P(
    Types, RecipientWriteRules,
    ::testing::Values(
        WriteCase{2, {"4.1.3.5.4=#", "4.1.3.5.3=desc#", "4.1.3.5.2=dest#"}},
        WriteCase{3, {"4.1.3.5.4=#", "4.1.3.5.3=desc#", "4.1.3.5.2=dest#", "4.1.3.5.7=pw#"}},
        WriteCase{4, {"4.1.3.5.4=#", "4.1.3.5.3=desc#", "4.1.3.5.2=dest#", "4.1.3.5.5=user#", "4.1.3.5.6=pw#"}},
        WriteCase{7, {"4.1.3.5.4=#", "4.1.3.5.3=desc#", "4.1.3.5.8=dest#"}},
        WriteCase{8, {"4.1.3.5.4=#", "4.1.3.5.3=desc#", "4.1.3.5.2=host#", "4.1.3.5.9=user#", "4.1.3.5.a=pw#"}},
        WriteCase{9,
                  {"4.1.3.5.4=#", "4.1.3.5.3=desc#", "4.1.3.5.8=dest#", "4.1.3.5.2=host#", "4.1.3.5.9=user#",
                   "4.1.3.5.a=pw#"}},
        WriteCase{10, {"4.1.3.5.4=#", "4.1.3.5.3=desc#", "4.1.3.5.2=dest#"}}));

TEST_F(RecipientTest, Type1WritesNoConnectionTypeAndClearsTheEntry) {
    for (const char* item : {"1", "2", "3", "5", "6", "7", "8", "9", "a"})
        comm.answer(std::string("4.1.3.1.") + item, {});
    int32_t alertType = 1;
    EXPECT_EQ(
        snmp.setOOBAlertConfiguration(0, 0, &alertType, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
        ERR_SUCCESS);
    EXPECT_EQ(setLog(),
              (std::vector<std::string>{"4.1.3.1.1=#", "4.1.3.1.3=#", "4.1.3.1.8=#", "4.1.3.1.2=#", "4.1.3.1.9=#",
                                        "4.1.3.1.5=#", "4.1.3.1.a=#", "4.1.3.1.6=#", "4.1.3.1.7=#"}));
    for (const auto& request : sets()) EXPECT_EQ(request.data, Bytes{0}) << request.command;
}

TEST_F(RecipientTest, WithoutATypeTheSPsTypeDecidesAndFlagsMapToStatusAndSelective) {
    for (const char* item : {"1", "8", "c"}) comm.answer(std::string("4.1.3.2.") + item, {});
    comm.answer("4.1.3.2.4", {5});  // type 7
    int32_t changed = 3, set = 1;
    EXPECT_EQ(
        snmp.setOOBAlertConfiguration(0, 1, nullptr, nullptr, "10.1.1.1", nullptr, nullptr, nullptr, &changed, &set),
        ERR_SUCCESS);
    EXPECT_EQ(setLog(), (std::vector<std::string>{"4.1.3.2.1=#", "4.1.3.2.c=#", "4.1.3.2.8=10.1.1.1#"}));
    EXPECT_EQ(sets()[0].data, Bytes{2});
    EXPECT_EQ(sets()[1].data, Bytes{1});
    EXPECT_TRUE(log.has("---", "calling setEntryStatus: Data = [2]"));
}

TEST_F(RecipientTest, OverlongTextsGive12BeforeTheirOwnWrite) {
    for (const char* item : {"2", "3", "4", "7"}) comm.answer(std::string("4.1.3.1.") + item, {});
    int32_t alertType = 3;
    EXPECT_EQ(snmp.setOOBAlertConfiguration(0, 0, &alertType, "d", std::string(50, 'x').c_str(), nullptr, nullptr, "pw",
                                            nullptr, nullptr),
              ERR_INVALID_PARAMETER);
    EXPECT_EQ(setLog(), (std::vector<std::string>{"4.1.3.1.4=#", "4.1.3.1.3=d#"}));
    comm.clearRequests();
    EXPECT_EQ(snmp.setOOBAlertConfiguration(0, 0, &alertType, nullptr, nullptr, nullptr, nullptr,
                                            std::string(16, 'p').c_str(), nullptr, nullptr),
              ERR_INVALID_PARAMETER);
    EXPECT_EQ(setLog(), (std::vector<std::string>{"4.1.3.1.4=#"}));
}

}  // namespace
