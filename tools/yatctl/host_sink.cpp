#include "yatctl/host_sink.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yatctl {

namespace {

constexpr const char* kRegistryFileName = "registry-data.reg";
constexpr const char* kMachineRoot = "HKEY_LOCAL_MACHINE\\";

std::optional<int32_t> valueAt(const void* pointer) {
    if (pointer == nullptr) return std::nullopt;
    int32_t value;
    std::memcpy(&value, pointer, sizeof value);
    return value;
}

// text, bounded: nothing when it is missing or longer than limit.
std::optional<std::string> boundedText(const char* text, size_t limit) {
    if (text == nullptr) return std::nullopt;
    size_t length = strnlen(text, limit + 1);
    if (length > limit) return std::nullopt;
    return std::string(text, length);
}

// An open descriptor, closed when it goes.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// Opens name without following a link and without waiting on a FIFO; "" when it is a regular file of
// this user's, else why not (for "<file> <why>").
std::string openRegular(const std::string& name, int flags, Descriptor& file) {
    file.fd = ::open(name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, HostSink::kFileMode);
    if (file.fd < 0) return errno == ELOOP ? "is not a regular file" : "cannot be opened";
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) return "cannot be opened";
    if (!S_ISREG(status.st_mode)) return "is not a regular file";
    if (status.st_uid != ::geteuid()) return "belongs to another user";
    return "";
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

HostSink::HostSink(std::string registryFile) : file_(std::move(registryFile)) {
    if (file_.empty()) return;
    // The state folder may be shared: a link or a FIFO in place of the file is neither followed nor
    // waited on, and nothing is written to it later.
    Descriptor file;
    std::string problem = openRegular(file_, O_RDONLY, file);
    if (file.fd < 0 && errno == ENOENT) return;  // written on first use
    if (problem.empty()) {
        char buffer[65536];
        ssize_t got = 0;
        while (contents_.size() <= kMaxFile && (got = ::read(file.fd, buffer, sizeof buffer)) > 0) {
            contents_.append(buffer, static_cast<size_t>(got));
        }
        if (got < 0) problem = "cannot be read";
        if (contents_.size() > kMaxFile) contents_.clear();  // past the bound: started afresh in memory
    }
    if (!problem.empty()) {
        contents_.clear();
        error_ = file_ + " " + problem;
        refused_ = true;
    }
}

int32_t HostSink::reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void*,
                               int32_t code, const char* text) {
    Announcement announcement;
    announcement.sensorClass = sensorClass;
    announcement.node = node;
    announcement.sensor = sensor;
    announcement.first = valueAt(first);
    announcement.second = valueAt(second);
    announcement.code = code;
    announcement.text = boundedText(text, kMaxText);
    announcements_.push_back(announcement);
    return 0;
}

int32_t HostSink::addRegistryText(const char* keyPath, const char* text) {
    (void)keyPath;  // the texts carry their own section lines
    std::optional<std::string> kept = boundedText(text, kMaxText);
    if (!kept || kept->empty() || contents_.size() + kept->size() > kMaxFile) return 1;
    contents_ += *kept;
    if (file_.empty() || refused_) return file_.empty() ? 0 : 1;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(file_).parent_path(), ignored);
    // Appended only to a regular file of this user's, never through a link.
    Descriptor out;
    std::string problem = openRegular(file_, O_WRONLY | O_APPEND | O_CREAT, out);
    bool written = problem.empty() && ::write(out.fd, kept->data(), kept->size()) == static_cast<ssize_t>(kept->size());
    if (!written && error_.empty()) error_ = "cannot write " + file_ + (problem.empty() ? "" : ": it " + problem);
    return written ? 0 : 1;
}

int32_t HostSink::findRegistryText(const char* text) {
    std::optional<std::string> wanted = boundedText(text, kMaxText);
    if (!wanted || wanted->empty()) return 0;
    if (contents_.find(*wanted) != std::string::npos) return 1;
    std::string section = lower("[" + std::string(kMachineRoot) + *wanted + "]");
    return lower(contents_).find(section) != std::string::npos ? 1 : 0;
}

void StateDirOption::add(CLI::App& app) {
    std::string service = serviceVariable_ != nullptr ? std::string("$") + serviceVariable_ + ", or " : "";
    app.add_option("--state-dir", dir_,
                   "Folder for what a host keeps between runs (the registry texts); default: " + service +
                       "$XDG_STATE_HOME/libyat or ~/.local/state/libyat");
}

std::string StateDirOption::dir() const {
    if (!dir_.empty()) return dir_;
    const char* service = serviceVariable_ != nullptr ? std::getenv(serviceVariable_) : nullptr;
    if (service != nullptr && service[0] != '\0') {
        std::string first(service, strnlen(service, 4096));
        return first.substr(0, first.find(':'));
    }
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return (std::filesystem::path(state) / "libyat").string();
    const char* home = std::getenv("HOME");
    std::filesystem::path base = home != nullptr && home[0] != '\0' ? home : ".";
    return (base / ".local" / "state" / "libyat").string();
}

std::string StateDirOption::registryFile() const { return (std::filesystem::path(dir()) / kRegistryFileName).string(); }

}  // namespace yatctl
