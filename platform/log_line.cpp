// The log's line format: time and thread head, cleaned tag and text.

#include "platform/log_line.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace yat {

namespace {

void utcTime(std::time_t seconds, std::tm* out) {
#ifdef _WIN32
    gmtime_s(out, &seconds);
#else
    gmtime_r(&seconds, out);
#endif
}

// Writes value as exactly width decimal digits.
char* putDigits(char* out, uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// Writes "<date> <time>.<micros>Z [T<n>] " into line (at least 64 bytes) for a time in microseconds
// and returns its length. The text up to the second comes from cache, rebuilt when the second changes.
size_t formatHead(char* line, int64_t micros, int thread, LogHeadCache& cache) {
    int64_t second = micros / 1000000;
    if (second != cache.second) {
        std::tm utc{};
        utcTime(static_cast<std::time_t>(second), &utc);
        int n = std::snprintf(cache.text, sizeof cache.text, "%04d-%02d-%02d %02d:%02d:%02d.", utc.tm_year + 1900,
                              utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
        cache.length = n > 0 && static_cast<size_t>(n) < sizeof cache.text ? static_cast<size_t>(n) : 0;
        cache.second = second;
    }
    char* out = line;
    std::memcpy(out, cache.text, cache.length);
    out += cache.length;
    out = putDigits(out, static_cast<uint64_t>(micros % 1000000), 6);
    static constexpr char kThreadOpen[] = {'Z', ' ', '[', 'T'};
    std::memcpy(out, kThreadOpen, sizeof kThreadOpen);
    out += sizeof kThreadOpen;
    char digits[12];
    char* end = digits + sizeof digits;
    char* first = end;
    auto number = static_cast<unsigned>(thread);
    do {
        *--first = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    std::memcpy(out, first, static_cast<size_t>(end - first));
    out += end - first;
    static constexpr char kThreadClose[] = {']', ' '};
    std::memcpy(out, kThreadClose, sizeof kThreadClose);
    out += sizeof kThreadClose;
    return static_cast<size_t>(out - line);
}

// Length of the run of printable ASCII bytes (0x20..0x7E) at the start of s[0..n), the usual text:
// eight bytes at a time, the rest one by one. For a word, each of the two terms below has a high bit
// set exactly when the word holds a byte below 0x20 (resp. above 0x7E).
size_t printableRun(const unsigned char* s, size_t n) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighs = 0x8080808080808080ULL;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, s + i, 8);
        uint64_t below = (word - kOnes * 0x20) & ~word;          // a byte below 0x20
        uint64_t above = (word + kOnes * (0x7F - 0x7E)) | word;  // a byte above 0x7E
        if (((below | above) & kHighs) != 0) break;
    }
    while (i < n && s[i] >= 0x20 && s[i] < 0x7F) ++i;
    return i;
}

// Length of the valid UTF-8 sequence at s (end bounds it), or 0 when the byte there does not start
// one. Overlong forms, surrogates and values above U+10FFFF are not valid.
size_t utf8Length(const unsigned char* s, const unsigned char* end) {
    unsigned char c = s[0];
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (static_cast<size_t>(end - s) < length) return 0;
    if (s[1] < low || s[1] > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (s[i] < 0x80 || s[i] > 0xBF) return 0;
    }
    return length;
}

// Appends src to line at *pos (capacity cap) without its trailing line breaks. Control characters
// (C0, DEL and the C1 range U+0080..U+009F) become blanks; bytes outside valid UTF-8 become \xNN.
void appendClean(char* line, size_t* pos, size_t cap, const char* src) {
    if (src == nullptr) return;
    size_t length = std::strlen(src);
    while (length > 0 && (src[length - 1] == '\n' || src[length - 1] == '\r')) --length;
    const auto* s = reinterpret_cast<const unsigned char*>(src);
    const unsigned char* end = s + length;
    static const char digits[] = "0123456789ABCDEF";
    size_t p = *pos;
    while (s != end && p < cap) {
        // A run of printable ASCII bytes, the usual text, is copied as it is.
        const unsigned char* run = s + printableRun(s, std::min(static_cast<size_t>(end - s), cap - p));
        if (run != s) {
            std::memcpy(line + p, s, static_cast<size_t>(run - s));
            p += static_cast<size_t>(run - s);
            s = run;
            continue;
        }
        unsigned char c = *s;
        if (c < 0x80) {
            line[p++] = c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
            ++s;
            continue;
        }
        size_t n = utf8Length(s, end);
        if (n == 2 && c == 0xC2 && s[1] < 0xA0) {
            line[p++] = ' ';  // a C1 control character
            s += n;
        } else if (n > 0) {
            if (cap - p < n) break;  // never cut a character in half
            std::memcpy(line + p, s, n);
            p += n;
            s += n;
        } else {
            if (cap - p < 4) break;
            line[p++] = '\\';
            line[p++] = 'x';
            line[p++] = digits[c >> 4];
            line[p++] = digits[c & 0x0F];
            ++s;
        }
    }
    *pos = p;
}

}  // namespace

size_t formatLogLineStart(char* line, int64_t nanos, int thread, const char* tag, LogHeadCache& cache) {
    size_t pos = formatHead(line, nanos / 1000, thread, cache);
    appendClean(line, &pos, kLogLineSize - 1 - kLogTextSize - 2, tag);
    line[pos++] = '\t';  // tags may hold ": ", so a tab (never inside tag or text) separates them
    return pos;
}

size_t finishLogLine(char* line, size_t textAt, size_t textLength) {
    // Printable ASCII, the usual text, is its own clean form: nothing to move.
    const auto* text = reinterpret_cast<const unsigned char*>(line + textAt);
    if (printableRun(text, textLength) < textLength) {
        char raw[kLogTextSize];
        std::memcpy(raw, text, textLength);
        raw[textLength] = '\0';
        size_t pos = textAt;
        appendClean(line, &pos, kLogLineSize - 1, raw);
        line[pos++] = '\n';
        return pos;
    }
    line[textAt + textLength] = '\n';
    return textAt + textLength + 1;
}

size_t formatLogLineAt(char* line, int64_t nanos, int thread, const char* tag, const char* text, LogHeadCache& cache) {
    size_t pos = formatLogLineStart(line, nanos, thread, tag, cache);
    appendClean(line, &pos, kLogLineSize - 1, text);
    line[pos++] = '\n';
    return pos;
}

size_t formatLogLine(char* line, const char* tag, const char* text) {
    thread_local LogHeadCache cache;
    return formatLogLineAt(line, logClockNanos(), logThreadNumber(), tag, text, cache);
}

int64_t logClockNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int logThreadNumber() {
    static std::atomic<int> next{1};
    thread_local int number = next.fetch_add(1);
    return number;
}

}  // namespace yat
