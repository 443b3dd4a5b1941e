// Fuzzes the event dispatch: any bytes as an event buffer (header checks, id matching, data length,
// comprehensive records, supply and DASD data) against sensor records of two nodes. Sink calls are
// counted; every read must stay inside the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/library_fuzz_input.h"
#include "yat/bus_comm.h"
#include "events/event_dispatch.h"
#include "events/pfa_stack.h"
#include "platform/runtime.h"
#include "sensors/sensor_classes.h"

namespace {

// Answers every fan read as stopped, so fan events walk the records.
class StoppedFans final : public cBusComm {
public:
    uint32_t sendCommand(int32_t, uint8_t* buffer) override {
        uint8_t length = buffer[1] > 32 ? 32 : buffer[1];
        buffer[0] = 4;
        buffer[2] = 1;
        buffer[3] = 0;
        buffer[4] = 0;
        buffer[6 + length] = 255;
        return 0;
    }
};

struct Fixture {
    Fixture() {
        setSleepHook([](uint32_t) {});
        RuntimeSettings settings = runtimeSettings();
        settings.logEnabled = false;  // the log would only slow the runs down
        setRuntimeSettings(settings);
        for (int32_t node = 0; node < 2; ++node) {
            for (int32_t i = 0; i < 3; ++i) {
                SensorSource source;
                source.nodeIndex = node;
                source.instanceNumber = i;
                source.status = 1;
                source.normalsSupported = static_cast<uint8_t>(i % 2);
                source.sensorClass = 3;
                fans->insertInstance(node + 1, i + 1, &source, true);
                source.sensorClass = 2;
                volts->insertInstance(node + 1, i + 1, &source, true);
                source.sensorClass = 4;
                power->insertInstance(node + 1, i + 1, &source, i != 2);
            }
        }
    }
    cFanInst* fans = cFanInst::acquireInstance();
    cVoltInstance* volts = cVoltInstance::acquireInstance();
    cPowerInstance* power = cPowerInstance::acquireInstance();
    StoppedFans comm;
    PfaStack stack;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture fixture;
    std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size);
    fuzzsupport::CountingSink sink;
    EventTargets targets;
    targets.comm = &fixture.comm;
    targets.sink = &sink;
    targets.fans = fixture.fans;
    targets.volts = fixture.volts;
    targets.power = fixture.power;
    targets.pfa = &fixture.stack;
    EventThreadState state;
    state.nodeIndex = size > 0 ? copy[0] % 2 : 0;
    EventOutcome outcome = handleEventBuffer(copy.get(), size, targets, state);
    if (outcome == EventOutcome::kRejected && sink.calls != 0) std::abort();
    if (sink.calls > 3) std::abort();  // one event reports at most one record per matching supply
    if (fixture.stack.size() > PfaStack::kCapacity) std::abort();
    return 0;
}
