// Event enable and available-code commands.

#include "events/event_commands.h"

#include "events/event_decoders.h"
#include "events/event_wire.h"

uint8_t* cEnableSpEvent::buildCommand(uint8_t eventNumber) {
    const uint8_t data = eventwire::kEnableValue;
    return buildSPCommand(eventwire::kEnableTemplate, wire::kSet, &eventNumber, &data, 1, 1);
}

uint8_t* cSPGetAvailEventCodes::buildCommand(bool next) {
    return buildSPCommand(eventwire::kAvailableCodesCommand, next ? wire::kGetNext : wire::kGet, nullptr, nullptr, 0,
                          0);
}

bool cSPGetAvailEventCodes::CheckForEC(uint32_t code) const {
    ByteReader data = answerReader();
    return findEventCode(data.data(), data.size(), code);
}
