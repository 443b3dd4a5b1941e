#pragma once
// MonitorSession: what the threads of one registration share. EventMonitor creates one per
// registration; the registration's event threads and polling thread hold it in shared ownership, so a
// thread that deregistration leaves behind (events/event_monitor.h) never touches freed memory:
// everything such a thread may still use lives here until the last holder lets go. That includes one
// use of each sensor class object the threads read (the library object may give up its own uses
// meanwhile) and the PFA stack (shared with EventMonitor).
//
// Gates. The threads reach the host's comm device and sensor sink only through the session's gated
// stand-ins, which refuse every call once the session is stopped: a refused sendCommand answers
// kCommNotProvided, a refused registerForEvents kCommEventsStopped, a refused sink call 0. After
// stop() has returned, a thread of the session begins no call into the comm device or the sink; a
// call it had already begun goes on to its end (and is its last).
//
// Threads: stop(), stopped() and the waits for the threads from any thread; enter() and leave() from
// the session's own threads; the rest from the session's threads or the registering host thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <condition_variable>
#include <vector>

#include "events/event_dispatch.h"
#include "events/polling_update.h"
#include "platform/stop_signal.h"
#include "yat/bus_comm.h"
#include "yat/sensor_sink.h"

class PfaStack;
class SensorModel;

class MonitorSession {
public:
    // comm and sink are the host's (not owned; sink may be null). sensors is the library object's
    // model: its class objects are taken now and, for polling rounds, while the session is not
    // stopped (the library object stops every session before it destroys its model). threads is the
    // number of threads (slots 0 .. threads - 1).
    MonitorSession(cBusComm* comm, cSensorSink* sink, const SensorModel& sensors, std::shared_ptr<PfaStack> pfa,
                   uint32_t threads);
    ~MonitorSession();  // gives up the class object uses it holds
    MonitorSession(const MonitorSession&) = delete;
    MonitorSession& operator=(const MonitorSession&) = delete;

    // The gated comm device and sink (valid as long as the session).
    cBusComm* comm() { return &comm_; }
    cSensorSink* sink() { return sink_.host() != nullptr ? &sink_ : nullptr; }

    // What an event thread's dispatch works on: the gates, the class objects held, the PFA stack and
    // the stop (which ends a fan event's wait at once).
    EventTargets eventTargets();
    // The class objects for one polling round: those held, plus any the model has published since
    // (held from then on). Only those held once the session is stopped.
    PolledClasses pollingClasses();

    // Raised by stop(); the threads' waits end at once then.
    StopSignal& stopSignal() { return stop_; }
    bool stopped() const { return stop_.raised(); }
    // Stops the session: from its return on, the gates refuse every call and the model is not read.
    void stop();

    // Thread bookkeeping. A thread calls enter(slot) first and leave(slot) as its last act; a slot
    // whose thread never started is marked with leave() by the starter.
    void enter(uint32_t slot);
    void leave(uint32_t slot);
    bool ended(uint32_t slot) const;
    // The calling thread's slot in this session, or -1 when it is none of the session's threads.
    int32_t callerSlot() const;
    // Waits until every thread of the session other than the caller has ended, or until deadline (at
    // once after giveUp). True when they all had.
    [[nodiscard]] bool waitForThreads(std::chrono::steady_clock::time_point deadline);
    // The stop has left threads behind: later waits for them return at once.
    void giveUp();
    // Where slot's thread is, for a log line: "in the comm device", "in the host's sink", "in the
    // library".
    const char* place(uint32_t slot) const;

private:
    enum class Place : int { kLibrary, kComm, kSink };

    // The comm device stand-in the threads use.
    class GatedComm final : public cBusComm {
    public:
        GatedComm(MonitorSession& session, cBusComm* host);
        uint32_t sendCommand(int32_t node, uint8_t* buffer) override;
        uint32_t registerForEvents(uint32_t node, uint8_t* buffer) override;
        uint32_t deRegisterForEvents(uint32_t node) override;
        uint32_t getNodeCount() override;

    private:
        MonitorSession& session_;
        cBusComm* host_;
    };

    // The sensor sink stand-in the threads use.
    class GatedSink final : public cSensorSink {
    public:
        GatedSink(MonitorSession& session, cSensorSink* host) : session_(session), host_(host) {}
        int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                             int32_t code, const char* text) override;
        int32_t addRegistryText(const char* keyPath, const char* text) override;
        int32_t findRegistryText(const char* text) override;
        cSensorSink* host() const { return host_; }

    private:
        MonitorSession& session_;
        cSensorSink* host_;
    };

    // Marks the calling thread as inside the comm device or the sink; false (nothing marked) once the
    // session is stopped.
    [[nodiscard]] bool beginCall(Place place);
    void endCall();
    // Takes a use of each class object the model has published and the session does not hold yet.
    // Called with mutex_ held.
    void takeClasses();

    struct Slot {
        std::atomic<bool> ended{false};
        std::atomic<int> place{static_cast<int>(Place::kLibrary)};
    };

    GatedComm comm_;
    GatedSink sink_;
    const SensorModel& sensors_;
    std::shared_ptr<PfaStack> pfa_;
    StopSignal stop_;
    std::vector<Slot> slots_;

    mutable std::mutex mutex_;  // guards classes_ and the reads of the model; held only briefly
    std::condition_variable threadEnded_;
    bool givenUp_ = false;
    PolledClasses classes_;  // the class objects the session holds one use of each
};
