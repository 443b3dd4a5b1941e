#pragma once
// cThreadLib: one library thread. The owner starts it with an entry function and an argument, the
// thread may wait on a stop flag with wait(), and the owner wakes such a wait with sendEvent() after
// setting the flag and ends the thread with threadClose().
//
// Threads: threadStart, sendEvent and threadClose are called by the owner; wait only by the thread
// itself. The object must outlive the thread unless threadClose abandoned it. A thread that owners
// may abandon must keep whatever it uses alive itself (shared ownership): once abandoned, nothing
// waits for it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class cThreadLib {
public:
    using Entry = uint32_t (*)(void* argument);

    cThreadLib();
    ~cThreadLib();  // closes a thread that is still running, as threadClose does
    cThreadLib(const cThreadLib&) = delete;
    cThreadLib& operator=(const cThreadLib&) = delete;

    // Starts the thread; ERR_SUCCESS when it runs, ERR_FAILED (1) when it could not be started or one
    // runs already.
    [[nodiscard]] int32_t threadStart(Entry entry, void* argument);

    // Returns when *stopFlag is true (at once after sendEvent) or after intervalSeconds (scaled by
    // YAT_SLEEP_SCALE) have passed, whichever comes first.
    void wait(const std::atomic<bool>* stopFlag, int32_t intervalSeconds);

    // Wakes a wait() in progress so it can look at its flag again.
    void sendEvent();

    // Waits for the thread to end, at most limitMs (scaled; negative = without limit). A thread that
    // has not ended by then is abandoned, and so is the calling thread when it closes itself: its
    // handle moves to a process-wide list that joinAbandoned() empties. Returns ERR_SUCCESS when it
    // ended, ERR_FAILED (1)
    // when abandoned or there was no thread.
    [[nodiscard]] int32_t threadClose(int32_t limitMs = -1);
    // The same with a deadline: waits until the thread ends or the deadline passes.
    [[nodiscard]] int32_t threadClose(std::chrono::steady_clock::time_point deadline);

    // Lets go of a thread that has ended (or was never started) without waiting.
    void releaseHandle();

    // True while the thread's entry function has not returned.
    bool running() const;

    // True on a thread started by any cThreadLib (the library's own threads), false on the host's.
    static bool onLibraryThread();
    // Number of threads started by any cThreadLib whose entry function has not returned yet.
    static int32_t runningThreads();
    // Joins every abandoned thread whose entry function returns before the deadline, so that none of
    // them still runs (even its last instructions) once the caller goes on; the others stay listed.
    // Returns how many stay. The last closeLibrary calls it: a thread that closed itself has left its
    // work but may not have exited yet.
    static size_t joinAbandoned(std::chrono::steady_clock::time_point deadline);

private:
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        std::condition_variable done;
        bool event = false;
        bool finished = false;
    };

    // Moves the handle to the list of abandoned threads.
    void abandon();

    std::shared_ptr<State> state_;
    std::thread thread_;
};
