#pragma once
// StopSignalPipe: how SIGTERM and SIGINT reach a serving loop. The constructor makes a pipe and
// points the two signals' handler at it: each signal writes one byte to the pipe, so its read end
// turns readable (MetricsServer::serve watches it). The destructor detaches the handler first (a
// later signal writes nothing and is otherwise ignored, so a second signal cannot cut a shutdown
// short) and then closes both ends: nothing leaks, however the loop's owner ends.
//
// One at a time per process. The handler stays installed after the object is gone.

namespace yatctl {

class StopSignalPipe {
public:
    // Throws std::runtime_error when the pipe cannot be made.
    StopSignalPipe();
    ~StopSignalPipe();
    StopSignalPipe(const StopSignalPipe&) = delete;
    StopSignalPipe& operator=(const StopSignalPipe&) = delete;

    int readEnd() const { return fds_[0]; }

private:
    int fds_[2] = {-1, -1};
};

}  // namespace yatctl
