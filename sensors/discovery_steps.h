#pragma once
// The steps of sensor discovery (SensorModel::initSensors, sensors/sensor_discovery.cpp): per node the
// temperatures and voltages the SP lists as supported, then the fans and the power supplies of every
// node. Each step stores one record per sensor in its class object and announces it to the sink
// (code kReportDiscovered); its log lines are part of the discovery run's log.
//
// Threads: a discovery run holds the library mutex; the steps keep no state beyond the run.

#include <cstdint>
#include <map>
#include <set>

#include "yat/codes.h"
#include "sensors/log_texts.h"

class cBusComm;
class cSensorSink;
class cTempInstance;
class cVoltInstance;
class cFanInst;
class cPowerInstance;
struct SensorReadingEntry;

namespace yat::discovery {

// Log tags of the discovery run.
inline constexpr const char* kRunTag = sensors_texts::kTagCLibYATInitSensors;
inline constexpr const char* kChipTag = sensors_texts::kTagCSPInitChip;
inline constexpr const char* kVpdTag = sensors_texts::kTagCSPInitChip2;
inline constexpr const char* kGaugeTag = sensors_texts::kTagCSPInitCHip;
inline constexpr const char* kTotalsTag = sensors_texts::kTagCLIBYATInitSensors;

// The code every discovery report carries.
inline constexpr int32_t kDiscoveryCode = yat::kReportDiscovered;

// Node bases of one discovery run. A node base is the node index, or with more than two nodes the
// node's multi-node ID when it has one. The ID is read from a node once per run, by whichever part of
// the run needs it first, so that every class keys the node alike.
class NodeBases {
public:
    explicit NodeBases(cBusComm* comm) : comm_(comm) {}
    int32_t of(int32_t nodeIndex, uint32_t nodeCount);

private:
    cBusComm* comm_;
    std::map<int32_t, int32_t> bases_;
};

// The temperatures and voltages of one node at a time, with the node's sensor numbers so far.
// Node indexes whose SP gave no supported-commands list: every discovery step skips them, since each
// of their sensor commands would only fail in turn.
using SilentNodes = std::set<int32_t>;

struct NodeSensors {
    cBusComm* comm;
    cSensorSink* sink;
    NodeBases* bases;
    cTempInstance* temp = nullptr;
    cVoltInstance* volt = nullptr;

    // The node being scanned and its counters.
    int32_t nodeIndex = 0;
    int32_t nodeBase = 0;
    int32_t tempSensor = 1;
    int32_t voltSensor = 1;
    int32_t tempReport = 1;
    bool cpuFound = false;

    // Starts the next node: its base, and every counter from the start.
    void startNode(int32_t index, uint32_t nodeCount);
    // Announces one sensor to the sink (when there is one).
    void report(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                const char* text) const;

    // The temperatures of one supported-commands entry (sensors/discovery_temperatures.cpp).
    void temperatures(const SensorReadingEntry& entry);
    // Two placeholder CPU temperatures for a node that lists none.
    void cpuPlaceholders();
    // The voltages of one supported-commands entry (sensors/discovery_voltages.cpp).
    void voltages(const SensorReadingEntry& entry);

private:
    void temperature(const SensorReadingEntry& entry, int32_t instance, bool dasd);
};

// Fans of every node, remembered across runs through the host's registry texts
// (sensors/discovery_fans.cpp).
void discoverFans(cBusComm* comm, cSensorSink* sink, NodeBases& bases, const SilentNodes& silent, cFanInst* fan);

// Power supplies of every node (sensors/discovery_power.cpp).
void discoverPowerSupplies(cBusComm* comm, cSensorSink* sink, NodeBases& bases, const SilentNodes& silent,
                           cPowerInstance* power);

}  // namespace yat::discovery
