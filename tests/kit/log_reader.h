#pragma once
// LogCapture: points the library's log at a fresh temporary directory for the life of the object and
// reads the entries back as (tag, text) pairs. Also sets the sleep scale tests use.

#include <string>
#include <vector>

namespace yattest {

struct LogEntry {
    std::string tag;
    std::string text;
};

class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::string& dir() const { return dir_; }
    std::string path() const;  // libyat.log in dir(), with every queued entry written

    std::vector<LogEntry> entries() const;
    // True when an entry with this tag and exactly this text exists.
    bool has(const std::string& tag, const std::string& text) const;
    // Number of entries with this exact text (any tag).
    size_t countText(const std::string& text) const;
    // Entry texts in order, for one tag.
    std::vector<std::string> texts(const std::string& tag) const;
    // Forgets what was logged so far (truncates the file).
    void clear();

private:
    std::string dir_;
};

}  // namespace yattest
