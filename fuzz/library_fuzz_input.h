#pragma once
// Helpers of the fuzz targets that drive library operations: the library's log switched off (a
// fuzzer runs millions of inputs), and a private copy of exactly the input's bytes, so that any read
// past its end is caught by the address sanitizer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/runtime.h"

namespace fuzzsupport {

// Turns the library's log off, once per process.
inline void quietLibraryLog() {
    static const bool done = [] {
        RuntimeSettings settings = runtimeSettings();
        settings.logEnabled = false;
        setRuntimeSettings(settings);
        return true;
    }();
    (void)done;
}

inline std::unique_ptr<uint8_t[]> exactCopy(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
    if (size > 0) std::memcpy(copy.get(), data, size);
    return copy;
}

}  // namespace fuzzsupport
