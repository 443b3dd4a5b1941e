#pragma once
// The log's queued writer: a bounded in-memory byte queue of whole lines and the one writer thread
// that appends what it holds to the log file (LogFile) in batches. The public controls (stopLogWriter,
// flushLog, setLogQueueBytes, logQueueWaits, logWriterRunning) are declared in platform/log.h; the
// ordering, back-pressure and durability rules are stated there.
//
// Threads: any thread may queue. The queue's lock is held only to copy one line in or a batch out,
// never for file I/O and never together with the file's lock (except by the fork handlers, which
// take the queue's lock first). A forked child has no writer: its entries are written synchronously.

#include <cstddef>

namespace yat {

// Lets the next queued line start the writer (initLog). Does nothing in a forked child.
void armLogWriter();

// Queues one whole line (ending in a line break, at most kLogLineSize bytes), starting the writer
// when it is armed; waits for room when the queue is full. False when the line was not queued (no
// writer armed or running, YAT_LOG=sync, a forked child, a writer that could not be started or
// stopped while the caller waited): the caller then writes it synchronously.
bool queueLogLine(const char* line, size_t length);

}  // namespace yat
