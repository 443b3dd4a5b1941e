#pragma once
// FakeComm: a scriptable comm device (device ID 99) for tests.
//
//   FakeComm comm(2);                                 // two nodes
//   comm.answer("4.3.6", {0x05});                     // any node, any command type: status 0, data 05
//   comm.answer("4.3.6", {0x05}).node(1).type(2);     // only node 1, only get requests
//   comm.fail("1.2", 1);                              // transport failure: sendCommand returns 1
//   comm.status("4.9.1.1.1", 7);                      // answer with status 7 and no data
//   comm.raw("1.2", [](uint8_t* buf) { buf[1] = 9; }); // answer normally, then mangle the buffer
//   comm.answer("2.1.1.1", {..}).times(1);            // used once, then the next matching rule
//
// Rules are matched by the request's dotted command bytes (lower-case hexadecimal without leading
// zeros: "4.3.5.c.1"), node and command type; among the rules that match, the first added that is
// not used up answers. An unmatched request answers with status 0xFF and no data, as an SP answers a
// command it does not know. Every request is recorded (node, a copy of the request bytes) before it
// is answered. Event queues: pushEvent(node, bytes) wakes a registerForEvents blocked on that node;
// deRegisterForEvents(node) makes every call blocked on that node return kCommEventsStopped or, when none is blocked,
// the next one (as the simulator and a real SP driver do); events stay queued across it.
//
// Thread-safe: sendCommand and registerForEvents may be called from several threads.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "yat/bus_comm.h"

namespace yattest {

using Bytes = std::vector<uint8_t>;

// The dotted form of command bytes: "4.3.5.c.1".
std::string dotted(const uint8_t* bytes, size_t count);

// One recorded request.
struct Request {
    int32_t node = 0;
    uint8_t type = 0;
    std::string command;  // dotted command bytes
    Bytes commandBytes;
    Bytes data;    // request data (length from offset 2)
    Bytes buffer;  // the whole request buffer as sent
};

class FakeComm : public cBusComm {
public:
    class Rule {
    public:
        Rule& node(int32_t n) {
            node_ = n;
            return *this;
        }
        Rule& type(uint8_t t) {
            type_ = t;
            return *this;
        }
        // The rule answers this many requests, then lets later rules answer.
        Rule& times(int n) {
            remaining_ = n;
            return *this;
        }
        // Claims this data length at offset 2..3 instead of the real size.
        Rule& claimLength(uint16_t length) {
            claimedLength_ = length;
            return *this;
        }
        // Echoes this command length instead of the request's.
        Rule& echoLength(uint8_t length) {
            echoLength_ = length;
            return *this;
        }
        // Answers with this type byte instead of 4.
        Rule& answerType(uint8_t type) {
            answerType_ = type;
            return *this;
        }

    private:
        friend class FakeComm;
        std::string command_;
        std::optional<int32_t> node_;
        std::optional<uint8_t> type_;
        int remaining_ = -1;  // -1: unlimited
        uint32_t sendResult_ = 0;
        uint8_t status_ = 0;
        Bytes data_;
        std::optional<uint16_t> claimedLength_;
        std::optional<uint8_t> echoLength_;
        std::optional<uint8_t> answerType_;
        std::function<void(uint8_t*)> mangle_;
        std::function<void(uint8_t*)> handler_;
    };

    explicit FakeComm(uint32_t nodes = 1, int32_t id = 99);

    // Status 0 with data.
    Rule& answer(const std::string& command, Bytes data);
    // A non-zero SP status with data (default none).
    Rule& status(const std::string& command, uint8_t status, Bytes data = {});
    // sendCommand returns result (non-zero) and leaves the buffer as sent.
    Rule& fail(const std::string& command, uint32_t result = 1);
    // Answers with data, then lets mangle change the answer buffer freely.
    Rule& raw(const std::string& command, Bytes data, std::function<void(uint8_t*)> mangle);
    // The handler writes the whole answer into the buffer (it sees the request first).
    Rule& handle(const std::string& command, std::function<void(uint8_t*)> handler);
    // Fails every request whose sequence number (1-based, over all sends) is n.
    void failNth(int n, uint32_t result = 1);

    // Recorded requests.
    std::vector<Request> requests() const;
    std::vector<std::string> commands() const;  // dotted commands in order
    size_t count(const std::string& command) const;
    void clearRequests();
    void clearRules();

    void setNodeCount(uint32_t nodes) { nodes_ = nodes; }
    void setId(int32_t id) { setDeviceID(id); }

    // Events.
    void pushEvent(uint32_t node, const Bytes& buffer);
    void clearEvents();                     // drops every queued event and pending stop
    bool registered(uint32_t node) const;   // a registerForEvents is blocked on node
    bool stopPending(uint32_t node) const;  // a stop waits for the next registerForEvents on node

    uint32_t sendCommand(int32_t node, uint8_t* buffer) override;
    uint32_t registerForEvents(uint32_t node, uint8_t* buffer) override;
    uint32_t deRegisterForEvents(uint32_t node) override;
    uint32_t getNodeCount() override { return nodes_; }

private:
    struct EventQueue {
        std::deque<Bytes> events;
        uint64_t stopGeneration = 0;  // raised by each deRegisterForEvents
        bool pendingStop = false;     // a stop that found no call blocked
        int waiting = 0;
    };
    EventQueue& queue(uint32_t node);

    mutable std::mutex mutex_;
    std::condition_variable eventsChanged_;
    std::deque<Rule> rules_;  // deque: references handed out stay valid
    std::vector<Request> requests_;
    std::vector<std::pair<int, uint32_t>> failNth_;
    std::deque<std::pair<uint32_t, EventQueue>> queues_;  // deque: references stay valid
    uint32_t nodes_;
};

// Builds a whole answer buffer (type 4, echoed command bytes, status, data) as an SP would.
void writeAnswer(uint8_t* buffer, const uint8_t* commandBytes, uint8_t commandLength, uint8_t status,
                 const Bytes& data);

// An event buffer (command type 5) with the given command bytes and data.
Bytes eventBuffer(std::initializer_list<uint8_t> commandBytes, const Bytes& data);

}  // namespace yattest
