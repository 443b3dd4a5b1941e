// The library object's event configuration and system health operations: each forwards to its owner.

#include "events/event_configuration.h"
#include "frame/libyat.h"

int32_t cLibYAT::initEvents() { return parts_->eventConfiguration->initEvents(); }
int32_t cLibYAT::getEventConfiguration(uint32_t node, uint32_t instance, int32_t* type, char* description,
                                       int32_t* descriptionSize, uint8_t* enabled) {
    return parts_->eventConfiguration->getEventConfiguration(node, instance, type, description, descriptionSize,
                                                             enabled);
}
int32_t cLibYAT::getEventConfiguration(uint32_t node, uint32_t instance, uint8_t* enable) {
    return parts_->eventConfiguration->getEventConfiguration(node, instance, enable);
}
int32_t cLibYAT::checkSystemHealth(int32_t node, int32_t* health, int32_t healthFor113, int32_t healthFor107) {
    return parts_->eventConfiguration->checkSystemHealth(node, health, healthFor113, healthFor107);
}
