#pragma once
// The library's log file. One entry per line: UTC time with microseconds, a small per-thread number,
// the tag and the text. The file rotates at YAT_LOG_MAX_BYTES into name.1 .. name.3 (the oldest is
// dropped). Logging never fails outwardly: a file that cannot be opened drops the entries, and opening
// is tried again at most once a second. The file and its rotations are created readable by owner and
// group only (0640 on POSIX; on Windows the folder's inherited permissions).
//
// The folder may be shared with other users: only a regular file owned by the caller is written
// (platform/append_file.h), so a symbolic link, a FIFO or another user's file under the name drops the
// entries instead of being written through or waited on. Rotation renames names and never follows a
// link; the copy-and-empty fallback (Windows) empties only the file the log holds open; a rotation
// that cannot be made is logged once. A full disk drops whole lines: the file always ends with a
// complete line.
//
// Writing. A call copies its entry (the tag, the text's identity and raw arguments, or a finished
// text; a time stamp and the thread's number) into its thread's own entry buffer, made at the thread's
// first entry; no lock is shared on the caller's path. One writer thread formats the entries of every
// buffer, merged by time stamp, and appends the lines to the file in batches (platform/log_writer.h).
// Texts of the system's own are checked constants formatted by the writer (platform/log_text.h); the
// printf-style yatLog below formats on the caller and buffers the finished text.
//   - Order: the file holds the entries in the order of their time stamps (read after the entry's
//     room is claimed; the processor's invariant time-stamp counter where there is one, else the
//     system clock), so one thread's entries stay in order and an entry made after another thread's
//     entry returned follows it.
//   - Nothing is dropped: when a thread's buffer is full the caller waits for space; such waits are
//     counted and the count is logged (tag "log") once per rotation.
//   - Durability: while entries come the writer writes them every 50 ms (at once when a buffer is
//     half full); after a second without entries it sleeps, and the first entry wakes it. The
//     last closeLibrary drains the buffers and joins the writer (stopLogWriter) before it returns;
//     no thread is ever joined from a loader callback. A process that exits without closing loses
//     at most the entries of the last 100 ms.
//   - The writer starts on the first entry after initLog (openLibrary and the library object call it)
//     and is never started by a plain append otherwise: after stopLogWriter, until the next initLog,
//     entries are written on the caller's thread under the file lock, as they are with YAT_LOG=sync.
//   - A forked child never inherits the writer: its entries are written synchronously.
//   - The library installs no signal handler.

#include <cstddef>
#include <cstdint>

// Name of the library's log file inside YAT_LOG_DIR.
inline constexpr const char* kLogFileName = "libyat.log";

// Largest formatted log text; longer texts are cut.
inline constexpr size_t kLogTextSize = 256;

// Prepares the log file (opens it in the configured directory, once). Safe to call repeatedly.
void initLog(const char* fileName);

// Appends one entry. Line breaks and other control characters inside tag or text become blanks, so
// that a received text can never forge an entry; trailing line breaks are dropped. Bytes that are not
// part of valid UTF-8 are written as \xNN, so the file stays valid UTF-8 and holds no terminal
// control sequence.
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

// Drains the buffers, stops the writer thread and closes the log file (tests that move YAT_LOG_DIR
// reopen it with initLog). Entries after this are written synchronously until the next initLog.
void closeLog();

// Drains the buffers and joins the writer thread; the file stays open and later entries are written
// synchronously until the next initLog. The last closeLibrary calls this.
void stopLogWriter();

// Waits until every entry queued before the call is in the file (tests and readers of the log).
void flushLog();

// Capacity of each thread's entry buffer in bytes, used from the next writer start (tests use a tiny
// buffer to exercise back-pressure). At least two of the longest entries always fit (8 KiB). Default
// kLogQueueBytes: with entries of some 64 bytes (head, tag and three numbers) it holds about 250,
// some 40 microseconds of the writer's work; the writer is woken when it is half full. A buffer of
// the default size whose thread keeps finding it full (a sustained stream faster than the writer)
// grows, doubling, up to 256 KiB, so that its thread waits once per thousands of entries rather
// than per hundreds; a size set here stays as it is. The memory is taken from the system page by
// page as it is first used.
inline constexpr size_t kLogQueueBytes = size_t{16} * 1024;
void setLogQueueBytes(size_t bytes);

// Number of times a caller waited for buffer space since the process started.
uint64_t logQueueWaits();

// Whether a writer thread is running now (tests: nothing outlives closeLibrary).
bool logWriterRunning();

// One progress line of the library (fan status, TCP port, IP configuration, passthru LED classes),
// routed by YAT_STDOUT: "on" prints it on standard output, "off" drops it, "log" writes it to
// libyat.log under the tag "stdout". The format must be a literal of ours.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void yatProgress(const char* format, ...);
