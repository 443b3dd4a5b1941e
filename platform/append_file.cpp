#include "platform/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace yat {

namespace {

#ifdef _WIN32
using FileStat = struct _stat64;
constexpr int kAppendFlags = _O_RDWR | _O_APPEND | _O_BINARY | _O_NOINHERIT;
constexpr int kCopyFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT;
int openFile(const std::string& path, int flags, int) { return ::_open(path.c_str(), flags, _S_IREAD | _S_IWRITE); }
int closeFile(int fd) { return ::_close(fd); }
long long writeFile(int fd, const char* data, size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
}
long long readAt(int fd, char* into, size_t size, uint64_t offset) {
    if (::_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) return -1;
    return ::_read(fd, into, static_cast<unsigned>(size));
}
bool statFile(int fd, FileStat& info) { return ::_fstat64(fd, &info) == 0; }
bool isRegular(const FileStat& info) { return (info.st_mode & _S_IFMT) == _S_IFREG; }
bool ownedByCaller(const FileStat&) { return true; }  // no owner in the stat record; the folder's ACL decides
bool cutFile(int fd, uint64_t size) { return ::_chsize_s(fd, static_cast<long long>(size)) == 0; }
// Windows opens through reparse points without a flag to stop it: refuse them beforehand.
bool linkAt(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, error));
}
#else
using FileStat = struct stat;
// Non-blocking, so that a FIFO without a reader fails at once instead of waiting for one.
constexpr int kAppendFlags = O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
constexpr int kCopyFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
int openFile(const std::string& path, int flags, int mode) { return ::open(path.c_str(), flags, mode); }
int closeFile(int fd) { return ::close(fd); }
ssize_t writeFile(int fd, const char* data, size_t size) { return ::write(fd, data, size); }
ssize_t readAt(int fd, char* into, size_t size, uint64_t offset) {
    return ::pread(fd, into, size, static_cast<off_t>(offset));
}
bool statFile(int fd, FileStat& info) { return ::fstat(fd, &info) == 0; }
bool isRegular(const FileStat& info) { return S_ISREG(info.st_mode); }
bool ownedByCaller(const FileStat& info) { return info.st_uid == ::geteuid(); }
bool cutFile(int fd, uint64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0; }
bool linkAt(const std::string&) { return false; }  // O_NOFOLLOW refuses it in the open itself
#endif

// Writes all of size bytes to fd (a new file); false on any failure.
bool writeWhole(int fd, const char* data, size_t size) {
    while (size > 0) {
        auto wrote = writeFile(fd, data, size);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        data += wrote;
        size -= static_cast<size_t>(wrote);
    }
    return true;
}

}  // namespace

bool opened(FileOpen outcome) { return outcome == FileOpen::kOpened || outcome == FileOpen::kCreated; }

const char* fileOpenText(FileOpen outcome) {
    switch (outcome) {
        case FileOpen::kOpened: return "opened";
        case FileOpen::kCreated: return "created";
        case FileOpen::kNotRegular: return "is not a regular file";
        case FileOpen::kNotOwned: return "belongs to another user";
        case FileOpen::kFailed: return "cannot be opened";
    }
    return "cannot be opened";
}

AppendFile::~AppendFile() { close(); }

void AppendFile::close() {
    if (fd_ >= 0) closeFile(fd_);
    fd_ = -1;
}

FileOpen AppendFile::open(const std::string& path, int mode) {
    close();
    if (linkAt(path)) return FileOpen::kNotRegular;
    bool created = true;
    int fd = openFile(path, kAppendFlags | O_CREAT | O_EXCL, mode);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = openFile(path, kAppendFlags, mode);
        // A file of the caller's that it may write but not read: appending still works (copyTo not).
        if (fd < 0 && errno == EACCES) fd = openFile(path, (kAppendFlags & ~O_RDWR) | O_WRONLY, mode);
    }
    if (fd < 0) {
        // ELOOP: a link; ENXIO: a FIFO without a reader; EISDIR: a folder.
        if (errno == ELOOP || errno == ENXIO || errno == EISDIR) return FileOpen::kNotRegular;
        return FileOpen::kFailed;
    }
    FileStat info{};
    FileOpen outcome = created ? FileOpen::kCreated : FileOpen::kOpened;
    if (!statFile(fd, info)) {
        outcome = FileOpen::kFailed;
    } else if (!isRegular(info)) {
        outcome = FileOpen::kNotRegular;
    } else if (!ownedByCaller(info)) {
        outcome = FileOpen::kNotOwned;
    }
    if (!opened(outcome)) {
        closeFile(fd);
        return outcome;
    }
#ifndef _WIN32
    // Regular files never block, but the descriptor is used for ordinary writes from here on.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
    fd_ = fd;
    device_ = static_cast<uint64_t>(info.st_dev);
    inode_ = static_cast<uint64_t>(info.st_ino);
    return outcome;
}

size_t AppendFile::append(const char* data, size_t size) {
    size_t done = 0;
    while (fd_ >= 0 && done < size) {
        auto wrote = writeFile(fd_, data + done, size - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) break;
        done += static_cast<size_t>(wrote);
    }
    return done;
}

bool AppendFile::truncate(uint64_t size) { return fd_ >= 0 && cutFile(fd_, size); }

uint64_t AppendFile::size() const {
    FileStat info{};
    return fd_ >= 0 && statFile(fd_, info) && info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

bool AppendFile::copyTo(const std::string& path, int mode) const {
    if (fd_ < 0 || linkAt(path)) return false;
    int target = openFile(path, kCopyFlags, mode);
    if (target < 0) return false;
    char piece[16384];
    uint64_t offset = 0;
    bool copied = true;
    for (;;) {
        auto got = readAt(fd_, piece, sizeof piece, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) copied = false;
        if (got <= 0) break;
        if (!writeWhole(target, piece, static_cast<size_t>(got))) {
            copied = false;
            break;
        }
        offset += static_cast<uint64_t>(got);
    }
    if (closeFile(target) != 0) copied = false;
    return copied;
}

bool AppendFile::isAt(const std::string& path) const {
    if (fd_ < 0) return false;
#ifdef _WIN32
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error));
#else
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           static_cast<uint64_t>(info.st_dev) == device_ && static_cast<uint64_t>(info.st_ino) == inode_;
#endif
}

}  // namespace yat
