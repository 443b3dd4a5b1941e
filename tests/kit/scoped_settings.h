#pragma once
// Test helpers for process-wide state: SettingsScope puts the library's run-time settings back as
// they were when it is destroyed; TempDir makes a fresh temporary directory and removes it again.

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
