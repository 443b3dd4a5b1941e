// The library object's LED panel and locator light operations: each forwards to its owner.

#include "frame/libyat.h"
#include "leds/led_panel.h"

int32_t cLibYAT::initGlint() { return parts_->ledPanel->initGlint(); }
int32_t cLibYAT::getGlintStatus(GlintLEDList* leds) { return parts_->ledPanel->getGlintStatus(leds); }
int32_t cLibYAT::getBluelightStatus(int32_t node, int32_t* state) {
    return parts_->ledPanel->getBluelightStatus(node, state);
}
int32_t cLibYAT::setBluelightStatus(int32_t node, int32_t state) {
    return parts_->ledPanel->setBluelightStatus(node, state);
}
