#pragma once
// The log's deferred writer: one entry buffer per logging thread and the one writer thread that
// formats their entries and appends the lines to the log file (LogFile) in batches. The public
// controls (stopLogWriter, flushLog, setLogQueueBytes, logQueueWaits, logWriterRunning) are declared
// in platform/log.h; the ordering, back-pressure and durability rules are stated there.
//
// An entry is the tag's bytes, the raw argument values of a checked text (platform/log_text.h) or a
// finished text, the thread's number and a system-clock time stamp. Each thread writes only into its
// own buffer (a byte ring with one producer and one consumer): no lock is shared on the caller's path.
// The writer merges the buffers by time stamp, so the file holds the entries in the order they were
// made across threads, and one thread's entries always in its own order.
//
// Threads: the writer's state lock is taken by callers only to start the writer, to wait for room
// and to wake a sleeping writer; never for file I/O and never together with the file's lock (except
// by the fork handlers, which take the state lock first). A forked child has no writer: its entries
// are written synchronously.

#include <cstddef>

namespace yat {

// Lets the next entry start the writer (initLog). Does nothing in a forked child.
void armLogWriter();

// Appends one entry whose text is finished (tag and text cleaned when the line is made). Queued to
// the writer when one runs or is armed, otherwise written at once on the caller's thread.
void logFinishedText(const char* tag, const char* text);

}  // namespace yat
