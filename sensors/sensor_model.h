#pragma once
// SensorModel: the library object's sensors — discovery over every node and the host's sensor
// queries, answered from the records without SP traffic.
//
// Owned by cLibYAT, which forwards the operations here. The four class objects (temperature,
// voltage, fan, power supply) are process-wide, shared and counted (sensors/sensor_inst.h); this
// model holds exactly one use of each class object it has published, and gives them up in
// releaseObjects (a destructor step of the library object). Monitoring reaches the records through
// the class objects returned below.
//
// Threads: any number of host threads may query while discovery runs (discovery holds the library
// mutex, queries take no lock); the event and polling threads read the class objects too. A class
// object pointer is published only once discovery keeps the object, and is cleared only by
// releaseObjects, so a pointer obtained here stays usable while the library object lives.
//
// Results, per operation:
// - initSensors: ERR_SUCCESS after every node was walked; ERR_NO_DEVICE (9) without a comm device;
//   ERR_NO_RESOURCE (3) when a class object could not be created; the transport code when "1.1"
//   could not be sent; ERR_BAD_ANSWER (2) when its answer failed the checks.
// - getNumberSensors: the number of records of the class (0 for no object or an unknown class).
// - getSensorReading: ERR_SUCCESS; ERR_FAILED (1) for an unknown class or a class without sensors;
//   ERR_INVALID_INDEX (7) for a sensor without a valid record (and for power supplies, which have
//   no reading).
// - getSensorLimits: ERR_SUCCESS; ERR_FAILED (1) for power supplies, an unknown class or a class
//   without sensors; ERR_INVALID_INDEX (7) for a sensor without a valid record.
// - getSensorStatus: ERR_INVALID_INDEX (7) without a comm device or for an unknown class or a class
//   without sensors; otherwise the class's status result (sensors/sensor_inst.h).
// - getSensorType, getSensorLocation: ERR_SUCCESS, or ERR_INVALID_INDEX (7) for an unknown class or
//   sensor.
// - getSensorInstance: ERR_SUCCESS; ERR_BAD_ANSWER (2) for an unknown class or a class without
//   sensors; ERR_INVALID_INDEX (7) for an unknown sensor.

#include <atomic>
#include <cstdint>

class cBusComm;
class cSensorSink;
class cSensorInst;
class cTempInstance;
class cVoltInstance;
class cFanInst;
class cPowerInstance;

class SensorModel {
public:
    explicit SensorModel(cBusComm* commDevice);  // commDevice may be null
    ~SensorModel();                              // releases the class objects still held
    SensorModel(const SensorModel&) = delete;
    SensorModel& operator=(const SensorModel&) = delete;

    [[nodiscard]] int32_t initSensors(cSensorSink* sink);
    int32_t getNumberSensors(int32_t sensorClass, int32_t node);
    [[nodiscard]] int32_t getSensorReading(int32_t sensorClass, int32_t node, int32_t sensor, void* reading);
    [[nodiscard]] int32_t getSensorLimits(int32_t sensorClass, int32_t node, int32_t sensor, void* upper, void* lower);
    [[nodiscard]] int32_t getSensorStatus(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* status,
                                          void* reading, void* lower, void* upper);
    [[nodiscard]] int32_t getSensorType(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* type);
    [[nodiscard]] int32_t getSensorLocation(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* location);
    [[nodiscard]] int32_t getSensorInstance(int32_t sensorClass, int32_t node, int32_t sensor, int32_t* instance);

    // The class objects; each is null while its class has no sensors.
    cTempInstance* temperatureObject() const { return tempInstance.load(std::memory_order_acquire); }
    cVoltInstance* voltageObject() const { return voltInstance.load(std::memory_order_acquire); }
    cFanInst* fanObject() const { return fanInstance.load(std::memory_order_acquire); }
    cPowerInstance* powerObject() const { return powerInstance.load(std::memory_order_acquire); }
    // The object of sensor class 1-4 (as above), or null for another class.
    cSensorInst* sensorObject(int32_t sensorClass) const;

    // Gives up this model's use of each class object it holds.
    void releaseObjects();

    cBusComm* comm() const { return commDevice; }

private:
    cBusComm* const commDevice;  // not owned
    std::atomic<cFanInst*> fanInstance{nullptr};
    std::atomic<cTempInstance*> tempInstance{nullptr};
    std::atomic<cVoltInstance*> voltInstance{nullptr};
    std::atomic<cPowerInstance*> powerInstance{nullptr};
};
