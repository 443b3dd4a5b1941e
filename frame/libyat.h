#pragma once
// Library-internal companions of the library object: the process-wide library mutex, the event stop
// flag and the release step of closeLibrary. The object itself is declared in yat/libyat.h.

#include <atomic>
#include <cstdint>

#include "platform/qv.h"
#include "yat/libyat.h"

// The process-wide library mutex (recursive; always locked without a time limit).
extern QV::Mutex libraryMutex;

// The process-wide event stop flag: cleared by the constructor, set when monitoring stops.
extern std::atomic<bool> eventStopFlag;

// The release step of closeLibrary.
class cSPDev {
public:
    // Under the library mutex counts one user less; destroys the object when none is left. Returns the
    // number of users left, or 0 when the object was destroyed or none existed.
    static int32_t Release();
};
