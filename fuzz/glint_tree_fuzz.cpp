// Fuzzes the LED panel registry-tree walk: the input is the registry-data file, the output the LED
// list initGlint would build for a two-node system. The list stays within its bounds and every dot
// command text stays terminated, whatever the file holds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/library_fuzz_input.h"
#include "leds/glint_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietLibraryLog();
    cGLSuppRegistry registry(fuzzsupport::inputAsFile(data, size));
    GlintLEDList leds;
    (void)readGlintTree(
        registry, [] { return 2u; }, leds);
    if (leds.size() > glintreg::kMaxLedRecords) std::abort();
    for (const cGlintLED& led : leds) {
        if (std::memchr(led.dotCommand, '\0', sizeof led.dotCommand) == nullptr) std::abort();
        if (led.sensors.size() > glintreg::kMaxSensorsPerLed) std::abort();
        if (led.node < 0 || led.node > 1) std::abort();
    }
    return 0;
}
