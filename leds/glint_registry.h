#pragma once
// The LED panel registry tree and the reader that turns it into LED records.
//
// The tree lives below "SOFTWARE\Zentro\Vigilor\glint" in the registry-data file
// "proddata\hwsupp\kdxreg.ini" below the product root directory:
//
//   base key                      "numberofcmds"; per command c: "ledGrp<c>DotCmd" (text, at most 63
//                                 characters), "numberofcmd<c>groups"
//   cmd<c>\grp<g>                 "ledbus", "ledbustype", "leddevicetype", "ledregister"
//   cmd<c>\grp<g>\led<l>          "type", "regaddr", "location", "index"
//   cmd<c>\grp<g>\led<l>\sensor<s> "index", "mask", "location"
//
// LEDs and sensors are numbered from 0; the first missing key ends the series. A missing number
// counts as 0; a value of the wrong kind counts as missing.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/registry.h"
#include "yat/led_records.h"

namespace glintreg {

inline constexpr const char* kBaseKey = "SOFTWARE\\Zentro\\Vigilor\\glint";
inline constexpr const char* kFileBelowRoot = "proddata\\hwsupp\\kdxreg.ini";

// Command and group counts above this are taken as a broken registry file (nothing is built from
// them) rather than walked.
inline constexpr uint32_t kMaxCount = 256;
// Most sensor entries of one LED, and most LED records of the whole list; further ones are left out
// (logged), so a hostile file cannot make the list grow without bound.
inline constexpr uint32_t kMaxSensorsPerLed = 256;
inline constexpr size_t kMaxLedRecords = 4096;

}  // namespace glintreg

// The LED panel registry file as read into memory (cGLSuppRegistry::readSource).
struct GlintRegistrySource {
    std::string path;  // empty when the path does not fit kMaxFilePath
    yat::FileRead outcome = yat::FileRead::kMissing;
    std::string content;  // what was read (kRead, or the first 4 MiB with kTooLarge)
};

// The LED panel registry data, shared process-wide and counted.
//
// acquire: the first user creates the instance over the file getRootDirectory() + kFileBelowRoot;
// later users share it. release: the last user destroys it. Both are thread-safe; a user keeps the
// instance only between its acquire and its release.
class cGLSuppRegistry final : public cRegistry {
public:
    // Opens the registry data file at path (tests and tools may name any file).
    explicit cGLSuppRegistry(const char* path) : cRegistry(path) {}
    // Takes the content read from path.
    cGLSuppRegistry(const char* path, const std::string& content) : cRegistry(path, content) {}
    ~cGLSuppRegistry() override;

    // Reads the LED panel registry file below the product root (a regular file only, never waited
    // on; at most 4 MiB). Takes no lock.
    static GlintRegistrySource readSource();

    // Hands out the shared instance in *out and counts one user; the first user's instance is made
    // from source. Returns ERR_SUCCESS; ERR_NOT_OPENED (4) (*out null) when the
    // file is missing, unreadable or not a regular file, or its path does not fit (logged);
    // ERR_NO_RESOURCE (3) when the instance could not be created or out is null.
    [[nodiscard]] static int32_t acquire(cGLSuppRegistry** out, const GlintRegistrySource& source);
    // The same, reading the file first.
    [[nodiscard]] static int32_t acquire(cGLSuppRegistry** out);
    // Counts one user less; the last one destroys the instance.
    static void release();
};

// Appends to leds one LED record per configured LED for every node n below nodeCount(), asked again
// before each node, walking the whole tree once per node. Returns false (appending nothing) when the
// base key or "numberofcmds" is missing or the count is above kMaxCount. Every skipped command,
// group or value and the cut at kMaxLedRecords is logged under "cLibYAT::initGlint".
[[nodiscard]] bool readGlintTree(const cRegistry& registry, const std::function<uint32_t()>& nodeCount,
                                 GlintLEDList& leds);
