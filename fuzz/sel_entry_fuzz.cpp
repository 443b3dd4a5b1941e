// Fuzzes the system event log entry decoder over an answer buffer of any size and content. Every
// read must stay inside the input, and a filled record's texts must be terminated inside their fields.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/library_fuzz_input.h"
#include "events/sel_command.h"
#include "yat/event_log_records.h"

namespace {

void requireTerminated(const char* text, size_t size) {
    if (std::memchr(text, 0, size) == nullptr) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size);

    LogEntryInfo record;
    std::memset(&record, 0x5A, sizeof record);
    int32_t result = decodeLogEntry(copy.get(), size, &record);
    if (result == 0) {
        requireTerminated(record.message, sizeof record.message);
        requireTerminated(record.timeText, sizeof record.timeText);
        requireTerminated(record.timestamp, sizeof record.timestamp);
        requireTerminated(record.dateText, sizeof record.dateText);
        requireTerminated(record.label, sizeof record.label);
        for (uint8_t byte : record.reserved1) {
            if (byte != 0x5A) std::abort();
        }
    } else if (result != 2 && result != 11) {
        std::abort();
    }
    return 0;
}
