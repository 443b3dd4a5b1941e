// The library object's event configuration and system health operations: each forwards to its owner.

#include "events/event_configuration.h"
#include "frame/libyat.h"

int32_t cLibYAT::initEvents() { return eventConfiguration->initEvents(); }
int32_t cLibYAT::getEventConfiguration(uint32_t node, uint32_t instance, int32_t* type, char* description,
                                       int32_t* descriptionSize, uint8_t* enabled) {
    return eventConfiguration->getEventConfiguration(node, instance, type, description, descriptionSize, enabled);
}
int32_t cLibYAT::getEventConfiguration(uint32_t node, uint32_t instance, uint8_t* enable) {
    return eventConfiguration->getEventConfiguration(node, instance, enable);
}
int32_t cLibYAT::checkSystemHealth(int32_t node, int32_t* value, int32_t value113, int32_t value107) {
    return eventConfiguration->checkSystemHealth(node, value, value113, value107);
}
