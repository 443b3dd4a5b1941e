#pragma once
// Run-time settings of the library and the one sleep function every wait goes through.
//
// Settings come from the environment and are read once when the library opens (ensureRuntimeSettings,
// called by openLibrary); before that the defaults apply. Tests may replace the sleep function to
// record the requested waits instead of sleeping.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// Where the library's progress lines go (YAT_STDOUT).
enum class StdoutMode { On, Off, Log };

// The mode a YAT_STDOUT text gives ("on", "off", "log"); anything else gives fallback.
StdoutMode stdoutModeFromText(const char* text, StdoutMode fallback);

// The ranges a setting from the environment must lie in; a value outside its range (or not a number)
// keeps the default, and the log says so once when it opens.
inline constexpr double kMinSleepScale = 0.0001;  // polling every 2 ms at the least
inline constexpr double kMaxSleepScale = 10.0;    // closing waits 20 s at the most
inline constexpr uint64_t kMinLogMaxBytes = 1024;
inline constexpr uint64_t kMaxLogMaxBytes = uint64_t{1} << 30;

struct RuntimeSettings {
    std::string logDir;                                // YAT_LOG_DIR; empty = current directory
    uint64_t logMaxBytes = uint64_t{8} * 1024 * 1024;  // YAT_LOG_MAX_BYTES
    std::string rootDir;                               // YAT_ROOT_DIR; empty = current directory
    double sleepScale = 1.0;                           // YAT_SLEEP_SCALE, applied to every wait
    bool logEnabled = true;                            // YAT_LOG: "off" writes no log file at all
    bool logSync = false;                              // YAT_LOG: "sync" writes each entry on the caller's thread
    StdoutMode stdoutMode = StdoutMode::On;            // YAT_STDOUT: on, off or log
    // Shortest real time, whatever the sleep scale, that stopping monitoring gives a library thread
    // to end before leaving it behind (events/event_monitor.h). Not read from the environment: a
    // scaled-down run must not take a thread that is merely slow to be scheduled for a stuck one.
    // Tests of that abandonment set 0.
    uint32_t minimumStopLimitMs = 1000;
};

// Reads the environment into the settings. Bad values keep the defaults; each one is kept as a warning
// for the log (takeSettingWarnings).
void loadRuntimeSettings();

// The time scale a YAT_SLEEP_SCALE text gives: a number from kMinSleepScale to kMaxSleepScale, the
// whole text. Anything else (null, empty, zero, negative, NaN, trailing characters) gives fallback.
double sleepScaleFromText(const char* text, double fallback);
// The log limit a YAT_LOG_MAX_BYTES text gives: decimal digits only, from kMinLogMaxBytes to
// kMaxLogMaxBytes. Anything else (a sign, blanks, a number that does not fit) gives fallback.
uint64_t logMaxBytesFromText(const char* text, uint64_t fallback);
// The warnings about refused settings since the last call, each one line ("YAT_SLEEP_SCALE \"0\" is
// outside 0.0001 to 10; using 1"); the log writes them when it opens.
std::vector<std::string> takeSettingWarnings();
// Reads the environment once: the first call loads it, later calls (and any call after
// setRuntimeSettings) change nothing. openLibrary calls this, so settings a host process or a test
// put in place are not undone by a later open.
void ensureRuntimeSettings();
// A copy of the settings in force. Safe to call from any thread.
RuntimeSettings runtimeSettings();
// Replaces the settings (tests).
void setRuntimeSettings(const RuntimeSettings& settings);

// Whether log entries are written (cheap; checked before any formatting).
bool loggingEnabled();
// Whether entries are written on the caller's thread (YAT_LOG=sync) rather than queued.
bool loggingSynchronous();
// Where progress lines go (cheap).
StdoutMode stdoutMode();

// The platform's path separator as a one-character text.
const char* pathSeparator();

// A wait of ms milliseconds as the library means it, scaled by YAT_SLEEP_SCALE.
std::chrono::microseconds scaledWait(uint64_t ms);

// Waits ms milliseconds (scaled). This stands for the Windows Sleep the library relies on.
void yatSleep(uint32_t ms);

// Replaces yatSleep with hook (which receives the unscaled milliseconds); null restores real sleeping.
using SleepHook = void (*)(uint32_t ms);
void setSleepHook(SleepHook hook);
// Hands ms to the hook and returns true when one is in place; false (nothing done) otherwise. For
// waits that stand for the same Sleep but can end early (platform/stop_signal.h).
bool callSleepHook(uint32_t ms);
