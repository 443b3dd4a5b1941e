#pragma once
// Reading a file that the library or its tools take as input (registry data, scenarios, saved
// state). Only a regular file is read: it is opened without blocking, so a FIFO, a device or a socket
// put in its place is refused at once instead of being waited on for ever, and it is checked with
// fstat on the open descriptor (no window between the check and the read). At most limit bytes are
// kept. With Links::kRefuse a symbolic link (on Windows, a reparse point) is refused as well.
//
// Threads: any; no shared state.

#include <cstddef>
#include <string>

namespace yat {

enum class FileRead {
    kRead,        // content holds the whole file
    kTooLarge,    // the file holds more than limit bytes; content holds the first limit bytes
    kMissing,     // no such file (or a folder on the way is missing)
    kNotRegular,  // a folder, FIFO, device, socket, or a link where links are refused
    kUnreadable,  // it exists but could not be opened or read (permissions, I/O error)
};

enum class Links { kFollow, kRefuse };

// Reads path into content (replaced). Returns what happened; content is empty unless kRead or kTooLarge.
FileRead readRegularFile(const std::string& path, size_t limit, std::string& content, Links links = Links::kFollow);

// A few words for a log line or a message: "not a regular file", "cannot be read", ...
const char* fileReadText(FileRead outcome);

}  // namespace yat
