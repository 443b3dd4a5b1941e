#include "platform/qv.h"

#include <chrono>

namespace QV {

bool Mutex::lock(int32_t timeoutMs) {
    if (timeoutMs < 0) {
        mutex_.lock();
        return true;
    }
    return mutex_.try_lock_for(std::chrono::milliseconds(timeoutMs));
}

void Mutex::unlock() { mutex_.unlock(); }

bool File::lock() {
    mutex_.lock();
    return true;
}

bool File::unlock() {
    mutex_.unlock();
    return true;
}

}  // namespace QV
