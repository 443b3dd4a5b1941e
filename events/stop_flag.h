#pragma once
// The process-wide event stop flag: cleared when the library object is constructed (and when
// monitoring starts again), set when monitoring stops. The polling thread tests it between rounds.

#include <atomic>

extern std::atomic<bool> eventStopFlag;
