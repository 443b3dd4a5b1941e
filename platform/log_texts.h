#pragma once
// The log tags and texts of platform/: the system's own words, written to libyat.log exactly as they
// stand. Support staff search the log for them, so the odd spellings, spacing and formats are kept
// on purpose: do not correct them. Each constant names the types of its arguments; the compiler
// checks the format against them and every call against the constant (platform/log_text.h).

#include "platform/log_text.h"

namespace platform_texts {

// The log's own lines (rotation, waits for room in the entry buffers).
inline constexpr const char* kTagLog = "log";
// Settings the environment gave out of range.
inline constexpr const char* kTagSettings = "settings";
// Progress lines routed to the log by YAT_STDOUT=log.
inline constexpr const char* kTagStdout = "stdout";
// Hexadecimal dumps.
inline constexpr const char* kTagDumpdata = "dumpdata";

inline constexpr yat::LogText<unsigned long long> kCallersWaitedTimesForRoom{
    "callers waited %llu times for room in the log queue"};
inline constexpr yat::LogText<const char*, const char*, unsigned long long> kCannotRotateNeitherRenamedNor{
    "cannot rotate %s: neither renamed nor copied to %s.1; it grows past %llu bytes"};

}  // namespace platform_texts
