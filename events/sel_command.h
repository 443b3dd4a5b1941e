#pragma once
// cSPSEL: the command object of the system event log ("3.4.2" first/next entry, "3.4.3" erase) and
// the decoder that turns one "3.4.2" answer into the host's LogEntryInfo.
//
// A short-lived local of the caller; one thread at a time.

#include <cstddef>
#include <cstdint>

#include "commands/sp_cmd.h"

struct LogEntryInfo;

// Decodes a whole "3.4.2" answer buffer of size bytes (offsets as in sel_wire.h) into record.
// Results:
//   ERR_SUCCESS                 record filled (message, time, timestamp, date, label texts and the
//                               entry byte)
//   ERR_BAD_ANSWER (2)          status byte not SpStatus::kOk; or the entry is shorter than 20 bytes,
//                               longer than 4085 bytes, or longer than the answer's data length (or
//                               the given size) holds
//   ERR_EMPTY (11)              entry length 0, or the answer too short to hold an entry length: no
//                               entry
//   ERR_INVALID_PARAMETER (12)  record is null
// On any other result than ERR_SUCCESS the record is left untouched. The message is cut to 383
// characters and stops at its first zero byte; nothing past the entry or the buffer is read.
[[nodiscard]] int32_t decodeLogEntry(const uint8_t* answer, size_t size, LogEntryInfo* record);

class cSPSEL final : public cSPCmd {
public:
    // Builds the "3.4.2" get (the first entry) or get next (the entry after the one read last).
    uint8_t* buildFirst();
    uint8_t* buildNext();
    // Builds the "3.4.3" set without data (clears the log).
    uint8_t* buildErase();

    // Slot 1: decodes the last answer into the LogEntryInfo at output (kind is ignored); results as
    // decodeLogEntry.
    [[nodiscard]] int32_t getCommandData(int32_t kind, void* output) override;
};
