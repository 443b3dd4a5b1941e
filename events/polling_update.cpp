// The polling update: fans, temperatures (with the CPU hot indicators), voltages, power supplies.

#include "events/polling_update.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

#include "yat/codes.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "events/event_wire.h"
#include "events/system_health.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_wire.h"
#include "events/log_texts.h"

namespace {

constexpr const char* kTag = events_texts::kTagUpdateNonAsynchReadings;
constexpr const char* kPowerTag = events_texts::kTagMonitorasynchstuff;
constexpr const char* kFanKey = "SOFTWARE\\Zentro\\Vigilor\\SPfan";

// Writes reading, limits and status of fresh back into the record as it is now; false when the
// record is gone.
[[nodiscard]] bool writeIntValues(cSensorInst& object, const SensorRecord& fresh) {
    return object.instances().update(fresh.node, fresh.sensorNumber, [&fresh](SensorRecord& current) {
        current.reading = fresh.reading;
        current.upperLimit = fresh.upperLimit;
        current.lowerLimit = fresh.lowerLimit;
        current.status = fresh.status;
    });
}

// Reads the status of a valid temperature or fan record; on success writes it back and reports it.
void pollIntRecord(cSensorInst& object, SensorRecord record, cBusComm* comm, cSensorSink* sink) {
    int32_t result =
        object.getSPSensorStatus(record.nodeIndex, object.sensorClass(), record.location, record.instanceNumber,
                                 &record.status, &record.reading, &record.upperLimit, &record.lowerLimit, comm);
    // A record gone meanwhile is not reported: the host would hear of a sensor that is gone.
    if (result != ERR_SUCCESS || !writeIntValues(object, record)) return;
    if (sink != nullptr) {
        sink->reportSensor(object.sensorClass(), record.node, record.sensorNumber, &record.reading, &record.upperLimit,
                           &record.lowerLimit, record.status, nullptr);
    }
}

// A fan discovery stored as not valid that now turns: stored valid with the values just read, its
// registry text added, and announced with code 46.
void bringBackFan(cFanInst& fans, const SensorRecord& record, cBusComm* comm, cSensorSink* sink) {
    int32_t reading = 0;
    if (fans.getSPSensorReading(record.nodeIndex, yat::kClassFan, record.location, record.instanceNumber, &reading,
                                comm) != ERR_SUCCESS ||
        reading <= 0) {
        return;
    }
    SensorRecord fresh = record;
    if (fans.getSPSensorStatus(record.nodeIndex, yat::kClassFan, record.location, record.instanceNumber, &fresh.status,
                               &fresh.reading, &fresh.upperLimit, &fresh.lowerLimit, comm) != ERR_SUCCESS) {
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "node[%d] sensor%d\n\n", record.nodeIndex, record.instanceNumber);
    SensorSource source =
        sensorSource({record.nodeIndex, yat::kClassFan, record.location, record.instanceNumber, record.sensorType},
                     fresh.status, fresh.reading, fresh.upperLimit, fresh.lowerLimit);
    fans.insertInstance(record.node, record.sensorNumber, &source, true);
    yatLog(kTag, events_texts::kFanNodeInstanceReadsAgainAnd, record.nodeIndex, record.instanceNumber, fresh.reading);
    if (sink == nullptr) return;
    sink->addRegistryText(kFanKey, text);
    int32_t sensorNumber = record.sensorNumber;
    int32_t flag = 1;
    sink->reportSensor(yat::kClassFan, record.node, record.sensorNumber, &sensorNumber, &flag, nullptr,
                       yat::kReportDiscovered, nullptr);
}

void pollFans(cFanInst& fans, cBusComm* comm, cSensorSink* sink) {
    for (const SensorRecord& record : fans.instances().snapshot()) {
        if (record.valid != 0) {
            pollIntRecord(fans, record, comm, sink);
        } else {
            bringBackFan(fans, record, comm, sink);
        }
    }
}

// The active event codes of each node, read at most once per round. A node whose read failed has
// no list (its processor indicators keep their state); a read that succeeded may give an empty list.
class ActiveCodes {
public:
    explicit ActiveCodes(cBusComm* comm) : comm_(comm) {}
    const std::optional<std::vector<uint32_t>>& of(int32_t nodeIndex) {
        auto found = codes_.find(nodeIndex);
        if (found != codes_.end()) return found->second;
        std::optional<std::vector<uint32_t>>& codes = codes_[nodeIndex];
        std::vector<uint32_t> read;
        cSystemHealth health;
        if (health.getActiveEvents(comm_, nodeIndex, &read) == ERR_SUCCESS) {
            codes = std::move(read);
        } else {
            yatLog(kTag, events_texts::kCouldNotReadTheActiveEvents, nodeIndex);
        }
        return codes;
    }

private:
    cBusComm* comm_;
    std::map<int32_t, std::optional<std::vector<uint32_t>>> codes_;
};

void pollCpuPlaceholder(cTempInstance& temps, const SensorRecord& record, ActiveCodes& active, cSensorSink* sink) {
    const std::optional<std::vector<uint32_t>>& codes = active.of(record.nodeIndex);
    if (!codes) return;
    uint32_t code = eventwire::kCpuHotCodeBase + static_cast<uint32_t>(record.instanceNumber);
    yatLog(kTag, events_texts::kLookingForEventCode0x, code);
    bool found = std::find(codes->begin(), codes->end(), code) != codes->end();
    int32_t status;
    if (!found) {
        yatLog(kTag, events_texts::kEventNotFound);
        if (record.status != yat::kStatusProcessorHot) return;
        status = yat::kStatusProcessorNormal;
        yatLog(kTag, events_texts::kSettingCPUTempStatusPROCNORMAL);
    } else {
        yatLog(kTag, events_texts::kEventFound);
        if (record.status != yat::kStatusProcessorNormal) return;
        status = yat::kStatusProcessorHot;
        yatLog(kTag, events_texts::kSettingCPUTempStatusPROCHOT);
    }
    yatLog(kTag, events_texts::kProcessingCPUEvent);
    if (!temps.instances().update(record.node, record.sensorNumber,
                                  [status](SensorRecord& current) { current.status = status; })) {
        return;  // gone meanwhile: nothing to report
    }
    if (sink != nullptr) {
        int32_t zero[3] = {0, 0, 0};
        sink->reportSensor(yat::kClassNodeEvent, record.node, record.instanceNumber, &zero[0], &zero[1], &zero[2],
                           status, nullptr);
    }
}

void pollTemperatures(cTempInstance& temps, cBusComm* comm, cSensorSink* sink) {
    ActiveCodes active(comm);
    for (const SensorRecord& record : temps.instances().snapshot()) {
        yatLog(kTag, events_texts::kSensorTypeReadNodeLocationInstanceNumCurrentStatus, record.sensorType,
               record.nodeIndex, record.location, record.instanceNumber, record.status, record.valid, record.lowerLimit,
               record.upperLimit);
        if (record.valid != 0) {
            pollIntRecord(temps, record, comm, sink);
        } else if (record.location == sensorwire::kLocationCpu && record.upperLimit == 0 && record.lowerLimit == 0) {
            pollCpuPlaceholder(temps, record, active, sink);
        }
    }
}

void pollVoltages(cVoltInstance& volts, cBusComm* comm, cSensorSink* sink) {
    for (SensorRecord record : volts.instances().snapshot()) {
        if (record.valid == 0) continue;
        if (volts.getSPSensorStatus(record.nodeIndex, yat::kClassVoltage, record.location, record.instanceNumber,
                                    &record.status, &record.voltReading, &record.voltUpperLimit, &record.voltLowerLimit,
                                    comm) != ERR_SUCCESS) {
            continue;
        }
        yatLog(events_texts::kTagCSPMonitorCmdGetCommandData, events_texts::kTheVoltageDataIs2Upperlimit,
               static_cast<double>(record.voltReading), static_cast<double>(record.voltUpperLimit),
               static_cast<double>(record.voltLowerLimit), record.instanceNumber);
        const bool kept = volts.instances().update(record.node, record.sensorNumber, [&record](SensorRecord& current) {
            current.voltReading = record.voltReading;
            current.voltUpperLimit = record.voltUpperLimit;
            current.voltLowerLimit = record.voltLowerLimit;
            current.status = record.status;
        });
        if (!kept) continue;  // gone meanwhile: nothing to report
        // The float values in 32-bit slots, as the voltage queries hand them out.
        if (sink != nullptr) {
            sink->reportSensor(yat::kClassVoltage, record.node, record.sensorNumber, &record.voltReading,
                               &record.voltUpperLimit, &record.voltLowerLimit, record.status, nullptr);
        }
    }
}

// The present-supplies byte of the node's power status, or -1 when it cannot be read.
int32_t presentSupplies(cBusComm* comm, int32_t nodeIndex) {
    cSPPowerStatusCmd command;
    command.buildCommand();
    if (command.send(comm, nodeIndex) != ERR_SUCCESS || !command.answerOk()) return -1;
    ByteReader data = command.answerReader();
    const uint8_t present = data.u8(sensorwire::kPowerPresentOffset);
    return data.overrun() ? -1 : present;
}

// Stops at the first supply that appeared: the records read before are stale after its registration,
// and the next round looks again.
void pollPowerSupplies(cPowerInstance& power, cBusComm* comm, cSensorSink* sink) {
    std::vector<SensorRecord> records = power.instances().snapshot();
    for (const SensorRecord& record : records) {
        if (record.valid != 0) {
            if (record.normalsSupported == 0 || record.secondPowerFlag == 0) continue;
            SensorRecord fresh = record;
            if (power.getSPSensorStatus(record.nodeIndex, yat::kClassPowerSupply, 0, record.instanceNumber,
                                        &fresh.status, &fresh.reading, &fresh.upperLimit, &fresh.lowerLimit,
                                        comm) != ERR_SUCCESS) {
                continue;
            }
            if (!power.instances().update(record.node, record.sensorNumber,
                                          [&fresh](SensorRecord& current) { current.status = fresh.status; })) {
                continue;  // gone meanwhile: nothing to report
            }
            if (sink != nullptr) {
                int32_t zero[3] = {0, 0, 0};
                sink->reportSensor(yat::kClassPowerSupply, record.node, record.sensorNumber, &zero[0], &zero[1],
                                   &zero[2], fresh.status, nullptr);
            }
            continue;
        }
        if (record.normalsSupported == 0) continue;
        yatLog(kPowerTag, events_texts::kSensorNotValidAndNormalsSupported);
        int32_t present = presentSupplies(comm, record.nodeIndex);
        if (present < 0) continue;
        yatLog(kPowerTag, events_texts::kPwrBuffer, static_cast<unsigned>(present));
        if (record.instanceNumber < 0 || record.instanceNumber >= sensorwire::kMaxPowerSupplies ||
            (present & (1 << record.instanceNumber)) == 0) {
            continue;
        }
        if (record.secondPowerFlag == 0) {
            // The node now has a second supply: every supply of it is polled from now on.
            for (const SensorRecord& other : power.instances().snapshot()) {
                yatLog(kTag, events_texts::kCheckingToUpdateElementOrigNode, record.nodeIndex, other.nodeIndex,
                       other.valid);
                if (other.valid == 0 || other.nodeIndex != record.nodeIndex) continue;
                power.addPowerSupply(
                    other.node - 1, other.instanceNumber,
                    {.nodeIndex = other.nodeIndex, .secondPowerFlag = true, .comm = comm, .sink = sink});
            }
        }
        power.addPowerSupply(record.node - 1, record.instanceNumber,
                             {.nodeIndex = record.nodeIndex, .secondPowerFlag = true, .comm = comm, .sink = sink});
        return;
    }
}

}  // namespace

void updateNonAsynchReadings(cBusComm* comm, const PolledClasses& classes, cSensorSink* sink,
                             const std::atomic<bool>& stop) {
    yatLog(kTag, events_texts::kEnteringTheRoutine);
    if (classes.fans != nullptr && !stop.load()) pollFans(*classes.fans, comm, sink);
    if (classes.temps != nullptr && !stop.load()) pollTemperatures(*classes.temps, comm, sink);
    if (classes.volts != nullptr && !stop.load()) pollVoltages(*classes.volts, comm, sink);
    if (classes.power != nullptr && !stop.load()) pollPowerSupplies(*classes.power, comm, sink);
}
