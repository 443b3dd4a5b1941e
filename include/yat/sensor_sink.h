#pragma once
// The host's sensor sink. The library calls exactly three of its virtual operations, found by their
// positions in the table: reportSensor (24), addRegistryText (26) and findRegistryText (27). The
// other positions belong to the host and are never called here. There is deliberately no virtual
// destructor: it would shift the positions. The library never deletes a sink.
//
// Threads. initSensors calls the sink on the host's calling thread, with the library mutex held.
// While monitoring runs (registerForAsynchEvents), each node's event thread and the polling thread
// call the sink of that registration, possibly at the same time: the sink must be thread-safe. The
// library holds no lock of its own while it calls the sink from those threads. Once
// deRegisterForAsynchEvents (or the last closeLibrary) has returned, no call into the sink begins for
// that registration; a call still under way then is one that deregistration left behind after its
// bound (the log says so): it is the last, the sink must stay usable until it returns, and after the
// last closeLibrary such a callback must not call into the library any more (the object is gone).
//
// Calling back into the library from a callback on a library thread:
//   - every query, configuration, event log, LED and discovery operation works as on a host thread
//     (the calling event thread receives no events meanwhile, so keep such calls short);
//   - monitorPFAEvents answers ERR_EMPTY (11) at once when no event is held, without the 30 s wait
//     it makes on a host thread;
//   - registerForAsynchEvents answers ERR_FAILED (1) while monitoring is on (and while the library
//     closes);
//   - deRegisterForAsynchEvents stops monitoring and returns once the other threads have ended
//     (bounded, see yat/libyat.h); the calling thread ends when its callback returns, and no later
//     event reaches the sink;
//   - openLibrary shares the object (ERR_NO_RESOURCE (3) while the last close is destroying it);
//     closeLibrary counts one user less, and the last one destroys the object as from a host
//     thread: the calling thread ends when its callback returns, and the object must not be used
//     any more.
// From a callback during initSensors (the host's own thread, inside that operation), the last
// closeLibrary is refused with kCloseRefused (yat/libyat.h); everything else works as above, but a
// deRegisterForAsynchEvents there may wait out its bound for an event thread whose own callback waits
// for the library mutex this thread holds.

#include <cstdint>

class cSensorSink {
public:
    // Positions 0 to 23: host operations the library does not use.
    virtual void hostSlot0() {}
    virtual void hostSlot1() {}
    virtual void hostSlot2() {}
    virtual void hostSlot3() {}
    virtual void hostSlot4() {}
    virtual void hostSlot5() {}
    virtual void hostSlot6() {}
    virtual void hostSlot7() {}
    virtual void hostSlot8() {}
    virtual void hostSlot9() {}
    virtual void hostSlot10() {}
    virtual void hostSlot11() {}
    virtual void hostSlot12() {}
    virtual void hostSlot13() {}
    virtual void hostSlot14() {}
    virtual void hostSlot15() {}
    virtual void hostSlot16() {}
    virtual void hostSlot17() {}
    virtual void hostSlot18() {}
    virtual void hostSlot19() {}
    virtual void hostSlot20() {}
    virtual void hostSlot21() {}
    virtual void hostSlot22() {}
    virtual void hostSlot23() {}

    // Position 24. Announces a sensor, a new reading or status, or an event of a whole node:
    // sensorClass (yat::SensorClass; kClassNodeEvent for a node's event), node (the sensor key's
    // node: the node index + 1, or the node's multi-node ID + 1 on systems of more than two nodes;
    // the node index + 1 for kClassNodeEvent), the sensor number (a drive number for
    // kReportDasdEvent, else 0 for a node's event), three pointers to the library's local values
    // (any may be null), a code (yat::ReportCode, or the sensor's new status, yat::SensorStatus)
    // and a text (a FRU number, or null). The pointers are valid only during the call. The result
    // is not used by the library.
    virtual int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second,
                                 void* third, int32_t code, const char* text) = 0;

    // Position 25: host operation the library does not use.
    virtual void hostSlot25() {}

    // Position 26. Asks the host to record text under the registry key path. Result not used.
    virtual int32_t addRegistryText(const char* keyPath, const char* text) = 0;

    // Position 27. Non-zero when the host's registry already holds text.
    virtual int32_t findRegistryText(const char* text) = 0;

protected:
    cSensorSink() = default;
    cSensorSink(const cSensorSink&) = default;
    cSensorSink& operator=(const cSensorSink&) = default;
    ~cSensorSink() = default;
};
