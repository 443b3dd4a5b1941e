#pragma once
// The four sensor classes. Each has exactly one shared object in the process: acquireInstance
// creates it on first use (use count 1) or counts one more user and returns the same object (null
// when it cannot be created); releaseInstance counts one user less and destroys the object when the
// last user lets go. Both may be called from any thread.

#include <cstdint>
#include <mutex>
#include <new>

#include "sensors/sensor_inst.h"

class cSensorSink;

// The one shared object of class T with its use count.
template <class T>
class SharedClassObject {
public:
    static T* acquire() {
        std::lock_guard<std::mutex> guard(mutex_);
        if (object_ == nullptr) {
            object_ = new (std::nothrow) T();
            if (object_ == nullptr) return nullptr;
            users_ = 0;
        }
        ++users_;
        return object_;
    }
    static void release() {
        std::lock_guard<std::mutex> guard(mutex_);
        if (object_ == nullptr) return;
        if (--users_ <= 0) {
            delete object_;
            object_ = nullptr;
            users_ = 0;
        }
    }
    static int32_t users() {
        std::lock_guard<std::mutex> guard(mutex_);
        return users_;
    }

private:
    static inline std::mutex mutex_;
    static inline T* object_ = nullptr;
    static inline int32_t users_ = 0;
};

// Temperatures: integer whole degrees; limits from the SP; status kStatusNormal, kStatusWarning above
// the lower limit, kStatusCritical above the upper limit.
class cTempInstance final : public cSensorInst {
public:
    cTempInstance() : cSensorInst(1) {}
    ~cTempInstance() = default;
    static cTempInstance* acquireInstance() { return SharedClassObject<cTempInstance>::acquire(); }
    static void releaseInstance() { SharedClassObject<cTempInstance>::release(); }

    // Selector 3 into *lower, selector 2 into *upper, and selector 1 into *upper when that read 0.
    // The first failing send ends it with its transport code; ERR_INVALID_INDEX (7) (nothing sent)
    // for a sensor without a limit command (location 3, location-1 instances above 6);
    // ERR_NO_DEVICE (9) without comm device; else ERR_SUCCESS.
    [[nodiscard]] int32_t getSPSensorLimits(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                            void* upper, void* lower, cBusComm* comm) override;
    // ERR_BAD_ANSWER (2) (status kStatusUnknown) when the reading fails; ERR_INVALID_INDEX (7)
    // (status kStatusUnknown) when both limits are 0 after fetching; else ERR_SUCCESS.
    [[nodiscard]] int32_t getSPSensorStatus(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                            int32_t* status, void* reading, void* upper, void* lower,
                                            cBusComm* comm) override;
};

// Voltages: float volts; limits from the SP; status kStatusNormal, kStatusVoltageLow below the lower
// limit, kStatusVoltageHigh above the upper limit.
class cVoltInstance final : public cSensorInst {
public:
    cVoltInstance() : cSensorInst(2) {}
    ~cVoltInstance() = default;
    static cVoltInstance* acquireInstance() { return SharedClassObject<cVoltInstance>::acquire(); }
    static void releaseInstance() { SharedClassObject<cVoltInstance>::release(); }

    // Up to three selectors for each limit until one reads non-zero. ERR_SUCCESS when either limit is
    // known, else ERR_INVALID_INDEX (7); ERR_NO_DEVICE (9) without comm device.
    [[nodiscard]] int32_t getSPSensorLimits(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                            void* upper, void* lower, cBusComm* comm) override;
    // ERR_BAD_ANSWER (2) (status kStatusUnknown) when the reading fails; ERR_INVALID_INDEX (7)
    // (status kStatusUnknown) when missing limits cannot be fetched; else ERR_SUCCESS with the
    // status from the comparison against the limits.
    [[nodiscard]] int32_t getSPSensorStatus(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                            int32_t* status, void* reading, void* upper, void* lower,
                                            cBusComm* comm) override;
};

// Fans: integer RPM; both limits the constant 550; status kStatusNormal, kStatusCritical below the
// lower limit (or unavailable).
class cFanInst final : public cSensorInst {
public:
    cFanInst() : cSensorInst(3) {}
    ~cFanInst() = default;
    static cFanInst* acquireInstance() { return SharedClassObject<cFanInst>::acquire(); }
    static void releaseInstance() { SharedClassObject<cFanInst>::release(); }

    // Both limits 550, no SP traffic; ERR_SUCCESS (ERR_NO_DEVICE (9) without comm device).
    [[nodiscard]] int32_t getSPSensorLimits(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                            void* upper, void* lower, cBusComm* comm) override;
    // A failed reading returns its code: ERR_DEVICE_UNAVAILABLE (14) with status kStatusCritical and
    // reading 0, otherwise status kStatusUnknown. On success missing limits become 550 and the result
    // is ERR_SUCCESS.
    [[nodiscard]] int32_t getSPSensorStatus(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                            int32_t* status, void* reading, void* upper, void* lower,
                                            cBusComm* comm) override;
};

// How cPowerInstance::addPowerSupply stores and announces one supply.
struct PowerSupplyOptions {
    int32_t nodeIndex = -1;  // the node its SP commands go to; -1: the node base
    // The SP names the present supplies: status yat::kStatusUnknown until the first check; without,
    // yat::kStatusNoNormals.
    bool normalsSupported = true;
    bool secondPowerFlag = true;  // the node has more than one normal supply
    bool valid = true;            // the record is monitored
    // With both: the supply's VPD is read for its FRU number and the supply reported to the sink.
    cBusComm* comm = nullptr;
    cSensorSink* sink = nullptr;
};

// Power supplies: no reading or limits; status kStatusNormal good, kStatusCritical not good,
// kStatusNotPresent the SP reports the device unavailable (discovery stores kStatusUnknown or
// kStatusNoNormals until the first check).
class cPowerInstance final : public cSensorInst {
public:
    cPowerInstance() : cSensorInst(4) {}
    ~cPowerInstance() = default;
    static cPowerInstance* acquireInstance() { return SharedClassObject<cPowerInstance>::acquire(); }
    static void releaseInstance() { SharedClassObject<cPowerInstance>::release(); }

    // Sends "f.5.1" (up to three times while the SP answers with a non-zero status) and derives the
    // status of supply `instance` into *status; the other pointers are not used. The transport code
    // on failure; ERR_SUCCESS with status kStatusNotPresent for SpStatus::kUnavailable;
    // ERR_BAD_ANSWER (2) for another SP status or an answer without the two status bytes; else
    // ERR_SUCCESS with status kStatusNormal or kStatusCritical. ERR_NO_DEVICE (9) without comm
    // device.
    [[nodiscard]] int32_t getSPSensorStatus(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance,
                                            int32_t* status, void* reading, void* upper, void* lower,
                                            cBusComm* comm) override;

    // Stores supply supplyIndex (0-based) under (nodeBase + 1, supplyIndex + 1): location
    // kLocationPowerSupply, type kTypePowerSupply, instance supplyIndex, status kStatusUnknown with
    // normals supported and kStatusNoNormals without, the two flags and valid as the options say.
    // With both comm and sink it also reads the supply's VPD for its FRU number and reports the
    // supply to the sink (kClassPowerSupply, kReportDiscovered). Returns ERR_SUCCESS.
    int32_t addPowerSupply(int32_t nodeBase, int32_t supplyIndex, const PowerSupplyOptions& options);
};
