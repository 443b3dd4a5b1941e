// Fuzzes the walk of initEvents over the supported-commands list ("1.1"): the element walk on the
// raw input, and initEvents plus a read of every entry over a comm device that answers "1.1" with a
// well-formed header, the data length from the first two input bytes and the rest of the input as
// data. Every read must stay inside the answer; every entry must name a row of the alert table.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "yat/command_buffer.h"
#include "events/alert_table.h"
#include "events/event_configuration.h"
#include "fuzz/library_fuzz_input.h"
#include "yat/bus_comm.h"

namespace {

class SupportedCommandsComm final : public cBusComm {
public:
    SupportedCommandsComm(const uint8_t* data, size_t size) : data_(data), size_(size) { setDeviceID(99); }

    uint32_t sendCommand(int32_t, uint8_t* buffer) override {
        bool supportedCommands = buffer[wire::kCommandLengthOffset] == 2 && buffer[wire::kHeaderSize] == 1 &&
                                 buffer[wire::kHeaderSize + 1] == 1;
        std::memset(buffer, 0, wire::kBufferSize);
        buffer[wire::kTypeOffset] = wire::kAnswer;
        buffer[wire::kCommandLengthOffset] = 2;
        buffer[wire::kHeaderSize] = 1;
        buffer[wire::kHeaderSize + 1] = 1;
        if (!supportedCommands || size_ < 2) return 0;
        buffer[wire::kDataLengthOffset] = data_[0];
        buffer[wire::kDataLengthOffset + 1] = data_[1];
        size_t length = size_ - 2;
        if (length > wire::kBufferSize - wire::kHeaderSize - 2) length = wire::kBufferSize - wire::kHeaderSize - 2;
        std::memcpy(buffer + wire::kHeaderSize + 2, data_ + 2, length);
        return 0;
    }
    uint32_t registerForEvents(uint32_t, uint8_t*) override { return 10; }
    uint32_t deRegisterForEvents(uint32_t) override { return 0; }
    uint32_t getNodeCount() override { return 2; }

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietLibraryLog();

    std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size);

    std::vector<int32_t> rows = supportedEventRows(copy.get(), size);
    for (int32_t row : rows) {
        if (alertRow(row) == nullptr) std::abort();
    }
    // An element of at most 5 bytes adds at most one row per table row.
    if (rows.size() > (size / 4 + 1) * kAlertRowCount) std::abort();

    SupportedCommandsComm comm(copy.get(), size);
    EventConfiguration configuration(&comm);
    if (configuration.initEvents() != 0) std::abort();
    for (uint32_t node = 0; node < 3; ++node) {
        for (uint32_t instance = 0; instance < 64; ++instance) {
            int32_t type = 0;
            int32_t descriptionSize = 0;
            char description[64];
            uint8_t enabled = 0;
            int32_t result =
                configuration.getEventConfiguration(node, instance, &type, description, &descriptionSize, &enabled);
            if (result == 9 || result == 7) break;
            if (std::memchr(description, 0, sizeof description) == nullptr) std::abort();
        }
    }
    return 0;
}
