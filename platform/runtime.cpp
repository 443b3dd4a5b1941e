#include "platform/runtime.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

namespace {

std::mutex settingsMutex;
RuntimeSettings settings;
std::atomic<double> sleepScale{1.0};  // read on every wait, so kept apart from the lock
std::atomic<SleepHook> sleepHook{nullptr};
std::atomic<bool> logEnabled{true};
std::atomic<bool> logSync{false};
std::atomic<StdoutMode> stdoutSetting{StdoutMode::On};
bool settingsInPlace = false;       // loaded from the environment or set; guarded by settingsMutex
std::vector<std::string> warnings;  // refused settings not yet logged; guarded by settingsMutex

// Longest wait the library will make (about a year): keeps the time arithmetic far from overflow.
constexpr double kMaxWaitMicros = 365.0 * 24 * 3600 * 1e6;

std::string envText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The warning for a refused setting, with its text cut short and kept printable.
std::string refusal(const char* name, const std::string& text, const char* range, const std::string& fallback) {
    std::string shown;
    for (char c : text.substr(0, 40)) shown += c >= 0x20 && c < 0x7F ? c : '?';
    if (text.size() > 40) shown += "...";
    return std::string(name) + " \"" + shown + "\" is not a number from " + range + "; using " + fallback;
}

}  // namespace

void loadRuntimeSettings() {
    RuntimeSettings loaded;
    std::vector<std::string> refused;
    loaded.logDir = envText("YAT_LOG_DIR");
    loaded.rootDir = envText("YAT_ROOT_DIR");
    const char* maxBytes = std::getenv("YAT_LOG_MAX_BYTES");
    if (maxBytes != nullptr && *maxBytes != '\0') {
        uint64_t value = logMaxBytesFromText(maxBytes, 0);
        if (value != 0) {
            loaded.logMaxBytes = value;
        } else {
            refused.push_back(
                refusal("YAT_LOG_MAX_BYTES", maxBytes, "1024 to 1073741824", std::to_string(loaded.logMaxBytes)));
        }
    }
    const char* scale = std::getenv("YAT_SLEEP_SCALE");
    if (scale != nullptr && *scale != '\0') {
        loaded.sleepScale = sleepScaleFromText(scale, -1.0);
        if (loaded.sleepScale < 0) {
            loaded.sleepScale = RuntimeSettings{}.sleepScale;
            refused.push_back(refusal("YAT_SLEEP_SCALE", scale, "0.0001 to 10", "1"));
        }
    }
    std::string log = envText("YAT_LOG");
    if (log == "off" || log == "0") loaded.logEnabled = false;
    if (log == "sync") loaded.logSync = true;
    loaded.stdoutMode = stdoutModeFromText(envText("YAT_STDOUT").c_str(), loaded.stdoutMode);
    setRuntimeSettings(loaded);
    std::lock_guard<std::mutex> guard(settingsMutex);
    warnings = std::move(refused);
}

double sleepScaleFromText(const char* text, double fallback) {
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    double value = std::strtod(text, &end);
    // The comparisons are false for NaN, so NaN falls back as well.
    return end != text && *end == '\0' && value >= kMinSleepScale && value <= kMaxSleepScale ? value : fallback;
}

uint64_t logMaxBytesFromText(const char* text, uint64_t fallback) {
    if (text == nullptr || *text == '\0') return fallback;
    uint64_t value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return fallback;
        value = value * 10 + static_cast<uint64_t>(*c - '0');
        if (value > kMaxLogMaxBytes) return fallback;  // also stops long texts before they overflow
    }
    return value >= kMinLogMaxBytes ? value : fallback;
}

std::vector<std::string> takeSettingWarnings() {
    std::lock_guard<std::mutex> guard(settingsMutex);
    return std::exchange(warnings, {});
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
