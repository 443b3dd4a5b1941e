// The log's deferred writer: per-thread entry buffers, the writer thread and the fork handlers.

#include "platform/log_writer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "platform/log_file.h"
#include "platform/log_line.h"
#include "platform/log_text.h"
#include "platform/runtime.h"

#ifndef _WIN32
#include <pthread.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <x86intrin.h>
#define YAT_LOG_COUNTER 1
#endif

namespace yat {

namespace {

// How long the writer gathers a batch after an entry woke it.
constexpr auto kBatchWait = std::chrono::milliseconds(50);
// Batch times without an entry after which the writer sleeps until an entry wakes it (a second).
constexpr int kIdleRounds = 20;
// Bytes of a tag an entry keeps: all a line can show of it.
constexpr size_t kTagBytes = kLogLineSize - kLogTextSize;
// Largest entry: its head, the tag, and a finished text or a checked text's arguments.
constexpr size_t kMaxEntryBytes = 4096;
static_assert(kMaxEntryBytes >= 32 + kTagBytes + 1 + kLogMaxArgBytes + 1 + 8);
static_assert(kMaxEntryBytes >= 32 + kTagBytes + 1 + kLogLineSize + 1 + 8);
// Smallest buffer: two of the largest entries (one may be lost to the wrap at the end).
constexpr size_t kMinRingBytes = 2 * kMaxEntryBytes;
// Largest buffer a thread's full buffer of the default size grows to: a thread that logs faster than
// the writer takes its entries waits once per some 3,500 entries rather than once per 250 (each wait
// is two thread switches). Only a thread that filled its buffer pays the memory.
constexpr size_t kLogQueueGrownBytes = size_t{256} * 1024;
// A buffer first grows once its thread found it full this many times: a sustained stream, not a
// burst (opening and discovery stay within the default size); after that each full buffer grows.
constexpr int kFullTimesBeforeGrowing = 256;
// The writer's output: formatted lines gathered for one file write. While a thread's buffer has grown
// (a sustained stream) the writer gathers up to kStreamOutputBytes per write, a quarter of the system
// calls; the larger buffer is made when the first stream comes.
constexpr size_t kOutputBytes = size_t{16} * 1024;
constexpr size_t kStreamOutputBytes = size_t{64} * 1024;
// Marks the rest of a buffer as unused: the next entry starts at its beginning.
constexpr uint32_t kWrapMark = 0xFFFFFFFFu;
// A caller has claimed its buffer and is reading the clock (the entry's time follows at once).
constexpr int64_t kStamping = 1;

// Entry stamps. Where the processor has a time-stamp counter that runs at a constant rate on every
// core (x86-64 with an invariant counter) the stamp is the counter: some 20 cycles, where the system
// clock costs 50 ns and more in a virtual machine. The writer turns stamps into system-clock times by
// the rate it measures between two readings of both clocks (the anchor, renewed every second, and the
// reading of its round), so a time is off by no more than the jitter of one clock reading. Elsewhere
// the stamp is the system clock in nanoseconds.
bool useCounter() {
#ifdef YAT_LOG_COUNTER
    static const bool invariant = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        return __get_cpuid(0x80000007u, &a, &b, &c, &d) != 0 && (d & (1u << 8)) != 0;
    }();
    return invariant;
#else
    return false;
#endif
}

int64_t logStamp() {
#ifdef YAT_LOG_COUNTER
    if (useCounter()) return static_cast<int64_t>(__rdtsc());
#endif
    return logClockNanos();
}

// The counter is not read in order with memory accesses: the processor may read it before an earlier
// store is seen by other processors, or after a later load. Where a stamp is compared with what such
// accesses saw, it is read in order. A flush's stamp: after the thread's entries are visible to the
// writer, so a round whose limit passes it has seen them.
int64_t stampAfterStores() {
#ifdef YAT_LOG_COUNTER
    _mm_mfence();
    _mm_lfence();
#endif
    return logStamp();
}

// A stamp and the system-clock time read together.
struct ClockPair {
    int64_t stamp = 0;
    int64_t nanos = 0;
};

// Of a few readings, the one whose two counter readings lie closest around the clock's (a reading
// the scheduler interrupted would put the clock's time off by the interruption).
ClockPair readClocks() {
    if (!useCounter()) {
        int64_t now = logClockNanos();
        return {now, now};
    }
    ClockPair best;
    int64_t bestGap = INT64_MAX;
    for (int attempt = 0; attempt < 4; ++attempt) {
        int64_t before = logStamp();
        int64_t nanos = logClockNanos();
        int64_t after = logStamp();
        if (after - before < bestGap) {
            bestGap = after - before;
            best = {before + (after - before) / 2, nanos};
        }
    }
#ifdef YAT_LOG_COUNTER
    // The writer's loads of pending and tail come after its round's stamp (see stampAfterStores).
    _mm_lfence();
#endif
    return best;
}

// Turns stamps into system-clock nanoseconds (the writer's).
class StampClock {
public:
    void anchor(ClockPair pair) {
        anchor_ = pair;
        latest_ = pair;
    }
    void update(ClockPair pair) {
        if (pair.nanos - anchor_.nanos > 1000000000) anchor_ = latest_;  // follows steps of the clock
        latest_ = pair;
        if (latest_.stamp > anchor_.stamp)
            rate_ =
                static_cast<double>(latest_.nanos - anchor_.nanos) / static_cast<double>(latest_.stamp - anchor_.stamp);
    }
    int64_t nanos(int64_t stamp) const {
        if (!useCounter()) return stamp;
        return anchor_.nanos + static_cast<int64_t>(static_cast<double>(stamp - anchor_.stamp) * rate_);
    }

private:
    ClockPair anchor_;
    ClockPair latest_;
    double rate_ = 0.5;  // nanoseconds per count until measured
};

struct EntryHead {
    uint32_t size;       // bytes of the whole entry, a multiple of 8, or kWrapMark
    uint16_t tagBytes;   // the tag's bytes (a terminator follows them)
    uint16_t bodyBytes;  // the arguments' bytes, or the finished text's (a terminator follows it)
    int64_t stamp;       // logStamp() when the entry was made
    LogFormatFn format;  // null: the body is the finished text
    const char* formatText;
};
static_assert(sizeof(EntryHead) % 8 == 0);

// n rounded up to a multiple of step (a power of two).
constexpr size_t roundUp(size_t n, size_t step) { return (n + step - 1) & ~(step - 1); }

// A line of the processor's cache. Buffer sizes are multiples of it.
constexpr size_t kLineBytes = 64;
static_assert(kLogQueueBytes % kLineBytes == 0 && kMinRingBytes % kLineBytes == 0);

struct LineAlignedDelete {
    void operator()(unsigned char* bytes) const { operator delete[](bytes, std::align_val_t{kLineBytes}); }
};

// One thread's entries: a byte ring with the thread as its only producer and the writer as its only
// consumer. Positions count bytes ever written (tail) and taken (head).
struct LogRing {
    LogRing(size_t bytes, size_t base, int threadNumber)
        : data(new (std::align_val_t{kLineBytes}) unsigned char[bytes]),
          capacity(bytes),
          baseCapacity(base),
          thread(threadNumber) {}
    // Not zeroed: pages become resident as they are used. Lines of the processor's cache start at
    // positions that are multiples of kLineBytes.
    std::unique_ptr<unsigned char[], LineAlignedDelete> data;
    const size_t capacity;
    const size_t baseCapacity;  // the writer's buffer size when the thread's first buffer was made
    const int thread;
    // The producer's side.
    alignas(64) std::atomic<uint64_t> tail{0};
    std::atomic<int64_t> pending{0};  // 0, kStamping, or the stamp of the entry being written
    uint64_t reserved = 0;            // the end of the entry being written (past a wrap mark)
    uint64_t entryAt = 0;             // where the entry being written starts
    int fullTimes = 0;                // times the producer found this buffer full
    int64_t entryStamp = 0;
    bool wakeWriter = false;
    // The writer's side.
    alignas(64) std::atomic<uint64_t> head{0};
    std::atomic<bool> abandoned{false};  // its thread has ended: freed by the writer once empty
    uint64_t cursor = 0;                 // writer: the next entry to format
    uint64_t seenTail = 0;               // writer: the tail of this round
};

struct WriterState {
    std::mutex mutex;
    std::condition_variable work;     // writer: entries, a flush, waiting callers or a stop
    std::condition_variable space;    // callers waiting for room
    std::condition_variable written;  // flushes and stops waiting for the writer
    std::vector<LogRing*> rings;      // every thread's buffer; guarded by mutex
    size_t wantedCapacity = kLogQueueBytes;
    int64_t writtenUpTo = 0;  // every entry stamped before this stamp is in the file
    StampClock clock;         // the writer's; anchored when a writer starts
    int64_t flushTarget = 0;  // the latest stamp a flush waits for
    int blocked = 0;
    std::atomic<int> waiting{0};  // callers waiting for room (blocked, readable without the lock)
    bool wake = false;            // a caller asked the writer to take its entries now
    bool armed = false;           // initLog called since the last stop: the next entry may start the writer
    bool running = false;         // a writer thread takes entries
    bool stopping = false;        // the writer drains and ends
    bool forked = false;          // this is a forked child: always synchronous
    std::unique_ptr<std::thread> thread;
    // Read by callers without the lock.
    std::atomic<bool> accepting{false};  // running and not stopping: entries go to the buffers
    std::atomic<bool> sleeping{false};   // the writer waits for the next entry without a time limit
    std::atomic<size_t> ringCapacity{kLogQueueBytes};
    // The writer's own (only the writer touches them, outside the lock); kept from one writer to
    // the next, so that opening and closing for months does not allocate per writer.
    std::vector<LogRing*> round;
    std::unique_ptr<char[]> output;
    size_t outputCapacity = 0;
};

std::atomic<uint64_t> queueWaits{0};

void writerLoop();

#ifndef _WIN32
void beforeFork();
void afterForkParent();
void afterForkChild();
#endif

WriterState& writerState() {
    static WriterState* instance = [] {
        auto* made = new WriterState;  // never destroyed, like the file
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
    writerState().mutex.lock();
    LogFile::instance().lockForFork();
}
void afterForkParent() {
    LogFile::instance().unlockAfterFork();
    writerState().mutex.unlock();
}
// The writer thread does not exist in the child; what the parent's threads buffered is the parent's
// to write. The child's buffers are forgotten (their memory is the parent's copy).
void afterForkChild() {
    WriterState& state = writerState();
    state.forked = true;
    state.running = false;
    state.stopping = false;
    state.armed = false;
    state.accepting.store(false);
    state.sleeping.store(false);
    state.rings.clear();
    (void)state.thread.release();  // its thread is gone; joining or destroying it is not possible
    LogFile::instance().unlockAfterFork();
    state.mutex.unlock();
}
#endif

// The calling thread's buffer. A thread's buffer is made at its first queued entry and handed to the
// writer to free when the thread ends; entries made after that (by destructors of thread-local
// objects) are written synchronously.
thread_local LogRing* threadRing = nullptr;
thread_local bool threadEnded = false;

struct RingOwner {
    RingOwner() = default;
    RingOwner(const RingOwner&) = delete;
    RingOwner& operator=(const RingOwner&) = delete;
    ~RingOwner() {
        if (threadRing != nullptr) threadRing->abandoned.store(true, std::memory_order_release);
        threadRing = nullptr;
        threadEnded = true;
    }
};

// Starts the writer when it is armed. Called with the lock held; false when entries must be written
// synchronously.
bool startWriterLocked(WriterState& state) {
    if (state.running) return !state.stopping;
    if (!state.armed || state.stopping || state.forked || loggingSynchronous()) return false;
    // A writer that ended on its own has released the lock for good; only its exit remains.
    if (state.thread != nullptr && state.thread->joinable()) state.thread->join();
    state.ringCapacity.store(roundUp(std::max(state.wantedCapacity, kMinRingBytes), kLineBytes));
    state.clock.anchor(readClocks());  // before any entry of this writer is stamped
    try {
        state.thread = std::make_unique<std::thread>(writerLoop);
    } catch (...) {
        state.armed = false;  // no thread to be had: write on the callers' threads
        return false;
    }
    state.running = true;
    state.accepting.store(true);
    return true;
}

// The calling thread's buffer with the writer running, or null when the entry is to be written
// synchronously. Makes the buffer (or a new one when the writer's buffer size changed).
LogRing* acceptingRing(WriterState& state) {
    LogRing* ring = threadRing;
    if (ring != nullptr && state.accepting.load(std::memory_order_relaxed) &&
        ring->baseCapacity == state.ringCapacity.load(std::memory_order_relaxed))
        return ring;
    if (threadEnded) return nullptr;
    std::lock_guard<std::mutex> guard(state.mutex);
    if (!startWriterLocked(state)) return nullptr;
    size_t capacity = state.ringCapacity.load();
    if (ring != nullptr && ring->baseCapacity == capacity) return ring;
    thread_local RingOwner owner;  // ends the buffer with the thread
    (void)owner;
    LogRing* made = nullptr;
    try {
        made = new LogRing(capacity, capacity, logThreadNumber());
        state.rings.push_back(made);
    } catch (...) {
        delete made;
        return nullptr;  // no memory for a buffer: this entry is written at once
    }
    if (ring != nullptr) ring->abandoned.store(true, std::memory_order_release);
    threadRing = made;
    return made;
}

// Waits until the ring has room for bytes more. False when the writer ended meanwhile.
bool waitForRoom(WriterState& state, LogRing& ring, size_t bytes) {
    queueWaits.fetch_add(1, std::memory_order_relaxed);
    std::unique_lock<std::mutex> lock(state.mutex);
    ++state.blocked;
    state.waiting.fetch_add(1, std::memory_order_release);
    state.wake = true;
    state.work.notify_one();
    uint64_t tail = ring.tail.load(std::memory_order_relaxed);
    state.space.wait(lock, [&] {
        return ring.capacity - (tail - ring.head.load(std::memory_order_acquire)) >= bytes || !state.running;
    });
    --state.blocked;
    state.waiting.fetch_sub(1, std::memory_order_relaxed);
    return state.running;
}

// Makes the calling thread a buffer twice the size of its full one, which the writer frees once it
// has taken the entries in it (the merge by stamp keeps them before the new buffer's). Null when
// the buffer may not grow or no memory is to be had.
LogRing* grownRing(WriterState& state, LogRing& full) {
    if (full.baseCapacity != kLogQueueBytes || full.capacity >= kLogQueueGrownBytes) return nullptr;
    std::lock_guard<std::mutex> guard(state.mutex);
    if (!state.running || state.stopping) return nullptr;
    LogRing* made = nullptr;
    try {
        made = new LogRing(std::min(2 * full.capacity, kLogQueueGrownBytes), full.baseCapacity, full.thread);
        made->fullTimes = full.fullTimes;  // the stream is proven: the next full buffer grows at once
        state.rings.push_back(made);
    } catch (...) {
        delete made;
        return nullptr;
    }
    full.abandoned.store(true, std::memory_order_release);
    threadRing = made;
    return made;
}

enum class Claim { Made, Full, Synchronous };

// Claims room for an entry of size bytes in the caller's buffer and stamps it. When the buffer is
// full: Full if mayGrow, else waits for room. Synchronous when the entry is to be written at once.
Claim claimEntry(WriterState& state, LogRing& ring, size_t size, bool mayGrow) {
    uint64_t tail = ring.tail.load(std::memory_order_relaxed);
    size_t offset = static_cast<size_t>(tail % ring.capacity);
    size_t skip = ring.capacity - offset < size ? ring.capacity - offset : 0;
    uint64_t head = ring.head.load(std::memory_order_acquire);
    if (ring.capacity - (tail - head) < skip + size) {
        if (mayGrow) return Claim::Full;
        if (!waitForRoom(state, ring, skip + size)) return Claim::Synchronous;
    }
    // The stamp protocol: pending is set before the clock is read, and accepting and sleeping are read
    // after it. A stop either is seen here (the entry goes the synchronous way) or waits for pending
    // to clear; the writer either sees this entry before it sleeps or is woken by it.
    ring.pending.exchange(kStamping, std::memory_order_seq_cst);
    if (!state.accepting.load(std::memory_order_seq_cst)) {
        ring.pending.store(0, std::memory_order_release);
        return Claim::Synchronous;
    }
    ring.wakeWriter = state.sleeping.load(std::memory_order_seq_cst);
    ring.entryStamp = logStamp();
    ring.pending.store(ring.entryStamp, std::memory_order_release);
    if (skip > 0) {
        EntryHead wrap{};
        wrap.size = kWrapMark;
        if (skip >= sizeof wrap) std::memcpy(ring.data.get() + offset, &wrap, sizeof wrap);
    }
    ring.entryAt = tail + skip;
    ring.reserved = tail + skip + size;
    return Claim::Made;
}

// The caller's buffer with room claimed for an entry of size bytes (a full buffer of the default
// size grows, up to kLogQueueGrownBytes; past that, or at a set size, the caller waits), or null
// when the entry is to be written synchronously.
LogRing* claimRoom(WriterState& state, size_t size) {
    LogRing* ring = acceptingRing(state);
    if (ring == nullptr) return nullptr;
    Claim claim = claimEntry(state, *ring, size, true);
    if (claim == Claim::Full) {
        LogRing* grown = ++ring->fullTimes >= kFullTimesBeforeGrowing ? grownRing(state, *ring) : nullptr;
        if (grown != nullptr) ring = grown;
        claim = claimEntry(state, *ring, size, false);
    }
    return claim == Claim::Made ? ring : nullptr;
}

// Publishes the claimed entry and wakes the writer when it sleeps or the buffer passed half full.
void publishEntry(WriterState& state, LogRing& ring) {
    uint64_t before = ring.tail.load(std::memory_order_relaxed) - ring.head.load(std::memory_order_relaxed);
    ring.tail.store(ring.reserved, std::memory_order_release);
    ring.pending.store(0, std::memory_order_release);
    uint64_t after = ring.reserved - ring.head.load(std::memory_order_relaxed);
    bool halfFull = before * 2 < ring.capacity && after * 2 >= ring.capacity;
    if (ring.wakeWriter || halfFull) {
        std::lock_guard<std::mutex> guard(state.mutex);
        state.wake = true;
        state.work.notify_one();
    }
}

// Before an entry of the caller's goes the synchronous way (the writer stops): waits until the writer
// has written what the caller's buffer still holds, so that the caller's entries stay in order.
void awaitOwnEntries(WriterState& state) {
    LogRing* ring = threadRing;
    auto written = [ring] {
        return ring->tail.load(std::memory_order_relaxed) == ring->head.load(std::memory_order_acquire);
    };
    if (ring == nullptr || written()) return;
    std::unique_lock<std::mutex> lock(state.mutex);
    state.wake = true;
    state.work.notify_one();
    state.written.wait(lock, [&] { return written() || !state.running; });
}

// Writes one entry synchronously: its text formatted on the caller's thread.
void writeNow(const char* tag, const char* text) {
    char line[kLogLineSize];
    size_t length = formatLogLine(line, tag, text);
    LogFile::instance().write(line, length);
}

size_t tagLength(const char* tag) {
    if (tag == nullptr) return 0;
    const void* end = std::memchr(tag, '\0', kTagBytes);
    return end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - tag) : kTagBytes;
}

// Fills in the head and the tag of the claimed entry.
unsigned char* entryStart(LogRing& ring) { return ring.data.get() + ring.entryAt % ring.capacity; }

void writeHead(LogRing& ring, const char* tag, size_t tagBytes, size_t bodyBytes, LogFormatFn format,
               const char* formatText) {
    unsigned char* at = entryStart(ring);
    // Field by field into the buffer (entries start 8-aligned): a head built on the stack and copied
    // is read back in 16-byte pieces that its narrower stores cannot forward to, a stall per entry.
    auto* head = new (at) EntryHead;
    head->size = static_cast<uint32_t>(ring.reserved - ring.entryAt);
    head->tagBytes = static_cast<uint16_t>(tagBytes);
    head->bodyBytes = static_cast<uint16_t>(bodyBytes);
    head->stamp = ring.entryStamp;
    head->format = format;
    head->formatText = formatText;
    if (tagBytes > 0) std::memcpy(at + sizeof(EntryHead), tag, tagBytes);
    at[sizeof(EntryHead) + tagBytes] = '\0';
}

size_t entrySize(size_t tagBytes, size_t bodyBytes) {
    return roundUp(sizeof(EntryHead) + tagBytes + 1 + bodyBytes + 1, 8);
}

// The next entry of ring for this round (past a wrap mark), or null when the round has no more.
const EntryHead* peekEntry(LogRing& ring) {
    while (ring.cursor != ring.seenTail) {
        const unsigned char* at = ring.data.get() + ring.cursor % ring.capacity;
        const size_t room = ring.capacity - ring.cursor % ring.capacity;
        uint32_t size = 0;
        if (room >= sizeof size) std::memcpy(&size, at, sizeof size);
        if (room < sizeof(EntryHead) || size == kWrapMark) {
            ring.cursor += room;  // the wrap: the next entry starts at the beginning
            continue;
        }
        return reinterpret_cast<const EntryHead*>(at);
    }
    return nullptr;
}

// Drops the whole lines of a buffer that the writer has taken (positions from .. to) from every
// processor's cache, where the processor can (x86-64 with clflushopt). The producer writes into these
// lines on its next lap. A line that the writer's processor still holds must come back from it before
// the producer's store completes, and a producer on another processor waited for that once per line
// (an entry cost it three times what it costs with both threads on one processor); a line that no
// cache holds is fetched from memory at less cost. With both threads on one processor the cost of an
// entry stays the same.
#ifdef YAT_LOG_COUNTER
__attribute__((target("clflushopt"))) void flushLines(unsigned char* data, size_t capacity, uint64_t from,
                                                      uint64_t to) {
    for (uint64_t at = from; at < to; at += kLineBytes) _mm_clflushopt(data + at % capacity);
}

void dropTakenLines(LogRing& ring, uint64_t from, uint64_t to) {
    static const bool canFlush = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        return __get_cpuid_count(7, 0, &a, &b, &c, &d) != 0 && (b & (1u << 23)) != 0;
    }();
    // The line holding to may still be written: the next entry can start in it.
    if (canFlush)
        flushLines(ring.data.get(), ring.capacity, from & ~uint64_t{kLineBytes - 1}, to & ~uint64_t{kLineBytes - 1});
}
#else
void dropTakenLines(LogRing&, uint64_t, uint64_t) {}
#endif

// Writes the lines gathered in out, then hands the room of the entries taken so far back to the
// callers and wakes those that wait for it when wake is true. The lines are in the file before their
// room is handed back: a caller that sees its buffer empty (awaitOwnEntries, before it writes on its
// own thread) finds its earlier entries in the file, never still on their way to it.
void writeAndRelease(std::vector<LogRing*>& rings, char* out, size_t& used, bool wake) {
    if (used > 0) LogFile::instance().write(out, used);
    used = 0;
    for (LogRing* ring : rings) {
        dropTakenLines(*ring, ring->head.load(std::memory_order_relaxed), ring->cursor);
        ring->head.store(ring->cursor, std::memory_order_release);
    }
    WriterState& state = writerState();
    if (wake && state.waiting.load(std::memory_order_acquire) > 0) {
        std::lock_guard<std::mutex> guard(state.mutex);
        state.space.notify_all();
    }
}

// Formats one entry's line into out and returns its length. A checked text is formatted straight
// into the line, after its head and tag.
size_t formatEntry(char* out, const EntryHead& head, int thread, const StampClock& clock, LogHeadCache& cache) {
    const char* tag = reinterpret_cast<const char*>(&head + 1);
    const auto* body = reinterpret_cast<const unsigned char*>(tag + head.tagBytes + 1);
    int64_t nanos = clock.nanos(head.stamp);
    if (head.format == nullptr)
        return formatLogLineAt(out, nanos, thread, tag, reinterpret_cast<const char*>(body), cache);
    size_t textAt = formatLogLineStart(out, nanos, thread, tag, cache);
    size_t textLength = head.format(head.formatText, body, out + textAt);
    return finishLogLine(out, textAt, textLength);
}

// One round of the writer: takes every entry stamped before the round's limit from every buffer,
// merged by stamp, formats the lines into out and writes them (one write per output buffer's fill).
// The merge takes runs: from the buffer with the oldest entry, every entry older than the oldest of
// the other buffers. Returns the limit: every entry stamped before it has been written.
int64_t writeRound(std::vector<LogRing*>& rings, char* out, size_t outputBytes, StampClock& clock, LogHeadCache& cache,
                   size_t* lines) {
    ClockPair now = readClocks();
    clock.update(now);
    int64_t limit = now.stamp;
    for (LogRing* ring : rings) {
        int64_t pending = ring->pending.load(std::memory_order_seq_cst);
        while (pending == kStamping) {  // a caller between its claim and its clock: nanoseconds
            std::this_thread::yield();
            pending = ring->pending.load(std::memory_order_seq_cst);
        }
        if (pending != 0 && pending < limit) limit = pending;
        ring->seenTail = ring->tail.load(std::memory_order_acquire);
        ring->cursor = ring->head.load(std::memory_order_relaxed);
    }
    WriterState& state = writerState();
    size_t used = 0;
    for (;;) {
        // The buffer whose next entry is the oldest, and the oldest next entry of the others.
        LogRing* next = nullptr;
        const EntryHead* nextHead = nullptr;
        int64_t bound = limit;
        for (LogRing* ring : rings) {
            const EntryHead* head = peekEntry(*ring);
            if (head == nullptr || head->stamp >= limit) continue;
            if (nextHead == nullptr || head->stamp < nextHead->stamp) {
                if (nextHead != nullptr) bound = std::min(bound, nextHead->stamp);
                next = ring;
                nextHead = head;
            } else {
                bound = std::min(bound, head->stamp);
            }
        }
        if (next == nullptr) break;
        // The run: the oldest entry, and those after it that are older than every other buffer's.
        do {
            used += formatEntry(out + used, *nextHead, next->thread, clock, cache);
            ++*lines;
            next->cursor += nextHead->size;
            if (outputBytes - used < kLogLineSize) {
                // A caller that waits is woken once half its buffer is free (a wake per few entries
                // would cost more than the entries).
                uint64_t held = next->tail.load(std::memory_order_relaxed) - next->cursor;
                writeAndRelease(rings, out, used, held * 2 <= next->capacity);
            }
            nextHead = peekEntry(*next);
        } while (nextHead != nullptr && nextHead->stamp < bound);
        // A caller waiting for room gets the whole of what this round took from its buffer at once
        // (fewer wakes than waking it piece by piece).
        if (nextHead == nullptr && state.waiting.load(std::memory_order_relaxed) > 0)
            writeAndRelease(rings, out, used, true);
    }
    writeAndRelease(rings, out, used, false);
    return limit;
}

// True when no buffer holds an entry or is being written.
bool allEmpty(const std::vector<LogRing*>& rings) {
    for (const LogRing* ring : rings) {
        if (ring->pending.load(std::memory_order_seq_cst) != 0) return false;
        if (ring->tail.load(std::memory_order_acquire) != ring->head.load(std::memory_order_relaxed)) return false;
    }
    return true;
}

// Frees the buffers of ended threads once the writer has taken everything in them.
void freeAbandonedLocked(WriterState& state) {
    auto& rings = state.rings;
    for (auto it = rings.begin(); it != rings.end();) {
        LogRing* ring = *it;
        if (ring->abandoned.load(std::memory_order_acquire) && ring->pending.load() == 0 &&
            ring->tail.load(std::memory_order_acquire) == ring->head.load()) {
            delete ring;
            it = rings.erase(it);
        } else {
            ++it;
        }
    }
}

// The bytes of output the writer gathers per file write this round (the writer's own state): the
// larger buffer while a thread's buffer has grown, made at the first such round (without memory for
// it the small one serves).
size_t roundOutputBytes(WriterState& state) {
    bool stream = std::any_of(state.round.begin(), state.round.end(),
                              [](const LogRing* ring) { return ring->capacity > ring->baseCapacity; });
    if (!stream) return kOutputBytes;
    if (state.outputCapacity < kStreamOutputBytes) {
        if (char* larger = new (std::nothrow) char[kStreamOutputBytes]) {
            state.output.reset(larger);
            state.outputCapacity = kStreamOutputBytes;
        }
    }
    return state.outputCapacity;
}

void writerLoop() {
    WriterState& state = writerState();
    if (state.output == nullptr) {
        state.output.reset(new char[kOutputBytes]);  // not zeroed: only what is written becomes resident
        state.outputCapacity = kOutputBytes;
    }
    LogHeadCache cache;
    int idleRounds = 0;
    std::unique_lock<std::mutex> lock(state.mutex);
    auto flushWaits = [&] { return state.flushTarget >= state.writtenUpTo; };
    for (;;) {
        state.work.wait_for(lock, kBatchWait,
                            [&] { return state.stopping || flushWaits() || state.blocked > 0 || state.wake; });
        state.wake = false;
        state.round.assign(state.rings.begin(), state.rings.end());
        lock.unlock();
        size_t lines = 0;
        int64_t upTo = writeRound(state.round, state.output.get(), roundOutputBytes(state), state.clock, cache, &lines);
        lock.lock();
        state.writtenUpTo = std::max(state.writtenUpTo, upTo);
        state.written.notify_all();
        if (state.blocked > 0) state.space.notify_all();
        freeAbandonedLocked(state);
        if (!allEmpty(state.rings)) continue;
        if (state.stopping) break;  // callers saw accepting false: nothing more comes
        idleRounds = lines > 0 ? 0 : idleRounds + 1;
        // While entries come the timed wait gathers them, and callers never pay for a wake.
        if (flushWaits() || idleRounds < kIdleRounds) continue;
        // A second without an entry: sleep until a caller's entry wakes the writer (the stamp
        // protocol in claimEntry makes sure an entry made meanwhile is either seen here or wakes
        // it). Callers pay for a wake only at the first entry after such a pause.
        state.sleeping.store(true, std::memory_order_seq_cst);
        if (allEmpty(state.rings)) {
            state.work.wait(lock, [&] { return state.stopping || flushWaits() || state.wake; });
        }
        state.sleeping.store(false, std::memory_order_seq_cst);
        idleRounds = 0;
    }
    state.running = false;
    state.written.notify_all();
    state.space.notify_all();
}

}  // namespace

void armLogWriter() {
    WriterState& state = writerState();
    std::lock_guard<std::mutex> guard(state.mutex);
    if (!state.forked) state.armed = true;
}

LogEntrySpace beginLogEntry(unsigned char* local, const char* tag, size_t argBytes) {
    WriterState& state = writerState();
    size_t tagBytes = tagLength(tag);
    if (LogRing* ring = claimRoom(state, entrySize(tagBytes, argBytes))) {
        return {entryStart(*ring) + sizeof(EntryHead) + tagBytes + 1, tagBytes, true};
    }
    awaitOwnEntries(state);
    return {local, tagBytes, false};
}

void endLogEntry(const LogEntrySpace& space, const char* tag, LogFormatFn format, const char* formatText,
                 size_t argBytes) {
    if (!space.queued) {
        char text[kLogTextSize];
        format(formatText, space.bytes, text);
        writeNow(tag, text);
        return;
    }
    LogRing& ring = *threadRing;
    writeHead(ring, tag, space.tagBytes, argBytes, format, formatText);
    publishEntry(writerState(), ring);
}

void logFinishedText(const char* tag, const char* text) {
    WriterState& state = writerState();
    size_t tagBytes = tagLength(tag);
    size_t textBytes = 0;
    if (text != nullptr) {
        const void* end = std::memchr(text, '\0', kLogLineSize);
        textBytes = end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - text) : kLogLineSize;
    }
    LogRing* ring = claimRoom(state, entrySize(tagBytes, textBytes));
    if (ring == nullptr) {
        awaitOwnEntries(state);
        writeNow(tag, text);
        return;
    }
    writeHead(*ring, tag, tagBytes, textBytes, nullptr, nullptr);
    unsigned char* body = entryStart(*ring) + sizeof(EntryHead) + tagBytes + 1;
    if (textBytes > 0) std::memcpy(body, text, textBytes);
    body[textBytes] = '\0';
    publishEntry(state, *ring);
}

}  // namespace yat

void stopLogWriter() {
    yat::WriterState& state = yat::writerState();
    std::unique_ptr<std::thread> thread;
    {
        std::unique_lock<std::mutex> lock(state.mutex);
        state.armed = false;
        if (state.stopping) {
            // Another closer joins the writer; return only once it has.
            state.written.wait(lock, [&] { return !state.stopping; });
            return;
        }
        if (!state.running) return;
        state.accepting.store(false, std::memory_order_seq_cst);
        state.stopping = true;
        state.work.notify_one();
        thread = std::move(state.thread);
    }
    // The writer drains what is buffered (callers that claimed room before the stop finish their
    // entries while it does) and then ends.
    if (thread != nullptr && thread->joinable()) thread->join();
    std::lock_guard<std::mutex> guard(state.mutex);
    yat::freeAbandonedLocked(state);  // the buffers of threads that ended are empty now
    state.stopping = false;
    state.space.notify_all();
    state.written.notify_all();
}

void flushLog() {
    yat::WriterState& state = yat::writerState();
    int64_t target = yat::stampAfterStores();
    std::unique_lock<std::mutex> lock(state.mutex);
    if (!state.running) return;
    state.flushTarget = std::max(state.flushTarget, target);
    state.work.notify_one();
    state.written.wait(lock, [&] { return state.writtenUpTo > target || !state.running; });
}

void setLogQueueBytes(size_t bytes) {
    yat::WriterState& state = yat::writerState();
    std::lock_guard<std::mutex> guard(state.mutex);
    state.wantedCapacity = bytes;
}

uint64_t logQueueWaits() { return yat::queueWaits.load(); }

bool logWriterRunning() {
    yat::WriterState& state = yat::writerState();
    std::lock_guard<std::mutex> guard(state.mutex);
    return state.running;
}
