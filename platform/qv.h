#pragma once
// The host common library's recursive lock.
//
// QV::Mutex is recursive: the thread that holds it may lock it again (the library mutex is taken by
// open/close and again by operations they call). lock(-1) waits without limit; any other timeout
// waits at most that many milliseconds and returns false when the lock was not obtained.

#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace QV {

class Mutex {
public:
    Mutex() = default;
    ~Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    [[nodiscard]] bool lock(int32_t timeoutMs = -1);
    // Releases one level of the calling thread's hold; a thread that does not hold it changes nothing.
    void unlock();
    // True when the calling thread holds it (at any depth).
    bool heldByCaller();

private:
    // Built on a plain mutex and a condition variable rather than a timed pthread mutex, so that
    // every acquisition (timed ones included) is visible to thread checkers and behaves alike on
    // every platform.
    std::mutex state_;
    std::condition_variable released_;
    std::thread::id owner_;
    uint32_t depth_ = 0;
};

// Holds a Mutex for its lifetime (locked with -1).
class MutexLock {
public:
    // Waiting without a limit always ends with the mutex held, so the result says nothing here.
    explicit MutexLock(Mutex& mutex) : mutex_(mutex) { (void)mutex_.lock(-1); }
    ~MutexLock() { mutex_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& mutex_;
};

}  // namespace QV
