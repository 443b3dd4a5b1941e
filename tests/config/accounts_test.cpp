// Login accounts, password policy and the login setting.

#include <cstring>
#include <string>

#include "config/account_settings.h"
#include "config/account_wire.h"
#include "config_fixture.h"
#include "yat/result_codes.h"

namespace {

using configtest::Bytes;
using configtest::text;

class AccountTest : public configtest::ConfigTest {
protected:
    AccountSettings accounts{&comm};
};

struct AuthorityCase {
    uint8_t byte3;
    int32_t authority;
    const char* description;
};

class AuthorityRule : public AccountTest, public ::testing::WithParamInterface<AuthorityCase> {};

TEST_P(AuthorityRule, Byte3DecidesAuthorityAndDescription) {
    const AuthorityCase& c = GetParam();
    comm.answer("4.1.4.3.1", text("alice", true));
    comm.answer("4.1.4.3.9", {0x0d, 0x01, 0x00, c.byte3});
    int32_t status = 0, authority = 0, bitmap = 0;
    char description[14], userId[16];
    EXPECT_EQ(accounts.getUserAccount(0, 2, &status, &authority, description, nullptr, &bitmap, nullptr, userId,
                                      nullptr, nullptr),
              ERR_SUCCESS);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(authority, c.authority);
    EXPECT_STREQ(description, c.description);
    EXPECT_EQ(bitmap, static_cast<int32_t>(0x0000010du | (static_cast<uint32_t>(c.byte3) << 24)));
    EXPECT_STREQ(userId, "alice");
}

INSTANTIATE_TEST_SUITE_P(Bits, AuthorityRule,
                         ::testing::Values(AuthorityCase{0x02, 1, "Administrator"},
                                           AuthorityCase{0x06, 1, "Administrator"}, AuthorityCase{0x04, 3, "ReadOnly"},
                                           AuthorityCase{0x00, 4, "Custom"}, AuthorityCase{0x81, 4, "Custom"}));

TEST_F(AccountTest, AuthorityFallsBackToDialinFlagsAndReadsNothingMore) {
    for (auto [flags, expected] : {std::pair<uint8_t, int32_t>{0x01, 3}, {0x00, 1}}) {
        comm.clearRules();
        comm.clearRequests();
        comm.fail("4.1.4.1.9", 5);
        comm.answer("4.1.4.1.4", {flags});
        int32_t authority = 0, bitmap = 77;
        char userId[16] = "keep";
        EXPECT_EQ(accounts.getUserAccount(0, 0, nullptr, &authority, nullptr, nullptr, &bitmap, nullptr, userId,
                                          nullptr, nullptr),
                  ERR_SUCCESS);
        EXPECT_EQ(authority, expected);
        EXPECT_EQ(comm.commands(), (std::vector<std::string>{"4.1.4.1.9", "4.1.4.1.4"}));
        EXPECT_EQ(bitmap, 77);
        EXPECT_STREQ(userId, "keep");
    }
    EXPECT_TRUE(log.has("cLibYAT::getUserAccount", "DIALIN_AUTHORITY dot command failed, trying DIALIN_FLAGS"));
}

TEST_F(AccountTest, StatusFreeForAnEmptyUserIdAndZeroOnTransportFailure) {
    comm.answer("4.1.4.1.1", {0});
    int32_t status = -1;
    EXPECT_EQ(
        accounts.getUserAccount(0, 0, &status, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
        ERR_SUCCESS);
    EXPECT_EQ(status, 3);
    comm.fail("4.1.4.2.1", 9);
    EXPECT_EQ(
        accounts.getUserAccount(0, 1, &status, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
        9);
    EXPECT_EQ(status, 0);
}

TEST_F(AccountTest, RefusedOrShortAnswersKeepTheOutputsAndGive2) {
    comm.status("4.1.4.1.1", 4, text("ignored"));
    comm.answer("4.1.4.1.9", {0x02});  // one byte instead of four
    int32_t status = -1, authority = -1;
    char userId[16] = "keep";
    EXPECT_EQ(accounts.getUserAccount(0, 0, &status, &authority, nullptr, nullptr, nullptr, nullptr, userId, nullptr,
                                      nullptr),
              ERR_BAD_ANSWER);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(authority, -1);
    EXPECT_STREQ(userId, "keep");
}

TEST_F(AccountTest, AnOverlongUserIdFromTheSPIsNotCopied) {
    comm.answer("4.1.4.1.1", text(std::string(40, 'u')));
    char userId[16] = "keep";
    EXPECT_EQ(
        accounts.getUserAccount(0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, userId, nullptr, nullptr),
        ERR_BAD_ANSWER);
    EXPECT_STREQ(userId, "keep");
}

TEST_F(AccountTest, SizesWithoutCommDeviceAndAccountRange) {
    AccountSettings none(nullptr);
    int32_t sizes[4] = {};
    EXPECT_EQ(none.getUserAccount(0, 0, nullptr, nullptr, nullptr, &sizes[0], nullptr, &sizes[1], nullptr, &sizes[2],
                                  &sizes[3]),
              ERR_SUCCESS);
    EXPECT_EQ(std::vector<int32_t>(sizes, sizes + 4), (std::vector<int32_t>{13, 4, 15, 15}));
    int32_t status = 3;
    EXPECT_EQ(none.setUserAccount(0, 0, &status, nullptr, nullptr, "x", "y"), ERR_SUCCESS);
    for (uint32_t account : {12u, 0xFFFFFFFFu}) {
        EXPECT_EQ(accounts.getUserAccount(0, account, &status, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr),
                  ERR_INVALID_INDEX);
        EXPECT_EQ(accounts.setUserAccount(0, account, &status, nullptr, nullptr, nullptr, nullptr), ERR_INVALID_INDEX);
    }
    EXPECT_TRUE(comm.requests().empty());
}

TEST_F(AccountTest, FreeingThenNamingWritesTheEmptyUserIdFirst) {
    comm.answer("4.1.4.4.1", {});
    comm.answer("4.1.4.4.2", {});
    int32_t status = 3;
    EXPECT_EQ(accounts.setUserAccount(0, 3, &status, nullptr, nullptr, "carol", "pw1"), ERR_SUCCESS);
    EXPECT_EQ(setLog(), (std::vector<std::string>{"4.1.4.4.1=#", "4.1.4.4.1=carol#", "4.1.4.4.2=pw1#"}));
}

struct SetCase {
    const char* name;
    int32_t status;     // 0: not given
    int32_t authority;  // 0: not given
    std::function<void(yattest::FakeComm&)> script;
    int32_t result;
    std::vector<std::string> writes;
};

class SetRules : public AccountTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetRules, StatusAndAuthority) {
    const SetCase& c = GetParam();
    c.script(comm);
    int32_t status = c.status, authority = c.authority, bitmap = 0x11223344;
    EXPECT_EQ(accounts.setUserAccount(0, 0, c.status != 0 ? &status : nullptr, c.authority != 0 ? &authority : nullptr,
                                      &bitmap, nullptr, nullptr),
              c.result);
    EXPECT_EQ(setLog(), c.writes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetRules,
    ::testing::Values(
        SetCase{"InUseNeedsAUserId", 1, 0, [](auto& c) { c.answer("4.1.4.1.1", {0}); }, ERR_INVALID_PARAMETER, {}},
        SetCase{"InUseWithUserId", 1, 0, [](auto& c) { c.answer("4.1.4.1.1", text("dave")); }, ERR_SUCCESS, {}},
        SetCase{"InUseReadRefused",
                1,
                0,
                [](auto& c) { c.status("4.1.4.1.1", 3, text("dave")); },
                ERR_INVALID_PARAMETER,
                {}},
        SetCase{"InUseReadTransport", 1, 0, [](auto& c) { c.fail("4.1.4.1.1", 6); }, 6, {}},
        SetCase{"BadStatus", 2, 0, [](auto&) {}, ERR_INVALID_PARAMETER, {}},
        SetCase{"FreeRefused", 3, 0, [](auto& c) { c.status("4.1.4.1.1", 1); }, ERR_INVALID_PARAMETER, {"4.1.4.1.1=#"}},
        SetCase{"Admin", 0, 1, [](auto& c) { c.answer("4.1.4.1.4", {0x81}); }, ERR_SUCCESS, {"4.1.4.1.4=#"}},
        SetCase{"ReadOnlyKeepsOtherBits",
                0,
                3,
                [](auto& c) { c.answer("4.1.4.1.4", {0x40}); },
                ERR_SUCCESS,
                {"4.1.4.1.4=A"}},
        SetCase{
            "ReadOnlyReadRefused", 0, 3, [](auto& c) { c.status("4.1.4.1.4", 2, {0x40}); }, ERR_INVALID_PARAMETER, {}},
        SetCase{"ReadOnlyReadTransport", 0, 3, [](auto& c) { c.fail("4.1.4.1.4", 8); }, 8, {}},
        SetCase{"Custom", 0, 4, [](auto& c) { c.answer("4.1.4.1.4", {}); }, ERR_SUCCESS, {"4.1.4.1.4=D3\"#"}},
        SetCase{"BadAuthorityAfterStatus",
                3,
                2,
                [](auto& c) { c.answer("4.1.4.1.1", {}); },
                ERR_INVALID_PARAMETER,
                {"4.1.4.1.1=#"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AccountTest, CustomAuthorityNeedsItsBitmapAndTextsHaveLimits) {
    int32_t authority = 4;
    EXPECT_EQ(accounts.setUserAccount(0, 0, nullptr, &authority, nullptr, nullptr, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(accounts.setUserAccount(0, 0, nullptr, nullptr, nullptr, std::string(16, 'u').c_str(), nullptr),
              ERR_INVALID_PARAMETER);
    EXPECT_EQ(accounts.setUserAccount(0, 0, nullptr, nullptr, nullptr, nullptr, std::string(16, 'p').c_str()),
              ERR_INVALID_PARAMETER);
    EXPECT_TRUE(comm.requests().empty());
    comm.status("4.1.4.1.2", 1);
    EXPECT_EQ(accounts.setUserAccount(0, 0, nullptr, nullptr, nullptr, nullptr, std::string(15, 'p').c_str()),
              ERR_INVALID_PARAMETER);
    comm.fail("4.1.4.2.1", 7);
    EXPECT_EQ(accounts.setUserAccount(0, 1, nullptr, nullptr, nullptr, "erin", nullptr), 7);
}

TEST_F(AccountTest, PasswordPolicyReadsEachItem) {
    comm.answer("4.1.1.a", {4});
    comm.answer("4.1.1.9", {0x01, 0x2c});
    comm.answer("4.1.1.b", {6});
    comm.answer("4.1.1.1a", {0});
    uint8_t force = 9, required = 9;
    int32_t age = 0, reuse = 0;
    EXPECT_EQ(accounts.getPasswordInformation(0, &force, &age, &reuse, &required), ERR_SUCCESS);
    EXPECT_EQ(force, 1);
    EXPECT_EQ(age, 300);
    EXPECT_EQ(reuse, 6);
    EXPECT_EQ(required, 0);
    comm.clearRules();
    comm.status("4.1.1.9", 5);
    EXPECT_EQ(accounts.getPasswordInformation(0, nullptr, &age, &reuse, nullptr), 5);
    EXPECT_EQ(accounts.getPasswordInformation(0, nullptr, nullptr, nullptr, nullptr), ERR_INVALID_PARAMETER);
    AccountSettings none(nullptr);
    EXPECT_EQ(none.getPasswordInformation(0, &force, nullptr, nullptr, nullptr), ERR_DEVICE_NOT_OPEN);
}

struct PolicyCase {
    const char* name;
    int32_t age;
    bool reuseGiven;
    int32_t result;
    std::vector<std::string> commands;
};

class PolicyOrder : public AccountTest, public ::testing::WithParamInterface<PolicyCase> {};

TEST_P(PolicyOrder, EveryItemIsWrittenAndTheFirstFailureIsTheResult) {
    const PolicyCase& c = GetParam();
    comm.answer("4.1.1.9", {});
    comm.status("4.1.1.b", 3);
    int32_t age = c.age, reuse = 5;
    EXPECT_EQ(accounts.setPasswordInformation(0, nullptr, &age, c.reuseGiven ? &reuse : nullptr, nullptr), c.result);
    EXPECT_EQ(comm.commands(), c.commands);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PolicyOrder,
    ::testing::Values(PolicyCase{"AgeOutOfRangeThenReuse", 400, true, ERR_INVALID_PARAMETER, {"4.1.1.b"}},
                      PolicyCase{"AgeOutOfRangeLast", 400, false, ERR_INVALID_PARAMETER, {}},
                      PolicyCase{"NegativeAge", -1, false, ERR_INVALID_PARAMETER, {}},
                      PolicyCase{"AgeAtLimit", 365, false, ERR_SUCCESS, {"4.1.1.9"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AccountTest, PasswordPolicyWritesInOrderWithTheStatedBytes) {
    for (const char* id : {"4.1.1.a", "4.1.1.9", "4.1.1.b", "4.1.1.1a"}) comm.answer(id, {});
    uint8_t force = 7, required = 0;
    int32_t age = 300, reuse = 0x105;
    EXPECT_EQ(accounts.setPasswordInformation(0, &force, &age, &reuse, &required), ERR_SUCCESS);
    ASSERT_EQ(comm.commands(), (std::vector<std::string>{"4.1.1.a", "4.1.1.9", "4.1.1.b", "4.1.1.1a"}));
    auto requests = comm.requests();
    EXPECT_EQ(requests[0].data, Bytes{1});
    EXPECT_EQ(requests[1].data, (Bytes{0x01, 0x2c}));
    EXPECT_EQ(requests[2].data, Bytes{5});
    EXPECT_EQ(requests[3].data, Bytes{0});
    EXPECT_TRUE(log.has("setPwdAging", "setting [0] to [1] and [2] to [2c]"));
    EXPECT_TRUE(log.has("setPasswordInformation", "commandstatus succeeded for forcechange"));
    // Any non-zero userPwdReq is written as 1.
    comm.clearRequests();
    required = 0x80;
    EXPECT_EQ(accounts.setPasswordInformation(0, nullptr, nullptr, nullptr, &required), ERR_SUCCESS);
    ASSERT_EQ(comm.requests().size(), 1u);
    EXPECT_EQ(comm.requests()[0].data, Bytes{1});
}

TEST_F(AccountTest, LoginSettingReadsAndWritesOneByte) {
    comm.answer("4.1.1.14", {9}).type(2);
    comm.status("4.1.1.14", 6).type(0);
    int32_t value = 0;
    EXPECT_EQ(accounts.getLoginPolicyValue(0, &value), ERR_SUCCESS);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(accounts.getLoginPolicyValue(0, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(accounts.setLoginPolicyValue(0, 0x104), 6);
    EXPECT_EQ(comm.requests().back().data, Bytes{4});
    AccountSettings none(nullptr);
    EXPECT_EQ(none.setLoginPolicyValue(0, 1), ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(none.getLoginPolicyValue(0, &value), ERR_DEVICE_NOT_OPEN);
}

}  // namespace
