// The library object's monitoring operations: each forwards to its owner.
// Not built yet: each keeps the interface's base behaviour.

#include "frame/libyat.h"

int32_t cLibYAT::registerForAsynchEvents(cSensorSink* sink) { return cDeviceLib::registerForAsynchEvents(sink); }
void cLibYAT::deRegisterForAsynchEvents() { cDeviceLib::deRegisterForAsynchEvents(); }
void cLibYAT::getMonitorPFAEventSupport(uint32_t* level) { cDeviceLib::getMonitorPFAEventSupport(level); }
int32_t cLibYAT::monitorPFAEvents(PFAEventInfo* event) { return cDeviceLib::monitorPFAEvents(event); }
