#pragma once
// StopSignal: a flag that, once raised, ends every wait made on it at once. The library's threads
// wait on one instead of sleeping, so that stopping them never waits out a pause.
//
// Threads: any thread may raise it and any number may wait on it at the same time. It is never
// lowered again.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class StopSignal {
public:
    StopSignal() = default;
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // Raises the flag and wakes every wait.
    void raise();
    bool raised() const { return flag_.load(); }
    // The flag itself, for code that polls a std::atomic<bool>.
    const std::atomic<bool>& flag() const { return flag_; }

    // The library's Sleep of ms milliseconds (platform/runtime.h: scaled, and handed to a test's
    // sleep hook when one is in place) that ends as soon as the flag is raised. Returns raised().
    bool sleep(uint32_t ms);
    // Waits ms milliseconds of scaled time, never through the sleep hook (the polling interval), or
    // until the flag is raised. Returns raised().
    bool wait(uint32_t ms);

private:
    bool waitScaled(uint32_t ms);

    std::atomic<bool> flag_{false};
    std::mutex mutex_;
    std::condition_variable raisedChanged_;
};
