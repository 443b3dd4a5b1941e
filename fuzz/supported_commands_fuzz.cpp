// Fuzzes the walk over the supported-commands list ("1.1") and the sensor entries it yields, plus
// the sensor answer decoders on the same bytes. Every read must stay inside the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/library_fuzz_input.h"
#include "sensors/sensor_decoders.h"
#include "sensors/supported_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size);

    SupportedCommandWalk walk(copy.get(), size);
    SupportedCommandEntry entry;
    size_t previous = 0;
    bool first = true;
    size_t covered = 0;
    while (walk.next(&entry)) {
        if (!first && entry.offset <= previous) std::abort();   // the walk always moves on
        if (entry.offset + entry.length >= size) std::abort();  // the entry lies inside the data
        first = false;
        previous = entry.offset;
        SensorReadingEntry sensor;
        if (sensorReadingEntry(entry, &sensor)) {
            if (sensor.first < 0 || sensor.last > 255) std::abort();
            for (int32_t instance = sensor.first; instance <= sensor.last; ++instance) ++covered;
        }
        (void)entry.firstCovered();
        (void)entry.lastCovered();
    }
    if (covered > size * 256) std::abort();

    for (int32_t sensorClass = 0; sensorClass <= 4; ++sensorClass) {
        int32_t value = 0;
        (void)decodeSensorValue(sensorClass, copy.get(), size, &value);
    }
    int32_t status = 0;
    uint8_t good = 0;
    (void)decodePowerStatus(copy.get(), size, size > 0 ? copy[0] % 10 : 0, &status, &good);
    (void)powerPresentByte(copy.get(), size);
    (void)decodeMultiNodeId(copy.get(), size);
    return 0;
}
