#pragma once
// EventMonitor: the library object's asynchronous monitoring — one event thread per SP node, one
// polling thread, the PFA event stack and the PFA support flag.
//
// Owned by cLibYAT, which forwards registerForAsynchEvents, deRegisterForAsynchEvents,
// getMonitorPFAEventSupport and monitorPFAEvents here and calls close() first in its destructor. Each
// registration's threads share a MonitorSession (events/monitor_session.h): they reach the comm
// device and the host's sink only through its gates, and hold everything they use (the session, the
// class objects they read, the PFA stack) in shared ownership, never this object.
//
// Stopping, and its bound. Deregistration stops the session (from then on no thread begins a call
// into the comm device or the sink), asks the comm device to end every node's wait
// (deRegisterForEvents, node 0 first), and then gives the threads, all together, kStopLimitMs of
// scaled time (but at least RuntimeSettings::minimumStopLimitMs of real time, 1 s by default) to end.
// Every wait of a thread ends at once when the session stops (the fan event's delay, the pause after
// a failed wait, the polling interval), so threads end within that limit unless one is still inside
// a call of the comm device or the sink. Such a thread is abandoned: deregistration logs it ("the
// event thread of node [%d] is left behind ...") and goes on without it; the thread ends when that
// call returns, touches only what it holds itself, and calls neither the comm device nor the sink
// again. Then deregistration waits 2000 ms (scaled) and returns. So deregistration, and with it the
// last closeLibrary, returns within the time the comm device takes for its deRegisterForEvents calls
// + max(5 s scaled, 1 s) + 2 s scaled: 7 s at the default scale. No lock is held meanwhile.
//
// Threads: registration and deregistration may come from any thread, the host's or a library thread
// inside a sink callback (that thread is not waited for: it ends when its callback returns), and may
// even overlap: a deregistration that finds another one stopping the same registration waits for
// that registration's threads (bounded the same way, plus the 2000 ms) and returns. A registration
// while an earlier one is still being stopped waits (bounded) for its threads to end first, so that
// its stop requests meet the old waits, not the new ones. monitorPFAEvents and
// getMonitorPFAEventSupport may be called from any thread at any time. No lock is held while an SP
// command is in flight or a thread is waited for.
//
// Results, per operation:
// - registerForAsynchEvents: ERR_SUCCESS when the threads run; ERR_NO_DEVICE (9) without a comm
//   device or with no nodes; ERR_FAILED (1) when monitoring is already on, or the library object is
//   closing; ERR_NOTHING_TO_MONITOR (5) when discovery found no sensor class at all or sink is
//   null; ERR_NO_RESOURCE (3) when the thread objects could not be created; the start result (1) of
//   a thread that failed to start (threads already started keep running until deregistration).
// - deRegisterForAsynchEvents: as above. Nothing happens while monitoring is off.
// - getMonitorPFAEventSupport: *level 2 when the SP lists the memory PFA code 0x05200001 in any
//   group of "2.7.3" (the support flag is then set for good), else 0; untouched without a
//   comm device or with a null level. At most 256 groups are read.
// - monitorPFAEvents: ERR_SUCCESS with the newest PFA event (valid 1); ERR_FAILED (1)
//   when PFA support was not found; ERR_EMPTY (11) when no event is held, after a 30000 ms wait
//   (scaled) on a host thread and at once on a library thread (a sink callback must not hold up its
//   event thread); ERR_INVALID_PARAMETER (12) for a null event (nothing taken).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/thread_lib.h"

class cBusComm;
class cSensorSink;
class MonitorSession;
class PfaStack;
class SensorModel;
struct PFAEventInfo;

// What deregistration gives the threads, all together, to end once stopped (scaled).
inline constexpr uint32_t kStopLimitMs = 5000;
// The fixed wait after the threads were closed (scaled).
inline constexpr uint32_t kDeregisterWaitMs = 2000;

// The time deregistration gives the threads to end under the settings in force.
std::chrono::steady_clock::duration monitorStopLimit();

class EventMonitor {
public:
    EventMonitor(cBusComm* commDevice, const SensorModel& sensors);  // commDevice may be null
    ~EventMonitor();                                                 // close()
    EventMonitor(const EventMonitor&) = delete;
    EventMonitor& operator=(const EventMonitor&) = delete;

    [[nodiscard]] int32_t registerForAsynchEvents(cSensorSink* sink);
    void deRegisterForAsynchEvents();
    void getMonitorPFAEventSupport(uint32_t* level);
    [[nodiscard]] int32_t monitorPFAEvents(PFAEventInfo* event);

    // The library object is closing: refuses every later registration, then stops monitoring (as
    // deRegisterForAsynchEvents, log lines included).
    void close();

    // True while a registration's threads run (between a successful registration and deregistration).
    bool monitoring() const;
    // True once getMonitorPFAEventSupport found the memory PFA code.
    bool pfaSupported() const { return pfaSupported_.load(); }

private:
    struct Registration {
        std::shared_ptr<MonitorSession> session;
        std::vector<std::unique_ptr<cThreadLib>> threads;  // one per node, then the polling thread
    };

    // Stops a registration taken out of current_ (see the class comment). Touches no member.
    static void stop(Registration registration, cBusComm* comm);
    // Reads "2.7.3" group by group; true when the memory PFA code is listed.
    [[nodiscard]] bool readPfaSupport();

    cBusComm* const commDevice_;  // not owned
    const SensorModel& sensors_;
    const std::shared_ptr<PfaStack> pfaStack_;
    std::atomic<bool> pfaSupported_{false};

    mutable std::mutex mutex_;  // guards the three below; never held while waiting or calling out
    Registration current_;
    std::shared_ptr<MonitorSession> stopping_;  // the registration last taken out by a deregistration
    bool closed_ = false;
};
