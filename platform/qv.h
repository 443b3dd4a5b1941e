#pragma once
// Locks and small value types of the host's common library.
//
// QV::Mutex is recursive: the thread that holds it may lock it again (the library mutex is taken by
// open/close and again by operations they call). lock(-1) waits without limit; any other timeout
// waits at most that many milliseconds and returns false when the lock was not obtained.

#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace QV {

class Mutex {
public:
    Mutex() = default;
    ~Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    bool lock(int32_t timeoutMs = -1);
    // Releases one level of the calling thread's hold; a thread that does not hold it changes nothing.
    void unlock();

private:
    // Built on a plain mutex and a condition variable rather than a timed pthread mutex, so that
    // every acquisition (timed ones included) is visible to thread checkers and behaves alike on
    // every platform.
    std::mutex state_;
    std::condition_variable released_;
    std::thread::id owner_;
    uint32_t depth_ = 0;
};

// An in-process lock that stands for a file; lock and unlock always succeed.
class File {
public:
    File() = default;
    virtual ~File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool lock();
    bool unlock();

private:
    std::recursive_mutex mutex_;
};

// Holds a Mutex for its lifetime (locked with -1).
class MutexLock {
public:
    explicit MutexLock(Mutex& mutex) : mutex_(mutex) { mutex_.lock(-1); }
    ~MutexLock() { mutex_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& mutex_;
};

// Holds a File lock for its lifetime.
class FileLock {
public:
    explicit FileLock(File& file) : file_(file) { file_.lock(); }
    ~FileLock() { file_.unlock(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    File& file_;
};

// Value types whose member-wise copies are part of the shared headers.
struct ResourceString {
    std::wstring text;
};

struct DateTime {
    int32_t values[4] = {};
};

struct Locale {};
struct Product {};
struct System {};

}  // namespace QV

struct clibMutex {
    int32_t handle = 0;
};

// The utility library's log-file class: only its member-wise copies are shared.
class cLogFile {
public:
    cLogFile() = default;
    cLogFile(const cLogFile&) = default;
    cLogFile& operator=(const cLogFile&) = default;
    virtual ~cLogFile() = default;
};
