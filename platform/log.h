#pragma once
// The library's log file. One entry per line: UTC time with microseconds, a small per-thread number,
// the tag and the text. The file stays open between appends, appends from all threads are serialised,
// and the file rotates at YAT_LOG_MAX_BYTES into name.1 .. name.3 (the oldest is dropped). Logging
// never fails outwardly: a file that cannot be opened drops the entries.

#include <cstddef>
#include <cstdint>

// Name of the library's log file inside YAT_LOG_DIR.
inline constexpr const char* kLogFileName = "libyat.log";

// Largest formatted log text; longer texts are cut.
inline constexpr size_t kLogTextSize = 256;

// Prepares the log file (opens it in the configured directory, once). Safe to call repeatedly.
void initLog(const char* fileName);

// Appends one entry. Line breaks and other control characters inside tag or text become blanks, so
// that a received text can never forge an entry; trailing line breaks are dropped.
void addLogItemToFile(const char* fileName, const char* tag, const char* text);

// Formats with a printf format into a 256-character buffer of the caller's stack and appends it to
// libyat.log. The format must be a literal of ours; received texts go in as "%s" arguments only.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void yatLog(const char* tag, const char* format, ...);

// Writes a hexadecimal dump of up to kDumpMaxBytes of data to libyat.log (16 bytes per line) under
// the tag "dumpdata". Returns the number of bytes dumped.
inline constexpr size_t kDumpMaxBytes = 256;
int32_t dumpdata(const void* data, size_t length);

// Closes the log file (tests that move YAT_LOG_DIR reopen it with initLog).
void closeLog();
