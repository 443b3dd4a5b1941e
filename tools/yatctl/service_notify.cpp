#include "yatctl/service_notify.h"

#include <algorithm>

#ifdef YAT_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace yatctl::service {

#ifdef YAT_HAVE_SYSTEMD

void ready(const std::string& status) { sd_notify(0, ("READY=1\nSTATUS=" + status).c_str()); }

void alive() { sd_notify(0, "WATCHDOG=1"); }

void stopping() { sd_notify(0, "STOPPING=1\nSTATUS=stopping"); }

std::chrono::duration<double> withinWatchdog(std::chrono::duration<double> wanted) {
    uint64_t microseconds = 0;
    if (sd_watchdog_enabled(0, &microseconds) <= 0 || microseconds == 0) return wanted;
    return std::min(wanted, std::chrono::duration<double>(std::chrono::microseconds(microseconds / 2)));
}

#else

void ready(const std::string&) {}
void alive() {}
void stopping() {}
std::chrono::duration<double> withinWatchdog(std::chrono::duration<double> wanted) { return wanted; }

#endif

}  // namespace yatctl::service
