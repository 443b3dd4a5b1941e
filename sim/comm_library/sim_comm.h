#pragma once
// The simulator's comm device for host agents that link libyat the usual way: a shared library
// (libyat_simcomm.so) with two C entry points, so that an agent built against the installed package
// can open libyat over simulated SPs without hardware and without the simulator's own headers.
//
// yatSimCommOpen: creates a comm device (device ID 99) over the scenario file at scenarioFile, or over
// the built-in two-node scenario when scenarioFile is null or empty. Returns the device, owned by the
// caller until yatSimCommClose; null when the scenario cannot be read or is invalid, with the reason
// written to error (always terminated, cut to errorSize) when error is not null and errorSize > 0.
// yatSimCommClose: destroys a device from yatSimCommOpen; null is ignored. Close the library first:
// the device must outlive every call into it.
// Both may be called from any thread; the device itself is thread-safe.

#include <cstddef>

#include "yat/bus_comm.h"

#ifdef _WIN32
#define YATSIM_EXPORT  // linked statically into the Windows tests
#else
#define YATSIM_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
YATSIM_EXPORT cBusComm* yatSimCommOpen(const char* scenarioFile, char* error, size_t errorSize);
YATSIM_EXPORT void yatSimCommClose(cBusComm* comm);
}
