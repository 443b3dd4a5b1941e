// The library object's system event log operations: each forwards to its owner.
// Not built yet: each keeps the interface's base behaviour.

#include "frame/libyat.h"

int32_t cLibYAT::getFirstLogEntry(int32_t node, LogEntryInfo* entry) { return cDeviceLib::getFirstLogEntry(node, entry); }
int32_t cLibYAT::getNextLogEntry(int32_t node, LogEntryInfo* entry) { return cDeviceLib::getNextLogEntry(node, entry); }
int32_t cLibYAT::eraseLog(int32_t node) { return cDeviceLib::eraseLog(node); }
