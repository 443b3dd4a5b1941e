// Sensor discovery: initSensors finds the temperatures and voltages the SP lists as supported, probes
// the fans and the power supplies, stores one record per sensor and announces each to the host. The
// run is here; its steps per sensor class are in sensors/discovery_*.cpp (sensors/discovery_steps.h).

#include <atomic>

#include "commands/sp_cmd.h"
#include "platform/library_mutex.h"
#include "sensors/discovery_steps.h"
#include "sensors/sensor_model.h"
#include "yat/bus_comm.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_wire.h"
#include "sensors/supported_commands.h"
#include "sensors/log_texts.h"

namespace yat::discovery {

int32_t NodeBases::of(int32_t nodeIndex, uint32_t nodeCount) {
    if (nodeCount <= 2) return nodeIndex;
    auto known = bases_.find(nodeIndex);
    if (known != bases_.end()) return known->second;
    cMultiNodeID command;
    command.buildCommand();
    int32_t id = command.send(comm_, nodeIndex) == ERR_SUCCESS ? command.nodeId() : -1;
    int32_t base = id < 0 ? nodeIndex : id;
    bases_.emplace(nodeIndex, base);
    return base;
}

void NodeSensors::startNode(int32_t index, uint32_t nodeCount) {
    nodeIndex = index;
    nodeBase = bases->of(index, nodeCount);
    tempSensor = 1;
    voltSensor = 1;
    tempReport = 1;
    cpuFound = false;
}

void NodeSensors::report(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                         const char* text) const {
    if (sink != nullptr) sink->reportSensor(sensorClass, node, sensor, first, second, third, kDiscoveryCode, text);
}

}  // namespace yat::discovery

using yat::discovery::discoverFans;
using yat::discovery::discoverPowerSupplies;
using yat::discovery::kRunTag;
using yat::discovery::NodeBases;
using yat::discovery::NodeSensors;
using yat::discovery::SilentNodes;

namespace {

// One class object during a discovery run. An object this library object already holds is used as
// it is; otherwise it is acquired, and at the end of the run it is kept (published for the queries)
// when it holds at least keepAt records, or given back.
template <class T>
class HeldObject {
public:
    HeldObject(std::atomic<T*>& field, int32_t keepAt) : field_(field), keepAt_(keepAt) {}
    ~HeldObject() {
        if (object_ == nullptr || published_) return;
        if (object_->elementCount() >= keepAt_) {
            field_.store(object_, std::memory_order_release);
        } else {
            T::releaseInstance();
        }
    }
    HeldObject(const HeldObject&) = delete;
    HeldObject& operator=(const HeldObject&) = delete;

    // The object, or null when it could not be created.
    T* acquire() {
        object_ = field_.load(std::memory_order_acquire);
        published_ = object_ != nullptr;
        if (object_ == nullptr) object_ = T::acquireInstance();
        return object_;
    }
    T* operator->() const { return object_; }
    T* get() const { return object_; }

private:
    std::atomic<T*>& field_;
    const int32_t keepAt_;
    T* object_ = nullptr;
    bool published_ = false;
};

}  // namespace

int32_t SensorModel::initSensors(cSensorSink* sink) {
    QV::MutexLock lock(libraryMutex);
    yatLog(kRunTag, sensors_texts::kInInitSensors);
    if (commDevice == nullptr) return ERR_NO_DEVICE;

    HeldObject<cVoltInstance> volt(voltInstance, 1);
    HeldObject<cTempInstance> temp(tempInstance, 1);
    if (volt.acquire() == nullptr || temp.acquire() == nullptr) return ERR_NO_RESOURCE;
    yatLog(kRunTag, sensors_texts::kAboutToGoIntoForLoop);

    NodeBases bases(commDevice);
    NodeSensors discovery{commDevice, sink, &bases};
    // A node whose SP does not give its list is skipped by every step, and the first such failure is
    // the result; the other nodes are still discovered.
    SilentNodes silent;
    int32_t result = ERR_SUCCESS;
    discovery.temp = temp.get();
    discovery.volt = volt.get();
    for (int32_t i = 0; static_cast<uint32_t>(i) < commDevice->getNodeCount(); ++i) {
        discovery.startNode(i, commDevice->getNodeCount());
        yatLog(kRunTag, sensors_texts::kGettingSupportedcommands);
        cSPCmd supported;
        supported.buildSPCommand(sensorwire::kSupportedCommandsCommand, wire::kGet, nullptr, nullptr, 0, 0);
        int32_t sent = supported.send(commDevice, i);
        if (sent == ERR_SUCCESS) {
            yatLog(kRunTag, sensors_texts::kGettingTheBufferForSupportedcommands);
            yatLog(kRunTag, sensors_texts::kGotTheBufferForSupportedcommands);
            if (!supportedCommandsAnswerOk(supported)) sent = ERR_BAD_ANSWER;
        }
        if (sent != ERR_SUCCESS) {
            yatLog(kRunTag, sensors_texts::kNodeSkipped, i, sent);
            silent.insert(i);
            if (result == ERR_SUCCESS) result = sent;
            continue;
        }

        ByteReader data = supported.answerReader();
        SupportedCommandWalk walk(data.data(), data.size());
        SupportedCommandEntry entry;
        while (walk.next(&entry)) {
            SensorReadingEntry sensorEntry;
            if (!sensorReadingEntry(entry, &sensorEntry)) continue;
            if (sensorEntry.sensorClass == sensorwire::kClassTemperature) {
                discovery.temperatures(sensorEntry);
            } else if (sensorEntry.sensorClass == sensorwire::kClassVoltage) {
                discovery.voltages(sensorEntry);
            }
        }
        if (!discovery.cpuFound) discovery.cpuPlaceholders();
    }

    {
        HeldObject<cFanInst> fan(fanInstance, 1);
        if (fan.acquire() == nullptr) return ERR_NO_RESOURCE;
        discoverFans(commDevice, sink, bases, silent, fan.get());
    }
    {
        HeldObject<cPowerInstance> power(powerInstance, 2);
        if (power.acquire() == nullptr) return ERR_NO_RESOURCE;
        discoverPowerSupplies(commDevice, sink, bases, silent, power.get());
    }
    yatLog(kRunTag, sensors_texts::kAboutToReturn);
    return result;
}
