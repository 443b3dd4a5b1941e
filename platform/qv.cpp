#include "platform/qv.h"

#include <chrono>

namespace QV {

bool Mutex::lock(int32_t timeoutMs) {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(state_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return true;
    }
    auto isFree = [this] { return depth_ == 0; };
    if (timeoutMs < 0) {
        released_.wait(guard, isFree);
    } else if (!released_.wait_for(guard, std::chrono::milliseconds(timeoutMs), isFree)) {
        return false;
    }
    owner_ = self;
    depth_ = 1;
    return true;
}

void Mutex::unlock() {
    std::lock_guard<std::mutex> guard(state_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return;
    if (--depth_ == 0) {
        owner_ = std::thread::id();
        released_.notify_one();
    }
}

bool Mutex::heldByCaller() {
    std::lock_guard<std::mutex> guard(state_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
}

}  // namespace QV
