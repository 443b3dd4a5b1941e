#pragma once
// QuietStdout: for its lifetime, standard output goes to /dev/null. Some library operations print
// progress lines of their own on standard output (their log file has them too); they must not mix
// with yatctl's tables or JSON.

namespace yatctl {

class QuietStdout {
public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_ = -1;
};

}  // namespace yatctl
