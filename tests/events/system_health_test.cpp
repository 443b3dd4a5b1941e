// The SP's event-code lists (cSystemHealth) and checkSystemHealth against a scripted SP.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "events/event_config_wire.h"
#include "events/system_health.h"
#include "frame/libyat.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "yat/result_codes.h"

namespace {

using yattest::Bytes;
using yattest::FakeComm;
using yattest::LogCapture;

constexpr uint8_t kGet = 2;
constexpr uint8_t kGetNext = 3;

Bytes codeBytes(std::initializer_list<uint32_t> codes) {
    Bytes bytes;
    for (uint32_t code : codes) eventwire::appendCode(bytes, code);
    return bytes;
}

TEST(EventCodeDecoder, TakesWholeCodesOnly) {
    Bytes data = codeBytes({0x0421C701, 0x05200001});
    data.insert(data.end(), {0xAA, 0xBB});
    EventCodeGroup group = decodeEventCodes(data.data(), data.size());
    EXPECT_EQ(group.codes, (std::vector<uint32_t>{0x0421C701, 0x05200001}));
    EXPECT_EQ(group.leftover, 2u);
    EXPECT_TRUE(decodeEventCodes(nullptr, 12).codes.empty());
}

class ActiveCodes : public ::testing::Test {
protected:
    std::vector<uint32_t> codes;
    LogCapture log;
    FakeComm comm{1};
    cSystemHealth health;
};

TEST_F(ActiveCodes, ReadsGroupAfterGroupUntilStatus7) {
    comm.answer("2.7.4", codeBytes({0x0421C701, 113})).type(kGet);
    comm.answer("2.7.4", codeBytes({107})).type(kGetNext).times(1);
    comm.status("2.7.4", 7).type(kGetNext);

    EXPECT_EQ(health.getActiveEvents(&comm, 0, &codes), ERR_SUCCESS);
    EXPECT_EQ(codes, (std::vector<uint32_t>{0x0421C701, 113, 107}));
    std::vector<yattest::Request> requests = comm.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].type, kGet);
    EXPECT_EQ(requests[1].type, kGetNext);
    EXPECT_EQ(requests[2].type, kGetNext);
    EXPECT_TRUE(log.has("cSystemHealth::getEvents", "got code, data[0..3] = 0x0421c701, code = 0x0421c701"));
    EXPECT_TRUE(log.has("cSystemHealth::getEvents", "returning retVal = 0"));
}

struct ListCase {
    const char* name;
    std::function<void(FakeComm&)> script;
    int32_t result;
    std::vector<uint32_t> codes;
};

class ActiveCodeFailures : public ActiveCodes, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ActiveCodeFailures, EndAsStated) {
    GetParam().script(comm);
    EXPECT_EQ(health.getActiveEvents(&comm, 0, &codes), GetParam().result);
    EXPECT_EQ(codes, GetParam().codes);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ActiveCodeFailures,
    ::testing::Values(ListCase{"FirstAnswerStatus7IsEmpty", [](FakeComm& c) { c.status("2.7.4", 7); }, ERR_SUCCESS, {}},
                      ListCase{"OtherFinalStatus",
                               [](FakeComm& c) {
                                   c.answer("2.7.4", codeBytes({1})).type(kGet);
                                   c.status("2.7.4", 3).type(kGetNext);
                               },
                               ERR_BAD_ANSWER,
                               {1}},
                      ListCase{"FirstSendFails", [](FakeComm& c) { c.fail("2.7.4", 5); }, ERR_BAD_ANSWER, {}},
                      ListCase{"GetNextFails",
                               [](FakeComm& c) {
                                   c.answer("2.7.4", codeBytes({1})).type(kGet);
                                   c.fail("2.7.4", 5).type(kGetNext);
                               },
                               ERR_BAD_ANSWER,
                               {1}},
                      ListCase{"OddLengthDropsThePartialCode",
                               [](FakeComm& c) {
                                   c.answer("2.7.4", {0, 0, 0, 9, 0xFF, 0xFF}).type(kGet);
                                   c.status("2.7.4", 7).type(kGetNext);
                               },
                               ERR_SUCCESS,
                               {9}},
                      ListCase{"ClaimedLengthPastTheBufferIsCut",
                               [](FakeComm& c) {
                                   c.answer("2.7.4", {}).type(kGet).claimLength(0xFFFF);
                                   c.status("2.7.4", 7).type(kGetNext);
                               },
                               ERR_SUCCESS, std::vector<uint32_t>(1021, 0)},
                      ListCase{"WrongAnswerType",
                               [](FakeComm& c) { c.answer("2.7.4", codeBytes({1})).answerType(5); },
                               ERR_BAD_ANSWER,
                               {}},
                      ListCase{"WrongEcho",
                               [](FakeComm& c) { c.answer("2.7.4", codeBytes({1})).echoLength(2); },
                               ERR_BAD_ANSWER,
                               {}}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return info.param.name; });

TEST_F(ActiveCodes, EndlessListIsBounded) {
    comm.answer("2.7.4", codeBytes({1}));
    EXPECT_EQ(health.getActiveEvents(&comm, 0, &codes), ERR_BAD_ANSWER);
    EXPECT_EQ(codes.size(), 256u);
    EXPECT_EQ(comm.count("2.7.4"), 257u);
}

TEST_F(ActiveCodes, NullOutputsAndNoDevice) {
    bool active = true;
    EXPECT_EQ(health.getEvents(&comm, 0, "2.7.4", nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(health.getActiveEvents(&comm, 0, 107u, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(health.getActiveEvents(nullptr, 0, 107u, &active), ERR_BAD_ANSWER);
    EXPECT_FALSE(active);
    EXPECT_TRUE(comm.requests().empty());
}

TEST_F(ActiveCodes, TestFormFindsTheCode) {
    comm.answer("2.7.4", codeBytes({0x0421C702})).type(kGet);
    comm.status("2.7.4", 7).type(kGetNext);
    bool active = false;
    EXPECT_EQ(health.getActiveEvents(&comm, 0, 0x0421C702u, &active), ERR_SUCCESS);
    EXPECT_TRUE(active);
    EXPECT_EQ(health.getActiveEvents(&comm, 0, 0x0421C701u, &active), ERR_SUCCESS);
    EXPECT_FALSE(active);
}

struct HealthCase {
    const char* name;
    std::vector<uint32_t> active;
    int32_t value;
};

class CheckSystemHealth : public ::testing::TestWithParam<HealthCase> {};

TEST_P(CheckSystemHealth, ValueOfTheActiveCodes) {
    LogCapture log;
    FakeComm comm(1);
    cLibYAT lib(&comm);
    Bytes data;
    for (uint32_t code : GetParam().active) {
        Bytes one = codeBytes({code});
        data.insert(data.end(), one.begin(), one.end());
    }
    comm.answer("2.7.4", data).type(kGet);
    comm.status("2.7.4", 7).type(kGetNext);
    int32_t value = -1;
    EXPECT_EQ(lib.checkSystemHealth(0, &value, 1130, 1070), ERR_SUCCESS);
    EXPECT_EQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Codes, CheckSystemHealth,
                         ::testing::Values(HealthCase{"Neither", {0x0421C701}, 0}, HealthCase{"Only113", {113}, 1130},
                                           HealthCase{"Only107", {107}, 1070},
                                           HealthCase{"Both107Wins", {113, 107}, 1070}),
                         [](const ::testing::TestParamInfo<HealthCase>& info) { return info.param.name; });

TEST(CheckSystemHealthFailures, EitherFailedReadDecides) {
    LogCapture log;
    FakeComm comm(1);
    cLibYAT lib(&comm);
    int32_t value = -1;
    EXPECT_EQ(lib.checkSystemHealth(0, nullptr, 1, 2), ERR_INVALID_PARAMETER);

    // The first read fails in transport, the second would list 113: the failure is the result (a
    // success with value 0 would claim health nobody read), and the second read is not sent.
    comm.fail("2.7.4", 5).times(1);
    comm.answer("2.7.4", codeBytes({113})).type(kGet);
    comm.status("2.7.4", 7).type(kGetNext);
    EXPECT_EQ(lib.checkSystemHealth(0, &value, 1130, 1070), ERR_BAD_ANSWER);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(lib.checkSystemHealth(0, &value, 1130, 1070), ERR_SUCCESS);
    EXPECT_EQ(value, 1130);

    comm.clearRules();
    comm.status("2.7.4", 3);
    value = -1;
    EXPECT_EQ(lib.checkSystemHealth(0, &value, 1130, 1070), ERR_BAD_ANSWER);
    EXPECT_EQ(value, 0);
}

}  // namespace
