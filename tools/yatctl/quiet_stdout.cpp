#include "yatctl/quiet_stdout.h"

#include <fcntl.h>
#include <unistd.h>

#include <iostream>

namespace yatctl {

QuietStdout::QuietStdout() {
    std::cout.flush();
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    int sink = open("/dev/null", O_WRONLY);
    if (saved_ >= 0 && sink >= 0) dup2(sink, STDOUT_FILENO);
    if (sink >= 0) close(sink);
}

QuietStdout::~QuietStdout() {
    std::fflush(stdout);
    if (stream_ != nullptr) {
        std::fflush(stream_);
        std::fclose(stream_);  // closes its own copy of the saved descriptor
    }
    if (saved_ >= 0) {
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
}

FILE* QuietStdout::out() {
    if (stream_ == nullptr && saved_ >= 0) {
        int copy = dup(saved_);
        if (copy >= 0) stream_ = fdopen(copy, "w");
        if (stream_ == nullptr && copy >= 0) close(copy);
    }
    return stream_ != nullptr ? stream_ : stdout;
}

}  // namespace yatctl
