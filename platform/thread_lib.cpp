#include "platform/thread_lib.h"

#include <utility>
#include <vector>

#include "platform/runtime.h"
#include "yat/result_codes.h"

namespace {

std::atomic<int32_t> startedAndRunning{0};
thread_local bool libraryThread = false;

}  // namespace

// Abandoned threads with their states. Never destroyed: a thread still listed when the process ends
// must not meet a joinable std::thread's destructor.
struct AbandonedThreads {
    std::mutex mutex;
    std::vector<std::pair<std::thread, std::shared_ptr<void>>> threads;
};
static AbandonedThreads& abandonedThreads() {
    static AbandonedThreads* list = new AbandonedThreads;
    return *list;
}

bool cThreadLib::onLibraryThread() { return libraryThread; }

int32_t cThreadLib::runningThreads() { return startedAndRunning.load(); }

cThreadLib::cThreadLib() : state_(std::make_shared<State>()) {}

cThreadLib::~cThreadLib() {
    // A thread that does not end is abandoned by threadClose itself; a destructor can do no more.
    if (thread_.joinable()) (void)threadClose();
}

int32_t cThreadLib::threadStart(Entry entry, void* argument) {
    if (entry == nullptr || thread_.joinable()) return ERR_FAILED;
    state_ = std::make_shared<State>();
    try {
        std::shared_ptr<State> state = state_;
        startedAndRunning.fetch_add(1);
        thread_ = std::thread([state, entry, argument] {
            libraryThread = true;
            entry(argument);
            startedAndRunning.fetch_sub(1);
            std::lock_guard<std::mutex> guard(state->mutex);
            state->finished = true;
            state->done.notify_all();
        });
    } catch (...) {
        startedAndRunning.fetch_sub(1);
        return ERR_FAILED;
    }
    return ERR_SUCCESS;
}

void cThreadLib::wait(const std::atomic<bool>* stopFlag, int32_t intervalSeconds) {
    std::shared_ptr<State> state = state_;
    std::unique_lock<std::mutex> lock(state->mutex);
    uint64_t intervalMs = intervalSeconds > 0 ? static_cast<uint64_t>(intervalSeconds) * 1000u : 0;
    auto deadline = std::chrono::steady_clock::now() + scaledWait(intervalMs);
    state->wake.wait_until(lock, deadline, [&] { return state->event || (stopFlag != nullptr && stopFlag->load()); });
    state->event = false;
}

void cThreadLib::sendEvent() {
    std::shared_ptr<State> state = state_;
    std::lock_guard<std::mutex> guard(state->mutex);
    state->event = true;
    state->wake.notify_all();
}

int32_t cThreadLib::threadClose(int32_t limitMs) {
    if (limitMs < 0) return threadClose(std::chrono::steady_clock::time_point::max());
    return threadClose(std::chrono::steady_clock::now() + scaledWait(static_cast<uint64_t>(limitMs)));
}

int32_t cThreadLib::threadClose(std::chrono::steady_clock::time_point deadline) {
    if (!thread_.joinable()) return ERR_FAILED;
    if (thread_.get_id() == std::this_thread::get_id()) {
        abandon();  // a thread cannot wait for itself
        return ERR_FAILED;
    }
    std::shared_ptr<State> state = state_;
    bool ended = true;
    if (deadline != std::chrono::steady_clock::time_point::max()) {
        std::unique_lock<std::mutex> lock(state->mutex);
        ended = state->done.wait_until(lock, deadline, [&] { return state->finished; });
    }
    if (ended) {
        thread_.join();
        return ERR_SUCCESS;
    }
    abandon();
    return ERR_FAILED;
}

void cThreadLib::abandon() {
    AbandonedThreads& list = abandonedThreads();
    {
        std::lock_guard<std::mutex> guard(list.mutex);
        try {
            list.threads.emplace_back(std::move(thread_), state_);
        } catch (...) {
            thread_.detach();  // no memory for the list: the thread cannot be joined later
        }
    }
    // Threads abandoned earlier that have ended since are joined now, so that a process that keeps
    // the library open for months does not keep their stacks.
    joinAbandoned(std::chrono::steady_clock::now());
}

size_t cThreadLib::joinAbandoned(std::chrono::steady_clock::time_point deadline) {
    AbandonedThreads& list = abandonedThreads();
    std::vector<std::pair<std::thread, std::shared_ptr<void>>> threads;
    {
        std::lock_guard<std::mutex> guard(list.mutex);
        threads.swap(list.threads);
    }
    std::vector<std::pair<std::thread, std::shared_ptr<void>>> remaining;
    for (auto& [thread, opaque] : threads) {
        auto state = std::static_pointer_cast<State>(opaque);
        bool ended = false;
        if (thread.get_id() != std::this_thread::get_id()) {
            std::unique_lock<std::mutex> lock(state->mutex);
            ended = state->done.wait_until(lock, deadline, [&] { return state->finished; });
        }
        if (ended) {
            thread.join();
        } else {
            remaining.emplace_back(std::move(thread), std::move(opaque));
        }
    }
    std::lock_guard<std::mutex> guard(list.mutex);
    for (auto& entry : remaining) list.threads.push_back(std::move(entry));
    return list.threads.size();
}

void cThreadLib::releaseHandle() {
    if (!thread_.joinable()) return;
    std::shared_ptr<State> state = state_;
    std::lock_guard<std::mutex> guard(state->mutex);
    if (state->finished) thread_.join();
}

bool cThreadLib::running() const {
    std::lock_guard<std::mutex> guard(state_->mutex);
    return thread_.joinable() && !state_->finished;
}
