#pragma once
// cSensorInst: the sensors of one class (1 temperature, 2 voltage, 3 fan, 4 power supply) and the
// knowledge of how to read a live value, its limits and a status from the SP.
//
// The model operations (insertInstance and the get* queries) answer from the instance map and never
// talk to the SP; the virtual getSP* operations send SP commands through the comm device passed in
// and keep nothing. Any thread may call any operation: the map locks itself and copies whole records.
//
// Value slots are 32 bits: int32 for temperatures (whole degrees) and fans (RPM), float for
// voltages (volts). Result codes: ERR_SUCCESS; ERR_FAILED (1) base operation; ERR_BAD_ANSWER (2)
// answer rejected or reading failed; ERR_INVALID_INDEX (7) record missing or not valid, or no limits;
// ERR_NO_DEVICE (9) no comm device; ERR_DEVICE_UNAVAILABLE (14) fan unavailable; ERR_COMMAND_FAILED
// (15) the reading command could not be sent; another value is the comm device's transport code.

#include <atomic>
#include <cstdint>

#include "sensors/instance_map.h"
#include "sensors/sensor_record.h"

class cBusComm;

class cSensorInst {
public:
    explicit cSensorInst(int32_t sensorClass) : sensorClass_(sensorClass) {}
    cSensorInst(const cSensorInst&) = delete;
    cSensorInst& operator=(const cSensorInst&) = delete;

    // Reads the live value of one sensor into *reading. ERR_NO_DEVICE (9) without comm device,
    // ERR_COMMAND_FAILED (15) when the command could not be built or sent, else the answer decoder's
    // result (ERR_SUCCESS, ERR_BAD_ANSWER or ERR_DEVICE_UNAVAILABLE).
    [[nodiscard]] virtual int32_t getSPSensorReading(int32_t nodeIndex, int32_t sensorClass, int32_t location,
                                                     int32_t instance, void* reading, cBusComm* comm);
    // Reads the sensor's limits from the SP; the base has none and returns ERR_FAILED (1).
    [[nodiscard]] virtual int32_t getSPSensorLimits(int32_t nodeIndex, int32_t sensorClass, int32_t location,
                                                    int32_t instance, void* upper, void* lower, cBusComm* comm);
    // Reads the value and derives a status; a limit of 0 on entry is not known yet and is fetched.
    // The base returns ERR_FAILED (1).
    [[nodiscard]] virtual int32_t getSPSensorStatus(int32_t nodeIndex, int32_t sensorClass, int32_t location,
                                                    int32_t instance, int32_t* status, void* reading, void* upper,
                                                    void* lower, cBusComm* comm);

    // Builds a record from source (see the field rules in sensors/sensor_record.h) and stores it
    // under (node, sensor) with the valid flag; raises the element count. A null source stores
    // nothing.
    void insertInstance(int32_t node, int32_t sensor, const SensorSource* source, bool valid);

    // Model queries: 0, or 7 (nothing written) when the record is missing or not valid. A null
    // output pointer skips its item.
    [[nodiscard]] int32_t getSensorReading(int32_t node, int32_t sensor, void* reading);            // 7 for class 4
    [[nodiscard]] int32_t getSensorLimits(int32_t node, int32_t sensor, void* upper, void* lower);  // 7 for class 4
    // Status and, except for power supplies, reading, lower and upper limit.
    [[nodiscard]] int32_t getSensorStatus(int32_t node, int32_t sensor, int32_t* status, void* reading, void* lower,
                                          void* upper);
    [[nodiscard]] int32_t getSensorType(int32_t node, int32_t sensor, int32_t* type);
    [[nodiscard]] int32_t getSensorLocation(int32_t node, int32_t sensor, int32_t* location);
    [[nodiscard]] int32_t getSensorInstance(int32_t node, int32_t sensor, int32_t* instance);

    // Number of insertInstance calls that stored a record (new or updated alike).
    int32_t elementCount() const { return elementCount_.load(std::memory_order_relaxed); }
    int32_t sensorClass() const { return sensorClass_; }
    // The records, for the update paths (snapshot, then rewrite by key).
    cInstanceMap& instances() { return instanceMap_; }
    const cInstanceMap& instances() const { return instanceMap_; }

protected:
    ~cSensorInst() = default;

private:
    std::atomic<int32_t> elementCount_{0};
    const int32_t sensorClass_;
    cInstanceMap instanceMap_;
};
