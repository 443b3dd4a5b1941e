// cThreadLib and the QV locks.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "kit/scoped_settings.h"
#include "platform/qv.h"
#include "platform/runtime.h"
#include "platform/stop_signal.h"
#include "platform/thread_lib.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Threads of this process as the system counts them; 0 where it cannot tell.
size_t processThreads() {
    size_t n = 0;
#ifndef _WIN32
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc/self/task", error), end; !error && it != end;
         it.increment(error))
        ++n;
#endif
    return n;
}

// A gate a test thread blocks on until the test opens it.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    bool reached = false;

    void pass() {
        std::unique_lock<std::mutex> lock(mutex);
        reached = true;
        changed.notify_all();
        changed.wait(lock, [&] { return open; });
    }
    void awaitReached() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return reached; });
    }
    void release() {
        std::lock_guard<std::mutex> guard(mutex);
        open = true;
        changed.notify_all();
    }
};

// The argument of a thread that passes a gate and ends.
struct GateArg {
    std::shared_ptr<Gate> gate;
    static uint32_t run(void* argument) {
        static_cast<GateArg*>(argument)->gate->pass();
        return 0;
    }
};

// A thread that waits on a stop flag with a very long interval and records how long it waited.
struct Waiter {
    cThreadLib* thread = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<bool> waiting{false};
    Clock::duration waited{};
    int32_t interval = 100000;  // seconds: far beyond any test run

    static uint32_t run(void* argument) {
        auto* self = static_cast<Waiter*>(argument);
        self->waiting = true;
        Clock::time_point start = Clock::now();
        self->thread->wait(&self->stop, self->interval);
        self->waited = Clock::now() - start;
        return 0;
    }
};

class ThreadLib : public ::testing::Test {
protected:
    void SetUp() override {
        settings.change([](RuntimeSettings& s) { s.sleepScale = 1.0; });  // the interval is really long
    }
    void startWaiter() {
        waiter.thread = &thread;
        ASSERT_EQ(thread.threadStart(&Waiter::run, &waiter), 0);
        while (!waiter.waiting) std::this_thread::yield();
    }

    yattest::SettingsScope settings;
    cThreadLib thread;
    Waiter waiter;
};

TEST_F(ThreadLib, WaitEndsAtOnceWhenFlagIsSetAndEventSent) {
    startWaiter();
    waiter.stop = true;
    thread.sendEvent();
    EXPECT_EQ(thread.threadClose(), 0);
    EXPECT_LT(waiter.waited, 600s);  // returned long before its 100000-second interval
    EXPECT_FALSE(thread.running());
}

TEST_F(ThreadLib, EventWithoutFlagWakesTheWaitToLookAgain) {
    startWaiter();
    thread.sendEvent();
    EXPECT_EQ(thread.threadClose(), 0);
    EXPECT_LT(waiter.waited, 600s);
}

TEST_F(ThreadLib, WaitWithFlagAlreadySetReturnsAtOnce) {
    waiter.stop = true;
    startWaiter();
    EXPECT_EQ(thread.threadClose(), 0);
    EXPECT_LT(waiter.waited, 600s);
}

TEST_F(ThreadLib, IntervalEndsTheWaitWithoutAnEvent) {
    settings.change([](RuntimeSettings& s) { s.sleepScale = 0.001; });
    waiter.interval = 1;  // 1 ms at this scale
    startWaiter();
    EXPECT_EQ(thread.threadClose(), 0);
    waiter.interval = -5;  // a negative interval waits not at all
    waiter.waiting = false;
    startWaiter();
    EXPECT_EQ(thread.threadClose(), 0);
}

TEST_F(ThreadLib, StartRefusesNullEntryAndASecondThread) {
    EXPECT_EQ(thread.threadStart(nullptr, nullptr), 1);
    auto gate = std::make_shared<Gate>();
    GateArg arg{gate};
    cThreadLib::Entry entry = &GateArg::run;
    ASSERT_EQ(thread.threadStart(entry, &arg), 0);
    gate->awaitReached();
    EXPECT_TRUE(thread.running());
    EXPECT_EQ(thread.threadStart(entry, &arg), 1);
    gate->release();
    EXPECT_EQ(thread.threadClose(), 0);
    EXPECT_EQ(thread.threadClose(), 1);  // nothing left to close
}

TEST_F(ThreadLib, CloseWithLimitAbandonsAThreadThatDoesNotEnd) {
    settings.change([](RuntimeSettings& s) { s.sleepScale = 0.001; });
    // The thread owns its gate, so it may outlive this test safely once abandoned.
    auto gate = std::make_shared<Gate>();
    auto* owned = new std::shared_ptr<Gate>(gate);
    auto entry = [](void* a) -> uint32_t {
        std::unique_ptr<std::shared_ptr<Gate>> mine(static_cast<std::shared_ptr<Gate>*>(a));
        (*mine)->pass();
        return 0;
    };
    ASSERT_EQ(thread.threadStart(entry, owned), 0);
    gate->awaitReached();
    EXPECT_EQ(thread.threadClose(1000), 1);  // 1 ms at this scale
    EXPECT_EQ(thread.threadClose(), 1);      // already let go
    gate->release();
}

TEST_F(ThreadLib, ReleaseHandleJoinsAnEndedThread) {
    auto gate = std::make_shared<Gate>();
    GateArg arg{gate};
    cThreadLib::Entry entry = &GateArg::run;
    ASSERT_EQ(thread.threadStart(entry, &arg), 0);
    gate->awaitReached();
    thread.releaseHandle();  // still running: kept
    EXPECT_TRUE(thread.running());
    gate->release();
    EXPECT_EQ(thread.threadClose(), 0);
    thread.releaseHandle();                         // nothing to do
    EXPECT_EQ(thread.threadStart(entry, &arg), 0);  // the object can start a new thread
    EXPECT_EQ(thread.threadClose(), 0);
}

// The library's own threads know themselves as such, are counted while they run, and a thread that
// closes itself (after its owner started it, as a deregistration from a sink callback does) is let
// go rather than waited for.
TEST_F(ThreadLib, LibraryThreadsAreMarkedCountedAndMayCloseThemselves) {
    EXPECT_FALSE(cThreadLib::onLibraryThread());
    struct Self {
        cThreadLib* thread;
        std::shared_ptr<Gate> gate;
        std::atomic<bool> marked{false};
        std::atomic<int32_t> closed{-1};
        static uint32_t run(void* argument) {
            auto* self = static_cast<Self*>(argument);
            self->marked = cThreadLib::onLibraryThread();
            self->gate->pass();  // until the owner has its handle
            self->closed = self->thread->threadClose(Clock::now() + 1h);
            return 0;
        }
    };
    auto gate = std::make_shared<Gate>();
    Self self{&thread, gate};
    const int32_t before = cThreadLib::runningThreads();
    ASSERT_EQ(thread.threadStart(&Self::run, &self), 0);
    gate->awaitReached();
    EXPECT_TRUE(self.marked.load());
    EXPECT_EQ(cThreadLib::runningThreads(), before + 1);
    gate->release();
    while (cThreadLib::runningThreads() != before) std::this_thread::yield();
    EXPECT_EQ(self.closed.load(), 1);    // let go of itself at once
    EXPECT_EQ(thread.threadClose(), 1);  // nothing left to close
}

// Threads let go of (one that closed itself, one a limited close gave up on) are joined once they end:
// after joinAbandoned none of them still exists in the process, even for its last instructions.
TEST_F(ThreadLib, AbandonedThreadsAreJoinedOnceTheyEnd) {
    ASSERT_EQ(cThreadLib::joinAbandoned(Clock::now() + 1h), 0u);  // those of earlier tests
    const size_t before = processThreads();
    auto gate = std::make_shared<Gate>();
    auto* owned = new std::shared_ptr<Gate>(gate);
    auto entry = [](void* a) -> uint32_t {
        std::unique_ptr<std::shared_ptr<Gate>> mine(static_cast<std::shared_ptr<Gate>*>(a));
        (*mine)->pass();
        return 0;
    };
    ASSERT_EQ(thread.threadStart(entry, owned), 0);
    gate->awaitReached();
    ASSERT_EQ(thread.threadClose(Clock::now()), 1);          // given up at once
    EXPECT_EQ(cThreadLib::joinAbandoned(Clock::now()), 1u);  // not ended yet: stays listed
    gate->release();
    EXPECT_EQ(cThreadLib::joinAbandoned(Clock::now() + 1h), 0u);
    if (before != 0) {
        EXPECT_EQ(processThreads(), before);
    }
}

// A raised signal ends every wait on it at once, also a Sleep handed to a test's sleep hook; the
// scale is 1 here, so an unraised wait would last an hour.
TEST_F(ThreadLib, StopSignalEndsSleepsAndWaits) {
    StopSignal signal;
    std::atomic<int> ended{0};
    std::thread sleeper([&] {
        EXPECT_TRUE(signal.sleep(3600 * 1000));
        ++ended;
    });
    std::thread waiter([&] {
        EXPECT_TRUE(signal.wait(3600 * 1000));
        ++ended;
    });
    signal.raise();
    sleeper.join();
    waiter.join();
    EXPECT_EQ(ended.load(), 2);
    EXPECT_TRUE(signal.sleep(3600 * 1000));  // raised: at once

    StopSignal hooked;
    static std::atomic<uint32_t> requested{0};
    setSleepHook([](uint32_t ms) { requested = ms; });
    EXPECT_FALSE(hooked.sleep(10000));  // the hook records the wait; nothing raised it
    setSleepHook(nullptr);
    EXPECT_EQ(requested.load(), 10000u);
}

TEST(QVMutex, OwnerLocksAgainOthersTimeOut) {
    QV::Mutex mutex;
    ASSERT_TRUE(mutex.lock(-1));
    ASSERT_TRUE(mutex.lock(-1));
    ASSERT_TRUE(mutex.lock(0));
    auto otherTries = [&](int32_t timeout) {
        bool got = false;
        std::thread([&] {
            got = mutex.lock(timeout);
            if (got) mutex.unlock();
        }).join();
        return got;
    };
    EXPECT_FALSE(otherTries(0));
    EXPECT_FALSE(otherTries(5));
    mutex.unlock();
    mutex.unlock();
    EXPECT_FALSE(otherTries(0));                  // still held once
    std::thread([&] { mutex.unlock(); }).join();  // a thread that does not hold it cannot release it
    EXPECT_FALSE(otherTries(0));
    mutex.unlock();
    EXPECT_TRUE(otherTries(0));
    mutex.unlock();  // not held: nothing happens
    EXPECT_TRUE(otherTries(0));
    EXPECT_FALSE(mutex.heldByCaller());
    ASSERT_TRUE(mutex.lock(-1));
    EXPECT_TRUE(mutex.heldByCaller());
    bool heldThere = true;
    std::thread([&] { heldThere = mutex.heldByCaller(); }).join();
    EXPECT_FALSE(heldThere);
    mutex.unlock();
}

TEST(QVMutex, WaiterGetsTheLockWhenTheOwnerLetsGo) {
    QV::Mutex mutex;
    ASSERT_TRUE(mutex.lock(-1));
    std::atomic<bool> got{false};
    std::thread waiter([&] {
        got = mutex.lock(-1);
        mutex.unlock();
    });
    mutex.unlock();
    waiter.join();
    EXPECT_TRUE(got);
}

TEST(QVMutex, MutexLockHoldsForItsScope) {
    QV::Mutex mutex;
    auto otherGets = [&] {
        bool got = false;
        std::thread([&] {
            got = mutex.lock(0);
            if (got) mutex.unlock();
        }).join();
        return got;
    };
    {
        QV::MutexLock outer(mutex);
        QV::MutexLock inner(mutex);  // recursive
        EXPECT_FALSE(otherGets());
    }
    EXPECT_TRUE(otherGets());
}

}  // namespace
