#pragma once
// Points the library's log at a fresh temporary directory (or turns logging off) for the benchmarks,
// and puts the settings back afterwards.

#include <string>

#include "kit/scoped_settings.h"
#include "platform/log.h"
#include "platform/runtime.h"

namespace yatbench {

class LogSetup {
public:
    explicit LogSetup(bool logging) {
        settings_.change([&](RuntimeSettings& s) {
            s.logDir = dir_.path();
            s.logEnabled = logging;
        });
        closeLog();
        initLog(kLogFileName);
    }
    ~LogSetup() { closeLog(); }
    LogSetup(const LogSetup&) = delete;
    LogSetup& operator=(const LogSetup&) = delete;

private:
    yattest::TempDir dir_;
    yattest::SettingsScope settings_;
};

}  // namespace yatbench
