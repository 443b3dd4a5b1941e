// Fault injection: each kind of fault, rule matching and counting, reproducibility with a seed, and
// latency through a replaced sleep.

#include <gtest/gtest.h>

#include <thread>

#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "kit/log_reader.h"
#include "sim_test_util.h"
#include "yat/system_info_records.h"

namespace {

using simtest::Bytes;
using simtest::send;
using yatsim::FaultKind;
using yatsim::FaultRule;
using yatsim::SimBusComm;

FaultRule rule(FaultKind kind, const char* command, std::optional<uint32_t> value = std::nullopt) {
    FaultRule fault;
    fault.kind = kind;
    fault.value = value;
    if (command != nullptr) fault.command = *yatsim::parseDotted(command);
    return fault;
}

TEST(SimFaults, TransportFailureLeavesTheRequestInPlace) {
    SimBusComm comm;
    comm.addFault(rule(FaultKind::kTransport, "4.3.6", 5));
    simtest::Reply reply = send(comm, "4.3.6");
    EXPECT_EQ(reply.result, 5u);
    EXPECT_EQ(Bytes(reply.buffer.begin(), reply.buffer.begin() + 9), (Bytes{2, 3, 0, 0, 0, 0, 4, 3, 6}));
    EXPECT_EQ(send(comm, "4.3.3.2").result, 0u);  // other commands unaffected
}

TEST(SimFaults, StatusFaultDoesNotRunTheCommand) {
    SimBusComm comm;
    comm.addFault(rule(FaultKind::kStatus, "5.1.1", 7));
    simtest::Reply reply = send(comm, "5.1.1", wire::kSet, {0x55});
    EXPECT_EQ(reply.status(), 7);
    EXPECT_EQ(reply.length(), 0);
    comm.clearFaults();
    EXPECT_EQ(send(comm, "5.1.1").data(), (Bytes{10}));
}

TEST(SimFaults, MalformedAnswers) {
    SimBusComm comm;
    comm.addFault(rule(FaultKind::kWrongType, "4.3.6"));
    comm.addFault(rule(FaultKind::kWrongEcho, "6.1"));
    comm.addFault(rule(FaultKind::kTruncated, "4.3.3.1"));
    comm.addFault(rule(FaultKind::kOversizedLength, "4.3.3.2"));
    EXPECT_EQ(send(comm, "4.3.6").type(), 2);
    EXPECT_EQ(send(comm, "6.1").echo(), 3);
    simtest::Reply cut = send(comm, "4.3.3.1");
    EXPECT_EQ(cut.length(), 2);
    EXPECT_EQ(Bytes(cut.buffer.begin() + 10, cut.buffer.begin() + 14), (Bytes{0xB0, 0x35, 0, 0}));
    simtest::Reply claimed = send(comm, "4.3.3.2");
    EXPECT_EQ(claimed.length(), 0xFFFF);
    EXPECT_EQ(Bytes(claimed.buffer.begin() + 10, claimed.buffer.begin() + 13), (Bytes{37, 0, 0}));
}

TEST(SimFaults, NthSkipCountAndPrefix) {
    SimBusComm comm;
    FaultRule nth = rule(FaultKind::kStatus, "4.3.6", 9);
    nth.nth = {2, 4};
    comm.addFault(nth);
    FaultRule later = rule(FaultKind::kTransport, "4.3.5", 3);
    later.prefix = true;
    later.skip = 1;
    later.count = 2;
    comm.addFault(later);
    std::vector<int> statuses;
    for (int i = 0; i < 5; ++i) statuses.push_back(send(comm, "4.3.6").status());
    EXPECT_EQ(statuses, (std::vector<int>{0, 9, 0, 9, 0}));
    std::vector<uint32_t> results;
    for (int i = 0; i < 5; ++i) results.push_back(send(comm, "4.3.5.3.1", wire::kGet, {0, 0, 4, 0}).result);
    EXPECT_EQ(results, (std::vector<uint32_t>{0, 3, 3, 0, 0}));
    EXPECT_EQ(send(comm, "4.3.5").result, 0u);  // the prefix itself is not matched (nor known)
}

std::vector<uint32_t> ratePattern(SimBusComm& comm) {
    std::vector<uint32_t> results;
    for (int i = 0; i < 40; ++i) results.push_back(send(comm, "4.3.6").result);
    return results;
}

TEST(SimFaults, RateIsReproducibleWithASeed) {
    yatsim::Scenario scenario = yatsim::defaultScenario();
    scenario.faults.seed = 42;
    FaultRule half = rule(FaultKind::kTransport, nullptr, 1);
    half.rate = 0.5;
    scenario.faults.rules.push_back(half);

    SimBusComm first(scenario);
    SimBusComm second(scenario);
    std::vector<uint32_t> pattern = ratePattern(first);
    EXPECT_EQ(ratePattern(second), pattern);
    size_t failures = static_cast<size_t>(std::count(pattern.begin(), pattern.end(), 1u));
    EXPECT_GT(failures, 5u);
    EXPECT_LT(failures, 35u);

    first.setFaultSeed(42);  // back to the start of the same sequence
    EXPECT_EQ(ratePattern(first), pattern);
    first.setFaultSeed(7);
    EXPECT_NE(ratePattern(first), pattern);
}

TEST(SimFaults, LatencyGoesThroughTheSleepFunction) {
    SimBusComm comm;
    comm.setTimeScale(1.0);
    std::vector<std::chrono::microseconds> waits;
    comm.setSleepFunction([&](std::chrono::microseconds wait) { waits.push_back(wait); });
    comm.addFault(rule(FaultKind::kLatency, "4.3.6", 20));
    comm.addFault(rule(FaultKind::kLatency, nullptr, 5));
    EXPECT_EQ(send(comm, "4.3.6").data(), (Bytes{4}));
    send(comm, "6.1");
    comm.setTimeScale(0.5);
    send(comm, "4.3.6");
    EXPECT_EQ(waits,
              (std::vector<std::chrono::microseconds>{std::chrono::microseconds(25000), std::chrono::microseconds(5000),
                                                      std::chrono::microseconds(12500)}));
}

// Each of the four sends of getSystemState fails in turn: the first three only leave their field
// unchanged, the fourth decides the result.
TEST(SimFaults, EachSendOfGetSystemStateFailsInTurn) {
    yattest::LogCapture log;
    for (uint64_t n = 1; n <= 4; ++n) {
        SimBusComm comm;
        cLibYAT* lib = nullptr;
        ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
        comm.clearHistory();
        FaultRule fault = rule(FaultKind::kTransport, nullptr, 6);
        fault.nth = {n};
        comm.addFault(fault);
        SystemStateInfo info{};
        info.sysState = 0xEE;
        info.powerOnHours = -5;
        info.restartCount = -5;
        info.powerStatusOn = 0xEE;
        int32_t result = lib->getSystemState(0, &info);
        EXPECT_EQ(result, n == 4 ? 6 : 0) << n;
        EXPECT_EQ(info.sysState, n == 1 ? 0xEE : 4) << n;
        EXPECT_EQ(info.powerOnHours, n == 2 ? -5 : 8123) << n;
        EXPECT_EQ(info.restartCount, n == 3 ? -5 : 37) << n;
        EXPECT_EQ(info.powerStatusOn, n == 4 ? 0xEE : 1) << n;
        closeLibrary();
    }
}

}  // namespace

TEST(SimFaults, CountsFaultsPerKindAndPerSendingThread) {
    SimBusComm comm;
    comm.addFault(rule(FaultKind::kStatus, "4.3.6"));
    comm.addFault(rule(FaultKind::kLatency, "4.3.6", 5));
    comm.setSleepFunction([](std::chrono::microseconds) {});
    uint64_t before = SimBusComm::faultsOnThisThread();
    send(comm, "4.3.6");
    send(comm, "4.3.3.2");  // no rule
    auto counts = comm.faultCounts();
    EXPECT_EQ(counts[static_cast<size_t>(FaultKind::kStatus)], 1u);
    EXPECT_EQ(counts[static_cast<size_t>(FaultKind::kLatency)], 1u);
    EXPECT_EQ(counts[static_cast<size_t>(FaultKind::kTransport)], 0u);
    EXPECT_EQ(SimBusComm::faultsOnThisThread() - before, 1u);  // latency is not a failure
    uint64_t other = 0;
    std::thread([&] { other = SimBusComm::faultsOnThisThread(); }).join();
    EXPECT_EQ(other, 0u);
    EXPECT_STREQ(yatsim::faultKindName(FaultKind::kOversizedLength), "oversizedLength");
}
