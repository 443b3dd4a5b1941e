// Fuzzes the network configuration readers: interface items (address, mask, gateway, DHCP,
// text), TCP ports, SMTP server and remote alert items, and the writes that read before writing.
// Input: the comm device's answers, one per request (format in fuzz/library_fuzz_input.h); seeds
// are the simulator's answers (fuzz/seed_generator.cpp).

#include "fuzz/library_drivers.h"

YAT_COMM_DRIVER_FUZZ_TARGET(driveNetworkSettings)
