// The log's queued writer: the entry queue, the writer thread and the fork handlers.

#include "platform/log_writer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "platform/log_file.h"
#include "platform/log_line.h"
#include "platform/runtime.h"

#ifndef _WIN32
#include <pthread.h>
#endif

namespace yat {

namespace {

// How long the writer gathers a batch after the queue turned non-empty.
constexpr auto kBatchWait = std::chrono::milliseconds(50);

// The entry queue: a byte ring of whole lines; guarded by mutex.
struct LogQueue {
    std::mutex mutex;
    std::condition_variable work;     // writer: entries, a flush or a stop
    std::condition_variable space;    // callers waiting for room
    std::condition_variable written;  // flushes waiting for the writer
    std::vector<char> ring;
    // The writer's copy of what it takes from the ring. Kept from one writer to the next (only the
    // writer touches it, outside the lock), so that a library opened and closed for months does not
    // allocate and free a quarter-megabyte block per writer, which would leave the allocator's heap
    // fragmented and growing.
    std::vector<char> batch;
    size_t head = 0;
    size_t used = 0;
    uint64_t queuedBytes = 0;   // bytes ever queued
    uint64_t writtenBytes = 0;  // bytes ever taken and written
    size_t wantedCapacity = kLogQueueBytes;
    int flushes = 0;
    int blocked = 0;
    bool armed = false;     // initLog called since the last stop: the next entry may start the writer
    bool running = false;   // a writer thread takes entries
    bool stopping = false;  // the writer drains and ends
    bool forked = false;    // this is a forked child: always synchronous
    std::unique_ptr<std::thread> thread;
};

std::atomic<uint64_t> queueWaits{0};

#ifndef _WIN32
void beforeFork();
void afterForkParent();
void afterForkChild();
#endif

LogQueue& logQueue() {
    static LogQueue* instance = [] {
        auto* made = new LogQueue;  // never destroyed, like the file
#ifndef _WIN32
        pthread_atfork(beforeFork, afterForkParent, afterForkChild);
#endif
        return made;
    }();
    return *instance;
}

#ifndef _WIN32
// Neither lock may be held by another thread at the fork, or the child would inherit it locked.
void beforeFork() {
    logQueue().mutex.lock();
    LogFile::instance().lockForFork();
}
void afterForkParent() {
    LogFile::instance().unlockAfterFork();
    logQueue().mutex.unlock();
}
// The writer thread does not exist in the child; what the parent queued is the parent's to write.
void afterForkChild() {
    LogQueue& queue = logQueue();
    queue.forked = true;
    queue.running = false;
    queue.stopping = false;
    queue.armed = false;
    queue.used = 0;
    queue.writtenBytes = queue.queuedBytes;
    (void)queue.thread.release();  // its thread is gone; joining or destroying it is not possible
    LogFile::instance().unlockAfterFork();
    queue.mutex.unlock();
}
#endif

void writerLoop() {
    LogQueue& queue = logQueue();
    std::vector<char>& batch = queue.batch;
    std::unique_lock<std::mutex> lock(queue.mutex);
    for (;;) {
        queue.work.wait(lock, [&] { return queue.used > 0 || queue.stopping; });
        queue.work.wait_for(lock, kBatchWait, [&] {
            return queue.stopping || queue.flushes > 0 || queue.blocked > 0 || queue.used * 2 >= queue.ring.size();
        });
        size_t size = queue.ring.size();
        size_t first = std::min(queue.used, size - queue.head);
        batch.assign(queue.ring.data() + queue.head, queue.ring.data() + queue.head + first);
        batch.insert(batch.end(), queue.ring.data(), queue.ring.data() + (queue.used - first));
        queue.head = (queue.head + queue.used) % size;
        queue.used = 0;
        uint64_t taken = queue.queuedBytes;
        queue.space.notify_all();
        lock.unlock();
        if (!batch.empty()) LogFile::instance().write(batch.data(), batch.size());
        lock.lock();
        queue.writtenBytes = taken;
        queue.written.notify_all();
        if (queue.stopping && queue.used == 0) break;
    }
    queue.running = false;
    queue.written.notify_all();
}

}  // namespace

void armLogWriter() {
    LogQueue& queue = logQueue();
    std::lock_guard<std::mutex> guard(queue.mutex);
    if (!queue.forked) queue.armed = true;
}

bool queueLogLine(const char* line, size_t length) {
    LogQueue& queue = logQueue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    if (!queue.running) {
        if (!queue.armed || queue.stopping || queue.forked || loggingSynchronous()) return false;
        // A writer that ended on its own has released the lock for good; only its exit remains.
        if (queue.thread != nullptr && queue.thread->joinable()) queue.thread->join();
        size_t capacity = std::max(queue.wantedCapacity, kLogLineSize);
        queue.ring.assign(capacity, '\0');
        queue.head = 0;
        queue.used = 0;
        try {
            queue.thread = std::make_unique<std::thread>(writerLoop);
        } catch (...) {
            queue.armed = false;  // no thread to be had: write on the callers' threads
            return false;
        }
        queue.running = true;
    }
    size_t size = queue.ring.size();
    if (size - queue.used < length) {
        queueWaits.fetch_add(1, std::memory_order_relaxed);
        ++queue.blocked;
        queue.work.notify_one();
        queue.space.wait(lock, [&] { return size - queue.used >= length || !queue.running; });
        --queue.blocked;
        if (!queue.running) return false;
    }
    bool wasEmpty = queue.used == 0;
    size_t tail = (queue.head + queue.used) % size;
    size_t first = std::min(length, size - tail);
    std::memcpy(queue.ring.data() + tail, line, first);
    std::memcpy(queue.ring.data(), line + first, length - first);
    queue.used += length;
    queue.queuedBytes += length;
    if (wasEmpty || queue.used * 2 >= size) queue.work.notify_one();
    return true;
}

}  // namespace yat

void stopLogWriter() {
    yat::LogQueue& queue = yat::logQueue();
    std::unique_ptr<std::thread> thread;
    {
        std::unique_lock<std::mutex> lock(queue.mutex);
        queue.armed = false;
        if (queue.stopping) {
            // Another closer joins the writer; return only once it has.
            queue.written.wait(lock, [&] { return !queue.stopping; });
            return;
        }
        if (!queue.running) return;
        queue.stopping = true;
        queue.work.notify_one();
        thread = std::move(queue.thread);
    }
    // The writer drains what is queued (callers may still add while it does) and then ends.
    if (thread != nullptr && thread->joinable()) thread->join();
    std::lock_guard<std::mutex> guard(queue.mutex);
    queue.stopping = false;
    queue.space.notify_all();
    queue.written.notify_all();
}

void flushLog() {
    yat::LogQueue& queue = yat::logQueue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    if (!queue.running) return;
    uint64_t target = queue.queuedBytes;
    ++queue.flushes;
    queue.work.notify_one();
    queue.written.wait(lock, [&] { return queue.writtenBytes >= target || !queue.running; });
    --queue.flushes;
}

void setLogQueueBytes(size_t bytes) {
    yat::LogQueue& queue = yat::logQueue();
    std::lock_guard<std::mutex> guard(queue.mutex);
    queue.wantedCapacity = bytes;
}

uint64_t logQueueWaits() { return yat::queueWaits.load(); }

bool logWriterRunning() {
    yat::LogQueue& queue = yat::logQueue();
    std::lock_guard<std::mutex> guard(queue.mutex);
    return queue.running;
}
