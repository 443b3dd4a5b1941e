#include "platform/log.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/append_file.h"
#include "platform/runtime.h"

#ifndef _WIN32
#include <pthread.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Longest line: time and thread head, tag, tab, text, line break.
constexpr size_t kLineSize = 64 + 2 * kLogTextSize + 8;
// How long the writer gathers a batch after the queue turned non-empty.
constexpr auto kBatchWait = std::chrono::milliseconds(50);
// Least time between two attempts to open a file that could not be opened.
constexpr auto kReopenInterval = std::chrono::seconds(1);

// The file and its rotation state; guarded by mutex. Held by the writer for a batch and by
// synchronous writers for one line, never together with the queue lock.
struct LogFile {
    std::mutex mutex;
    yat::AppendFile file;
    std::string path;
    uint64_t size = 0;
    uint64_t maxBytes = 0;
    Clock::time_point lastTry{};
    bool tried = false;
    bool rotationRefusalSaid = false;  // "cannot rotate" is logged once until the log is closed
    uint64_t waitsReported = 0;
};

// The entry queue: a byte ring of whole lines; guarded by mutex.
struct LogQueue {
    std::mutex mutex;
    std::condition_variable work;     // writer: entries, a flush or a stop
    std::condition_variable space;    // callers waiting for room
    std::condition_variable written;  // flushes waiting for the writer
    std::vector<char> ring;
    // The writer's copy of what it takes from the ring. Kept from one writer to the next (only the
    // writer touches it, outside the lock), so that a library opened and closed for months does not
    // allocate and free a quarter-megabyte block per writer, which would leave the allocator's heap
    // fragmented and growing.
    std::vector<char> batch;
    size_t head = 0;
    size_t used = 0;
    uint64_t queuedBytes = 0;   // bytes ever queued
    uint64_t writtenBytes = 0;  // bytes ever taken and written
    size_t wantedCapacity = kLogQueueBytes;
    int flushes = 0;
    int blocked = 0;
    bool armed = false;     // initLog called since the last stop: the next entry may start the writer
    bool running = false;   // a writer thread takes entries
    bool stopping = false;  // the writer drains and ends
    bool forked = false;    // this is a forked child: always synchronous
    std::unique_ptr<std::thread> thread;
};

std::atomic<uint64_t> queueWaits{0};

LogFile& logFile() {
    static LogFile* instance = new LogFile;  // never destroyed: threads may log during process exit
    return *instance;
}

#ifndef _WIN32
void beforeFork();
void afterForkParent();
void afterForkChild();
#endif

LogQueue& logQueue() {
    static LogQueue* instance = [] {
        auto* made = new LogQueue;  // never destroyed, like the file
#ifndef _WIN32
        pthread_atfork(beforeFork, afterForkParent, afterForkChild);
#endif
        return made;
    }();
    return *instance;
}

#ifndef _WIN32
// Neither lock may be held by another thread at the fork, or the child would inherit it locked.
void beforeFork() {
    logQueue().mutex.lock();
    logFile().mutex.lock();
}
void afterForkParent() {
    logFile().mutex.unlock();
    logQueue().mutex.unlock();
}
// The writer thread does not exist in the child; what the parent queued is the parent's to write.
void afterForkChild() {
    LogQueue& queue = logQueue();
    queue.forked = true;
    queue.running = false;
    queue.stopping = false;
    queue.armed = false;
    queue.used = 0;
    queue.writtenBytes = queue.queuedBytes;
    (void)queue.thread.release();  // its thread is gone; joining or destroying it is not possible
    logFile().mutex.unlock();
    queue.mutex.unlock();
}
#endif

std::string pathFor(const char* fileName) {
    std::string dir = runtimeSettings().logDir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += pathSeparator();
    return dir + (fileName != nullptr ? fileName : kLogFileName);
}

// Permissions of the log and its rotations: readable by owner and group only.
constexpr int kLogFileMode = 0640;

// Opens (or reopens) the file; the caller holds the mutex. Only a regular file of the caller's is
// written (yat::AppendFile): a link, a FIFO or another user's file under the name drops the entries,
// and the open is tried again at most once a second.
void openLocked(LogFile& log, const std::string& path) {
    if (log.file.isOpen() && log.path == path) return;
    log.path = path;
    log.tried = true;
    log.lastTry = Clock::now();
    log.size = 0;
    log.maxBytes = runtimeSettings().logMaxBytes;
    if (yat::opened(log.file.open(path, kLogFileMode))) log.size = log.file.size();
}

// Makes sure a file is open when one can be: a file that could not be opened (a missing or full
// folder) is tried again at most once a second.
bool ensureOpenLocked(LogFile& log) {
    if (log.file.isOpen()) return true;
    if (log.tried && Clock::now() - log.lastTry < kReopenInterval) return false;
    openLocked(log, log.path.empty() ? pathFor(kLogFileName) : log.path);
    return log.file.isOpen();
}

bool appendLinesLocked(LogFile& log, const char* data, size_t length);
size_t formatLine(char* line, const char* tag, const char* text);

// Turns name into name.1 (name.1 into name.2, name.2 into name.3; the oldest goes) and opens a new
// name, made exclusively. A rename moves a name: a link planted under a rotation name is moved or
// removed, never followed. On Windows a file that another handle holds open without delete sharing
// (a log viewer, a reader, the library in another process) cannot be renamed: then the open file is
// copied into a new name.1 and emptied through its own descriptor, which such handles allow; a file
// other than the one the log holds open is never emptied. When neither works (a name that cannot be
// replaced), the log says so once and keeps growing, and the next attempt comes only after another
// maxBytes: writing never spins on a rotation that cannot be made.
void rotateLocked(LogFile& log) {
    const std::string path = log.path;
    for (int i = 3; i >= 2; --i) {
        std::string to = path + "." + std::to_string(i);
        std::remove(to.c_str());  // rename does not replace on every platform
        std::rename((path + "." + std::to_string(i - 1)).c_str(), to.c_str());
    }
    const std::string first = path + ".1";
    std::remove(first.c_str());
#ifdef _WIN32
    log.file.close();  // Windows renames no file this process holds open
    bool moved = std::rename(path.c_str(), first.c_str()) == 0;
    if (!moved) log.file.open(path, kLogFileMode);
#else
    bool moved = std::rename(path.c_str(), first.c_str()) == 0;
#endif
    if (moved) {
        log.file.close();
        openLocked(log, path);
        if (log.size >= log.maxBytes) log.maxBytes = log.size + log.maxBytes;
        return;
    }
    if (log.file.isOpen() && log.file.isAt(path) && log.file.copyTo(first, kLogFileMode)) {
        if (log.file.truncate(0)) {
            log.size = 0;
            return;
        }
        std::remove(first.c_str());  // not emptied: the copy would repeat every line
    }
    log.maxBytes = log.size + log.maxBytes;
    if (log.file.isOpen() && !log.rotationRefusalSaid) {
        log.rotationRefusalSaid = true;
        char text[kLogTextSize];
        std::snprintf(text, sizeof text,
                      "cannot rotate %s: neither renamed nor copied to %s.1; it grows past %llu bytes", kLogFileName,
                      kLogFileName, static_cast<unsigned long long>(log.maxBytes - log.size));
        char line[kLineSize];
        size_t n = formatLine(line, "log", text);
        appendLinesLocked(log, line, n);
    }
}

int threadNumber() {
    static std::atomic<int> next{1};
    thread_local int number = next.fetch_add(1);
    return number;
}

void utcTime(std::time_t seconds, std::tm* out) {
#ifdef _WIN32
    gmtime_s(out, &seconds);
#else
    gmtime_r(&seconds, out);
#endif
}

// Writes value as exactly width decimal digits.
char* putDigits(char* out, uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// Writes "<date> <time>.<micros>Z [T<n>] " into line (at least 64 bytes) and returns its length. The
// text up to the second is kept per thread and rebuilt only when the second changes.
size_t formatHead(char* line) {
    struct Cached {
        int64_t second = -1;
        char text[32] = {};
        size_t length = 0;
        char thread[24] = {};
        size_t threadLength = 0;
    };
    thread_local Cached cached;
    auto now = std::chrono::system_clock::now();
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count();
    int64_t second = micros / 1000000;
    if (second != cached.second) {
        std::tm utc{};
        utcTime(static_cast<std::time_t>(second), &utc);
        int n = std::snprintf(cached.text, sizeof cached.text, "%04d-%02d-%02d %02d:%02d:%02d.", utc.tm_year + 1900,
                              utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
        cached.length = n > 0 && static_cast<size_t>(n) < sizeof cached.text ? static_cast<size_t>(n) : 0;
        cached.second = second;
        if (cached.threadLength == 0) {
            int t = std::snprintf(cached.thread, sizeof cached.thread, "Z [T%d] ", threadNumber());
            cached.threadLength = t > 0 && static_cast<size_t>(t) < sizeof cached.thread ? static_cast<size_t>(t) : 0;
        }
    }
    char* out = line;
    std::memcpy(out, cached.text, cached.length);
    out += cached.length;
    out = putDigits(out, static_cast<uint64_t>(micros % 1000000), 6);
    std::memcpy(out, cached.thread, cached.threadLength);
    out += cached.threadLength;
    return static_cast<size_t>(out - line);
}

// Length of the valid UTF-8 sequence at s (end bounds it), or 0 when the byte there does not start
// one. Overlong forms, surrogates and values above U+10FFFF are not valid.
size_t utf8Length(const unsigned char* s, const unsigned char* end) {
    unsigned char c = s[0];
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (static_cast<size_t>(end - s) < length) return 0;
    if (s[1] < low || s[1] > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (s[i] < 0x80 || s[i] > 0xBF) return 0;
    }
    return length;
}

// Appends src to line at *pos (capacity cap) without its trailing line breaks. Control characters
// (C0, DEL and the C1 range U+0080..U+009F) become blanks; bytes outside valid UTF-8 become \xNN.
void appendClean(char* line, size_t* pos, size_t cap, const char* src) {
    if (src == nullptr) return;
    size_t length = std::strlen(src);
    while (length > 0 && (src[length - 1] == '\n' || src[length - 1] == '\r')) --length;
    const auto* s = reinterpret_cast<const unsigned char*>(src);
    const unsigned char* end = s + length;
    static const char digits[] = "0123456789ABCDEF";
    size_t p = *pos;
    while (s != end && p < cap) {
        unsigned char c = *s;
        if (c < 0x80) {
            line[p++] = c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
            ++s;
            continue;
        }
        size_t n = utf8Length(s, end);
        if (n == 2 && c == 0xC2 && s[1] < 0xA0) {
            line[p++] = ' ';  // a C1 control character
            s += n;
        } else if (n > 0) {
            if (cap - p < n) break;  // never cut a character in half
            std::memcpy(line + p, s, n);
            p += n;
            s += n;
        } else {
            if (cap - p < 4) break;
            line[p++] = '\\';
            line[p++] = 'x';
            line[p++] = digits[c >> 4];
            line[p++] = digits[c & 0x0F];
            ++s;
        }
    }
    *pos = p;
}

// Builds one whole line (ending in a line break) and returns its length.
size_t formatLine(char* line, const char* tag, const char* text) {
    size_t pos = formatHead(line);
    const size_t cap = kLineSize - 1;
    appendClean(line, &pos, cap - kLogTextSize - 2, tag);
    line[pos++] = '\t';  // tags may hold ": ", so a tab (never inside tag or text) separates them
    appendClean(line, &pos, cap, text);
    line[pos++] = '\n';
    return pos;
}

// Appends whole lines to the open file. When the disk is full (a short write), the start of a line
// that was cut short is taken back, so the file ends with a whole line and the next append starts a
// line of its own; the rest of the batch is dropped, the file closed and opened again at the next
// check. False when something was dropped.
bool appendLinesLocked(LogFile& log, const char* data, size_t length) {
    size_t wrote = log.file.append(data, length);
    if (wrote == length) {
        log.size += length;
        return true;
    }
    size_t whole = wrote;
    while (whole > 0 && data[whole - 1] != '\n') --whole;
    if (whole < wrote) {
        uint64_t now = log.file.size();
        if (now >= wrote - whole) log.file.truncate(now - (wrote - whole));
    }
    log.size += whole;
    log.file.close();
    log.lastTry = Clock::now();
    return false;
}

// Writes whole lines to the file, rotating before a line that would pass the limit. At each rotation
// the number of waits for queue space since the last rotation is logged once.
void writeLinesLocked(LogFile& log, const char* data, size_t length) {
    if (!ensureOpenLocked(log)) return;
    size_t start = 0;
    while (start < length) {
        // The run of whole lines that fits before the limit (at least one line).
        size_t end = start;
        while (end < length) {
            const void* found = std::memchr(data + end, '\n', length - end);
            size_t next = found != nullptr ? static_cast<size_t>(static_cast<const char*>(found) - data) + 1 : length;
            uint64_t after = log.size + (next - start);
            if (after > log.maxBytes && (log.size > 0 || end > start)) break;
            end = next;
        }
        if (end == start) {
            rotateLocked(log);
            if (!log.file.isOpen()) return;
            uint64_t waits = queueWaits.load();
            if (waits != log.waitsReported) {
                char text[kLogTextSize];
                std::snprintf(text, sizeof text, "callers waited %llu times for room in the log queue",
                              static_cast<unsigned long long>(waits - log.waitsReported));
                log.waitsReported = waits;
                char line[kLineSize];
                size_t n = formatLine(line, "log", text);
                if (!appendLinesLocked(log, line, n)) return;
            }
            continue;
        }
        if (!appendLinesLocked(log, data + start, end - start)) return;
        start = end;
    }
}

void writeSync(const char* line, size_t length) {
    LogFile& log = logFile();
    std::lock_guard<std::mutex> guard(log.mutex);
    writeLinesLocked(log, line, length);
}

void writerLoop() {
    LogQueue& queue = logQueue();
    std::vector<char>& batch = queue.batch;
    std::unique_lock<std::mutex> lock(queue.mutex);
    for (;;) {
        queue.work.wait(lock, [&] { return queue.used > 0 || queue.stopping; });
        queue.work.wait_for(lock, kBatchWait, [&] {
            return queue.stopping || queue.flushes > 0 || queue.blocked > 0 || queue.used * 2 >= queue.ring.size();
        });
        size_t size = queue.ring.size();
        size_t first = std::min(queue.used, size - queue.head);
        batch.assign(queue.ring.data() + queue.head, queue.ring.data() + queue.head + first);
        batch.insert(batch.end(), queue.ring.data(), queue.ring.data() + (queue.used - first));
        queue.head = (queue.head + queue.used) % size;
        queue.used = 0;
        uint64_t taken = queue.queuedBytes;
        queue.space.notify_all();
        lock.unlock();
        if (!batch.empty()) writeSync(batch.data(), batch.size());
        lock.lock();
        queue.writtenBytes = taken;
        queue.written.notify_all();
        if (queue.stopping && queue.used == 0) break;
    }
    queue.running = false;
    queue.written.notify_all();
}

// Queues one line, starting the writer when it is armed. False: write it synchronously instead.
bool enqueue(const char* line, size_t length) {
    LogQueue& queue = logQueue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    if (!queue.running) {
        if (!queue.armed || queue.stopping || queue.forked || loggingSynchronous()) return false;
        // A writer that ended on its own has released the lock for good; only its exit remains.
        if (queue.thread != nullptr && queue.thread->joinable()) queue.thread->join();
        size_t capacity = std::max(queue.wantedCapacity, kLineSize);
        queue.ring.assign(capacity, '\0');
        queue.head = 0;
        queue.used = 0;
        try {
            queue.thread = std::make_unique<std::thread>(writerLoop);
        } catch (...) {
            queue.armed = false;  // no thread to be had: write on the callers' threads
            return false;
        }
        queue.running = true;
    }
    size_t size = queue.ring.size();
    if (size - queue.used < length) {
        queueWaits.fetch_add(1, std::memory_order_relaxed);
        ++queue.blocked;
        queue.work.notify_one();
        queue.space.wait(lock, [&] { return size - queue.used >= length || !queue.running; });
        --queue.blocked;
        if (!queue.running) return false;
    }
    bool wasEmpty = queue.used == 0;
    size_t tail = (queue.head + queue.used) % size;
    size_t first = std::min(length, size - tail);
    std::memcpy(queue.ring.data() + tail, line, first);
    std::memcpy(queue.ring.data(), line + first, length - first);
    queue.used += length;
    queue.queuedBytes += length;
    if (wasEmpty || queue.used * 2 >= size) queue.work.notify_one();
    return true;
}

}  // namespace

void initLog(const char* fileName) {
    if (!loggingEnabled()) return;  // with logging off no file is created
    LogFile& log = logFile();
    std::string path = pathFor(fileName);
    {
        std::lock_guard<std::mutex> guard(log.mutex);
        openLocked(log, path);
    }
    {
        LogQueue& queue = logQueue();
        std::lock_guard<std::mutex> guard(queue.mutex);
        if (!queue.forked) queue.armed = true;
    }
    // Settings the environment gave out of range: said once, by the first open after they were read.
    for (const std::string& warning : takeSettingWarnings())
        addLogItemToFile(kLogFileName, "settings", warning.c_str());
}

void stopLogWriter() {
    LogQueue& queue = logQueue();
    std::unique_ptr<std::thread> thread;
    {
        std::unique_lock<std::mutex> lock(queue.mutex);
        queue.armed = false;
        if (queue.stopping) {
            // Another closer joins the writer; return only once it has.
            queue.written.wait(lock, [&] { return !queue.stopping; });
            return;
        }
        if (!queue.running) return;
        queue.stopping = true;
        queue.work.notify_one();
        thread = std::move(queue.thread);
    }
    // The writer drains what is queued (callers may still add while it does) and then ends.
    if (thread != nullptr && thread->joinable()) thread->join();
    std::lock_guard<std::mutex> guard(queue.mutex);
    queue.stopping = false;
    queue.space.notify_all();
    queue.written.notify_all();
}

void flushLog() {
    LogQueue& queue = logQueue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    if (!queue.running) return;
    uint64_t target = queue.queuedBytes;
    ++queue.flushes;
    queue.work.notify_one();
    queue.written.wait(lock, [&] { return queue.writtenBytes >= target || !queue.running; });
    --queue.flushes;
}

void closeLog() {
    stopLogWriter();
    LogFile& log = logFile();
    std::lock_guard<std::mutex> guard(log.mutex);
    log.file.close();
    log.path.clear();
    log.tried = false;
    log.rotationRefusalSaid = false;
}

void setLogQueueBytes(size_t bytes) {
    LogQueue& queue = logQueue();
    std::lock_guard<std::mutex> guard(queue.mutex);
    queue.wantedCapacity = bytes;
}

uint64_t logQueueWaits() { return queueWaits.load(); }

bool logWriterRunning() {
    LogQueue& queue = logQueue();
    std::lock_guard<std::mutex> guard(queue.mutex);
    return queue.running;
}

void addLogItemToFile(const char* fileName, const char* tag, const char* text) {
    if (!loggingEnabled()) return;
    (void)fileName;  // every entry goes to the one log file opened by initLog
    char line[kLineSize];
    size_t length = formatLine(line, tag, text);
    if (!enqueue(line, length)) writeSync(line, length);
}

void yatLog(const char* tag, const char* format, ...) {
    if (!loggingEnabled()) return;
    char text[kLogTextSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    addLogItemToFile(kLogFileName, tag, text);
}

void yatProgress(const char* format, ...) {
    StdoutMode mode = stdoutMode();
    if (mode == StdoutMode::Off) return;
    va_list args;
    va_start(args, format);
    if (mode == StdoutMode::On) {
        std::vprintf(format, args);
        std::fflush(stdout);
    } else if (loggingEnabled()) {
        char text[kLogTextSize];
        std::vsnprintf(text, sizeof text, format, args);
        addLogItemToFile(kLogFileName, "stdout", text);
    }
    va_end(args);
}

int32_t dumpdata(const void* data, size_t length) {
    if (data == nullptr || !loggingEnabled()) return 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t count = length < kDumpMaxBytes ? length : kDumpMaxBytes;
    static const char digits[] = "0123456789ABCDEF";
    for (size_t offset = 0; offset < count; offset += 16) {
        char text[80];
        int pos = std::snprintf(text, sizeof text, "%04x:", static_cast<unsigned>(offset));
        for (size_t i = offset; i < offset + 16 && i < count; ++i) {
            text[pos++] = ' ';
            text[pos++] = digits[bytes[i] >> 4];
            text[pos++] = digits[bytes[i] & 0x0F];
        }
        text[pos] = '\0';
        addLogItemToFile(kLogFileName, "dumpdata", text);
    }
    return static_cast<int32_t>(count);
}
