// Monitoring: registration, the event threads, the polling thread and the PFA operations.

#include "events/event_monitor.h"

#include <array>
#include <new>

#include "yat/bus_comm.h"
#include "yat/pfa_records.h"
#include "yat/result_codes.h"
#include "events/event_commands.h"
#include "events/event_dispatch.h"
#include "events/event_wire.h"
#include "events/polling_update.h"
#include "events/stop_flag.h"
#include "platform/library_mutex.h"
#include "platform/log.h"
#include "platform/runtime.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_model.h"
#include "sysinfo/firmware_command.h"

namespace {

constexpr uint32_t kDeregistered = 10;
constexpr int32_t kPollingIntervalSeconds = 20;
constexpr uint32_t kDeregisterWaitMs = 2000;
constexpr uint32_t kPfaEmptyWaitMs = 30000;
// Pause after a failed wait for events, so a failing comm device cannot make a thread spin.
constexpr uint32_t kFailedWaitPauseMs = 1000;
constexpr int32_t kFirmwareIdKind = 4;

struct EventKind {
    uint8_t number;
    const char* logText;
};

// The events each node's SP is asked to send, in this order.
constexpr std::array<EventKind, 7> kEnabledEvents{{
    {eventwire::kEventPowerSupply, "about to register for PS_EVENT"},
    {eventwire::kEventFan, "about to register for FAN_EVENT"},
    {eventwire::kEventLogin, "about to register for LOGIN_EVENT"},
    {eventwire::kEventDasd, "about to register for DASD_EVENT"},
    {eventwire::kEventPfa, "about to register for PFA_EVENT"},
    {eventwire::kEventPowerDown, "about to register for POWERDOWN_EVENT"},
    {eventwire::kEnableComprehensive, "about to register for Zentro Comprehensive"},
}};

}  // namespace

EventMonitor::EventMonitor(cBusComm* commDevice, const SensorModel& sensors)
    : commDevice_(commDevice), sensors_(sensors) {}

EventMonitor::~EventMonitor() {
    if (monitoring()) deRegisterForAsynchEvents();
}

int32_t EventMonitor::registerForAsynchEvents(cSensorSink* sink) {
    constexpr const char* tag = "cLibYAT::registerForAsynchEvents";
    if (commDevice_ == nullptr || commDevice_->getNodeCount() == 0) return ERR_NO_DEVICE;
    yatLog(tag, "register called");
    if (monitoring()) return ERR_FAILED;
    if (sink == nullptr || (sensors_.temperatureObject() == nullptr && sensors_.voltageObject() == nullptr &&
                            sensors_.fanObject() == nullptr && sensors_.powerObject() == nullptr)) {
        return ERR_NOTHING_TO_MONITOR;
    }
    std::vector<std::unique_ptr<cThreadLib>> threads;
    std::unique_ptr<cThreadLib> polling;
    try {
        uint32_t count = commDevice_->getNodeCount();
        threads.reserve(count);
        for (uint32_t i = 0; i < count; ++i) threads.push_back(std::make_unique<cThreadLib>());
        polling = std::make_unique<cThreadLib>();
    } catch (const std::bad_alloc&) {
        return ERR_NO_RESOURCE;
    }
    // A new round of monitoring polls again, even after an earlier deregistration set the flag.
    eventStopFlag.store(false);
    eventThreads_ = std::move(threads);
    pollingThread_ = std::move(polling);

    for (uint32_t i = 0; i < eventThreads_.size() && i < commDevice_->getNodeCount(); ++i) {
        auto start = std::make_unique<ThreadStart>(ThreadStart{i, this, sink});
        int32_t started = eventThreads_[i]->threadStart(&EventMonitor::eventThreadEntry, start.get());
        if (started != 0) {
            yatLog(tag, "failure in the thread routines");
            return started;
        }
        start.release();  // the thread owns its start record now
    }
    auto start = std::make_unique<ThreadStart>(ThreadStart{0, this, sink});
    yatLog(tag, "success in the thread routines with node [%d]", static_cast<int32_t>(eventThreads_.size()));
    int32_t started = pollingThread_->threadStart(&EventMonitor::pollingThreadEntry, start.get());
    if (started == 0) start.release();
    return started;
}

void EventMonitor::deRegisterForAsynchEvents() {
    yatLog("cLibYAT::deRegisterForAsynchEvents", "called");
    if (commDevice_ == nullptr || !monitoring() || pollingThread_ == nullptr) return;
    eventStopFlag.store(true);
    pollingThread_->sendEvent();  // a polling wait in progress ends at once
    for (uint32_t i = 0; i < eventThreads_.size(); ++i) {
        commDevice_->deRegisterForEvents(i);
        eventThreads_[i]->threadClose();
    }
    pollingThread_->threadClose();
    yatSleep(kDeregisterWaitMs);
    eventThreads_.clear();
    pollingThread_.reset();
}

uint32_t EventMonitor::eventThreadEntry(void* argument) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    start->monitor->runEventThread(start->node, start->sink);
    return 0;
}

uint32_t EventMonitor::pollingThreadEntry(void* argument) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    start->monitor->runPolling(start->sink);
    return 0;
}

void EventMonitor::runPolling(cSensorSink* sink) {
    while (!eventStopFlag.load()) {
        updateNonAsynchReadings(commDevice_, sensors_, sink, eventStopFlag);
        pollingThread_->wait(&eventStopFlag, kPollingIntervalSeconds);
    }
}

void EventMonitor::runEventThread(uint32_t node, cSensorSink* sink) {
    constexpr const char* tag = "cSP::SPAsyncEvents";
    constexpr const char* registerTag = "MonitorAsnycEvents";
    const int32_t nodeIndex = static_cast<int32_t>(node);
    yatLog(tag, "in the routine");
    yatLog(tag, "in the method for node [%d]", nodeIndex);

    EventThreadState state;
    state.nodeIndex = nodeIndex;
    {
        cFirmware firmware(kFirmwareIdKind, 0);
        if (firmware.buildCommand() == nullptr || firmware.send(commDevice_, nodeIndex) != 0) {
            yatLog(registerTag, "could not get the firmware info");
        } else {
            yatLog(tag, "got the firmware info");
            state.slowFan = firmware.checkForOnyx();
        }
    }
    for (const EventKind& kind : kEnabledEvents) {
        yatLog(registerTag, "%s", kind.logText);
        cEnableSpEvent enable;
        if (enable.buildCommand(kind.number) != nullptr) enable.send(commDevice_, nodeIndex);
    }

    EventTargets targets;
    targets.comm = commDevice_;
    targets.sink = sink;
    targets.fans = sensors_.fanObject();
    targets.volts = sensors_.voltageObject();
    targets.power = sensors_.powerObject();
    targets.pfa = &pfaStack_;

    std::array<uint8_t, wire::kBufferSize> buffer{};
    for (;;) {
        yatLog(tag, "about to register for events");
        // A wait that fails leaves no stale event behind to be handled twice.
        buffer.fill(0);
        uint32_t result = commDevice_->registerForEvents(node, buffer.data());
        if (result == kDeregistered) break;
        EventOutcome outcome = handleEventBuffer(buffer.data(), buffer.size(), targets, state);
        if (outcome == EventOutcome::kPowerDown) {
            yatLog(tag, "power down event for node [%d]; the event thread ends", nodeIndex);
            return;
        }
        if (result != 0) {
            yatLog(tag, "waiting for events on node [%d] failed with [%d]", nodeIndex, static_cast<int32_t>(result));
            yatSleep(kFailedWaitPauseMs);
        }
    }
    eventThreads_[node]->sendEvent();
}

bool EventMonitor::readPfaSupport() {
    constexpr const char* tag = "cLibYAT::getMonitorPFAEventSupport";
    cSPGetAvailEventCodes codes;
    yatLog(tag, "about to check routine");
    if (codes.buildCommand(false) == nullptr || codes.send(commDevice_, 0) != 0) return false;
    if (codes.CheckForEC(eventwire::kMemoryPfaCode)) {
        yatLog(tag, "found item in first group");
        return true;
    }
    if (codes.buildCommand(true) == nullptr || codes.send(commDevice_, 0) != 0) return false;
    for (int32_t groupsRead = 2; codes.answerStatus() == 0; ++groupsRead) {
        yatLog(tag, "next list group");
        if (codes.CheckForEC(eventwire::kMemoryPfaCode)) return true;
        if (groupsRead >= eventwire::kMaxCodeGroups) {
            yatLog(tag, "stopped after [%d] groups of available event codes", groupsRead);
            return false;
        }
        uint32_t sent = codes.buildCommand(true) == nullptr ? static_cast<uint32_t>(ERR_INVALID_PARAMETER) : codes.send(commDevice_, 0);
        yatLog(tag, "The return codes for command are retVal [%d] commandStatus [%d]", static_cast<int32_t>(sent),
               codes.answerStatus());
        if (sent != 0) return false;
    }
    return false;
}

void EventMonitor::getMonitorPFAEventSupport(uint32_t* level) {
    yatLog("cLibYAT::getMonitorPFAEventSupport", "in routine");
    if (commDevice_ == nullptr || level == nullptr) return;
    // The SP is asked without the library mutex held; the mutex guards only the outcome.
    bool supported = readPfaSupport();
    QV::MutexLock lock(libraryMutex);
    if (supported) pfaSupported_.store(true);
    *level = supported ? 2 : 0;
}

int32_t EventMonitor::monitorPFAEvents(PFAEventInfo* event) {
    constexpr const char* tag = "cLibYAT::monitorPFAEvents";
    yatLog(tag, "in routine with memorysupported [%d]", pfaSupported_.load() ? 1 : 0);
    if (!pfaSupported_.load()) return ERR_FAILED;
    if (event == nullptr) return ERR_INVALID_PARAMETER;
    PFAEventInfo taken;
    if (pfaStack_.pop(&taken) != ERR_SUCCESS) {
        yatLog(tag, "getPFAStackElement failed");
        yatSleep(kPfaEmptyWaitMs);
        return ERR_EMPTY;
    }
    yatLog(tag, "getPFAStackElement succeeded");
    *event = taken;
    return ERR_SUCCESS;
}
