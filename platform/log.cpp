#include "platform/log.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "platform/runtime.h"

namespace {

struct LogFile {
    std::mutex mutex;
    std::FILE* file = nullptr;
    std::string path;
    uint64_t size = 0;
    uint64_t maxBytes = 0;
};

LogFile& logFile() {
    static LogFile* instance = new LogFile;  // never destroyed: threads may log during process exit
    return *instance;
}

std::string pathFor(const char* fileName) {
    std::string dir = runtimeSettings().logDir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += pathSeparator();
    return dir + (fileName != nullptr ? fileName : kLogFileName);
}

// Opens (or reopens) the file; the caller holds the mutex.
void openLocked(LogFile& log, const std::string& path) {
    if (log.file != nullptr && log.path == path) return;
    if (log.file != nullptr) std::fclose(log.file);
    log.path = path;
    log.file = std::fopen(path.c_str(), "ab");
    log.size = 0;
    log.maxBytes = runtimeSettings().logMaxBytes;
    if (log.file != nullptr) {
        std::fseek(log.file, 0, SEEK_END);
        long position = std::ftell(log.file);
        log.size = position > 0 ? static_cast<uint64_t>(position) : 0;
    }
}

void rotateLocked(LogFile& log) {
    std::fclose(log.file);
    log.file = nullptr;
    for (int i = 3; i >= 1; --i) {
        std::string from = i == 1 ? log.path : log.path + "." + std::to_string(i - 1);
        std::string to = log.path + "." + std::to_string(i);
        std::remove(to.c_str());  // rename does not replace on every platform
        std::rename(from.c_str(), to.c_str());
    }
    std::string path = log.path;
    log.path.clear();
    openLocked(log, path);
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

// Appends src to line at *pos (capacity cap) without its trailing line breaks, turning control
// characters into blanks.
void appendClean(char* line, size_t* pos, size_t cap, const char* src) {
    if (src == nullptr) return;
    size_t length = std::strlen(src);
    while (length > 0 && (src[length - 1] == '\n' || src[length - 1] == '\r')) --length;
    const char* end = src + length;
    size_t p = *pos;
    for (; src != end && p < cap; ++src) {
        unsigned char c = static_cast<unsigned char>(*src);
        line[p++] = c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
    }
    *pos = p;
}

}  // namespace

void initLog(const char* fileName) {
    if (!loggingEnabled()) return;  // with logging off no file is created
    LogFile& log = logFile();
    std::string path = pathFor(fileName);
    std::lock_guard<std::mutex> guard(log.mutex);
    openLocked(log, path);
}

void closeLog() {
    LogFile& log = logFile();
    std::lock_guard<std::mutex> guard(log.mutex);
    if (log.file != nullptr) std::fclose(log.file);
    log.file = nullptr;
    log.path.clear();
}

void addLogItemToFile(const char* fileName, const char* tag, const char* text) {
    if (!loggingEnabled()) return;
    // Format the line before taking the lock: only the write is serialised.
    char line[64 + 2 * kLogTextSize + 8];
    auto now = std::chrono::system_clock::now();
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(micros / 1000000);
    std::tm utc{};
    utcTime(seconds, &utc);
    int head = std::snprintf(line, 64, "%04d-%02d-%02d %02d:%02d:%02d.%06ldZ [T%d] ", utc.tm_year + 1900,
                             utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                             static_cast<long>(micros % 1000000), threadNumber());
    size_t pos = head > 0 ? static_cast<size_t>(head) : 0;
    if (pos > 63) pos = 63;  // snprintf reports the length it wanted, not what it wrote
    const size_t cap = sizeof line - 1;
    appendClean(line, &pos, cap - kLogTextSize - 2, tag);
    line[pos++] = '\t';  // tags may hold ": ", so a tab (never inside tag or text) separates them
    appendClean(line, &pos, cap, text);
    line[pos++] = '\n';

    LogFile& log = logFile();
    std::lock_guard<std::mutex> guard(log.mutex);
    if (log.file == nullptr || (fileName != nullptr && log.path.empty())) openLocked(log, pathFor(fileName));
    if (log.file == nullptr) return;
    if (log.size > 0 && log.size + pos > log.maxBytes) {
        rotateLocked(log);
        if (log.file == nullptr) return;
    }
    std::fwrite(line, 1, pos, log.file);
    std::fflush(log.file);
    log.size += pos;
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
