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
#include "events/monitor_session.h"
#include "events/pfa_stack.h"
#include "events/polling_update.h"
#include "platform/library_mutex.h"
#include "platform/log.h"
#include "platform/runtime.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_model.h"
#include "sysinfo/firmware_command.h"
#include "events/log_texts.h"

namespace {

constexpr int32_t kPollingIntervalSeconds = 20;
constexpr uint32_t kPfaEmptyWaitMs = 30000;
// Pause after a failed wait for events, so a failing comm device cannot make a thread spin.
constexpr uint32_t kFailedWaitPauseMs = 1000;

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

// The body of node's event thread; slot node of the session.
void runEventThread(const std::shared_ptr<MonitorSession>& session, uint32_t node) {
    constexpr const char* tag = events_texts::kTagCSPSPAsyncEvents;
    constexpr const char* registerTag = events_texts::kTagMonitorAsnycEvents;
    session->enter(node);
    const int32_t nodeIndex = static_cast<int32_t>(node);
    yatLog(tag, events_texts::kInTheRoutine);
    yatLog(tag, events_texts::kInTheMethodForNode, nodeIndex);
    cBusComm* comm = session->comm();

    EventThreadState state;
    state.nodeIndex = nodeIndex;
    {
        cFirmware firmware(fwwire::kKindSPFirmwareId, 0);
        if (firmware.buildCommand() == nullptr || firmware.send(comm, nodeIndex) != ERR_SUCCESS) {
            yatLog(registerTag, events_texts::kCouldNotGetTheFirmwareInfo);
        } else {
            yatLog(tag, events_texts::kGotTheFirmwareInfo);
            state.slowFan = firmware.checkForOnyx();
        }
    }
    for (const EventKind& kind : kEnabledEvents) {
        if (session->stopped()) break;
        yatLog(registerTag, events_texts::kText, kind.logText);
        cEnableSpEvent enable;
        if (enable.buildCommand(kind.number) == nullptr) continue;
        // Events of a kind the SP was not asked for simply never come; the log says which.
        int32_t sent = enable.send(comm, nodeIndex);
        if (sent != ERR_SUCCESS) yatLog(registerTag, events_texts::kEnablingEventFailed, kind.number, sent);
    }

    const EventTargets targets = session->eventTargets();
    std::array<uint8_t, wire::kBufferSize> buffer{};
    bool staleStop = false;  // the last wait ended with a stop this registration did not ask for
    while (!session->stopped()) {
        yatLog(tag, events_texts::kAboutToRegisterForEvents);
        // A wait that fails leaves no stale event behind to be handled twice.
        buffer.fill(0);
        uint32_t result = comm->registerForEvents(node, buffer.data());
        if (session->stopped()) break;  // an event that came with the stop is not handled
        if (result == kCommEventsStopped) {
            // A stop sent while no wait was blocked on the node (its thread had ended, or had not
            // begun waiting yet) stays with the comm device and ends the next wait: waiting again
            // keeps the node heard. A device that answers every wait so pauses between them.
            if (!staleStop) {
                yatLog(tag, events_texts::kTheWaitOnNodeEndedWith, nodeIndex);
            } else if (session->stopSignal().sleep(kFailedWaitPauseMs)) {
                break;
            }
            staleStop = true;
            continue;
        }
        staleStop = false;
        EventOutcome outcome = handleEventBuffer(buffer.data(), buffer.size(), targets, state);
        if (outcome == EventOutcome::kPowerDown) {
            yatLog(tag, events_texts::kPowerDownEventForNodeThe, nodeIndex);
            break;
        }
        if (result != kCommSuccess) {
            yatLog(tag, events_texts::kWaitingForEventsOnNodeFailed, nodeIndex, static_cast<int32_t>(result));
            if (session->stopSignal().sleep(kFailedWaitPauseMs)) break;
        }
    }
    session->leave(node);
}

// The body of the polling thread; the session's last slot.
void runPolling(const std::shared_ptr<MonitorSession>& session, uint32_t slot) {
    session->enter(slot);
    while (!session->stopped()) {
        updateNonAsynchReadings(session->comm(), session->pollingClasses(), session->sink(),
                                session->stopSignal().flag());
        session->stopSignal().wait(kPollingIntervalSeconds * 1000u);
    }
    session->leave(slot);
}

// What a thread is started with: its session (one share of it) and its slot.
struct ThreadStart {
    std::shared_ptr<MonitorSession> session;
    uint32_t slot = 0;
};

uint32_t eventThreadEntry(void* argument) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    runEventThread(start->session, start->slot);
    return 0;
}

uint32_t pollingThreadEntry(void* argument) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    runPolling(start->session, start->slot);
    return 0;
}

}  // namespace

std::chrono::steady_clock::duration monitorStopLimit() {
    std::chrono::steady_clock::duration scaled = scaledWait(kStopLimitMs);
    std::chrono::steady_clock::duration floor = std::chrono::milliseconds(runtimeSettings().minimumStopLimitMs);
    return scaled > floor ? scaled : floor;
}

EventMonitor::EventMonitor(cBusComm* commDevice, const SensorModel& sensors)
    : commDevice_(commDevice), sensors_(sensors), pfaStack_(std::make_shared<PfaStack>()) {}

EventMonitor::~EventMonitor() {
    if (monitoring()) close();
}

bool EventMonitor::monitoring() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return current_.session != nullptr;
}

void EventMonitor::close() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        closed_ = true;
    }
    deRegisterForAsynchEvents();
}

int32_t EventMonitor::registerForAsynchEvents(cSensorSink* sink) {
    constexpr const char* tag = events_texts::kTagCLibYATRegisterForAsynchEvents;
    if (commDevice_ == nullptr || commDevice_->getNodeCount() == 0) return ERR_NO_DEVICE;
    yatLog(tag, events_texts::kRegisterCalled);
    std::shared_ptr<MonitorSession> previous;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (closed_) {
            yatLog(tag, events_texts::kTheLibraryIsClosingMonitoringIs);
            return ERR_FAILED;
        }
        if (current_.session != nullptr) return ERR_FAILED;
        previous = stopping_;
    }
    if (sink == nullptr || (sensors_.temperatureObject() == nullptr && sensors_.voltageObject() == nullptr &&
                            sensors_.fanObject() == nullptr && sensors_.powerObject() == nullptr)) {
        return ERR_NOTHING_TO_MONITOR;
    }
    // The stops of a deregistration still under way must meet its own threads' waits, not new ones.
    if (previous != nullptr && !previous->waitForThreads(std::chrono::steady_clock::now() + monitorStopLimit())) {
        yatLog(tag, events_texts::kThreadsOfThePreviousRegistrationAre);
    }
    Registration registration;
    uint32_t count = 0;
    try {
        count = commDevice_->getNodeCount();
        registration.threads.reserve(count + 1);
        for (uint32_t i = 0; i <= count; ++i) registration.threads.push_back(std::make_unique<cThreadLib>());
        registration.session = std::make_shared<MonitorSession>(commDevice_, sink, sensors_, pfaStack_, count + 1);
    } catch (const std::bad_alloc&) {
        return ERR_NO_RESOURCE;
    }
    MonitorSession& session = *registration.session;

    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_ || current_.session != nullptr) return ERR_FAILED;  // a concurrent registration or close won
    current_ = std::move(registration);
    int32_t result = ERR_SUCCESS;
    uint32_t slot = 0;
    for (; slot < count && slot < commDevice_->getNodeCount(); ++slot) {
        auto start = std::make_unique<ThreadStart>(ThreadStart{current_.session, slot});
        result = current_.threads[slot]->threadStart(&eventThreadEntry, start.get());
        if (result != ERR_SUCCESS) {
            yatLog(tag, events_texts::kFailureInTheThreadRoutines);
            break;
        }
        (void)start.release();  // the thread owns its start record now
    }
    if (result == ERR_SUCCESS) {
        yatLog(tag, events_texts::kSuccessInTheThreadRoutinesWith, static_cast<int32_t>(count));
        auto start = std::make_unique<ThreadStart>(ThreadStart{current_.session, count});
        result = current_.threads[count]->threadStart(&pollingThreadEntry, start.get());
        if (result == ERR_SUCCESS) (void)start.release();  // owned by the thread
    }
    // Slots whose thread never started count as ended.
    for (uint32_t i = 0; i <= count; ++i) {
        if (!current_.threads[i]->running()) session.leave(i);
    }
    return result;
}

void EventMonitor::deRegisterForAsynchEvents() {
    yatLog(events_texts::kTagCLibYATDeRegisterForAsynchEvents, events_texts::kCalled);
    if (commDevice_ == nullptr) return;
    Registration taken;
    std::shared_ptr<MonitorSession> other;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (current_.session != nullptr) {
            taken = std::move(current_);
            current_ = Registration{};
            stopping_ = taken.session;
        } else {
            other = stopping_;
        }
    }
    if (taken.session != nullptr) {
        stop(std::move(taken), commDevice_);
    } else if (other != nullptr) {
        // Another thread is stopping the registration (or has): its threads end within its bound.
        auto limit = monitorStopLimit() + scaledWait(kDeregisterWaitMs);
        if (!other->waitForThreads(std::chrono::steady_clock::now() + limit)) {
            yatLog(events_texts::kTagCLibYATDeRegisterForAsynchEvents,
                   events_texts::kThreadsStoppedByAnotherDeregistrationAre);
        }
    }
}

void EventMonitor::stop(Registration registration, cBusComm* comm) {
    constexpr const char* tag = events_texts::kTagCLibYATDeRegisterForAsynchEvents;
    MonitorSession& session = *registration.session;
    const uint32_t pollingSlot = static_cast<uint32_t>(registration.threads.size() - 1);
    session.stop();
    for (uint32_t node = 0; node < pollingSlot; ++node) comm->deRegisterForEvents(node);
    const auto deadline = std::chrono::steady_clock::now() + monitorStopLimit();
    if (!session.waitForThreads(deadline)) session.giveUp();
    const int32_t own = session.callerSlot();
    for (uint32_t slot = 0; slot <= pollingSlot; ++slot) {
        cThreadLib& thread = *registration.threads[slot];
        if (static_cast<int32_t>(slot) != own && !session.ended(slot)) {
            if (slot == pollingSlot) {
                yatLog(tag, events_texts::kThePollingThreadIsLeftBehind, session.place(slot));
            } else {
                yatLog(tag, events_texts::kTheEventThreadOfNodeIs, static_cast<int32_t>(slot), session.place(slot));
            }
        }
        // Joins a thread that ended; lets go of the caller's own thread and of one left behind.
        // A thread left behind was logged above; closing it only lets go of its handle.
        (void)thread.threadClose(session.ended(slot) ? std::chrono::steady_clock::time_point::max() : deadline);
    }
    yatSleep(kDeregisterWaitMs);
}

bool EventMonitor::readPfaSupport() {
    constexpr const char* tag = events_texts::kTagCLibYATGetMonitorPFAEventSupport;
    cSPGetAvailEventCodes codes;
    yatLog(tag, events_texts::kAboutToCheckRoutine);
    if (codes.buildCommand(false) == nullptr || codes.send(commDevice_, 0) != ERR_SUCCESS) return false;
    if (codes.CheckForEC(eventwire::kMemoryPfaCode)) {
        yatLog(tag, events_texts::kFoundItemInFirstGroup);
        return true;
    }
    if (codes.buildCommand(true) == nullptr || codes.send(commDevice_, 0) != ERR_SUCCESS) return false;
    for (int32_t groupsRead = 2; codes.answerStatus() == SpStatus::kOk; ++groupsRead) {
        yatLog(tag, events_texts::kNextListGroup);
        if (codes.CheckForEC(eventwire::kMemoryPfaCode)) return true;
        if (groupsRead >= eventwire::kMaxCodeGroups) {
            yatLog(tag, events_texts::kStoppedAfterGroupsOfAvailableEvent, groupsRead);
            return false;
        }
        int32_t sent = codes.buildCommand(true) == nullptr ? ERR_INVALID_PARAMETER : codes.send(commDevice_, 0);
        yatLog(tag, events_texts::kTheReturnCodesForCommandAre, sent, statusByte(codes.answerStatus()));
        if (sent != ERR_SUCCESS) return false;
    }
    return false;
}

void EventMonitor::getMonitorPFAEventSupport(uint32_t* level) {
    yatLog(events_texts::kTagCLibYATGetMonitorPFAEventSupport, events_texts::kInRoutine);
    if (commDevice_ == nullptr || level == nullptr) return;
    // The SP is asked without the library mutex held; the mutex guards only the outcome.
    bool supported = readPfaSupport();
    QV::MutexLock lock(libraryMutex);
    if (supported) pfaSupported_.store(true);
    *level = supported ? 2 : 0;
}

int32_t EventMonitor::monitorPFAEvents(PFAEventInfo* event) {
    constexpr const char* tag = events_texts::kTagCLibYATMonitorPFAEvents;
    yatLog(tag, events_texts::kInRoutineWithMemorysupported, pfaSupported_.load() ? 1 : 0);
    if (!pfaSupported_.load()) return ERR_FAILED;
    if (event == nullptr) return ERR_INVALID_PARAMETER;
    PFAEventInfo taken;
    if (pfaStack_->pop(&taken) != ERR_SUCCESS) {
        yatLog(tag, events_texts::kGetPFAStackElementFailed);
        // The wait paces a host that polls in a loop; a sink callback must not hold up its thread.
        if (!cThreadLib::onLibraryThread()) yatSleep(kPfaEmptyWaitMs);
        return ERR_EMPTY;
    }
    yatLog(tag, events_texts::kGetPFAStackElementSucceeded);
    *event = taken;
    return ERR_SUCCESS;
}
