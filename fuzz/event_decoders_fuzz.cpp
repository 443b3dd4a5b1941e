// Fuzzes the event code readers: a group of 32-bit codes ("2.7.3", "2.7.4") and the comprehensive
// record decoder, on exactly the input bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/library_fuzz_input.h"
#include "events/event_decoders.h"
#include "events/event_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietLibraryLog();
    std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size);
    (void)findEventCode(copy.get(), size, eventwire::kMemoryPfaCode);
    if (size >= 4) {
        uint32_t first = (uint32_t{copy[0]} << 24) | (uint32_t{copy[1]} << 16) | (uint32_t{copy[2]} << 8) | copy[3];
        if (first != 0 && !findEventCode(copy.get(), size, first)) std::abort();  // the first code is always found
    }
    ComprehensiveRecord record;
    bool decoded = decodeComprehensive(copy.get(), size, &record);
    if (decoded != (size >= eventwire::kComprehensiveDecodedSize)) std::abort();
    (void)eventHeaderOk(copy.get(), size);
    ByteReader events = eventData(copy.get(), size);
    if (events.size() > size) std::abort();
    return 0;
}
