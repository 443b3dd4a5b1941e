#pragma once
// Points the library's log at a fresh temporary directory (or turns logging off) for the benchmarks,
// and puts the settings and the directory back afterwards. Mode: 0 off, 1 queued to the writer thread,
// 2 written on the caller's thread (YAT_LOG=sync, as every entry was written before the queue).

#include <filesystem>
#include <string>

#include "platform/log.h"
#include "platform/runtime.h"

namespace yatbench {

class LogSetup {
public:
    explicit LogSetup(int mode) : saved_(runtimeSettings()) {
        dir_ =
            std::filesystem::temp_directory_path() / ("yat-bench-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(dir_);
        RuntimeSettings settings = saved_;
        settings.logDir = dir_.string();
        settings.logEnabled = mode != 0;
        settings.logSync = mode == 2;
        setRuntimeSettings(settings);
        closeLog();
        initLog(kLogFileName);
    }
    ~LogSetup() {
        closeLog();
        setRuntimeSettings(saved_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    LogSetup(const LogSetup&) = delete;
    LogSetup& operator=(const LogSetup&) = delete;

private:
    RuntimeSettings saved_;
    std::filesystem::path dir_;
};

}  // namespace yatbench
