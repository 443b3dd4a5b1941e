#pragma once
// QuietStdout: while it lives, standard output goes to /dev/null. The library prints progress lines
// of its own on standard output during some operations (sensor discovery, the LED passthru reads);
// they must not mix with yatctl's output (the log file has what matters).

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace yatctl {

class QuietStdout {
public:
    QuietStdout() {
        std::cout.flush();
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        int sink = open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && sink >= 0) dup2(sink, STDOUT_FILENO);
        if (sink >= 0) close(sink);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            dup2(saved_, STDOUT_FILENO);
            close(saved_);
        }
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_ = -1;
};

}  // namespace yatctl
