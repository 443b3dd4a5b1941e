// The exporter's lifetimes: the stop signals' pipe (a signal wakes its reader; its end closes both
// descriptors, and a later signal is harmless) and the refresh thread (rounds at its interval; its
// end stops and joins it at once, even an hour before the next round).

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <iterator>
#include <mutex>

#include "yatctl/exporter_refresh.h"
#include "yatctl/stop_signal_pipe.h"

namespace {

// Entries of a /proc/self folder: open descriptors ("fd") or threads ("task").
long procEntries(const char* folder) {
    std::filesystem::directory_iterator it(std::filesystem::path("/proc/self") / folder);
    return std::distance(it, std::filesystem::directory_iterator{});
}

// Puts back the process's own actions for the stop signals.
class SavedStopSignals {
public:
    SavedStopSignals() {
        sigaction(SIGTERM, nullptr, &term_);
        sigaction(SIGINT, nullptr, &interrupt_);
    }
    ~SavedStopSignals() {
        sigaction(SIGTERM, &term_, nullptr);
        sigaction(SIGINT, &interrupt_, nullptr);
    }

private:
    struct sigaction term_ {};
    struct sigaction interrupt_ {};
};

TEST(StopSignalPipe, SignalWakesTheReaderAndTheEndClosesBothDescriptors) {
    SavedStopSignals saved;
    long descriptors = procEntries("fd");
    {
        yatctl::StopSignalPipe stopSignals;
        EXPECT_EQ(procEntries("fd"), descriptors + 2);
        pollfd readable{stopSignals.readEnd(), POLLIN, 0};
        EXPECT_EQ(poll(&readable, 1, 0), 0);
        raise(SIGTERM);
        EXPECT_EQ(poll(&readable, 1, 0), 1);
    }
    EXPECT_EQ(procEntries("fd"), descriptors);
    raise(SIGINT);  // handled, writes nothing: the test goes on
    EXPECT_EQ(procEntries("fd"), descriptors);
}

TEST(RefreshThread, RoundsComeAtTheIntervalAndTheEndLeavesNoThread) {
    long threads = procEntries("task");
    std::mutex mutex;
    std::condition_variable counted;
    int rounds = 0;
    {
        yatctl::exporter::RefreshThread refreshing(std::chrono::milliseconds(1), [&] {
            std::lock_guard lock(mutex);
            ++rounds;
            counted.notify_all();
        });
        std::unique_lock lock(mutex);
        EXPECT_TRUE(counted.wait_for(lock, std::chrono::seconds(10), [&] { return rounds >= 3; }));
    }
    EXPECT_EQ(procEntries("task"), threads);

    int idleRounds = 0;
    {
        yatctl::exporter::RefreshThread idle(std::chrono::hours(1), [&] { ++idleRounds; });
    }
    EXPECT_EQ(idleRounds, 0);
    EXPECT_EQ(procEntries("task"), threads);
}

}  // namespace
