// The writer's fast path for the common conversions of checked log texts.

#include "platform/log_text.h"

#include <algorithm>
#include <cstring>

namespace yat::logtext {

namespace {

// Appends the digits of value in base Base to text at *pos, up to cap (the leading digits when not all
// fit). The digits are written in place, right to left: a copy through a scratch buffer cost a call
// to memcpy per number. Base is a constant, so that the compiler divides by multiplying.
template <unsigned long long Base>
void putDigits(char* text, size_t* pos, size_t cap, unsigned long long value, const char* digits) {
    size_t count = 1;
    for (unsigned long long rest = value; rest >= Base; rest /= Base) ++count;
    // Read once: the compiler must assume that a store into text may change *pos.
    char* const start = text + *pos;
    size_t room = cap - *pos;
    // Digits past the room are dropped from the right: the first ones written are the ones that go.
    for (size_t skip = count > room ? count - room : 0; skip > 0; --skip) value /= Base;
    size_t kept = std::min(count, room);
    for (char* at = start + kept; at != start;) {
        *--at = digits[value % Base];
        value /= Base;
    }
    *pos += kept;
}

void putUnsigned(char* text, size_t* pos, size_t cap, unsigned long long value, unsigned base, bool upper) {
    if (base == 10) {
        putDigits<10>(text, pos, cap, value, "0123456789");
    } else {
        putDigits<16>(text, pos, cap, value, upper ? "0123456789ABCDEF" : "0123456789abcdef");
    }
}

bool isIntegerKind(Kind kind) {
    return kind != Kind::String && kind != Kind::Pointer && kind != Kind::Double && kind != Kind::Bad;
}

bool isSignedKind(Kind kind) { return kind == Kind::Int || kind == Kind::Long || kind == Kind::LongLong; }

// The value of an integer argument as the conversion's type gives it (int-sized kinds wrap as
// printf's int and unsigned do).
unsigned long long asUnsigned(const PlainArg& arg) {
    if (arg.kind == Kind::Unsigned) return static_cast<unsigned>(arg.unsignedInteger);
    if (arg.kind == Kind::Int) return static_cast<unsigned>(static_cast<int>(arg.integer));
    return isSignedKind(arg.kind) ? static_cast<unsigned long long>(arg.integer) : arg.unsignedInteger;
}

}  // namespace

bool formatPlain(const char* format, const PlainArg* args, size_t count, char* text, size_t* length) {
    const size_t cap = kLogTextSize - 1;
    size_t pos = 0;
    size_t next = 0;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            const char* run = std::strchr(p, '%');
            if (run == nullptr) run = p + std::strlen(p);
            size_t n = std::min(static_cast<size_t>(run - p), cap - pos);
            std::memcpy(text + pos, p, n);
            pos += n;
            p = run - 1;
            continue;
        }
        ++p;
        if (*p == '%') {
            if (pos < cap) text[pos++] = '%';
            continue;
        }
        while (*p == 'l' || *p == 'z' || *p == 'j') ++p;  // the kind says the width
        if (next >= count) return false;
        const PlainArg& arg = args[next++];
        switch (*p) {
            case 'd':
            case 'i': {
                if (!isIntegerKind(arg.kind)) return false;
                long long value =
                    arg.kind == Kind::Int ? static_cast<int>(arg.integer) : static_cast<long long>(asUnsigned(arg));
                if (value < 0) {
                    if (pos < cap) text[pos++] = '-';
                    putUnsigned(text, &pos, cap, 0ULL - static_cast<unsigned long long>(value), 10, false);
                } else {
                    putUnsigned(text, &pos, cap, static_cast<unsigned long long>(value), 10, false);
                }
                break;
            }
            case 'u':
            case 'x':
            case 'X':
                if (!isIntegerKind(arg.kind)) return false;
                putUnsigned(text, &pos, cap, asUnsigned(arg), *p == 'u' ? 10 : 16, *p == 'X');
                break;
            case 'c':
                if (arg.kind != Kind::Int) return false;
                if (static_cast<char>(arg.integer) == '\0') return false;  // printf writes the zero byte
                if (pos < cap) text[pos++] = static_cast<char>(arg.integer);
                break;
            case 's':
                if (arg.kind != Kind::String || arg.text == nullptr) return false;
                for (const char* c = arg.text; *c != '\0' && pos < cap; ++c) text[pos++] = *c;  // within 255 bytes
                break;
            default: return false;  // flags, width, precision, short lengths, %o, %p, floating point
        }
    }
    text[pos] = '\0';
    *length = pos;
    return true;
}

}  // namespace yat::logtext
