#pragma once
// EventLog: the SP's system event log as the host reads it, entry by entry, and clears it. Owned by
// cLibYAT; it keeps no state of its own besides the comm device (the read position is the SP's: a get
// next asks for the entry after the one the SP handed out last).
//
// Threads: any host thread; no lock is taken and none may be held by the caller across a call (each
// operation sends SP commands).

#include <cstdint>

class cBusComm;
struct LogEntryInfo;

class EventLog {
public:
    // comm may be null (a library object without a comm device): every operation then returns
    // ERR_DEVICE_NOT_OPEN (13).
    explicit EventLog(cBusComm* comm) : comm_(comm) {}

    // The first entry of node's log ("3.4.2", get) into entry. Results:
    //   ERR_SUCCESS                 entry filled
    //   ERR_BAD_ANSWER (2)          the SP answered with a non-zero status, or the entry is malformed
    //                               (shorter than 20 bytes, longer than its answer holds); entry untouched
    //   ERR_EMPTY (11)              the log is empty; entry untouched
    //   ERR_INVALID_PARAMETER (12)  entry is null (nothing sent)
    //   ERR_DEVICE_NOT_OPEN (13)    no comm device
    //   the transport code when the send failed
    [[nodiscard]] int32_t getFirstLogEntry(int32_t node, LogEntryInfo* entry);

    // The entry after the one read last ("3.4.2", get next); results as getFirstLogEntry, ERR_EMPTY
    // marking the end of the log. Logs nothing.
    [[nodiscard]] int32_t getNextLogEntry(int32_t node, LogEntryInfo* entry);

    // Clears node's log ("3.4.3", set without data). Results: ERR_SUCCESS; ERR_BAD_ANSWER (2) when
    // the SP refused (non-zero status: the log was not cleared); ERR_DEVICE_NOT_OPEN (13) without
    // comm device; the transport code when the send failed.
    [[nodiscard]] int32_t eraseLog(int32_t node);

private:
    cBusComm* comm_;
};
