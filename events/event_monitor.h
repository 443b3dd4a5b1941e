#pragma once
// EventMonitor: the library object's asynchronous monitoring — one event thread per SP node, one
// polling thread, the PFA event stack and the PFA support flag.
//
// Owned by cLibYAT, which forwards registerForAsynchEvents, deRegisterForAsynchEvents,
// getMonitorPFAEventSupport and monitorPFAEvents here. It reads the sensor records through the
// SensorModel's class objects (which outlive it: the library object stops monitoring before it
// releases them). Threads are cThreadLib objects owned here; deregistration (and the destructor)
// joins every thread, so nothing a thread uses is destroyed while it runs.
//
// Threads: registration and deregistration come from the host and must not run concurrently with
// each other; monitorPFAEvents and getMonitorPFAEventSupport may be called from any host thread at
// any time. No lock is held while an SP command is in flight.
//
// Results, per operation:
// - registerForAsynchEvents: 0 when the threads run (or the polling thread could not be given its
//   start record); 9 without a comm device or with no nodes; 1 when monitoring is already on; 5 when
//   discovery found no sensor class at all or sink is null; 3 when the thread objects could not be
//   created; the start result (1) of a thread that failed to start (threads already started keep
//   running until deregistration).
// - deRegisterForAsynchEvents: sets the stop flag, stops event delivery on every node, joins every
//   thread, waits 2000 ms (scaled) and forgets the threads. Nothing happens while monitoring is off.
// - getMonitorPFAEventSupport: *level 2 when the SP lists the memory PFA code 0x05200001 in any
//   group of "2.7.3" (the support flag is then set for good), else 0; untouched without a comm
//   device or with a null level. At most 256 groups are read.
// - monitorPFAEvents: 0 with the newest PFA event (valid 1); 1 when PFA support was not found; 11
//   after a 30000 ms wait (scaled) when no event is held; 12 for a null event (nothing taken).

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "events/pfa_stack.h"
#include "platform/thread_lib.h"

class cBusComm;
class cSensorSink;
class SensorModel;
struct PFAEventInfo;

class EventMonitor {
public:
    EventMonitor(cBusComm* commDevice, const SensorModel& sensors);  // commDevice may be null
    ~EventMonitor();  // stops monitoring still on
    EventMonitor(const EventMonitor&) = delete;
    EventMonitor& operator=(const EventMonitor&) = delete;

    int32_t registerForAsynchEvents(cSensorSink* sink);
    void deRegisterForAsynchEvents();
    void getMonitorPFAEventSupport(uint32_t* level);
    int32_t monitorPFAEvents(PFAEventInfo* event);

    // True while event threads are registered (between a successful registration and deregistration).
    bool monitoring() const { return !eventThreads_.empty(); }
    // True once getMonitorPFAEventSupport found the memory PFA code.
    bool pfaSupported() const { return pfaSupported_.load(); }

private:
    struct ThreadStart {
        uint32_t node = 0;
        EventMonitor* monitor = nullptr;
        cSensorSink* sink = nullptr;
    };
    static uint32_t eventThreadEntry(void* argument);
    static uint32_t pollingThreadEntry(void* argument);
    void runEventThread(uint32_t node, cSensorSink* sink);
    void runPolling(cSensorSink* sink);
    // Reads "2.7.3" group by group; true when the memory PFA code is listed.
    bool readPfaSupport();

    cBusComm* const commDevice_;  // not owned
    const SensorModel& sensors_;
    std::vector<std::unique_ptr<cThreadLib>> eventThreads_;  // one per node while monitoring is on
    std::unique_ptr<cThreadLib> pollingThread_;
    PfaStack pfaStack_;
    std::atomic<bool> pfaSupported_{false};
};
