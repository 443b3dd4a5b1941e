// The library object's sensor operations: each forwards to SensorModel.

#include "frame/libyat.h"
#include "sensors/sensor_model.h"

int32_t cLibYAT::initSensors(cSensorSink* sink) { return parts_->sensorModel->initSensors(sink); }
int32_t cLibYAT::getNumberSensors(int32_t sensorClass, int32_t node) {
    return parts_->sensorModel->getNumberSensors(sensorClass, node);
}
int32_t cLibYAT::getSensorReading(int32_t sensorClass, int32_t node, int32_t sensor, void* reading) {
    return parts_->sensorModel->getSensorReading(sensorClass, node, sensor, reading);
}
int32_t cLibYAT::getSensorLimits(int32_t sensorClass, int32_t node, int32_t sensor, void* upper, void* lower) {
    return parts_->sensorModel->getSensorLimits(sensorClass, node, sensor, upper, lower);
}
int32_t cLibYAT::getSensorStatus(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* status, void* reading,
                                 void* lower, void* upper) {
    return parts_->sensorModel->getSensorStatus(sensorClass, node, sensor, status, reading, lower, upper);
}
int32_t cLibYAT::getSensorType(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* type) {
    return parts_->sensorModel->getSensorType(sensorClass, node, sensor, type);
}
int32_t cLibYAT::getSensorLocation(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* location) {
    return parts_->sensorModel->getSensorLocation(sensorClass, node, sensor, location);
}
int32_t cLibYAT::getSensorInstance(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* instance) {
    return parts_->sensorModel->getSensorInstance(sensorClass, node, sensor, instance);
}
