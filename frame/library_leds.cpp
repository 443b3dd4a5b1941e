// The library object's LED panel and locator light operations: each forwards to its owner.
// Not built yet: each keeps the interface's base behaviour.

#include "frame/libyat.h"

int32_t cLibYAT::initGlint() { return cDeviceLib::initGlint(); }
int32_t cLibYAT::getGlintStatus(GlintLEDList* leds) { return cDeviceLib::getGlintStatus(leds); }
int32_t cLibYAT::getBluelightStatus(int32_t node, int32_t* state) { return cDeviceLib::getBluelightStatus(node, state); }
int32_t cLibYAT::setBluelightStatus(int32_t node, int32_t state) { return cDeviceLib::setBluelightStatus(node, state); }
