#include "yatctl/stop_signal_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace yatctl {

namespace {

// The write end of the pipe the signal handler wakes the serving loop through; -1: none.
std::atomic<int> stopSignalFd{-1};
// Handlers between reading stopSignalFd and their write: the pipe is closed only once none is, so a
// late signal never writes into a descriptor number the process has reused for something else.
std::atomic<int> handlersWriting{0};

extern "C" void onStopSignal(int) {
    handlersWriting.fetch_add(1);
    int fd = stopSignalFd.load();
    if (fd >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t written = write(fd, &byte, 1);
    }
    handlersWriting.fetch_sub(1);
}

}  // namespace

StopSignalPipe::StopSignalPipe() {
    if (pipe2(fds_, O_CLOEXEC) != 0) throw std::runtime_error("cannot create the signal pipe");
    fcntl(fds_[1], F_SETFL, O_NONBLOCK);  // a flood of signals fills the pipe but never blocks a handler
    stopSignalFd.store(fds_[1]);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

StopSignalPipe::~StopSignalPipe() {
    stopSignalFd.store(-1);
    while (handlersWriting.load() != 0) std::this_thread::yield();  // one write at most
    close(fds_[0]);
    close(fds_[1]);
}

}  // namespace yatctl
