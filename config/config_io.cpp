// Helpers of the configuration owners.

#include "config/config_io.h"

#include <cstring>

namespace configio {

bool tooLong(const char* text, int32_t max, size_t* length) {
    size_t measured = text == nullptr ? 0 : strnlen(text, static_cast<size_t>(max) + 1);
    if (length != nullptr) *length = measured;
    return measured > static_cast<size_t>(max);
}

int32_t writeText(cSPCmd& command, cBusComm* comm, int32_t node, const char* dotCommand, const uint8_t* params,
                  int32_t paramCount, const char* text, size_t length) {
    return command.writeData(comm, node, dotCommand, params, paramCount, reinterpret_cast<const uint8_t*>(text),
                             static_cast<int32_t>(length + 1));
}

int32_t writeByte(cSPCmd& command, cBusComm* comm, int32_t node, const char* dotCommand, const uint8_t* params,
                  int32_t paramCount, uint8_t value) {
    return command.writeData(comm, node, dotCommand, params, paramCount, &value, 1);
}

}  // namespace configio
