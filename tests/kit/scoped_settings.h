#pragma once
// Test helpers for process-wide state: SettingsScope puts the library's run-time settings back as
// they were when it is destroyed; TempDir makes a fresh temporary directory and removes it again;
// makeTempDir and setEnvironment do what mkdtemp and setenv do, on Linux and Windows alike.

#include <string>

#include "platform/runtime.h"

namespace yattest {

class SettingsScope {
public:
    SettingsScope() : saved_(runtimeSettings()) {}
    ~SettingsScope() { setRuntimeSettings(saved_); }
    SettingsScope(const SettingsScope&) = delete;
    SettingsScope& operator=(const SettingsScope&) = delete;

    // Changes the settings in force (restored by the destructor).
    template <class Change>
    void change(Change change) {
        RuntimeSettings settings = runtimeSettings();
        change(settings);
        setRuntimeSettings(settings);
    }

private:
    RuntimeSettings saved_;
};

// Makes a new directory in the system's temporary directory, named prefix and six random characters,
// and returns its path. Throws std::runtime_error when none can be made.
std::string makeTempDir(const std::string& prefix);

// Sets an environment variable of this process, or removes it when value is null.
void setEnvironment(const char* name, const char* value);

// Replaces the file at path with content (bytes as given).
void writeFile(const std::string& path, const std::string& content);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path()/name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

}  // namespace yattest
