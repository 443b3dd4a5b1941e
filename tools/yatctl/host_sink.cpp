#include "yatctl/host_sink.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/append_file.h"
#include "platform/regular_file.h"

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

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

HostSink::HostSink(std::string registryFile) : file_(std::move(registryFile)) {
    if (file_.empty()) return;
    // The state folder may be shared: a link or a FIFO in place of the file is neither followed nor
    // waited on, and nothing is written to it later.
    yat::FileRead outcome = yat::readRegularFile(file_, kMaxFile, contents_, yat::Links::kRefuse);
    if (outcome == yat::FileRead::kNotRegular || outcome == yat::FileRead::kUnreadable) {
        error_ = file_ + " " + yat::fileReadText(outcome);
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
    // Appended only to a regular file of this user's, never through a link (platform/append_file.h).
    yat::AppendFile out;
    yat::FileOpen opened = out.open(file_, kFileMode);
    bool written = yat::opened(opened) && out.append(kept->data(), kept->size()) == kept->size();
    if (!written && error_.empty()) {
        error_ =
            "cannot write " + file_ + (yat::opened(opened) ? "" : std::string(": it ") + yat::fileOpenText(opened));
    }
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
