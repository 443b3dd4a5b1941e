// Fuzzes the LED panel registry-tree walk: the input is the registry-data file, the output the LED
// list initGlint would build for a two-node system. The list stays within its bounds and every dot
// command text stays terminated, whatever the file holds.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "leds/glint_registry.h"
#include "platform/runtime.h"

namespace {
std::string filePath;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RuntimeSettings settings = runtimeSettings();
    settings.logEnabled = false;
    setRuntimeSettings(settings);
    char pattern[] = "/tmp/glint-tree-fuzz-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    close(fd);
    filePath = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(filePath.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);

    cGLSuppRegistry registry(filePath.c_str());
    GlintLEDList leds;
    readGlintTree(registry, [] { return 2u; }, leds);
    if (leds.size() > glintreg::kMaxLedRecords) std::abort();
    for (const cGlintLED& led : leds) {
        if (std::memchr(led.dotCommand, '\0', sizeof led.dotCommand) == nullptr) std::abort();
        if (led.sensors.size() > glintreg::kMaxSensorsPerLed) std::abort();
        if (led.node < 0 || led.node > 1) std::abort();
    }
    return 0;
}
