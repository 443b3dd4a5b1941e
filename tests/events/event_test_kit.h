#pragma once
// Helpers of the monitoring tests: recorded waits instead of sleeping, bounded waiting for what
// another thread does, the shared class objects with records put in place, and event buffers.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "kit/fake_comm.h"
#include "platform/runtime.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_sp.h"

namespace eventtest {

using yattest::Bytes;

// Replaces the library's sleep function for the life of the object; the requested waits are kept.
class RecordedSleeps {
public:
    RecordedSleeps() {
        std::lock_guard<std::mutex> guard(mutex());
        waits().clear();
        setSleepHook([](uint32_t ms) {
            std::lock_guard<std::mutex> lock(mutex());
            waits().push_back(ms);
        });
    }
    ~RecordedSleeps() { setSleepHook(nullptr); }
    RecordedSleeps(const RecordedSleeps&) = delete;
    RecordedSleeps& operator=(const RecordedSleeps&) = delete;

    std::vector<uint32_t> taken() const {
        std::lock_guard<std::mutex> guard(mutex());
        return waits();
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<uint32_t>& waits() {
        static std::vector<uint32_t> w;
        return w;
    }
};

// Waits (at most 10 s of real time) until done() holds; returns whether it did.
inline bool eventually(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs work on a thread of its own and waits for it at most limit of real time (which only a failing
// run uses up). A test of a hang must not hang itself: when work has not returned by then, the
// failure is printed and the test program ends at once, since the stuck thread can be neither joined
// nor left behind with the objects of this test's stack.
inline void returnsWithin(std::chrono::milliseconds limit, const char* what, const std::function<void()>& work) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread runner([done, &work] {
        work();
        done->set_value();
    });
    if (finished.wait_for(limit) != std::future_status::ready) {
        std::fprintf(stderr, "FAILED: %s did not return within %lld ms; the test program ends here\n", what,
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::_Exit(1);
    }
    runner.join();
}

// Scripts node of comm as an SP with one temperature and one fan.
inline void scriptNode(yattest::FakeComm& comm, int32_t node) {
    sensortest::ScriptedSp sp(comm, node);
    sp.supported(sensortest::join({sensortest::entry({2, 1, 5, 1})}));
    sp.temp(5, 1, 40, 60, 50);
    sp.fan(1, 30);
    sp.power(0x00, 0x00);
}

// One use of each of the four shared class objects, for tests that build records by hand.
struct ClassObjects {
    ClassObjects()
        : temps(cTempInstance::acquireInstance()),
          volts(cVoltInstance::acquireInstance()),
          fans(cFanInst::acquireInstance()),
          power(cPowerInstance::acquireInstance()) {}
    ~ClassObjects() {
        cTempInstance::releaseInstance();
        cVoltInstance::releaseInstance();
        cFanInst::releaseInstance();
        cPowerInstance::releaseInstance();
    }
    ClassObjects(const ClassObjects&) = delete;
    ClassObjects& operator=(const ClassObjects&) = delete;

    cTempInstance* temps;
    cVoltInstance* volts;
    cFanInst* fans;
    cPowerInstance* power;
};

// Stores a record under (nodeIndex + 1, sensor).
inline void put(cSensorInst* object, int32_t nodeIndex, int32_t sensor, SensorSource source, bool valid = true) {
    source.nodeIndex = nodeIndex;
    source.sensorClass = object->sensorClass();
    object->insertInstance(nodeIndex + 1, sensor, &source, valid);
}

inline SensorRecord recordOf(cSensorInst* object, int32_t node, int32_t sensor) {
    SensorRecord record;
    bool present = false;
    (void)object->instances().Read(node, sensor, &record, &present);  // a record not valid is copied too
    EXPECT_TRUE(present) << "no record " << node << "|" << sensor;
    return record;
}

// The event 5.2.id with data.
inline Bytes event(uint8_t id, const Bytes& data = {}) { return yattest::eventBuffer({5, 2, id}, data); }

// A comprehensive record ("5.2.80") with the fields the library decodes.
inline Bytes comprehensive(uint32_t errorCode, uint16_t condition, char memcard, char dimm, size_t size = 124) {
    Bytes data(size, 0);
    auto put8 = [&](size_t offset, uint8_t value) {
        if (offset < data.size()) data[offset] = value;
    };
    put8(2, static_cast<uint8_t>(condition >> 8));
    put8(3, static_cast<uint8_t>(condition));
    for (size_t i = 0; i < 4; ++i) put8(24 + i, static_cast<uint8_t>(errorCode >> (24 - 8 * i)));
    put8(60, '1');
    put8(62, static_cast<uint8_t>(memcard));
    put8(64, static_cast<uint8_t>(dimm));
    return event(0x80, data);
}

// Codes most significant byte first, as "2.7.3" and "2.7.4" list them.
inline Bytes codes(std::initializer_list<uint32_t> list) {
    Bytes bytes;
    for (uint32_t code : list) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(code >> shift));
    }
    return bytes;
}

}  // namespace eventtest
