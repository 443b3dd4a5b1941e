// The log file: open rules, rotation and whole-line appends.

#include "platform/log_file.h"

#include <cstdio>
#include <cstring>

#include "platform/log.h"
#include "platform/log_line.h"
#include "platform/log_texts.h"
#include "platform/runtime.h"

namespace yat {

namespace {

// Least time between two attempts to open a file that could not be opened.
constexpr auto kReopenInterval = std::chrono::seconds(1);
// Permissions of the log and its rotations: readable by owner and group only.
constexpr int kLogFileMode = 0640;

}  // namespace

std::string logPathFor(const char* fileName) {
    std::string dir = runtimeSettings().logDir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += pathSeparator();
    return dir + (fileName != nullptr ? fileName : kLogFileName);
}

LogFile& LogFile::instance() {
    static LogFile* instance = new LogFile;  // never destroyed: threads may log during process exit
    return *instance;
}

void LogFile::open(const std::string& path) {
    std::lock_guard<std::mutex> guard(mutex_);
    openLocked(path);
}

void LogFile::write(const char* data, size_t length) {
    std::lock_guard<std::mutex> guard(mutex_);
    writeLinesLocked(data, length);
}

void LogFile::close() {
    std::lock_guard<std::mutex> guard(mutex_);
    file_.close();
    path_.clear();
    tried_ = false;
    rotationRefusalSaid_ = false;
}

// Opens (or reopens) the file. Only a regular file of the caller's is written (yat::AppendFile): a
// link, a FIFO or another user's file under the name drops the entries, and the open is tried again
// at most once a second.
void LogFile::openLocked(const std::string& path) {
    if (file_.isOpen() && path_ == path) return;
    path_ = path;
    tried_ = true;
    lastTry_ = Clock::now();
    size_ = 0;
    maxBytes_ = runtimeSettings().logMaxBytes;
    if (opened(file_.open(path, kLogFileMode))) size_ = file_.size();
}

// Makes sure a file is open when one can be: a file that could not be opened (a missing or full
// folder) is tried again at most once a second.
bool LogFile::ensureOpenLocked() {
    if (file_.isOpen()) return true;
    if (tried_ && Clock::now() - lastTry_ < kReopenInterval) return false;
    openLocked(path_.empty() ? logPathFor(kLogFileName) : path_);
    return file_.isOpen();
}

// Turns name into name.1 (name.1 into name.2, name.2 into name.3; the oldest goes) and opens a new
// name, made exclusively. A rename moves a name: a link planted under a rotation name is moved or
// removed, never followed. On Windows a file that another handle holds open without delete sharing
// (a log viewer, a reader, the library in another process) cannot be renamed: then the open file is
// copied into a new name.1 and emptied through its own descriptor, which such handles allow; a file
// other than the one the log holds open is never emptied. When neither works (a name that cannot be
// replaced), the log says so once and keeps growing, and the next attempt comes only after another
// maxBytes: writing never spins on a rotation that cannot be made.
void LogFile::rotateLocked() {
    const std::string path = path_;
    for (int i = 3; i >= 2; --i) {
        std::string to = path + "." + std::to_string(i);
        std::remove(to.c_str());  // rename does not replace on every platform
        std::rename((path + "." + std::to_string(i - 1)).c_str(), to.c_str());
    }
    const std::string first = path + ".1";
    std::remove(first.c_str());
#ifdef _WIN32
    file_.close();  // Windows renames no file this process holds open
    bool moved = std::rename(path.c_str(), first.c_str()) == 0;
    if (!moved) file_.open(path, kLogFileMode);
#else
    bool moved = std::rename(path.c_str(), first.c_str()) == 0;
#endif
    if (moved) {
        file_.close();
        openLocked(path);
        if (size_ >= maxBytes_) maxBytes_ = size_ + maxBytes_;
        return;
    }
    if (file_.isOpen() && file_.isAt(path) && file_.copyTo(first, kLogFileMode)) {
        if (file_.truncate(0)) {
            size_ = 0;
            return;
        }
        std::remove(first.c_str());  // not emptied: the copy would repeat every line
    }
    maxBytes_ = size_ + maxBytes_;
    if (file_.isOpen() && !rotationRefusalSaid_) {
        rotationRefusalSaid_ = true;
        char text[kLogTextSize];
        formatLogText(text, platform_texts::kCannotRotateNeitherRenamedNor, kLogFileName, kLogFileName,
                      static_cast<unsigned long long>(maxBytes_ - size_));
        appendOwnLineLocked(text);
    }
}

// Appends whole lines to the open file. When the disk is full (a short write), the start of a line
// that was cut short is taken back, so the file ends with a whole line and the next append starts a
// line of its own; the rest of the batch is dropped, the file closed and opened again at the next
// check. False when something was dropped.
bool LogFile::appendLinesLocked(const char* data, size_t length) {
    size_t wrote = file_.append(data, length);
    if (wrote == length) {
        size_ += length;
        return true;
    }
    size_t whole = wrote;
    while (whole > 0 && data[whole - 1] != '\n') --whole;
    if (whole < wrote) {
        uint64_t now = file_.size();
        if (now >= wrote - whole) file_.truncate(now - (wrote - whole));
    }
    size_ += whole;
    file_.close();
    lastTry_ = Clock::now();
    return false;
}

// Appends one line of the log's own (tag "log"); false when it was dropped.
bool LogFile::appendOwnLineLocked(const char* text) {
    char line[kLogLineSize];
    size_t n = formatLogLine(line, platform_texts::kTagLog, text);
    return appendLinesLocked(line, n);
}

// Writes whole lines to the file, rotating before a line that would pass the limit. At each rotation
// the number of waits for queue space since the last rotation is logged once.
void LogFile::writeLinesLocked(const char* data, size_t length) {
    if (!ensureOpenLocked()) return;
    if (size_ + length <= maxBytes_) {  // the usual batch: no line passes the limit
        appendLinesLocked(data, length);
        return;
    }
    size_t start = 0;
    while (start < length) {
        // The run of whole lines that fits before the limit (at least one line).
        size_t end = start;
        while (end < length) {
            const void* found = std::memchr(data + end, '\n', length - end);
            size_t next = found != nullptr ? static_cast<size_t>(static_cast<const char*>(found) - data) + 1 : length;
            uint64_t after = size_ + (next - start);
            if (after > maxBytes_ && (size_ > 0 || end > start)) break;
            end = next;
        }
        if (end == start) {
            rotateLocked();
            if (!file_.isOpen()) return;
            uint64_t waits = logQueueWaits();
            if (waits != waitsReported_) {
                char text[kLogTextSize];
                formatLogText(text, platform_texts::kCallersWaitedTimesForRoom,
                              static_cast<unsigned long long>(waits - waitsReported_));
                waitsReported_ = waits;
                if (!appendOwnLineLocked(text)) return;
            }
            continue;
        }
        if (!appendLinesLocked(data + start, end - start)) return;
        start = end;
    }
}

}  // namespace yat
