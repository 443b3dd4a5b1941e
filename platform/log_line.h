#pragma once
// One line of the library's log: "<date> <time>.<micros>Z [T<n>] <tag>\t<text>\n", the time in UTC,
// <n> a small number per thread (1 for the first thread that logs). Tag and text are cleaned so that
// the line is valid UTF-8 and cannot forge another entry: line breaks and other control characters
// (C0, DEL, C1) become blanks, trailing line breaks are dropped, bytes outside valid UTF-8 are written
// as \xNN, and a cut never splits a character. The tab separates tag and text (tags may hold ": ").
//
// Formatting uses only the caller's buffer and per-thread state: any thread may call it, no lock is
// taken and nothing is allocated.

#include <cstddef>
#include <cstdint>

#include "platform/log.h"

namespace yat {

// Longest line: time and thread head, tag, tab, text, line break.
inline constexpr size_t kLogLineSize = 64 + 2 * kLogTextSize + 8;

// Builds the whole line (ending in a line break) for tag and text into line, which holds
// kLogLineSize bytes, and returns its length. A null tag or text counts as empty.
size_t formatLogLine(char* line, const char* tag, const char* text);

// The date and time up to the second as text, kept by one thread and rebuilt when the second changes.
struct LogHeadCache {
    int64_t second = -1;
    char text[32] = {};
    size_t length = 0;
};

// The same line for an entry made earlier: nanos is its system-clock time (nanoseconds since the
// epoch) and thread the number of the thread that made it. Used by the writer thread.
size_t formatLogLineAt(char* line, int64_t nanos, int thread, const char* tag, const char* text, LogHeadCache& cache);

// The same line in two steps, for a text formatted straight into the line: formatLogLineStart writes
// the head, the cleaned tag and the tab and returns the text's position; the caller puts at most
// kLogTextSize - 1 bytes of raw text there, and finishLogLine cleans it in place (moving it only when
// it holds anything but printable ASCII), ends the line and returns its length.
size_t formatLogLineStart(char* line, int64_t nanos, int thread, const char* tag, LogHeadCache& cache);
size_t finishLogLine(char* line, size_t textAt, size_t textLength);

// The system clock in nanoseconds since the epoch, as entries are stamped.
int64_t logClockNanos();

// The calling thread's number in the log (1 for the first thread that logs).
int logThreadNumber();

}  // namespace yat
