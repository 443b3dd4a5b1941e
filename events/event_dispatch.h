#pragma once
// The dispatch of one asynchronous SP event: recognises the event by its id bytes, rewrites the
// affected sensor records, reports changes to the host's sensor sink and keeps memory PFA events on
// the PFA stack.
//
// Runs on the event thread of one node (one call at a time per EventThreadState). Records are read
// and rewritten through their class object's map, one whole record at a time; no lock is held while
// an SP command (a fan read) is in flight. A fan event waits 2 s (10 s with the slow-fan flag)
// through the library's sleep function before it reads the fans; with a stop signal given, the wait
// ends as soon as it is raised, and the event is then dropped.

#include <cstddef>
#include <cstdint>

class cBusComm;
class cSensorSink;
class cFanInst;
class cVoltInstance;
class cPowerInstance;
class PfaStack;
class StopSignal;

// What the dispatch works on; any pointer may be null (that event kind then does nothing beyond
// its first log line; without a sink nothing is reported).
struct EventTargets {
    cBusComm* comm = nullptr;
    cSensorSink* sink = nullptr;
    cFanInst* fans = nullptr;
    cVoltInstance* volts = nullptr;
    cPowerInstance* power = nullptr;
    PfaStack* pfa = nullptr;
    StopSignal* stop = nullptr;  // raised when monitoring stops
};

// Kept per event thread between events.
struct EventThreadState {
    int32_t nodeIndex = 0;
    bool slowFan = true;            // fan events wait 10 s instead of 2 s
    bool fanEventSeen = false;      // flips on each fan event that finds no stopped fan
    bool voltageEventSeen = false;  // flips on each voltage event with every voltage normal
};

enum class EventOutcome {
    kRejected,   // the buffer failed the header checks ("could not compare events")
    kHandled,    // handled or ignored; wait for the next event
    kPowerDown,  // a power-down event: the event thread ends
};

// Logs the buffer's first bytes, checks the header (type 5, command length 3, status 0) and hands an
// accepted event to the dispatch. buffer holds size bytes (4096 from the comm device).
EventOutcome handleEventBuffer(const uint8_t* buffer, size_t size, const EventTargets& targets,
                               EventThreadState& state);
