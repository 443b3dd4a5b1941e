// The library object's monitoring operations: each forwards to its owner.

#include "frame/libyat.h"
#include "events/event_monitor.h"

int32_t cLibYAT::registerForAsynchEvents(cSensorSink* sink) {
    return parts_->eventMonitor->registerForAsynchEvents(sink);
}
void cLibYAT::deRegisterForAsynchEvents() { parts_->eventMonitor->deRegisterForAsynchEvents(); }
void cLibYAT::getMonitorPFAEventSupport(uint32_t* level) { parts_->eventMonitor->getMonitorPFAEventSupport(level); }
int32_t cLibYAT::monitorPFAEvents(PFAEventInfo* event) { return parts_->eventMonitor->monitorPFAEvents(event); }
