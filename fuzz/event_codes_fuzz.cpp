// Fuzzes the event-code list readers: the group decoder on the raw input, and cSystemHealth's
// group-by-group read over a comm device whose answers come from the input. Input: a sequence of
// answers, each a 2-byte length (least significant first) and that many bytes written over the
// command buffer from offset 0 (the rest of the buffer keeps the request). Past the input the device
// answers status 7. Every read must stay inside the buffer and the read must end.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "yat/command_buffer.h"
#include "events/event_config_wire.h"
#include "events/system_health.h"
#include "fuzz/library_fuzz_input.h"
#include "yat/bus_comm.h"

namespace {

class ScriptedComm final : public cBusComm {
public:
    ScriptedComm(const uint8_t* data, size_t size) : data_(data), size_(size) { setDeviceID(99); }

    uint32_t sendCommand(int32_t, uint8_t* buffer) override {
        ++sends;
        if (position_ + 2 > size_) {
            buffer[wire::kTypeOffset] = wire::kAnswer;
            buffer[wire::kDataLengthOffset] = 0;
            buffer[wire::kDataLengthOffset + 1] = 0;
            buffer[wire::kStatusOffset] = eventwire::kCodesEndStatus;
            return 0;
        }
        size_t length = data_[position_] | (data_[position_ + 1] << 8);
        position_ += 2;
        if (length > size_ - position_) length = size_ - position_;
        if (length > wire::kBufferSize) length = wire::kBufferSize;
        std::memcpy(buffer, data_ + position_, length);
        position_ += length;
        return 0;
    }
    uint32_t registerForEvents(uint32_t, uint8_t*) override { return 10; }
    uint32_t deRegisterForEvents(uint32_t) override { return 0; }
    uint32_t getNodeCount() override { return 1; }

    size_t sends = 0;

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietLibraryLog();

    std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size);

    EventCodeGroup group = decodeEventCodes(copy.get(), size);
    if (group.codes.size() * eventwire::kCodeSize + group.leftover != size || group.leftover >= eventwire::kCodeSize) {
        std::abort();
    }

    ScriptedComm comm(copy.get(), size);
    cSystemHealth health;
    std::vector<uint32_t> codes;
    int32_t result = health.getEvents(&comm, 0, eventwire::kActiveCodesCommand, &codes);
    if (result != 0 && result != 2) std::abort();
    if (comm.sends > static_cast<size_t>(eventwire::kMaxCodeGroups) + 1) std::abort();
    bool active = false;
    ScriptedComm again(copy.get(), size);
    (void)health.getActiveEvents(&again, 0, eventwire::kMemoryPfaCode, &active);
    return 0;
}
