// Fuzzes the device data library's parsers: an EEPROM image on its own, the EEPROM parser over a
// whole answer buffer with any header and length argument, the firmware image descriptor, and the
// VPD command's decoder for every kind.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/library_fuzz_input.h"
#include "yat/command_buffer.h"
#include "sysinfo/eeprom_parser.h"
#include "sysinfo/firmware_parser.h"
#include "yat/vpd.h"
#include "sysinfo/vpd_command.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::quietLibraryLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VPD image;
    (void)parseEEPromImage(data, size, &image);
    VPD firmware;
    (void)parseFirmwareImage(data, size, &firmware);

    // The input as an answer buffer; the first byte chooses the length argument.
    static uint8_t buffer[wire::kBufferSize];
    std::memset(buffer, 0, sizeof buffer);
    if (size == 0) return 0;
    const int length = static_cast<int8_t>(data[0]) + eeprom::kLengthBias;
    size_t count = size - 1 < sizeof buffer ? size - 1 : sizeof buffer;
    std::memcpy(buffer, data + 1, count);
    VPD answer;
    EEPromParser parser(buffer, length, &answer);
    (void)parser.parsed();

    // The VPD command's decoder on the same answer, as each kind reads it.
    cSPVPDCmd command;
    const int32_t kind = 2 + data[0] % 20;
    if (command.buildCommand(kind, 1, 1, kVPDReadLength) == nullptr) return 0;
    std::memcpy(command.buffer(), data + 1, count);
    VPD decoded;
    (void)command.getCommandData(kind, &decoded);
    return 0;
}
