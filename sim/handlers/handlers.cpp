#include "sim/handlers/handlers.h"

namespace yatsim {

const HandlerTable& standardHandlers() {
    static const HandlerTable table = [] {
        HandlerTable t;
        registerSummaryHandlers(t);
        registerSystemStateHandlers(t);
        registerWatchdogHandlers(t);
        registerIpmiHandlers(t);
        registerVpdHandlers(t);
        registerSensorHandlers(t);
        registerAlertHandlers(t);
        return t;
    }();
    return table;
}

namespace answers {

Answer readWrite(const Request& request, const std::function<Answer()>& read, size_t writeSize,
                 const std::function<Answer(const Bytes& data)>& write) {
    if (request.type == wire::kGet && request.data.empty()) return read();
    if (request.type == wire::kSet && write && request.data.size() == writeSize) return write(request.data);
    return Answer::failure(spstatus::kInvalidRequest);
}

Bytes le16(uint16_t value) { return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)}; }

Bytes le32(uint32_t value) {
    return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
            static_cast<uint8_t>((value >> 16) & 0xFF), static_cast<uint8_t>(value >> 24)};
}

}  // namespace answers

}  // namespace yatsim
