// Fuzzes the system information readers: summary and SP type detection, system state, watchdog
// timers, firmware data of every kind, VPD, machine and POST/BIOS VPD, each answer from the input.
// Input: the comm device's answers, one per request (format in fuzz/library_fuzz_input.h); seeds
// are the simulator's answers (fuzz/seed_generator.cpp).

#include "fuzz/library_drivers.h"

YAT_COMM_DRIVER_FUZZ_TARGET(driveSystemInfo)
