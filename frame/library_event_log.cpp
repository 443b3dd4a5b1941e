// The library object's system event log operations: each forwards to its owner.

#include "events/event_log.h"
#include "frame/libyat.h"

int32_t cLibYAT::getFirstLogEntry(int32_t node, LogEntryInfo* entry) {
    return parts_->eventLog->getFirstLogEntry(node, entry);
}
int32_t cLibYAT::getNextLogEntry(int32_t node, LogEntryInfo* entry) {
    return parts_->eventLog->getNextLogEntry(node, entry);
}
int32_t cLibYAT::eraseLog(int32_t node) { return parts_->eventLog->eraseLog(node); }
