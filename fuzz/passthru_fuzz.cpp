// Fuzzes the LED passthru answers: the four bus classes reading a fixed LED list, each answer from
// the input; every LED state stays 0 or 1.
// Input: the comm device's answers, one per request (format in fuzz/library_fuzz_input.h); seeds
// are the simulator's answers (fuzz/seed_generator.cpp).

#include "fuzz/library_drivers.h"

YAT_COMM_DRIVER_FUZZ_TARGET(drivePassthru)
