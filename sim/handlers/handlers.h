#pragma once
// Registration functions of the command families, one file each under sim/handlers/. Each adds the
// handlers of its family to the table; standardHandlers() (handlers.cpp) calls them all.

#include <cstdint>

#include "sim/handler_table.h"

namespace yatsim {

void registerSummaryHandlers(HandlerTable& table);      // "1.2" and the SP type probes
void registerSystemStateHandlers(HandlerTable& table);  // "4.3.6", "4.3.3.1", "4.3.3.2", "6.1"
void registerWatchdogHandlers(HandlerTable& table);     // "5.1.1", "5.1.2", "5.1.3", "6.2.1"
void registerIpmiHandlers(HandlerTable& table);         // "ff.12.5"
void registerVpdHandlers(HandlerTable& table);          // "4.3.5..." reads and writes, "4.3.a"
void registerSensorHandlers(HandlerTable& table);       // "1.1", "2.x...", "4.3.2...", "f.5.1", "14.1.3.2"
void registerAlertHandlers(HandlerTable& table);        // "4.2.1.x", "4.2.2.x", "4.2.3.x", "5.2.x", "2.7.3", "2.7.4"

// Helpers shared by the handler files.
namespace answers {
// A get request (type 2) without data: read(); a set request (type 0) with exactly writeSize data
// bytes: write(data) when write is given. Anything else answers kInvalidRequest.
Answer readWrite(const Request& request, const std::function<Answer()>& read, size_t writeSize = 0,
                 const std::function<Answer(const Bytes& data)>& write = nullptr);
Bytes le16(uint16_t value);
Bytes le32(uint32_t value);
}  // namespace answers

}  // namespace yatsim
