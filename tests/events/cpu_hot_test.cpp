// The processor-hot indicators of the polling update, driven by the node's active event codes
// ("2.7.4": get, then get next until status 7).

#include <gtest/gtest.h>

#include "event_test_kit.h"
#include "events/polling_update.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"

namespace {

using eventtest::ClassObjects;
using eventtest::codes;
using eventtest::put;
using eventtest::recordOf;
using yattest::FakeComm;

SensorSource cpu(int32_t instance, int32_t status) {
    SensorSource source;
    source.location = 2;
    source.instanceNumber = instance;
    source.status = status;
    return source;
}

struct CpuCase {
    const char* name;
    int32_t before;
    std::vector<uint32_t> active;  // empty: the list answers status 7 at once
    bool readFails;
    int32_t after;
};

class CpuHot : public ::testing::TestWithParam<CpuCase> {
protected:
    void round() {
        PolledClasses classes{nullptr, objects.temps, nullptr, nullptr};
        updateNonAsynchReadings(&comm, classes, &sink, stop);
    }
    void script(int32_t node, const std::vector<uint32_t>& active) {
        if (active.empty()) {
            comm.status("2.7.4", 7).type(2).node(node);
            return;
        }
        Bytes data;
        for (uint32_t code : active) {
            Bytes one = codes({code});
            data.insert(data.end(), one.begin(), one.end());
        }
        comm.answer("2.7.4", data).type(2).node(node);
        comm.status("2.7.4", 7).type(3).node(node);
    }
    using Bytes = yattest::Bytes;

    yattest::LogCapture log;
    FakeComm comm{2};
    yattest::RecordingSink sink;
    ClassObjects objects;
    std::atomic<bool> stop{false};
};

TEST_P(CpuHot, Transitions) {
    put(objects.temps, 0, 7, cpu(1, GetParam().before), false);
    if (GetParam().readFails) {
        comm.fail("2.7.4");
    } else {
        script(0, GetParam().active);
    }
    round();
    EXPECT_EQ(recordOf(objects.temps, 1, 7).status, GetParam().after);
    if (GetParam().after != GetParam().before) {
        ASSERT_EQ(sink.reports().size(), 1u);
        const yattest::Report r = sink.reports()[0];
        EXPECT_EQ(std::make_tuple(r.sensorClass, r.node, r.sensor, r.code, r.first.value_or(-1)),
                  std::make_tuple(5, 1, 1, GetParam().after, 0));
    } else {
        EXPECT_TRUE(sink.reports().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, CpuHot,
                         ::testing::Values(CpuCase{"GoesHot", 51, {0x0421C700, 0x0421C701}, false, 50},
                                           CpuCase{"ComesBack", 50, {0x0421C702}, false, 51},
                                           CpuCase{"StaysNormal", 51, {0x0421C702}, false, 51},
                                           CpuCase{"StaysHot", 50, {0x0421C701}, false, 50},
                                           // No code active at all: the processor has cooled down too.
                                           CpuCase{"NoActiveCodeCools", 50, {}, false, 51},
                                           CpuCase{"NoActiveCodeStaysNormal", 51, {}, false, 51},
                                           CpuCase{"FailedReadKeepsHot", 50, {0x0421C701}, true, 50}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CpuHot, EachNodeReadsItsOwnCodesOncePerRound) {
    put(objects.temps, 0, 7, cpu(1, 51), false);
    put(objects.temps, 0, 8, cpu(2, 51), false);
    put(objects.temps, 1, 7, cpu(1, 51), false);
    script(0, {0x0421C701, 0x0421C702});
    script(1, {0x06014000});
    round();
    EXPECT_EQ(recordOf(objects.temps, 1, 7).status, 50);
    EXPECT_EQ(recordOf(objects.temps, 1, 8).status, 50);
    EXPECT_EQ(recordOf(objects.temps, 2, 7).status, 51);  // node 0's codes do not make node 1 hot
    size_t gets = 0;
    for (const auto& request : comm.requests()) gets += request.command == "2.7.4" && request.type == 2 ? 1 : 0;
    EXPECT_EQ(gets, 2u);
    EXPECT_TRUE(log.has("updateNonAsynchReadings", "Setting CPU temp status = PROC_HOT"));
}

}  // namespace
