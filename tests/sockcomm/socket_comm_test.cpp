// The socket comm device against yat-spd's server (in this process) and against peers that
// misbehave: answers as the simulator gives them, shared state and events across clients, concurrent
// use, timeouts, lost connections, malformed frames and version refusals on both sides.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "commands/sp_cmd.h"
#include "events/sel_wire.h"
#include "sim/sim_test_util.h"
#include "sockcomm/sockcomm_kit.h"

namespace {

using namespace socktest;
using sockcomm::FrameHeader;
using sockcomm::FrameKind;
using sockcomm::kTransportFailure;

// --- framing and endpoint texts ---

struct HeaderDamage {
    const char* name;
    size_t offset;
    uint8_t value;
};

class DamagedHeader : public ::testing::TestWithParam<HeaderDamage> {};

TEST_P(DamagedHeader, IsRefused) {
    uint8_t bytes[sockcomm::kHeaderBytes];
    sockcomm::encodeHeader({FrameKind::Send, 7, 1, 0}, bytes);
    ASSERT_TRUE(sockcomm::decodeHeader(bytes));
    bytes[GetParam().offset] = GetParam().value;
    EXPECT_FALSE(sockcomm::decodeHeader(bytes));
}

INSTANTIATE_TEST_SUITE_P(Framing, DamagedHeader,
                         ::testing::Values(HeaderDamage{"magic", 0, 0}, HeaderDamage{"kindZero", 4, 0},
                                           HeaderDamage{"kindUnknown", 4, 9}, HeaderDamage{"reserved", 6, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Framing, HeaderRoundTripsAndEachKindFixesItsPayload) {
    uint8_t bytes[sockcomm::kHeaderBytes];
    sockcomm::encodeHeader({FrameKind::EventReply, 0xA1B2C3D4, 3, 10}, bytes);
    auto header = sockcomm::decodeHeader(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->requestId, 0xA1B2C3D4u);
    EXPECT_EQ(header->node, 3u);
    EXPECT_EQ(header->result, 10u);
    EXPECT_EQ(sockcomm::payloadLength(*header), 0u);  // a failed event reply carries no buffer
    EXPECT_EQ(sockcomm::payloadLength({FrameKind::EventReply, 1, 0, 0}), 4096u);
    EXPECT_EQ(sockcomm::payloadLength({FrameKind::Send, 1, 0, 0}), 4096u);
    EXPECT_EQ(sockcomm::payloadLength({FrameKind::WaitEvent, 1, 0, 0}), 0u);
}

struct OptionsCase {
    const char* text;
    const char* error;  // nullptr: accepted
};

class SocketOptionTexts : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(SocketOptionTexts, AreParsedOrRefusedWithTheReason) {
    std::string why;
    auto options = sockcomm::parseSocketOptions(GetParam().text, why);
    if (GetParam().error == nullptr) {
        EXPECT_TRUE(options) << why;
    } else {
        EXPECT_FALSE(options);
        EXPECT_NE(why.find(GetParam().error), std::string::npos) << why;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endpoints, SocketOptionTexts,
    ::testing::Values(OptionsCase{"unix:/run/yat/spd.sock", nullptr}, OptionsCase{"tcp:127.0.0.1:7000", nullptr},
                      OptionsCase{"tcp:localhost:7000,timeout=250", nullptr},
                      OptionsCase{"tcp:10.0.0.5:7000", "only 127.0.0.1"},
                      OptionsCase{"tcp:0.0.0.0:7000", "only 127.0.0.1"}, OptionsCase{"tcp:127.0.0.1:70000", "port"},
                      OptionsCase{"tcp:127.0.0.1:", "port"}, OptionsCase{"unix:", "socket path"},
                      OptionsCase{"unix:/x,timeout=0", "timeout"}, OptionsCase{"udp:1", "expected unix"}));

TEST(Endpoints, TimeoutSuffixSetsTheRequestTimeout) {
    std::string why;
    auto options = sockcomm::parseSocketOptions("unix:/s,timeout=250", why);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->timeout, 250ms);
    EXPECT_EQ(options->endpoint.path, "/s");
    EXPECT_EQ(sockcomm::parseSocketOptions("unix:/s", why)->timeout, sockcomm::SocketBusComm::kDefaultTimeout);
}

// --- against the server ---

TEST(SocketComm, AnswersAsTheSimulatorInThisProcessDoes) {
    Served served;
    yatsim::SimBusComm local;
    auto client = served.client();
    EXPECT_EQ(client->getNodeCount(), 2u);
    for (const char* command : {"4.3.6", "3.4.2", "2.7.4", "9.9.9"}) {
        for (int32_t node : {0, 1}) {
            auto remote = simtest::send(*client, command, wire::kGet, {}, node);
            auto here = simtest::send(local, command, wire::kGet, {}, node);
            EXPECT_EQ(remote.result, here.result) << command;
            EXPECT_EQ(remote.buffer, here.buffer) << command << " node " << node;
        }
    }
    EXPECT_EQ(simtest::send(*client, "4.3.6", wire::kGet, {}, 5).result, yatsim::SimBusComm::kNoSuchNode);
}

TEST(SocketComm, ChangesOfOneClientAreSeenByAnother) {
    Served served;
    yatsim::SimBusComm local;
    auto writer = served.client();
    auto reader = served.client();
    auto before = simtest::send(*reader, selwire::kReadCommand, wire::kGet, {}, 1).buffer;
    ASSERT_EQ(simtest::send(*writer, selwire::kEraseCommand, wire::kSet, {}, 1).status(), 0);
    ASSERT_EQ(simtest::send(local, selwire::kEraseCommand, wire::kSet, {}, 1).status(), 0);
    auto after = simtest::send(*reader, selwire::kReadCommand, wire::kGet, {}, 1).buffer;
    EXPECT_NE(after, before);
    EXPECT_EQ(after, simtest::send(local, selwire::kReadCommand, wire::kGet, {}, 1).buffer);
}

TEST(SocketComm, EventsReachEveryRegisteredClientAndStopEndsTheWaits) {
    Served served;
    auto first = served.client();
    auto second = served.client();
    uint8_t buffers[2][4096] = {};
    uint32_t results[2] = {99, 99};
    std::thread a([&] { results[0] = first->registerForEvents(1, buffers[0]); });
    std::thread b([&] { results[1] = second->registerForEvents(1, buffers[1]); });
    ASSERT_TRUE(eventually([&] { return served.server->blockedWaits(1) == 2; }));
    ASSERT_TRUE(served.sim->injectEvent(1, yatsim::makeEvent(0x0A, {2})));
    a.join();
    b.join();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(results[i], kCommSuccess);
        EXPECT_EQ(buffers[i][0], wire::kEvent);
    }
    EXPECT_EQ(std::memcmp(buffers[0], buffers[1], 4096), 0);

    // A blocked wait ends with 10 when its node is stopped; a stop with no wait ends the next one.
    std::thread c([&] { results[0] = first->registerForEvents(1, buffers[0]); });
    ASSERT_TRUE(eventually([&] { return served.server->blockedWaits(1) == 1; }));
    EXPECT_EQ(first->deRegisterForEvents(1), kCommSuccess);
    c.join();
    EXPECT_EQ(results[0], kCommEventsStopped);
    EXPECT_TRUE(eventually([&] { return served.server->blockedWaits(1) == 0; }));
    EXPECT_EQ(second->deRegisterForEvents(1), kCommSuccess);
    EXPECT_EQ(second->registerForEvents(1, buffers[1]), kCommEventsStopped);
}

TEST(SocketComm, ThreadsSendWhileAnEventWaitIsBlocked) {
    Served served;
    auto client = served.client();
    yatsim::SimBusComm local;
    auto expected = simtest::send(local, "4.3.6", wire::kGet, {}, 0).buffer;
    uint8_t event[4096];
    uint32_t eventResult = 99;
    std::thread waiter([&] { eventResult = client->registerForEvents(0, event); });
    ASSERT_TRUE(eventually([&] { return served.server->blockedWaits(0) == 1; }));
    std::atomic<int> wrong{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t) {
        senders.emplace_back([&] {
            for (int i = 0; i < 100; ++i) {
                auto reply = simtest::send(*client, "4.3.6", wire::kGet, {}, 0);
                if (reply.result != kCommSuccess || reply.buffer != expected) ++wrong;
            }
        });
    }
    for (auto& sender : senders) sender.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(served.server->blockedWaits(0), 1u);  // the wait was not disturbed
    served.sim->injectEvent(0, yatsim::makeEvent(0x09));
    waiter.join();
    EXPECT_EQ(eventResult, kCommSuccess);
}

TEST(SocketComm, ALostConnectionFailsWhatIsInFlightAndTheNextCallReconnects) {
    Served served;
    auto client = served.client();
    uint8_t event[4096];
    uint32_t eventResult = 99;
    std::thread waiter([&] { eventResult = client->registerForEvents(0, event); });
    ASSERT_TRUE(eventually([&] { return served.server->blockedWaits(0) == 1; }));
    served.stop();
    waiter.join();
    EXPECT_EQ(eventResult, kTransportFailure);  // not 10: the library pauses before it asks again
    EXPECT_TRUE(served.clientLog.contains("closed the connection"));
    EXPECT_EQ(simtest::send(*client, "4.3.6").result, kTransportFailure);  // nobody listens

    served.start();
    EXPECT_EQ(simtest::send(*client, "4.3.6").result, kCommSuccess);
    EXPECT_EQ(client->connections(), 2u);
}

TEST(SocketComm, ARestartWhileNobodyWaitedCostsNoCall) {
    Served served;
    auto client = served.client();
    ASSERT_EQ(simtest::send(*client, "4.3.6").result, kCommSuccess);
    served.stop();
    served.start();
    EXPECT_EQ(simtest::send(*client, "4.3.6").result, kCommSuccess);  // the close is found before sending
    EXPECT_EQ(client->connections(), 2u);
}

TEST(SocketComm, AClientThatDoesNotReadHoldsUpNobodyElseAndIsDisconnected) {
    Served served(yatsim::defaultScenario(), 60s);  // its write timeout alone would hold up for a minute
    std::string why;
    RawPeer slow(sockcomm::connectTo(served.endpoint, 1s, why));
    auto hello = sockcomm::encodeHello(sockcomm::kProtocolVersion, 0);
    ASSERT_TRUE(slow.writeFrame({FrameKind::Hello, 0, 0, 0}, hello.data(), hello.size()));
    ASSERT_TRUE(slow.readFrame());
    // More event waits than the server keeps unsent replies for, then commands whose answers it never
    // reads, until the server's thread for it is stuck writing one.
    const uint32_t waits = yatspd::SpServer::kMaxUnsentEvents + 2;
    for (uint32_t id = 1; id <= waits; ++id) ASSERT_TRUE(slow.writeFrame({FrameKind::WaitEvent, id, 0, 0}));
    ASSERT_TRUE(eventually([&] { return served.server->blockedWaits(0) == waits; }));
    cSPCmd command;
    command.buildSPCommand("4.3.6", wire::kGet, nullptr, nullptr, 0, 0);
    auto frame = sockcomm::encodeFrame({FrameKind::Send, 1000, 0, 0}, command.buffer(), sockcomm::kBufferBytes);
    int sent = 0;
    while (sent < 10000 && sockcomm::writeAll(slow.fd(), frame.data(), frame.size(), sockcomm::Clock::now() + 50ms)) {
        ++sent;
    }
    ASSERT_LT(sent, 10000);

    auto fast = served.client();
    uint8_t event[4096];
    std::atomic<uint32_t> result{99};
    std::thread waiter([&] { result = fast->registerForEvents(0, event); });
    ASSERT_TRUE(eventually([&] { return served.server->blockedWaits(0) == waits + 1; }));
    ASSERT_TRUE(served.sim->injectEvent(0, yatsim::makeEvent(0x09)));
    EXPECT_TRUE(eventually([&] { return result != 99; }));  // at once, not after the slow one's timeout
    waiter.join();
    EXPECT_EQ(result, kCommSuccess);

    for (size_t i = 0; i < yatspd::SpServer::kMaxUnsentEvents; ++i) served.sim->injectEvent(0, yatsim::makeEvent(0x09));
    EXPECT_TRUE(eventually([&] { return served.log.contains("does not take its event replies"); }));
    EXPECT_TRUE(eventually([&] { return served.server->clientCount() == 1; }));
    EXPECT_EQ(simtest::send(*fast, "4.3.6").result, kCommSuccess);
}

TEST(SocketComm, ClientThatDisconnectsMidFrameOrSendsGarbageLeavesOthersServed) {
    Served served;
    auto good = served.client();
    ASSERT_EQ(simtest::send(*good, "4.3.6").result, kCommSuccess);
    for (bool garbage : {false, true}) {
        std::string why;
        RawPeer raw(sockcomm::connectTo(served.endpoint, 1s, why));
        auto hello = sockcomm::encodeHello(sockcomm::kProtocolVersion, 0);
        ASSERT_TRUE(raw.writeFrame({FrameKind::Hello, 0, 0, 0}, hello.data(), hello.size()));
        ASSERT_TRUE(raw.readFrame());
        auto frame = sockcomm::encodeFrame({FrameKind::Send, 1, 0, 0}, nullptr, 0);
        if (garbage) frame[0] ^= 0xFF;
        frame.resize(garbage ? frame.size() : 100);
        ASSERT_TRUE(raw.write(frame));
        if (!garbage) shutdown(raw.fd(), SHUT_WR);
        EXPECT_FALSE(raw.readFrame());  // disconnected, nothing answered
    }
    EXPECT_TRUE(served.log.contains("connection ended in a frame"));
    EXPECT_TRUE(served.log.contains("malformed frame"));
    EXPECT_EQ(simtest::send(*good, "4.3.6").result, kCommSuccess);
}

TEST(SocketComm, ServerRefusesAnotherProtocolVersion) {
    Served served;
    std::string why;
    RawPeer raw(sockcomm::connectTo(served.endpoint, 1s, why));
    auto hello = sockcomm::encodeHello(sockcomm::kProtocolVersion + 1, 0);
    ASSERT_TRUE(raw.writeFrame({FrameKind::Hello, 0, 0, 0}, hello.data(), hello.size()));
    auto reply = raw.readFrame();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->result, sockcomm::kVersionRefused);
    EXPECT_TRUE(served.log.contains("protocol version 2"));
}

TEST(SocketComm, FiftyClientsEachGetTheirOwnAnswers) {
    Served served;
    yatsim::SimBusComm local;
    const std::vector<uint8_t> expected[2] = {simtest::send(local, "4.3.6", wire::kGet, {}, 0).buffer,
                                              simtest::send(local, "4.3.6", wire::kGet, {}, 1).buffer};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < 50; ++c) {
        threads.emplace_back([&, c] {
            auto client = served.client();
            for (int i = 0; i < 20; ++i) {
                int32_t node = (c + i) % 2;
                auto reply = simtest::send(*client, "4.3.6", wire::kGet, {}, node);
                if (reply.result != kCommSuccess || reply.buffer != expected[node]) ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

// --- against peers that misbehave ---

struct PeerFault {
    const char* name;
    const char* logged;
    // What the peer does with the command frame after the handshake.
    std::function<void(RawPeer&, const FrameHeader& request)> act;
};

class MisbehavingPeer : public ::testing::TestWithParam<PeerFault> {};

TEST_P(MisbehavingPeer, FailsTheCallAsTransportFailureAndDisconnects) {
    RawServer server;
    Lines log;
    sockcomm::SocketBusComm client(server.endpoint, 200ms, log.sink());
    std::unique_ptr<RawPeer> peer;
    std::thread serving([&] {
        peer = server.acceptHello();
        auto request = peer->readFrame();
        if (request) GetParam().act(*peer, *request);
    });
    uint8_t buffer[4096] = {};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.sendCommand(0, buffer), kTransportFailure);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    serving.join();
    EXPECT_TRUE(log.contains(GetParam().logged));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MisbehavingPeer,
    ::testing::Values(
        PeerFault{"silent", "no reply to a command", [](RawPeer&, const FrameHeader&) {}},
        PeerFault{"badMagic", "malformed frame",
                  [](RawPeer& peer, const FrameHeader& request) {
                      auto frame = sockcomm::encodeFrame({FrameKind::SendReply, request.requestId, 0, 1}, nullptr, 0);
                      frame[1] ^= 0xFF;
                      peer.write(frame);
                  }},
        PeerFault{"requestKind", "malformed frame",
                  [](RawPeer& peer, const FrameHeader& request) {
                      peer.writeFrame({FrameKind::WaitEvent, request.requestId, 0, 0});
                  }},
        PeerFault{"unknownId", "reply to no request",
                  [](RawPeer& peer, const FrameHeader& request) {
                      peer.writeFrame({FrameKind::SendReply, request.requestId + 1000, 0, 1});
                  }},
        PeerFault{"closesMidFrame", "ended in the middle of a frame",
                  [](RawPeer& peer, const FrameHeader& request) {
                      auto frame = sockcomm::encodeFrame({FrameKind::SendReply, request.requestId, 0, 0}, nullptr, 0);
                      frame.resize(300);
                      peer.write(frame);
                      shutdown(peer.fd(), SHUT_RDWR);
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SocketComm, PeerThatNeverReadsOrAnswersTheHandshakeTimesOut) {
    RawServer server;  // listens, never accepts: the connection waits in the backlog
    Lines log;
    sockcomm::SocketBusComm client(server.endpoint, 100ms, log.sink());
    uint8_t buffer[4096] = {};
    EXPECT_EQ(client.sendCommand(0, buffer), kTransportFailure);
    EXPECT_EQ(client.getNodeCount(), 0u);
    EXPECT_TRUE(log.contains("no valid handshake"));
}

TEST(SocketComm, DeviceRefusesAServerOfAnotherVersion) {
    RawServer server;
    Lines log;
    sockcomm::SocketBusComm client(server.endpoint, 500ms, log.sink());
    std::thread serving([&] { auto peer = server.acceptHello(7, sockcomm::kVersionRefused); });
    uint8_t buffer[4096] = {};
    EXPECT_EQ(client.sendCommand(0, buffer), kTransportFailure);
    serving.join();
    EXPECT_TRUE(log.contains("speaks protocol version 7"));
}

}  // namespace
