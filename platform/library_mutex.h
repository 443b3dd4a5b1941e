#pragma once
// The process-wide library mutex: recursive, always locked without a time limit. openLibrary and
// closeLibrary hold it for their whole run; getSPType, initSensors, initGlint and the PFA stack take
// it for their own work. Never held across a wait for an SP event.

#include "platform/qv.h"

extern QV::Mutex libraryMutex;
