#pragma once
// updateNonAsynchReadings: one round of the polling thread. Re-reads every valid fan, temperature,
// voltage and power-supply sensor, reports the fresh values to the host's sensor sink and rewrites
// the records; brings back fans and supplies that discovery stored as not valid once they can be
// read; drives the CPU placeholder records (processor hot 50 / normal 51) from the node's active
// event codes ("2.7.4", code 0x0421C700 + processor; a node whose list cannot be read keeps its
// indicators, a node with no active code at all has every processor normal).
//
// Runs on the polling thread. Records are copied out of their map, the SP is asked with no lock held,
// and only the fields the round refreshed are written back into the record as it is then (whole
// record under the map lock), so an event thread's rewrite of the same record is never torn. A
// phase whose class object is absent is skipped; stop is tested before each phase. A failed SP read
// leaves its record as it was and reports nothing.

#include <atomic>

class cBusComm;
class cSensorSink;
class cFanInst;
class cTempInstance;
class cVoltInstance;
class cPowerInstance;

// The class objects one round walks; a null one skips its phase.
struct PolledClasses {
    cFanInst* fans = nullptr;
    cTempInstance* temps = nullptr;
    cVoltInstance* volts = nullptr;
    cPowerInstance* power = nullptr;
};

void updateNonAsynchReadings(cBusComm* comm, const PolledClasses& classes, cSensorSink* sink,
                             const std::atomic<bool>& stop);
