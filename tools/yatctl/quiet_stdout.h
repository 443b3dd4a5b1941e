#pragma once
// QuietStdout: while it lives, the process's standard output goes to /dev/null, so the library's own
// progress lines do not mix with yatctl's output (its log file has them). yatctl's own lines go to
// out(), a stream on the real standard output.

#include <cstdio>

namespace yatctl {

class QuietStdout {
public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

    // The real standard output (stdout itself when it could not be kept aside).
    FILE* out();

private:
    int saved_ = -1;
    FILE* stream_ = nullptr;
};

}  // namespace yatctl
