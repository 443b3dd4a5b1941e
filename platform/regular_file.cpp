#include "platform/regular_file.h"

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
constexpr int kOpenFlags = O_RDONLY | O_BINARY;
int closeFile(int fd) { return ::_close(fd); }
int readFile(int fd, char* into, size_t size) { return ::_read(fd, into, static_cast<unsigned>(size)); }
bool isRegular(int fd) {
    struct _stat64 info {};
    return ::_fstat64(fd, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}
#else
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
int closeFile(int fd) { return ::close(fd); }
ssize_t readFile(int fd, char* into, size_t size) { return ::read(fd, into, size); }
bool isRegular(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}
#endif

// Closes the descriptor however the function is left.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) closeFile(fd);
    }
};

}  // namespace

FileRead readRegularFile(const std::string& path, size_t limit, std::string& content, Links links) {
    content.clear();
    int flags = kOpenFlags;
#ifdef _WIN32
    if (links == Links::kRefuse) {
        // Windows opens through reparse points without a flag to stop it: refuse them beforehand.
        std::error_code error;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) return FileRead::kNotRegular;
    }
#else
    if (links == Links::kRefuse) flags |= O_NOFOLLOW;
#endif
    Descriptor file{::open(path.c_str(), flags)};
    if (file.fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return FileRead::kMissing;
        if (errno == ELOOP || errno == EISDIR || errno == ENXIO) return FileRead::kNotRegular;
        return FileRead::kUnreadable;
    }
    if (!isRegular(file.fd)) return FileRead::kNotRegular;
    // One byte past the limit tells a file of exactly limit bytes from a larger one.
    char piece[16384];
    for (;;) {
        size_t want = std::min(sizeof piece, limit + 1 - std::min(content.size(), limit));
        auto got = readFile(file.fd, piece, want);
        if (got < 0) {
            if (errno == EINTR) continue;
            content.clear();
            return FileRead::kUnreadable;
        }
        if (got == 0) break;
        content.append(piece, static_cast<size_t>(got));
        if (content.size() > limit) {
            content.resize(limit);
            return FileRead::kTooLarge;
        }
    }
    return FileRead::kRead;
}

const char* fileReadText(FileRead outcome) {
    switch (outcome) {
        case FileRead::kRead: return "read";
        case FileRead::kTooLarge: return "larger than the limit";
        case FileRead::kMissing: return "does not exist";
        case FileRead::kNotRegular: return "is not a regular file";
        case FileRead::kUnreadable: return "cannot be read";
    }
    return "cannot be read";
}

}  // namespace yat
