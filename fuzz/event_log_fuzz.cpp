// Fuzzes the event log walk: first and next entries of two nodes, each answer from the input;
// every message stays terminated.
// Input: the comm device's answers, one per request (format in fuzz/library_fuzz_input.h); seeds
// are the simulator's answers (fuzz/seed_generator.cpp).

#include "fuzz/library_drivers.h"

YAT_COMM_DRIVER_FUZZ_TARGET(driveEventLog)
