// Fuzzes the registry data file reader: the input is the file (8-bit text or UTF-16LE), then the
// first key and value names the input itself mentions are looked up, and a few fixed ones. A value
// copied out never passes the capacity it was given.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/library_fuzz_input.h"
#include "leds/glint_registry.h"

namespace {

// The text between the first open and the next close character at or after from, or "".
std::string between(const std::string& text, char open, char close, size_t from = 0) {
    size_t start = text.find(open, from);
    if (start == std::string::npos) return "";
    size_t end = text.find(close, start + 1);
    return end == std::string::npos ? "" : text.substr(start + 1, end - start - 1);
}

void lookUp(const cRegistry& registry, const std::string& key, const std::string& value) {
    (void)registry.CheckRegTree(key.c_str());
    (void)registry.GetRegValueKind(key.c_str(), value.c_str());
    for (uint32_t capacity : {1u, 4u, 40u}) {
        char data[40];
        std::memset(data, 0x5A, sizeof data);
        uint32_t size = capacity;
        if (registry.GetRegInfo(key.c_str(), value.c_str(), &size, data)) {
            if (size > capacity) std::abort();
            for (size_t i = capacity; i < sizeof data; ++i) {
                if (data[i] != 0x5A) std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietLibraryLog();
    cGLSuppRegistry registry(fuzzsupport::inputAsFile(data, size));
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string key = between(text, '[', ']');
    lookUp(registry, key, between(text, '"', '"'));
    lookUp(registry, key, "");
    lookUp(registry, "HKEY_LOCAL_MACHINE\\" + key, between(text, '"', '"', text.find('=')));
    lookUp(registry, "SOFTWARE", "x");
    return 0;
}
