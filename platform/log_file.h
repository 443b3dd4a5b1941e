#pragma once
// The log file itself: whole lines appended to libyat.log in YAT_LOG_DIR, rotated at
// YAT_LOG_MAX_BYTES into name.1 .. name.3 (the oldest is dropped).
//
// - Opening: only a regular file of the caller's is written (yat::AppendFile), created 0640 when new;
//   a link, a FIFO or another user's file under the name drops the entries. A file that could not be
//   opened is tried again at most once a second.
// - Rotation renames names and never follows a link; the copy-and-empty fallback (a file that cannot
//   be renamed while held open) empties only the file the log holds open. A rotation that cannot be
//   made is logged once (tag "log") and the file grows; at each rotation the waits for room in the
//   entry queue since the last one are logged (logQueueWaits).
// - A full disk drops whole lines: the file always ends with a complete line.
//
// Threads: every operation takes the file's own lock for its whole length (one batch of lines at
// most), so writes from the writer thread and from synchronous callers never interleave. The caller
// holds no other log lock while it calls.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/append_file.h"

namespace yat {

// The path of fileName (kLogFileName when null) in YAT_LOG_DIR.
std::string logPathFor(const char* fileName);

class LogFile {
public:
    // The process's one log file; never destroyed, since threads may log during process exit.
    static LogFile& instance();

    // Opens path (closing another open file; an open file at path stays as it is).
    void open(const std::string& path);
    // Appends data, whole lines each ending in a line break, rotating before a line that would pass
    // the limit. Opens the file first when it is closed and the last try is a second old; without
    // an open file the lines are dropped.
    void write(const char* data, size_t length);
    // Closes the file and forgets its path: the next write opens the default path.
    void close();

    // Fork handlers: no other thread may hold the lock at the fork, or the child would inherit it
    // locked. lockForFork before the fork, unlockAfterFork in parent and child after it.
    void lockForFork() { mutex_.lock(); }
    void unlockAfterFork() { mutex_.unlock(); }

private:
    using Clock = std::chrono::steady_clock;

    LogFile() = default;
    void openLocked(const std::string& path);
    bool ensureOpenLocked();
    void rotateLocked();
    bool appendLinesLocked(const char* data, size_t length);
    bool appendOwnLineLocked(const char* text);
    void writeLinesLocked(const char* data, size_t length);

    std::mutex mutex_;
    AppendFile file_;
    std::string path_;
    uint64_t size_ = 0;
    uint64_t maxBytes_ = 0;
    Clock::time_point lastTry_{};
    bool tried_ = false;
    bool rotationRefusalSaid_ = false;  // "cannot rotate" is logged once until the log is closed
    uint64_t waitsReported_ = 0;
};

}  // namespace yat
