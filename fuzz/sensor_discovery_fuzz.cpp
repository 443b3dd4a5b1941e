// Fuzzes sensor discovery and the sensor queries: the supported-commands answer, each class's
// readings, limits and VPD answers, from the input.
// Input: the comm device's answers, one per request (format in fuzz/library_fuzz_input.h); seeds
// are the simulator's answers (fuzz/seed_generator.cpp).

#include "fuzz/library_drivers.h"

YAT_COMM_DRIVER_FUZZ_TARGET(driveSensorDiscovery)
