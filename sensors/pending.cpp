// Placeholders for the sensor operations until they are built: each answers like the interface's
// base behaviour.

#include "frame/libyat.h"
#include "frame/result_codes.h"

int32_t cLibYAT::initSensors(cSensorSink*) { return ERR_FAILED; }
int32_t cLibYAT::getNumberSensors(int32_t, int32_t) { return 0; }
int32_t cLibYAT::getSensorReading(int32_t, int32_t, int32_t, void*) { return ERR_FAILED; }
int32_t cLibYAT::getSensorLimits(int32_t, int32_t, int32_t, void*, void*) { return ERR_FAILED; }
int32_t cLibYAT::getSensorStatus(int32_t, int32_t, int32_t, int32_t*, void*, void*, void*) { return ERR_INVALID_INDEX; }
int32_t cLibYAT::getSensorType(int32_t, int32_t, int32_t, int32_t*) { return ERR_INVALID_INDEX; }
int32_t cLibYAT::getSensorLocation(int32_t, int32_t, int32_t, int32_t*) { return ERR_INVALID_INDEX; }
int32_t cLibYAT::getSensorInstance(int32_t, int32_t, int32_t, int32_t*) { return ERR_BAD_ANSWER; }
void cLibYAT::releaseSensorObjects() {}
