// Fuzzes the vectored system summary parser: the vector walk over raw answer data, and the whole
// "1.2" answer buffer as the SP might write it (any header, any claimed data length).

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/library_fuzz_input.h"
#include "sysinfo/vss.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::quietLibraryLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VectoredSystemSummary summary;
    summary.init(data, size);
    (void)spTypeFromSummary(summary);
    for (uint16_t id : {vsswire::kFlag17, vsswire::kFlag20, vsswire::kFlagSSL, vsswire::kFlagOptionCard, uint16_t{197},
                        uint16_t{198}, uint16_t{0xFFFF}}) {
        (void)summary.hasVector(id);
    }

    // The same bytes as a whole answer buffer after the request was built.
    cSPVSS command;
    if (command.buildCommand() == nullptr) return 0;
    size_t count = size < wire::kBufferSize ? size : wire::kBufferSize;
    std::memcpy(command.buffer(), data, count);
    VectoredSystemSummary fromAnswer;
    (void)command.getCommandData(&fromAnswer);
    return 0;
}
