#pragma once
// HostSink: yatctl's sensor sink, as a host agent keeps one. It records every sensor the library
// announces through reportSensor, and keeps the registry texts the library hands it (the fan texts
// under "SOFTWARE\Zentro\Vigilor\SPfan") in a registry-data file, so that a fan once seen stays known
// across runs. Without a file the texts live only as long as the sink.
//
// The file holds the texts as the library gave them, one after the other. findRegistryText answers
// 1 when the file holds the text, or when the text is a key path whose section line
// ("[HKEY_LOCAL_MACHINE\<path>]") it holds (keys compared without regard to case). Texts and the file
// are bounded (kMaxText, kMaxFile); a text past the bounds is not kept. The file is read and written
// only when it is a regular file of this user's: a symbolic link or a FIFO under its name is neither
// followed nor waited on (registryError says so, and the texts live in memory only).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "yat/sensor_sink.h"

namespace CLI {
class App;
}

namespace yatctl {

class HostSink final : public cSensorSink {
public:
    static constexpr size_t kMaxText = 1024;
    static constexpr size_t kMaxFile = 1024 * 1024;
    static constexpr int kFileMode = 0600;

    // One reportSensor call, with the values its pointers referred to at the time.
    struct Announcement {
        int32_t sensorClass = 0;
        int32_t node = 0;
        int32_t sensor = 0;
        std::optional<int32_t> first;
        std::optional<int32_t> second;
        int32_t code = 0;
        std::optional<std::string> text;
    };

    // registryFile: the registry-data file (read now if it exists), or "" for texts in memory only.
    explicit HostSink(std::string registryFile = "");

    int32_t reportSensor(int32_t sensorClass, int32_t node, int32_t sensor, void* first, void* second, void* third,
                         int32_t code, const char* text) override;
    int32_t addRegistryText(const char* keyPath, const char* text) override;
    int32_t findRegistryText(const char* text) override;

    const std::vector<Announcement>& announcements() const { return announcements_; }
    const std::string& registryFile() const { return file_; }
    // The first problem writing the file, or "".
    const std::string& registryError() const { return error_; }

private:
    std::string file_;
    std::string contents_;
    std::string error_;
    bool refused_ = false;  // the name holds something other than a regular file: never written
    std::vector<Announcement> announcements_;
};

// The --state-dir option: where yatctl keeps what a host keeps between runs.
class StateDirOption {
public:
    // serviceVariable: an environment variable naming the folder when --state-dir is not given (the
    // first of its colon-separated folders), as a service manager sets STATE_DIRECTORY; null: none.
    explicit StateDirOption(const char* serviceVariable = nullptr) : serviceVariable_(serviceVariable) {}
    void add(CLI::App& app);
    // The chosen folder, or the service variable's, or $XDG_STATE_HOME/libyat, or ~/.local/state/libyat.
    std::string dir() const;
    // The registry-data file inside it.
    std::string registryFile() const;

private:
    const char* serviceVariable_;
    std::string dir_;
};

}  // namespace yatctl
