// Sensor discovery: initSensors finds the temperatures and voltages the SP lists as supported, probes
// the fans and the power supplies, stores one record per sensor and announces each to the host.

#include <atomic>
#include <cstdio>
#include <map>
#include <string>

#include "commands/sp_cmd.h"
#include "platform/library_mutex.h"
#include "sensors/sensor_model.h"
#include "yat/bus_comm.h"
#include "yat/codes.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_decoders.h"
#include "sensors/sensor_vpd.h"
#include "sensors/sensor_wire.h"
#include "sensors/supported_commands.h"
#include "sysinfo/vpd_command.h"

namespace {

constexpr const char* kRunTag = "cLibYAT::initSensors";
constexpr const char* kChipTag = "cSP::initChip";
constexpr const char* kVpdTag = "cSP::InitChip";
constexpr const char* kGaugeTag = "cSP::InitCHip";
constexpr const char* kTotalsTag = "cLIBYAT::initSensors";

// The code every discovery report carries.
constexpr int32_t kDiscoveryCode = yat::kReportDiscovered;

// Temperature locations: the CPUs, the DASD backplane (read with its VPD) and the place a DASD
// sensor without limits is tried again.
constexpr int32_t kCpuLocation = 2;
constexpr int32_t kDasdLocation = 4;
constexpr int32_t kDasdRetryLocation = 6;
constexpr int32_t kCpuPlaceholderType = 39;
constexpr int32_t kCpuPlaceholderStatus = yat::kStatusProcessorNormal;
constexpr int32_t kCpuPlaceholders = 2;

// Voltages: only the motherboard location is scanned, instances 0-20.
constexpr int32_t kVoltageLocation = 1;
constexpr int32_t kVoltageInstances = 21;
constexpr int32_t kVoltageTypes[kVoltageInstances] = {0, 4, 3,  5, 6, 7,  1, 12, 14, 4, 4,
                                                      3, 3, 11, 0, 0, 27, 5, 5,  24, 25};

// Fans are probed by instance number 1-31 and remembered in the host's registry texts.
constexpr int32_t kFanInstances = 31;
constexpr int32_t kFanType = 32;
constexpr const char* kVigilorKey = "SOFTWARE\\Zentro\\Vigilor";
constexpr const char* kFanKey = "SOFTWARE\\Zentro\\Vigilor\\SPfan";
constexpr const char* kFanKeyHeader = "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro\\Vigilor\\SPfan]\n";

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

// The source record of a temperature or fan sensor (integer reading and limits).
SensorSource integerSource(int32_t nodeIndex, int32_t sensorClass, int32_t location, int32_t instance, int32_t reading,
                           int32_t upper, int32_t lower, int32_t status, int32_t type) {
    SensorSource source;
    source.nodeIndex = nodeIndex;
    source.sensorClass = sensorClass;
    source.location = location;
    source.instanceNumber = instance;
    source.reading = reading;
    source.upperLimit = upper;
    source.lowerLimit = lower;
    source.status = status;
    source.sensorType = type;
    return source;
}

// Node bases of one discovery run. A node base is the node index, or with more than two nodes the
// node's multi-node ID when it has one. The ID is read from a node once per run, by whichever part of
// the run needs it first, so that every class keys the node alike.
class NodeBases {
public:
    explicit NodeBases(cBusComm* comm) : comm_(comm) {}

    int32_t of(int32_t nodeIndex, uint32_t nodeCount) {
        if (nodeCount <= 2) return nodeIndex;
        auto known = bases_.find(nodeIndex);
        if (known != bases_.end()) return known->second;
        cMultiNodeID command;
        command.buildCommand();
        int32_t id = command.send(comm_, nodeIndex) == 0 ? command.nodeId() : -1;
        int32_t base = id < 0 ? nodeIndex : id;
        bases_.emplace(nodeIndex, base);
        return base;
    }

private:
    cBusComm* comm_;
    std::map<int32_t, int32_t> bases_;
};

struct Discovery {
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

    void report(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                const char* text) const {
        if (sink != nullptr) sink->reportSensor(sensorClass, node, sensor, first, second, third, kDiscoveryCode, text);
    }

    void startNode(int32_t index, uint32_t nodeCount) {
        nodeIndex = index;
        nodeBase = bases->of(index, nodeCount);
        tempSensor = 1;
        voltSensor = 1;
        tempReport = 1;
        cpuFound = false;
    }

    void temperatures(const SensorReadingEntry& entry);
    void temperature(const SensorReadingEntry& entry, int32_t instance, bool dasd);
    void voltages(const SensorReadingEntry& entry);
    void cpuPlaceholders();
};

void Discovery::temperatures(const SensorReadingEntry& entry) {
    yatLog(kRunTag, "looking at temperatures");
    bool dasd = entry.location == kDasdLocation;
    bool scanned =
        entry.location == 1 || entry.location == kCpuLocation || entry.location == 3 || entry.location == 5 || dasd;
    if (!scanned) return;
    yatLog(kRunTag, "first [%d] last [%d]", entry.first, entry.last);
    for (int32_t instance = entry.first; instance <= entry.last; ++instance) temperature(entry, instance, dasd);
}

void Discovery::temperature(const SensorReadingEntry& entry, int32_t instance, bool dasd) {
    int32_t location = entry.location;
    int32_t status = 0;
    int32_t reading = 0;
    int32_t upper = 0;
    int32_t lower = 0;
    int32_t result = temp->getSPSensorStatus(nodeIndex, sensorwire::kClassTemperature, location, instance, &status,
                                             &reading, &upper, &lower, comm);
    // Success means the reading itself worked; a sensor without limits comes back with status 0.
    if (result == ERR_BAD_ANSWER) {
        yatLog(kChipTag, "The temp reading failed for [%d]", tempSensor);
        ++tempSensor;
        return;
    }
    yatLog(
        kChipTag,
        "The temp reading succeeded for [%d] and is [%d], buffer +3 [%x] buffer +4 [%x] upperlim [%d] and lowerlim [%d]",
        tempSensor, reading, static_cast<unsigned>(entry.location), static_cast<unsigned>(entry.instanceByte), upper,
        lower);
    if (status == 0 && location == kDasdLocation) {
        status = reading = upper = lower = 0;
        result = temp->getSPSensorStatus(nodeIndex, sensorwire::kClassTemperature, kDasdRetryLocation, instance,
                                         &status, &reading, &upper, &lower, comm);
        if (result != ERR_BAD_ANSWER && status != 0) {
            location = kDasdRetryLocation;
        } else {
            status = 0;
        }
    }
    if (status == 0) {
        ++tempSensor;
        return;
    }

    SensorSource source = integerSource(nodeIndex, sensorwire::kClassTemperature, location, instance, reading, upper,
                                        lower, status, instance);
    temp->insertInstance(nodeBase + 1, tempSensor, &source, true);
    if (location == kCpuLocation) {
        yatLog(kChipTag, "Found CPU temperature");
        cpuFound = true;
    }

    SensorVpdRead vpd;
    if (dasd) {
        yatLog(kChipTag, "Getting the DASD VPD Information");
        vpd = readSensorVpd(comm, nodeIndex, kVPDKindDASD, 1);
        if (vpd.sentOk()) {
            yatLog(kVpdTag, "The command succeeded for [%d] and has a status of [%d]", instance, vpd.status);
            if (vpd.present()) {
                yatLog(kVpdTag, "The command succeeded for [%d] and has a FRU number of [%s]", instance,
                       vpd.fru.c_str());
            }
        }
    } else {
        yatLog(kChipTag, "Not getting the DASD VPD information");
    }
    report(sensorwire::kClassTemperature, nodeBase + 1, tempReport, &tempSensor, &upper, &lower,
           vpd.hasFru ? vpd.fru.c_str() : nullptr);
    ++tempReport;
    ++tempSensor;
}

void Discovery::voltages(const SensorReadingEntry& entry) {
    yatLog(kRunTag, "looking at voltages");
    yatLog(kChipTag, "Voltages first [%d] last [%d] buffer +3 [%x] buffer +4 [%x] motherboard [%d]", entry.first,
           entry.last, static_cast<unsigned>(entry.location), static_cast<unsigned>(entry.instanceByte), 1);
    if (entry.location != kVoltageLocation) return;
    for (int32_t instance = entry.first; instance <= entry.last && instance < kVoltageInstances; ++instance) {
        int32_t status = 0;
        float reading = 0.0f;
        float upper = 0.0f;
        float lower = 0.0f;
        int32_t result = volt->getSPSensorStatus(nodeIndex, sensorwire::kClassVoltage, kVoltageLocation, instance,
                                                 &status, &reading, &upper, &lower, comm);
        int32_t flag = result == ERR_SUCCESS ? 1 : 0;
        if (result == ERR_SUCCESS) {
            yatLog(
                kChipTag,
                "The voltage reading succeeded for [%d] and is [%f], buffer +3 [%x] buffer +4 [%x] upperlim [%f.2] lowerlim [%f.2]",
                voltSensor, static_cast<double>(reading), static_cast<unsigned>(entry.location),
                static_cast<unsigned>(entry.instanceByte), static_cast<double>(upper), static_cast<double>(lower));
            SensorSource source;
            source.nodeIndex = nodeIndex;
            source.sensorClass = sensorwire::kClassVoltage;
            source.location = kVoltageLocation;
            source.instanceNumber = instance;
            source.voltReading = reading;
            source.voltUpperLimit = upper;
            source.voltLowerLimit = lower;
            source.status = status;
            source.sensorType = kVoltageTypes[instance];
            volt->insertInstance(nodeBase + 1, voltSensor, &source, true);
            report(sensorwire::kClassVoltage, nodeBase + 1, voltSensor, &voltSensor, &flag, nullptr, nullptr);
            yatLog(kChipTag, "The voltage buffer j was [%d] and produced type of [%d]", instance,
                   kVoltageTypes[instance]);
        } else {
            report(sensorwire::kClassVoltage, nodeBase + 1, voltSensor, &voltSensor, &flag, nullptr, nullptr);
            yatLog(kChipTag, "The volt status failed for [%d]", voltSensor);
        }
        ++voltSensor;
    }
}

void Discovery::cpuPlaceholders() {
    yatLog(kChipTag, "Real CPU temperatures not found");
    for (int32_t instance = 1; instance <= kCpuPlaceholders; ++instance) {
        SensorSource source = integerSource(nodeIndex, sensorwire::kClassTemperature, kCpuLocation, instance, 0, 0, 0,
                                            kCpuPlaceholderStatus, kCpuPlaceholderType);
        temp->insertInstance(nodeBase + 1, tempSensor, &source, false);
        ++tempSensor;
    }
}

// Fans of every node, remembered across runs through the host's registry texts.
void discoverFans(cBusComm* comm, cSensorSink* sink, NodeBases& bases, cFanInst* fan) {
    uint32_t nodeCount = comm->getNodeCount();
    yatLog(kRunTag, "doing fanstuff");
    yatLog(kRunTag, "The number of nodes for fans are [%d]", static_cast<int32_t>(nodeCount));
    auto known = [sink](const char* text) { return sink != nullptr && sink->findRegistryText(text) != 0; };
    if (!known(kFanKey) && sink != nullptr) sink->addRegistryText(kVigilorKey, kFanKeyHeader);

    for (int32_t i = 0; static_cast<uint32_t>(i) < comm->getNodeCount(); ++i) {
        int32_t nodeBase = bases.of(i, comm->getNodeCount());
        int32_t fanSensor = 1;
        for (int32_t instance = 1; instance <= kFanInstances; ++instance) {
            char text[48];
            std::snprintf(text, sizeof text, "node[%d] sensor%d\n\n", i, instance);
            int32_t status = 0;
            int32_t reading = 0;
            int32_t upper = 0;
            int32_t lower = 0;
            int32_t result =
                fan->getSPSensorStatus(i, sensorwire::kClassFan, 0, instance, &status, &reading, &upper, &lower, comm);
            bool store = false;
            bool valid = false;
            if (result == ERR_SUCCESS) {
                yatLog(kRunTag, "The current fan node [%d], instance [%d]", i, instance);
                bool inRegistry = known(text);
                if (inRegistry || reading > 0) {
                    if (!inRegistry) {
                        yatLog(kRunTag,
                               "The current fan node [%d], instance [%d] could not get reg info with status [%d]", i,
                               instance, status);
                        if (sink != nullptr) sink->addRegistryText(kFanKey, text);
                    }
                    yatLog(
                        kRunTag,
                        "got the voltage reading for node [%d] index [%d] reading [%d] upperlim [%d] and lowerlim [%d]",
                        i, instance, reading, upper, lower);
                    store = valid = true;
                } else {
                    yatLog(kRunTag, "The current <= fan node [%d], instance [%d]", i, instance);
                    reading = 0;
                    store = true;
                }
            } else if (known(text)) {
                yatLog(kRunTag, "The current fan node [%d], instance [%d] got reg info with status [%d]", i, instance,
                       status);
                reading = upper = lower = 0;
                store = valid = true;
            }
            if (!store) continue;
            SensorSource source =
                integerSource(i, sensorwire::kClassFan, 0, instance, reading, upper, lower, status, kFanType);
            fan->insertInstance(nodeBase + 1, fanSensor, &source, valid);
            if (valid && sink != nullptr) {
                int32_t flag = 1;
                sink->reportSensor(sensorwire::kClassFan, nodeBase + 1, fanSensor, &fanSensor, &flag, nullptr,
                                   kDiscoveryCode, nullptr);
            }
            ++fanSensor;
        }
    }
    yatLog(kRunTag, "past the checking of fans");
}

// Power supplies of every node: from the present-supplies byte of "f.5.1" ("normals") when the SP
// gives one, and from the supplies' VPD otherwise.
void discoverPowerSupplies(cBusComm* comm, cSensorSink* sink, NodeBases& bases, cPowerInstance* power) {
    yatLog(kVpdTag, "doing powersupply stuff");
    int32_t normals = 0;           // supplies counted from the present byte, over the whole run
    bool secondPowerFlag = false;  // more than one normal supply
    for (int32_t i = 0; static_cast<uint32_t>(i) < comm->getNodeCount(); ++i) {
        int32_t nodeBase = bases.of(i, comm->getNodeCount());
        cSPPowerStatusCmd gauge;
        gauge.buildCommand();
        if (gauge.send(comm, i) != 0) continue;
        yatLog(kGaugeTag, "fuel gauge Supported");
        // An answer the SP rejected, or one without data, names no supply.
        uint8_t present = 0;
        if (gauge.answerOk()) {
            ByteReader data = gauge.answerReader();
            present = powerPresentByte(data.data(), data.size());
        }
        bool normalsMode = present != 0;
        if (!normalsMode) {
            yatLog(kGaugeTag, "fuel gauge Supported but no pwrnormals");
        } else {
            yatLog(kGaugeTag, "fuel gauge Supported with pwrnormals");
            normals = 0;
            secondPowerFlag = false;
        }

        for (int pass = 0; pass < 2; ++pass) {
            bool adding = pass == 1;
            int32_t candidates = 0;
            for (int32_t s = 0; s < sensorwire::kMaxPowerSupplies; ++s) {
                int32_t mask = 1 << s;
                yatLog(kVpdTag, " checking pwrBuffer [%x] against checking number [%d]", static_cast<unsigned>(present),
                       mask);
                if (!normalsMode) {
                    SensorVpdRead vpd = readSensorVpd(comm, i, kVPDKindPowerSupply, s + 1);
                    if (vpd.sentOk()) {
                        yatLog(kVpdTag, "The command succeeded for [%d] and has a status of [%d]", s + 1, vpd.status);
                    }
                    if (!vpd.present()) continue;
                    if (adding) {
                        power->addPowerSupply(nodeBase, s, false, comm, sink, true, true, i);
                    } else {
                        ++candidates;
                        ++normals;
                    }
                } else if ((present & mask) != 0) {
                    if (adding) {
                        yatLog(kVpdTag, " adding installed power supply [%d]", s);
                        power->addPowerSupply(nodeBase, s, true, comm, sink, true, secondPowerFlag, i);
                    } else {
                        ++candidates;
                        ++normals;
                    }
                } else {
                    yatLog(kChipTag, "in the else part of number of power chips");
                    SensorVpdRead vpd = readSensorVpd(comm, i, kVPDKindPowerSupply, s + 1);
                    if (vpd.sentOk()) {
                        yatLog(kVpdTag, " getting VPD Power supply for [%d] succeeded with status of [%d]", s + 1,
                               vpd.status);
                    }
                    if (!vpd.present()) continue;
                    if (adding) {
                        yatLog(kVpdTag, " adding power supply [%d]", s);
                        power->addPowerSupply(nodeBase, s, true, nullptr, nullptr, false, secondPowerFlag, i);
                    } else {
                        ++candidates;
                    }
                }
            }
            yatLog(kTotalsTag, "The total number of power supplies for monitoring is [%d]", candidates);
            if (adding || candidates < 2) break;
            secondPowerFlag = normals > 1;
        }
    }
    yatLog(kTotalsTag, "The total number of power supplies is [%d]", power->elementCount());
    if (power->elementCount() >= 2) {
        yatLog(kVpdTag, "the number of power supplies is > 0");
    } else {
        yatLog(kVpdTag, "the number of power supplies is <= 0");
    }
}

}  // namespace

int32_t SensorModel::initSensors(cSensorSink* sink) {
    QV::MutexLock lock(libraryMutex);
    yatLog(kRunTag, "in initSensors");
    if (commDevice == nullptr) return ERR_NO_DEVICE;

    HeldObject<cVoltInstance> volt(voltInstance, 1);
    HeldObject<cTempInstance> temp(tempInstance, 1);
    if (volt.acquire() == nullptr || temp.acquire() == nullptr) return ERR_NO_RESOURCE;
    yatLog(kRunTag, "about to go into for loop");

    NodeBases bases(commDevice);
    Discovery discovery{commDevice, sink, &bases};
    discovery.temp = temp.get();
    discovery.volt = volt.get();
    for (int32_t i = 0; static_cast<uint32_t>(i) < commDevice->getNodeCount(); ++i) {
        discovery.startNode(i, commDevice->getNodeCount());
        yatLog(kRunTag, "getting supportedcommands");
        cSPCmd supported;
        supported.buildSPCommand(sensorwire::kSupportedCommandsCommand, wire::kGet, nullptr, nullptr, 0, 0);
        uint32_t sent = supported.send(commDevice, i);
        if (sent != 0) return static_cast<int32_t>(sent);
        yatLog(kRunTag, "getting the buffer for supportedcommands");
        yatLog(kRunTag, "got the buffer for supportedcommands");
        if (!supportedCommandsAnswerOk(supported)) return ERR_BAD_ANSWER;

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
        discoverFans(commDevice, sink, bases, fan.get());
    }
    {
        HeldObject<cPowerInstance> power(powerInstance, 2);
        if (power.acquire() == nullptr) return ERR_NO_RESOURCE;
        discoverPowerSupplies(commDevice, sink, bases, power.get());
    }
    yatLog(kRunTag, "about to return");
    return ERR_SUCCESS;
}
