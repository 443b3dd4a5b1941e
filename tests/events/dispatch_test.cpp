// The event dispatch: buffer checks, every event kind, the fan and voltage alternation, the PFA stack.

#include <gtest/gtest.h>

#include "event_test_kit.h"
#include "events/event_dispatch.h"
#include "events/pfa_stack.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "yat/pfa_records.h"

namespace {

using eventtest::Bytes;
using eventtest::ClassObjects;
using eventtest::event;
using eventtest::put;
using eventtest::recordOf;
using yattest::FakeComm;
using yattest::LogCapture;
using yattest::RecordingSink;
using yattest::Report;

class Dispatch : public ::testing::Test {
protected:
    Dispatch() {
        targets.comm = &comm;
        targets.sink = &sink;
        targets.fans = objects.fans;
        targets.volts = objects.volts;
        targets.power = objects.power;
        targets.pfa = &stack;
        state.nodeIndex = 0;
        state.slowFan = false;
    }

    EventOutcome deliver(const Bytes& buffer) {
        return handleEventBuffer(buffer.data(), buffer.size(), targets, state);
    }

    std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> reported() const {
        std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> out;
        for (const Report& r : sink.reports()) out.emplace_back(r.sensorClass, r.node, r.sensor, r.code);
        return out;
    }

    LogCapture log;
    eventtest::RecordedSleeps sleeps;
    FakeComm comm{2};
    RecordingSink sink;
    ClassObjects objects;
    PfaStack stack;
    EventTargets targets;
    EventThreadState state;
};

struct Malformed {
    const char* name;
    size_t offset;
    uint8_t value;
};

class DispatchMalformed : public Dispatch, public ::testing::WithParamInterface<Malformed> {};

TEST_P(DispatchMalformed, IsLoggedAndIgnored) {
    Bytes buffer = event(0x0D);
    buffer[GetParam().offset] = GetParam().value;
    EXPECT_EQ(deliver(buffer), EventOutcome::kRejected);
    EXPECT_TRUE(sink.reports().empty());
    EXPECT_TRUE(log.has("cSP::SPAsyncEvents", "could not compare events"));
}

INSTANTIATE_TEST_SUITE_P(Buffers, DispatchMalformed,
                         ::testing::Values(Malformed{"AnswerType", 0, 4}, Malformed{"CommandLength", 1, 2},
                                           Malformed{"Status", 4, 1}, Malformed{"Empty", 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dispatch, ShortBufferIsRejected) {
    Bytes buffer = event(0x0D);
    EXPECT_EQ(handleEventBuffer(buffer.data(), 10, targets, state), EventOutcome::kRejected);
    EXPECT_EQ(handleEventBuffer(nullptr, 0, targets, state), EventOutcome::kRejected);
}

struct NodeEventCase {
    const char* name;
    Bytes buffer;
    std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>> reports;  // class, node, sensor, code
};

class DispatchNodeEvents : public Dispatch, public ::testing::WithParamInterface<NodeEventCase> {};

TEST_P(DispatchNodeEvents, ReportAsStated) {
    state.nodeIndex = 1;
    EXPECT_EQ(deliver(GetParam().buffer), EventOutcome::kHandled);
    EXPECT_EQ(reported(), GetParam().reports);
    for (const Report& r : sink.reports()) {
        EXPECT_EQ(r.first, 0);
        EXPECT_EQ(r.second, 0);
        EXPECT_EQ(r.third, 0);
    }
}

Bytes withClaimedLength(Bytes buffer, uint16_t length) {
    buffer[2] = static_cast<uint8_t>(length);
    buffer[3] = static_cast<uint8_t>(length >> 8);
    return buffer;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DispatchNodeEvents,
    ::testing::Values(NodeEventCase{"Pfa", event(0x0D), {{5, 2, 0, 41}}},
                      NodeEventCase{"DasdNoData", event(0x0B), {{5, 2, 0, 37}}},
                      NodeEventCase{"DasdOneByte", event(0x0B, {3}), {{5, 2, 0, 37}}},
                      NodeEventCase{"DasdDrive", event(0x0B, {3, 7}), {{5, 2, 7, 37}}},
                      // A data length past the buffer is cut at its end.
                      NodeEventCase{"DasdHugeLength", withClaimedLength(event(0x0B, {1, 4}), 0xFFFF), {{5, 2, 4, 37}}},
                      NodeEventCase{"Login", event(0x06), {}}, NodeEventCase{"Unknown", event(0x33, {1, 2}), {}},
                      NodeEventCase{"OtherFamily", yattest::eventBuffer({5, 3, 0x0D}, {}), {}},
                      NodeEventCase{"SupplyNoData", event(0x0A), {}},
                      NodeEventCase{"SupplyZero", event(0x0A, {0}), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dispatch, PowerDownEndsTheThread) {
    EXPECT_EQ(deliver(event(0x04)), EventOutcome::kPowerDown);
    EXPECT_TRUE(sink.reports().empty());
}

TEST_F(Dispatch, DasdLogLine) {
    deliver(event(0x0B, {3, 7}));
    EXPECT_TRUE(log.has("cSP::SPAsyncEvents",
                        "about to process a DASD event with backplane [3] and drivenumber [7] buffer 2 [2] buffer [9] "
                        "[3] buffer 10 [7]"));
}

TEST_F(Dispatch, MemoryPfaRecordIsKept) {
    EXPECT_EQ(deliver(eventtest::comprehensive(0x05200001, 1, '2', '5')), EventOutcome::kHandled);
    EXPECT_TRUE(sink.reports().empty());
    PFAEventInfo info;
    ASSERT_EQ(stack.pop(&info), 0);
    EXPECT_EQ(info.memoryCard, 2);
    EXPECT_EQ(info.dimm, 5);
    EXPECT_EQ(info.condition, 1);
    EXPECT_EQ(info.node, 0);
    EXPECT_EQ(info.valid, 1);
    EXPECT_TRUE(
        log.has("cSP::SPAsyncEvents::Halyard Comprehensive event",
                " version [0]  condition [1]  time_stamp [0]  sequence [0]  error_code [85983233]  chassis [1]  "
                "memcard [2]  dimm [5] "));
}

struct RecordCase {
    const char* name;
    Bytes buffer;
};

class DispatchIgnoredRecords : public Dispatch, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(DispatchIgnoredRecords, PushNothing) {
    EXPECT_EQ(deliver(GetParam().buffer), EventOutcome::kHandled);
    EXPECT_EQ(stack.size(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Records, DispatchIgnoredRecords,
    ::testing::Values(RecordCase{"ConditionTwo", eventtest::comprehensive(0x05200001, 2, '2', '5')},
                      RecordCase{"OtherCode", eventtest::comprehensive(0x05200002, 1, '2', '5')},
                      RecordCase{"TooShort", eventtest::comprehensive(0x05200001, 1, '2', '5', 64)},
                      // The buffer holds a whole record but its data length says 30 bytes.
                      RecordCase{"ClaimedShort",
                                 withClaimedLength(eventtest::comprehensive(0x05200001, 1, '2', '5'), 30)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dispatch, TooShortRecordIsLogged) {
    deliver(eventtest::comprehensive(0x05200001, 1, '2', '5', 64));
    EXPECT_TRUE(log.has("cSP::SPAsyncEvents::Halyard Comprehensive event",
                        "comprehensive event with [64] data bytes is too short to decode; ignored"));
}

TEST_F(Dispatch, PfaStackKeepsTheFirstTwentyNewestFirst) {
    for (char card = 0; card < 21; ++card) {
        deliver(eventtest::comprehensive(0x05200001, 1, static_cast<char>('0' + card % 10),
                                         static_cast<char>('0' + card / 10)));
    }
    EXPECT_EQ(stack.size(), 20);
    PFAEventInfo info;
    ASSERT_EQ(stack.pop(&info), 0);  // the twentieth (card 9, dimm 1)
    EXPECT_EQ(info.memoryCard, 9);
    EXPECT_EQ(info.dimm, 1);
    for (int i = 0; i < 19; ++i) ASSERT_EQ(stack.pop(&info), 0);
    EXPECT_EQ(info.memoryCard, 0);  // the first
    EXPECT_EQ(info.dimm, 0);
    EXPECT_EQ(stack.pop(&info), 11);
}

SensorSource fanSource(int32_t instance, int32_t reading, int32_t status = 1) {
    SensorSource source;
    source.instanceNumber = instance;
    source.reading = reading;
    source.upperLimit = 550;
    source.lowerLimit = 550;
    source.status = status;
    return source;
}

TEST_F(Dispatch, FanEventWithEveryFanTurningAlternates) {
    put(objects.fans, 0, 1, fanSource(1, 1500));
    comm.answer("2.3.1", {30});
    for (int i = 0; i < 3; ++i) deliver(event(0x09));
    EXPECT_EQ(reported(), (std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>>{{5, 1, 0, 43}, {5, 1, 0, 43}}));
    EXPECT_EQ(sink.reports().size(), 2u);
    EXPECT_EQ(sleeps.taken(), (std::vector<uint32_t>{2000, 2000, 2000}));
}

TEST_F(Dispatch, SlowFanFirmwareWaitsTenSeconds) {
    state.slowFan = true;
    deliver(event(0x09));
    EXPECT_EQ(sleeps.taken(), std::vector<uint32_t>{10000});
}

TEST_F(Dispatch, FanEventReportsTheFirstStoppedFanOnly) {
    put(objects.fans, 0, 1, fanSource(1, 1500));
    put(objects.fans, 0, 2, fanSource(2, 1500));
    put(objects.fans, 1, 1, fanSource(1, 1500));  // another node's fan: never read here
    comm.status("2.3.1", 7).node(0);              // unavailable
    comm.answer("2.3.2", {255}).node(0);          // stopped
    deliver(event(0x09));
    deliver(event(0x09));
    deliver(event(0x09));
    EXPECT_EQ(reported(),
              (std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>>{{3, 1, 1, 3}, {3, 1, 2, 3}, {5, 1, 0, 43}}));
    EXPECT_EQ(sink.reports()[0].first, 0);
    EXPECT_EQ(sink.reports()[0].third, 550);
    SensorRecord record = recordOf(objects.fans, 1, 2);
    EXPECT_EQ(record.status, 3);
    EXPECT_EQ(record.reading, 0);
    EXPECT_EQ(comm.count("2.3.1"), 3u);  // node 1's fan is never asked on node 0's thread
    for (const auto& request : comm.requests()) EXPECT_EQ(request.node, 0);
}

SensorSource supplySource(int32_t instance, bool normals) {
    SensorSource source;
    source.instanceNumber = instance;
    source.normalsSupported = normals ? 1 : 0;
    source.secondPowerFlag = 1;
    source.status = 1;
    return source;
}

TEST_F(Dispatch, SupplyEventMatchesInstanceAndNode) {
    put(objects.power, 0, 1, supplySource(0, true));
    put(objects.power, 0, 2, supplySource(1, false));
    put(objects.power, 1, 1, supplySource(0, true));         // other node
    put(objects.power, 0, 3, supplySource(0, true), false);  // not valid
    deliver(event(0x0A, {1}));
    deliver(event(0x0A, {2}));
    deliver(event(0x0A, {9}));  // no such supply
    EXPECT_EQ(reported(), (std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>>{{4, 1, 1, 3}, {4, 1, 2, 44}}));
    EXPECT_EQ(recordOf(objects.power, 1, 1).status, 3);
    EXPECT_EQ(recordOf(objects.power, 1, 2).status, 44);
    EXPECT_EQ(recordOf(objects.power, 2, 1).status, 1);
    EXPECT_TRUE(log.has("cSP::SPAsyncEvents", "no normal instance Number [1] is listed as critical"));
}

TEST_F(Dispatch, VoltageEventReportsOnlyWhenEveryVoltageIsNormal) {
    SensorSource source;
    source.instanceNumber = 3;
    source.status = 1;
    put(objects.volts, 0, 1, source);
    deliver(event(0x02));
    deliver(event(0x02));
    deliver(event(0x02));
    ASSERT_TRUE(objects.volts->instances().update(1, 1, [](SensorRecord& r) { r.status = yat::kStatusVoltageHigh; }));
    deliver(event(0x02));
    EXPECT_EQ(reported(), (std::vector<std::tuple<int32_t, int32_t, int32_t, int32_t>>{{5, 1, 0, 42}, {5, 1, 0, 42}}));
}

TEST_F(Dispatch, MissingClassObjectsDoNothing) {
    targets.fans = nullptr;
    targets.volts = nullptr;
    targets.power = nullptr;
    deliver(event(0x09));
    deliver(event(0x02));
    deliver(event(0x0A, {1}));
    EXPECT_TRUE(sink.reports().empty());
    EXPECT_TRUE(comm.requests().empty());
}

}  // namespace
