#include "leds/blue_light.h"

#include "leds/led_wire.h"
#include "yat/result_codes.h"

uint8_t* cSPBlueLight::buildGet() {
    return buildSPCommand(ledwire::kBlueLightCommand, wire::kGet, nullptr, nullptr, 0, 0);
}

uint8_t* cSPBlueLight::buildSet(int32_t value) {
    const uint8_t data[1] = {static_cast<uint8_t>(value & 0xFF)};
    return buildSPCommand(ledwire::kBlueLightCommand, wire::kSet, nullptr, data, 0, 1);
}

int32_t cSPBlueLight::getStateData(int32_t* state) const {
    if (answerStatus() != SpStatus::kOk) return ERR_FAILED;
    if (!answerOk()) return ERR_BAD_ANSWER;
    ByteReader answer = answerReader();
    const uint8_t light = answer.u8(0);
    if (answer.overrun()) return ERR_BAD_ANSWER;  // no data byte
    *state = light;
    return ERR_SUCCESS;
}
