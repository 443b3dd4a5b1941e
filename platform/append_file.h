#pragma once
// Appending to a file that the library or its tools write (the log, a host's saved registry texts),
// in a folder that others may be able to write to. The name is opened without following a symbolic
// link (on Windows a reparse point is refused), created exclusively when it is new, opened without
// blocking (a FIFO in its place is refused at once), and checked on the open descriptor to be a
// regular file owned by the caller before anything is written. Writes go through that descriptor
// only, so a name swapped after the open is never written.
//
// Threads: one AppendFile belongs to one caller at a time (the log serialises its own use).

#include <cstddef>
#include <cstdint>
#include <string>

namespace yat {

enum class FileOpen {
    kOpened,      // an existing regular file of the caller's
    kCreated,     // a new file, made by this open
    kNotRegular,  // a link, folder, FIFO, device or socket under the name
    kNotOwned,    // a regular file of another user
    kFailed,      // could not be opened or made (missing folder, permissions, ...)
};

// True for kOpened and kCreated.
bool opened(FileOpen outcome);
// A few words for a message: "is not a regular file", "belongs to another user", ...
const char* fileOpenText(FileOpen outcome);

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens path for appending (closing what was open), creating it with mode (POSIX permission
    // bits; on Windows the folder's inherited permissions) when it does not exist.
    FileOpen open(const std::string& path, int mode);
    bool isOpen() const { return fd_ >= 0; }
    void close();

    // Appends size bytes and returns how many were written: fewer only when the disk is full or the
    // file cannot grow (the rest is not written).
    size_t append(const char* data, size_t size);
    // Cuts the file to size bytes (to take back what a failed append left half-written).
    bool truncate(uint64_t size);
    // The file's size now, or 0 when it cannot be told.
    uint64_t size() const;
    // Copies the whole file into a new file at path, made exclusively (an existing name, a link
    // included, makes it fail). True when every byte was copied.
    [[nodiscard]] bool copyTo(const std::string& path, int mode) const;
    // Whether path names this open file now (the same file, not a link to it). Where a file's
    // identity cannot be told (Windows), whether path is a regular file at all.
    bool isAt(const std::string& path) const;

private:
    int fd_ = -1;
    uint64_t device_ = 0;
    uint64_t inode_ = 0;
};

}  // namespace yat
