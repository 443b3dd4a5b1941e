// Event delivery: blocking per node, injected and timeline events, deregistration, and concurrent use.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sim/layouts.h"
#include "sim_test_util.h"

namespace {

using simtest::Bytes;
using yatsim::SimBusComm;

void waitUntilWaiting(SimBusComm& comm, uint32_t node) {
    while (!comm.waiting(node)) std::this_thread::yield();
}

TEST(SimEvents, InjectedEventIsWrittenAsAnEventBuffer) {
    SimBusComm comm;
    ASSERT_TRUE(comm.injectEvent(1, yatsim::makeEvent(0x0A, {2})));
    EXPECT_FALSE(comm.injectEvent(2, yatsim::makeEvent(0x0A)));
    uint8_t buffer[wire::kBufferSize];
    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    ASSERT_EQ(comm.registerForEvents(1, buffer), 0u);
    EXPECT_EQ(Bytes(buffer, buffer + 11), (Bytes{5, 3, 1, 0, 0, 0, 5, 2, 0x0A, 2, 0}));
    EXPECT_EQ(buffer[wire::kBufferSize - 1], 0);
}

TEST(SimEvents, ComprehensiveRecordIsBigEndianWithDigits) {
    yatsim::ComprehensiveEvent fields;
    fields.condition = 1;
    fields.errorCode = 0x05200001;
    fields.memcard = 2;
    fields.dimm = 3;
    yatsim::SimEvent event = yatsim::makeComprehensiveEvent(fields);
    EXPECT_EQ(event.command, (Bytes{5, 2, 0x80}));
    ASSERT_EQ(event.data.size(), 124u);
    EXPECT_EQ(Bytes(event.data.begin(), event.data.begin() + 4), (Bytes{0, 1, 0, 1}));
    EXPECT_EQ(Bytes(event.data.begin() + 24, event.data.begin() + 28), (Bytes{0x05, 0x20, 0x00, 0x01}));
    EXPECT_EQ(event.data[60], '0');
    EXPECT_EQ(event.data[62], '2');
    EXPECT_EQ(event.data[64], '3');
}

TEST(SimEvents, BlocksUntilAnEventOrDeregistration) {
    SimBusComm comm;
    uint32_t results[2] = {99, 99};
    uint8_t buffers[2][wire::kBufferSize] = {};
    std::thread node0([&] { results[0] = comm.registerForEvents(0, buffers[0]); });
    std::thread node1([&] { results[1] = comm.registerForEvents(1, buffers[1]); });
    waitUntilWaiting(comm, 0);
    waitUntilWaiting(comm, 1);
    comm.injectEvent(0, yatsim::makeEvent(0x09));
    node0.join();
    EXPECT_EQ(results[0], 0u);
    EXPECT_EQ(buffers[0][8], 0x09);
    EXPECT_TRUE(comm.waiting(1));  // node 1 still blocked
    EXPECT_EQ(comm.deRegisterForEvents(1), 0u);
    node1.join();
    EXPECT_EQ(results[1], SimBusComm::kDeregistered);
    EXPECT_EQ(comm.deRegisterForEvents(5), SimBusComm::kNoSuchNode);
}

TEST(SimEvents, DeregistrationBeforeTheWaitStopsTheNextWaitOnce) {
    SimBusComm comm;
    uint8_t buffer[wire::kBufferSize];
    comm.deRegisterForEvents(0);
    comm.injectEvent(0, yatsim::makeEvent(0x04));
    EXPECT_EQ(comm.registerForEvents(0, buffer), SimBusComm::kDeregistered);
    // A later registration (monitoring started again) gets the queued event.
    EXPECT_EQ(comm.registerForEvents(0, buffer), 0u);
    EXPECT_EQ(buffer[8], 0x04);
}

TEST(SimEvents, TimelineRunsOnTheManualClock) {
    yatsim::Scenario scenario = yatsim::parseScenario(R"({"nodes": [{}, {}], "timeline": [
        {"at": 100, "node": 1, "event": "dasd", "backplane": 1, "drive": 4},
        {"at": 50, "node": 0, "event": "powerSupply", "supply": 2},
        {"at": 70, "node": 0, "event": "5.2.9", "data": "0102"}]})",
                                                      "test");
    SimBusComm comm(scenario);
    comm.useManualClock();
    comm.advanceTime(std::chrono::milliseconds(60) - comm.now());
    EXPECT_EQ(comm.pendingEvents(0), 1u);
    EXPECT_EQ(comm.pendingEvents(1), 0u);
    uint8_t buffer[wire::kBufferSize];
    ASSERT_EQ(comm.registerForEvents(0, buffer), 0u);
    EXPECT_EQ(Bytes(buffer + 6, buffer + 10), (Bytes{5, 2, 0x0A, 2}));

    uint32_t result = 99;
    std::thread waiter([&] { result = comm.registerForEvents(1, buffer); });
    waitUntilWaiting(comm, 1);
    comm.advanceTime(std::chrono::milliseconds(50));
    waiter.join();
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(Bytes(buffer + 6, buffer + 11), (Bytes{5, 2, 0x0B, 1, 4}));
    EXPECT_EQ(comm.pendingEvents(0), 1u);  // the 70 ms event
}

TEST(SimEvents, SendsFromManyThreadsWhileEventWaitsBlock) {
    SimBusComm comm;
    uint32_t results[2] = {99, 99};
    std::thread waiters[2];
    for (uint32_t node = 0; node < 2; ++node) {
        waiters[node] = std::thread([&comm, &results, node] {
            uint8_t buffer[wire::kBufferSize];
            results[node] = comm.registerForEvents(node, buffer);
        });
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t) {
        senders.emplace_back([&comm, &wrong, t] {
            for (int i = 0; i < 200; ++i) {
                int32_t node = (t + i) % 2;
                simtest::Reply reply = simtest::send(comm, "4.3.3.2", wire::kGet, {}, node);
                Bytes expected = node == 0 ? Bytes{37, 0} : Bytes{35, 0};
                if (reply.result != 0 || reply.data() != expected) ++wrong;
                simtest::send(comm, "5.1.2", wire::kSet, {static_cast<uint8_t>(i)}, node);
            }
        });
    }
    for (std::thread& sender : senders) sender.join();
    waitUntilWaiting(comm, 0);
    waitUntilWaiting(comm, 1);
    comm.deRegisterForEvents(0);
    comm.deRegisterForEvents(1);
    for (std::thread& waiter : waiters) waiter.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(results[0], SimBusComm::kDeregistered);
    EXPECT_EQ(results[1], SimBusComm::kDeregistered);
    EXPECT_EQ(comm.history().size(), 1600u);
}

}  // namespace
