// The log's entry points: opening and closing, one entry, printf-style entries, progress lines and
// dumps. Entries are buffered by platform/log_writer.h, made into lines by platform/log_line.h and
// written by platform/log_file.h (on the caller's thread, when no writer takes them). Checked texts
// (platform/log_text.h) are formatted by the writer; the printf-style entries here are formatted by
// the caller and buffered as finished texts.

#include "platform/log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/log_file.h"
#include "platform/log_line.h"
#include "platform/log_texts.h"
#include "platform/log_writer.h"
#include "platform/runtime.h"

void initLog(const char* fileName) {
    if (!loggingEnabled()) return;  // with logging off no file is created
    yat::LogFile::instance().open(yat::logPathFor(fileName));
    yat::armLogWriter();
    // Settings the environment gave out of range: said once, by the first open after they were read.
    for (const std::string& warning : takeSettingWarnings())
        addLogItemToFile(kLogFileName, platform_texts::kTagSettings, warning.c_str());
}

void closeLog() {
    stopLogWriter();
    yat::LogFile::instance().close();
}

void addLogItemToFile(const char* fileName, const char* tag, const char* text) {
    if (!loggingEnabled()) return;
    (void)fileName;  // every entry goes to the one log file opened by initLog
    yat::logFinishedText(tag, text);
}

void yatLog(const char* tag, const char* format, ...) {
    if (!loggingEnabled()) return;
    char text[kLogTextSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    addLogItemToFile(kLogFileName, tag, text);
}

void yatProgress(const char* format, ...) {
    StdoutMode mode = stdoutMode();
    if (mode == StdoutMode::Off) return;
    va_list args;
    va_start(args, format);
    if (mode == StdoutMode::On) {
        std::vprintf(format, args);
        std::fflush(stdout);
    } else if (loggingEnabled()) {
        char text[kLogTextSize];
        std::vsnprintf(text, sizeof text, format, args);
        addLogItemToFile(kLogFileName, platform_texts::kTagStdout, text);
    }
    va_end(args);
}

int32_t dumpdata(const void* data, size_t length) {
    if (data == nullptr || !loggingEnabled()) return 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t count = length < kDumpMaxBytes ? length : kDumpMaxBytes;
    static const char digits[] = "0123456789ABCDEF";
    for (size_t offset = 0; offset < count; offset += 16) {
        char text[80];
        int pos = std::snprintf(text, sizeof text, "%04x:", static_cast<unsigned>(offset));
        for (size_t i = offset; i < offset + 16 && i < count; ++i) {
            text[pos++] = ' ';
            text[pos++] = digits[bytes[i] >> 4];
            text[pos++] = digits[bytes[i] & 0x0F];
        }
        text[pos] = '\0';
        addLogItemToFile(kLogFileName, platform_texts::kTagDumpdata, text);
    }
    return static_cast<int32_t>(count);
}
