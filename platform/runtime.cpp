#include "platform/runtime.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

std::mutex settingsMutex;
RuntimeSettings settings;
std::atomic<double> sleepScale{1.0};  // read on every wait, so kept apart from the lock
std::atomic<SleepHook> sleepHook{nullptr};
std::atomic<bool> logEnabled{true};
std::atomic<bool> logSync{false};
std::atomic<StdoutMode> stdoutSetting{StdoutMode::On};
bool settingsInPlace = false;  // loaded from the environment or set; guarded by settingsMutex

// Longest wait the library will make (about a year): keeps the time arithmetic far from overflow.
constexpr double kMaxWaitMicros = 365.0 * 24 * 3600 * 1e6;

std::string envText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

void loadRuntimeSettings() {
    RuntimeSettings loaded;
    loaded.logDir = envText("YAT_LOG_DIR");
    loaded.rootDir = envText("YAT_ROOT_DIR");
    std::string maxBytes = envText("YAT_LOG_MAX_BYTES");
    if (!maxBytes.empty()) {
        char* end = nullptr;
        unsigned long long value = std::strtoull(maxBytes.c_str(), &end, 10);
        if (end != nullptr && *end == '\0' && value >= 1024) loaded.logMaxBytes = value;
    }
    loaded.sleepScale = sleepScaleFromText(envText("YAT_SLEEP_SCALE").c_str(), loaded.sleepScale);
    std::string log = envText("YAT_LOG");
    if (log == "off" || log == "0") loaded.logEnabled = false;
    if (log == "sync") loaded.logSync = true;
    loaded.stdoutMode = stdoutModeFromText(envText("YAT_STDOUT").c_str(), loaded.stdoutMode);
    setRuntimeSettings(loaded);
}

double sleepScaleFromText(const char* text, double fallback) {
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    double value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= 0.0 && value <= 1000.0 ? value : fallback;
}

void ensureRuntimeSettings() {
    {
        std::lock_guard<std::mutex> guard(settingsMutex);
        if (settingsInPlace) return;
    }
    loadRuntimeSettings();
}

RuntimeSettings runtimeSettings() {
    std::lock_guard<std::mutex> guard(settingsMutex);
    return settings;
}

void setRuntimeSettings(const RuntimeSettings& newSettings) {
    std::lock_guard<std::mutex> guard(settingsMutex);
    settings = newSettings;
    settingsInPlace = true;
    sleepScale.store(newSettings.sleepScale);
    logEnabled.store(newSettings.logEnabled);
    logSync.store(newSettings.logSync);
    stdoutSetting.store(newSettings.stdoutMode);
}

StdoutMode stdoutModeFromText(const char* text, StdoutMode fallback) {
    if (text == nullptr) return fallback;
    std::string value(text);
    if (value == "on") return StdoutMode::On;
    if (value == "off") return StdoutMode::Off;
    if (value == "log") return StdoutMode::Log;
    return fallback;
}

bool loggingSynchronous() { return logSync.load(std::memory_order_relaxed); }

StdoutMode stdoutMode() { return stdoutSetting.load(std::memory_order_relaxed); }

bool loggingEnabled() { return logEnabled.load(std::memory_order_relaxed); }

const char* pathSeparator() {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

std::chrono::microseconds scaledWait(uint64_t ms) {
    double micros = static_cast<double>(ms) * 1000.0 * sleepScale.load();
    if (micros > kMaxWaitMicros) micros = kMaxWaitMicros;
    return std::chrono::microseconds(static_cast<int64_t>(micros));
}

void yatSleep(uint32_t ms) {
    if (callSleepHook(ms)) return;
    std::this_thread::sleep_for(scaledWait(ms));
}

void setSleepHook(SleepHook hook) { sleepHook.store(hook); }

bool callSleepHook(uint32_t ms) {
    SleepHook hook = sleepHook.load();
    if (hook == nullptr) return false;
    hook(ms);
    return true;
}
