// Event dispatch: comprehensive records, fan, PFA, DASD, voltage, power-down and power supply
// events. Login events are ignored.

#include "events/event_dispatch.h"

#include "yat/codes.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "events/event_decoders.h"
#include "events/event_wire.h"
#include "events/pfa_stack.h"
#include "platform/log.h"
#include "platform/runtime.h"
#include "platform/stop_signal.h"
#include "sensors/sensor_classes.h"
#include "events/log_texts.h"

namespace {

constexpr uint32_t kFanWaitMs = 2000;
constexpr uint32_t kSlowFanWaitMs = 10000;

void reportNodeEvent(const EventTargets& targets, const EventThreadState& state, int32_t sensor, int32_t code) {
    if (targets.sink == nullptr) return;
    int32_t zero[3] = {0, 0, 0};
    targets.sink->reportSensor(yat::kClassNodeEvent, state.nodeIndex + 1, sensor, &zero[0], &zero[1], &zero[2], code,
                               nullptr);
}

void handleComprehensive(const ByteReader& data, const EventTargets& targets, const EventThreadState& state) {
    ComprehensiveRecord record;
    if (!decodeComprehensive(data.data(), data.size(), &record)) {
        yatLog(events_texts::kTagCSPSPAsyncEventsHalyardComprehensiveEvent,
               events_texts::kComprehensiveEventWithDataBytesIs, static_cast<int32_t>(data.size()));
        return;
    }
    yatLog(events_texts::kTagCSPSPAsyncEventsHalyardComprehensiveEvent,
           events_texts::kVersionConditionTimeStampSequenceError, record.version, record.condition,
           static_cast<int32_t>(record.timeStamp), static_cast<int32_t>(record.sequence),
           static_cast<int32_t>(record.errorCode), record.chassis, record.memcard, record.dimm);
    if (record.errorCode == eventwire::kMemoryPfaCode && record.condition == eventwire::kMemoryPfaCondition &&
        targets.pfa != nullptr) {
        if (targets.pfa->push(record.memcard, record.dimm, record.condition, state.nodeIndex) != ERR_SUCCESS) {
            yatLog(events_texts::kTagCSPSPAsyncEventsHalyardComprehensiveEvent, events_texts::kThePFAStackIsFullEvents,
                   PfaStack::kCapacity);
        }
    }
}

void handleFan(const EventTargets& targets, EventThreadState& state) {
    const uint32_t delay = state.slowFan ? kSlowFanWaitMs : kFanWaitMs;
    if (targets.stop == nullptr) {
        yatSleep(delay);
    } else if (targets.stop->sleep(delay)) {
        return;  // monitoring stopped during the wait
    }
    yatLog(events_texts::kTagCSPSPAsnycEvents, events_texts::kThereAreSomeFanInstances);
    if (targets.fans == nullptr) return;
    for (const SensorRecord& record : targets.fans->instances().snapshot()) {
        yatLog(events_texts::kTagCSPUpdateSensorReadings, events_texts::kGotAFanSensorElementAnd, record.reading,
               record.upperLimit, record.lowerLimit, record.valid, record.nodeIndex, state.nodeIndex);
        if (record.valid == 0 || record.nodeIndex != state.nodeIndex) continue;
        int32_t reading = 0;
        int32_t result = targets.fans->getSPSensorReading(record.nodeIndex, yat::kClassFan, record.location,
                                                          record.instanceNumber, &reading, targets.comm);
        if (result == ERR_DEVICE_UNAVAILABLE) {
            reading = 0;
        } else if (result != ERR_SUCCESS || reading != 0) {
            continue;
        }
        // Marks the fan stopped unless the record (as it is now) already says so.
        SensorRecord stopped;
        bool changed = false;
        // A record gone since the snapshot leaves changed false: nothing to report.
        (void)targets.fans->instances().update(record.node, record.sensorNumber, [&](SensorRecord& current) {
            if (current.status == yat::kStatusCritical) return;
            current.reading = 0;
            current.status = yat::kStatusCritical;
            stopped = current;
            changed = true;
        });
        if (!changed) continue;
        if (targets.sink != nullptr) {
            targets.sink->reportSensor(yat::kClassFan, stopped.node, stopped.sensorNumber, &stopped.reading,
                                       &stopped.upperLimit, &stopped.lowerLimit, yat::kStatusCritical, nullptr);
        }
        return;  // only the first stopped fan is reported per event
    }
    state.fanEventSeen = !state.fanEventSeen;
    if (state.fanEventSeen) reportNodeEvent(targets, state, 0, yat::kReportFanEvent);
}

void handleDasd(const ByteReader& data, const uint8_t* buffer, const EventTargets& targets,
                const EventThreadState& state) {
    int32_t backplane = 0;
    int32_t drive = 0;
    if (data.size() >= eventwire::kDasdLength) {
        backplane = data.u8(eventwire::kDasdBackplaneOffset);
        drive = data.u8(eventwire::kDasdDriveOffset);
    }
    yatLog(events_texts::kTagCSPSPAsyncEvents, events_texts::kAboutToProcessADASDEvent, backplane, drive,
           buffer[wire::kDataLengthOffset], data.u8(0), data.u8(1));
    reportNodeEvent(targets, state, drive, yat::kReportDasdEvent);
}

void handleVoltage(const EventTargets& targets, EventThreadState& state) {
    if (targets.volts == nullptr) return;
    for (const SensorRecord& record : targets.volts->instances().snapshot()) {
        if (record.valid != 0 && record.nodeIndex == state.nodeIndex && record.status != yat::kStatusUnknown &&
            record.status != yat::kStatusNormal) {
            return;  // a voltage of the node is out of normal: its own report says so
        }
    }
    state.voltageEventSeen = !state.voltageEventSeen;
    if (state.voltageEventSeen) reportNodeEvent(targets, state, 0, yat::kReportVoltageEvent);
}

void handlePowerSupply(const ByteReader& data, const EventTargets& targets, const EventThreadState& state) {
    constexpr const char* tag = events_texts::kTagCSPSPAsyncEvents;
    yatLog(tag, events_texts::kGotAPowerSupplyEventFrom);
    if (data.size() < 1 || targets.power == nullptr) return;
    int32_t supply = data.u8(eventwire::kSupplyOffset);
    if (supply == 0) return;
    yatLog(tag, events_texts::kPowerInstanceIsNotNull);
    for (const SensorRecord& record : targets.power->instances().snapshot()) {
        yatLog(tag, events_texts::kCheckingPowerSupplyElementAgainstError, record.instanceNumber, supply, record.valid,
               record.normalsSupported, state.nodeIndex, record.nodeIndex);
        if (record.valid == 0 || record.instanceNumber != supply - 1 || record.nodeIndex != state.nodeIndex) continue;
        int32_t status = yat::kStatusCritical;
        if (record.normalsSupported != 0) {
            yatLog(tag, events_texts::kInstanceNumberIsListedAsCritical, record.instanceNumber);
        } else {
            yatLog(tag, events_texts::kNoNormalInstanceNumberIsListed, record.instanceNumber);
            status = yat::kStatusSupplyFailed;
        }
        // A record gone since the snapshot is not reported: the host would hear of a sensor that is gone.
        if (!targets.power->instances().update(record.node, record.sensorNumber,
                                               [status](SensorRecord& current) { current.status = status; })) {
            continue;
        }
        if (targets.sink != nullptr) {
            int32_t zero[3] = {0, 0, 0};
            targets.sink->reportSensor(yat::kClassPowerSupply, record.node, record.sensorNumber, &zero[0], &zero[1],
                                       &zero[2], status, nullptr);
        }
    }
}

EventOutcome dispatch(const uint8_t* buffer, size_t size, const EventTargets& targets, EventThreadState& state) {
    const uint8_t* id = buffer + eventwire::kIdOffset;
    const size_t idCount = eventwire::kIdLength;
    ByteReader data = eventData(buffer, size);
    if (compareElements(eventwire::kComprehensiveId, id, idCount)) handleComprehensive(data, targets, state);
    yatLog(events_texts::kTagCSPSPAsyncEvents, events_texts::kAboutToCompareEvents);
    if (compareElements(eventwire::kFanId, id, idCount)) {
        handleFan(targets, state);
    } else if (compareElements(eventwire::kPfaId, id, idCount)) {
        reportNodeEvent(targets, state, 0, yat::kReportPfaEvent);
    } else if (compareElements(eventwire::kDasdId, id, idCount)) {
        handleDasd(data, buffer, targets, state);
    } else if (compareElements(eventwire::kVoltageId, id, idCount)) {
        handleVoltage(targets, state);
    } else if (compareElements(eventwire::kPowerDownId, id, idCount)) {
        return EventOutcome::kPowerDown;
    } else if (compareElements(eventwire::kPowerSupplyId, id, idCount)) {
        handlePowerSupply(data, targets, state);
    }
    return EventOutcome::kHandled;
}

}  // namespace

EventOutcome handleEventBuffer(const uint8_t* buffer, size_t size, const EventTargets& targets,
                               EventThreadState& state) {
    constexpr const char* tag = events_texts::kTagCSPSPAsyncEvents;
    if (buffer == nullptr || size < eventwire::kDataOffset + 3) {
        yatLog(tag, events_texts::kCouldNotCompareEvents);
        return EventOutcome::kRejected;
    }
    yatLog(tag, events_texts::kBuffer0Buffer1Buffer2, buffer[0], buffer[1], buffer[2], buffer[3], buffer[4], buffer[6],
           buffer[7], buffer[8], buffer[9], buffer[10], buffer[11]);
    if (!eventHeaderOk(buffer, size)) {
        yatLog(tag, events_texts::kCouldNotCompareEvents);
        return EventOutcome::kRejected;
    }
    yatLog(tag, events_texts::kAboutToCompareEvents);
    return dispatch(buffer, size, targets, state);
}
