#pragma once
// What a long-running yatctl command tells the service manager that started it (systemd's
// notification protocol, through libsystemd's sd_notify): ready once it serves, alive after each
// round of its work, stopping when a signal ends it. Each is one datagram to NOTIFY_SOCKET; when that
// is unset (not started by a manager), or yatctl was built without libsystemd, they do nothing.
// Any thread may call them.

#include <chrono>
#include <string>

namespace yatctl::service {

// READY=1, with status as the manager's STATUS= text ("serving http://127.0.0.1:9464/metrics").
void ready(const std::string& status);

// WATCHDOG=1: the work loop went round once more.
void alive();

// STOPPING=1.
void stopping();

// The longest a work loop that calls alive() may wait between two rounds: `wanted`, or half the
// watchdog interval the manager set (WATCHDOG_USEC) when that is shorter.
std::chrono::duration<double> withinWatchdog(std::chrono::duration<double> wanted);

}  // namespace yatctl::service
