#pragma once
// The LED panel registry file the library reads (initGlint), written from a scenario so that a host
// program over the simulator finds the panel the simulated SPs answer for.
//
// The library applies one registry tree to every node, so the file describes the panel of the first
// node that has one; the other nodes' panels should have the same shape (their lit states may differ).

#include <string>

#include "sim/scenario.h"
#include "sim/sections/leds.h"

namespace yatsim {

// The registry-data text (registry export syntax) describing panel below the LED panel base key.
std::string ledRegistryText(const LedsSection& panel);

// Writes the registry file of scenario's panel to rootDir/proddata/hwsupp/kdxreg.ini (creating the
// folders); a scenario without a panel gets a file without the tree. Returns the file's path; throws
// std::runtime_error when the file cannot be written.
std::string writeLedRegistry(const Scenario& scenario, const std::string& rootDir);

}  // namespace yatsim
