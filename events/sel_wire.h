#pragma once
// Wire layout of the system event log commands. The simulator builds its answers from the same
// constants.
//
//   "3.4.2"  get (type 2): the first entry; get next (type 3): the entry after the one read last
//   "3.4.3"  set (type 0) without data: clears the log
//
// Answer of "3.4.2", offsets in the command buffer (the three command bytes take offsets 6 to 8):
//   9   entry length n, 2 bytes, least significant first; 0: no entry (the end of the log)
//   11  the n entry bytes
//
// Entry layout, offsets inside the entry:
//   0   label, 8 characters, not terminated
//   9   a byte the host receives unchanged
//   10  year within the century; 60 and above are 19yy, below 60 are 20yy
//   11  month
//   12  day of month of the date text
//   13  day of month of the timestamp text
//   14  hour, 15 minute, 16 second
//   17  message text, up to three bytes before the end of the entry

#include <cstddef>
#include <cstdint>

namespace selwire {

inline constexpr const char* kReadCommand = "3.4.2";
inline constexpr const char* kEraseCommand = "3.4.3";
inline constexpr size_t kCommandBytes = 3;

// Offsets in the answer buffer.
inline constexpr size_t kEntryLengthOffset = 9;
inline constexpr size_t kEntryOffset = 11;
// Answer data before the entry: the entry length.
inline constexpr size_t kEntryLengthSize = 2;
// The longest entry the answer buffer can hold after offset 11.
inline constexpr size_t kMaxEntryLength = 4085;
// The shortest entry that holds every field: the fixed fields and the three trailing bytes.
inline constexpr size_t kMinEntryLength = 20;

// Offsets inside an entry.
inline constexpr size_t kLabelOffset = 0;
inline constexpr size_t kLabelLength = 8;
inline constexpr size_t kEntryByteOffset = 9;
inline constexpr size_t kYearOffset = 10;
inline constexpr size_t kMonthOffset = 11;
inline constexpr size_t kDateDayOffset = 12;
inline constexpr size_t kTimestampDayOffset = 13;
inline constexpr size_t kHourOffset = 14;
inline constexpr size_t kMinuteOffset = 15;
inline constexpr size_t kSecondOffset = 16;
inline constexpr size_t kMessageOffset = 17;
// Bytes at the end of an entry that are not part of the message.
inline constexpr size_t kTrailerLength = 3;

// Year bytes from this value up belong to the 1900s, those below to the 2000s.
inline constexpr uint8_t kCenturyPivot = 60;

}  // namespace selwire
