#include "kit/log_reader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "kit/scoped_settings.h"
#include "platform/log.h"
#include "platform/runtime.h"

namespace yattest {

namespace fs = std::filesystem;

LogCapture::LogCapture() {
    // Never a shared directory: the destructor removes dir_ with all it holds.
    dir_ = makeTempDir("yatlog-");
    RuntimeSettings settings = runtimeSettings();
    settings.logDir = dir_;
    settings.sleepScale = 0.001;
    setRuntimeSettings(settings);
    closeLog();
    initLog(kLogFileName);
}

LogCapture::~LogCapture() {
    closeLog();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

// Every reader asks for the path first, so entries still in the writer's queue are in the file then.
std::string LogCapture::path() const {
    flushLog();
    return (fs::path(dir_) / kLogFileName).string();
}

std::vector<LogEntry> LogCapture::entries() const {
    std::vector<LogEntry> result;
    std::ifstream in(path());
    std::string line;
    while (std::getline(in, line)) {
        // "<date> <time> [T<n>] <tag>\t<text>"
        size_t threadEnd = line.find("] ");
        size_t separator = line.find('\t');
        if (threadEnd == std::string::npos || separator == std::string::npos || separator < threadEnd) continue;
        size_t tagStart = threadEnd + 2;
        result.push_back({line.substr(tagStart, separator - tagStart), line.substr(separator + 1)});
    }
    return result;
}

bool LogCapture::has(const std::string& tag, const std::string& text) const {
    for (const LogEntry& entry : entries()) {
        if (entry.tag == tag && entry.text == text) return true;
    }
    return false;
}

size_t LogCapture::countText(const std::string& text) const {
    size_t n = 0;
    for (const LogEntry& entry : entries()) n += entry.text == text ? 1 : 0;
    return n;
}

std::vector<std::string> LogCapture::texts(const std::string& tag) const {
    std::vector<std::string> result;
    for (const LogEntry& entry : entries()) {
        if (entry.tag == tag) result.push_back(entry.text);
    }
    return result;
}

void LogCapture::clear() {
    closeLog();
    std::ofstream(path(), std::ios::trunc);
    initLog(kLogFileName);
}

}  // namespace yattest
