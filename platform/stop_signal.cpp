#include "platform/stop_signal.h"

#include <chrono>

#include "platform/runtime.h"

void StopSignal::raise() {
    std::lock_guard<std::mutex> guard(mutex_);
    flag_.store(true);
    raisedChanged_.notify_all();
}

bool StopSignal::sleep(uint32_t ms) {
    if (raised()) return true;
    if (callSleepHook(ms)) return raised();
    return waitScaled(ms);
}

bool StopSignal::wait(uint32_t ms) { return raised() || waitScaled(ms); }

bool StopSignal::waitScaled(uint32_t ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    raisedChanged_.wait_for(lock, scaledWait(ms), [this] { return flag_.load(); });
    return flag_.load();
}
