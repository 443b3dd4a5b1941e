#pragma once
// Log texts as data. A text is a named constant, LogText<Types...>, holding a printf format and the
// types of its arguments; the compiler checks the format against the types when the constant is
// made, and every call's arguments against the types, so that a mismatch is a build error:
//
//     inline constexpr LogText<int, const char*> kReadingText{"reading [%d] of [%s]"};
//     yatLog(tag, kReadingText, reading, name);
//
// A call costs the caller no formatting: it copies the tag, the constant's identity, a time stamp and
// the raw argument values (each string up to kLogTextSize - 1 bytes, all a text can show of it) into
// the thread's own entry buffer (platform/log_writer.h); the writer thread formats the line later,
// byte for byte as the caller would have. Without a writer (YAT_LOG=sync, a forked child, after the
// last close) the same bytes are formatted on the caller's thread and written at once.
//
// Argument types: int, unsigned, long, unsigned long, long long, unsigned long long (%d %u %x %c and
// their l/ll/z/j forms), double (%f %g %e %a), const char* (%s) and const void* (%p). A call may pass
// any integer (or unscoped enumeration) no wider than the declared one after promotion for an integer
// type, a floating value for double, a character pointer for const char* and any pointer for %p.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <tuple>
#include <type_traits>

#include "platform/log.h"
#include "platform/runtime.h"

namespace yat {

// Formats the text of one entry from its stored argument bytes into text (kLogTextSize bytes) and
// returns its length (at most kLogTextSize - 1; a terminator follows it).
using LogFormatFn = size_t (*)(const char* format, const unsigned char* args, char* text);

namespace logtext {

enum class Kind { Int, Unsigned, Long, UnsignedLong, LongLong, UnsignedLongLong, Double, String, Pointer, Bad };

template <class T>
consteval Kind kindOf() {
    if constexpr (std::is_same_v<T, int>)
        return Kind::Int;
    else if constexpr (std::is_same_v<T, unsigned>)
        return Kind::Unsigned;
    else if constexpr (std::is_same_v<T, long>)
        return Kind::Long;
    else if constexpr (std::is_same_v<T, unsigned long>)
        return Kind::UnsignedLong;
    else if constexpr (std::is_same_v<T, long long>)
        return Kind::LongLong;
    else if constexpr (std::is_same_v<T, unsigned long long>)
        return Kind::UnsignedLongLong;
    else if constexpr (std::is_same_v<T, double>)
        return Kind::Double;
    else if constexpr (std::is_same_v<T, const char*>)
        return Kind::String;
    else if constexpr (std::is_same_v<T, const void*>)
        return Kind::Pointer;
    else
        return Kind::Bad;
}

// The kind a conversion's length modifier and letter take.
constexpr Kind kindFor(int length, char conversion) {
    const bool isSigned = conversion == 'd' || conversion == 'i';
    const bool isUnsigned = conversion == 'u' || conversion == 'x' || conversion == 'X' || conversion == 'o';
    if (isSigned || isUnsigned) {
        switch (length) {
            case 0:  // none, h, hh: promoted to int
                return isSigned ? Kind::Int : Kind::Unsigned;
            case 1:  // l
                return isSigned ? Kind::Long : Kind::UnsignedLong;
            case 2:  // ll, j
                return isSigned ? Kind::LongLong : Kind::UnsignedLongLong;
            case 3:  // z
                return sizeof(size_t) == sizeof(unsigned long) ? (isSigned ? Kind::Long : Kind::UnsignedLong)
                                                               : (isSigned ? Kind::LongLong : Kind::UnsignedLongLong);
            default: return Kind::Bad;
        }
    }
    if (length != 0 && length != 1) return Kind::Bad;
    switch (conversion) {
        case 'c': return length == 0 ? Kind::Int : Kind::Bad;
        case 's': return length == 0 ? Kind::String : Kind::Bad;
        case 'p': return length == 0 ? Kind::Pointer : Kind::Bad;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A': return Kind::Double;
        default: return Kind::Bad;
    }
}

// True when format's conversions take exactly the kinds given, in order. "%n", "*" widths and "%.Ns"
// are not allowed (a stored text never writes through an argument nor takes its width from one, and
// a string is read up to its terminator, within kLogTextSize - 1 bytes, never up to a precision).
template <size_t N>
consteval bool formatTakes(const char* format, const Kind (&kinds)[N], size_t count) {
    size_t next = 0;
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0') ++p;
        while (*p >= '0' && *p <= '9') ++p;
        bool precision = *p == '.';
        if (precision) {
            ++p;
            while (*p >= '0' && *p <= '9') ++p;
        }
        int length = 0;
        if (*p == 'h') {
            ++p;
            if (*p == 'h') ++p;
        } else if (*p == 'l') {
            ++p;
            length = 1;
            if (*p == 'l') {
                ++p;
                length = 2;
            }
        } else if (*p == 'j') {
            ++p;
            length = 2;
        } else if (*p == 'z') {
            ++p;
            length = 3;
        }
        Kind kind = kindFor(length, *p);
        if (kind == Kind::String && precision) return false;  // a stored string is cut at its bound
        if (kind == Kind::Bad || next >= count || kinds[next] != kind) return false;
        ++next;
        if (*p == '\0') return false;
    }
    return next == count;
}

// Whether a value of type Passed may be logged as Declared (see the file's comment).
template <class Declared, class Passed>
constexpr bool accepts() {
    using P = std::remove_cvref_t<Passed>;
    if constexpr (std::is_same_v<Declared, const char*>) {
        return std::is_convertible_v<const P&, const char*> && !std::is_same_v<P, bool>;
    } else if constexpr (std::is_same_v<Declared, const void*>) {
        return std::is_pointer_v<std::decay_t<P>> || std::is_null_pointer_v<P>;
    } else if constexpr (std::is_same_v<Declared, double>) {
        return std::is_floating_point_v<P>;
    } else {
        constexpr bool integer = std::is_integral_v<P> || (std::is_enum_v<P> && std::is_convertible_v<P, int>);
        if constexpr (!integer) {
            return false;
        } else {
            return sizeof(P) <= (sizeof(Declared) > sizeof(int) ? sizeof(Declared) : sizeof(int));
        }
    }
}

// Stored size of one argument: the value itself, or a string's 2-byte length, bytes and terminator.
template <class T>
constexpr size_t kMaxStored = sizeof(T);
template <>
inline constexpr size_t kMaxStored<const char*> = 2 + kLogTextSize;

inline size_t stringLength(const char* text) {
    if (text == nullptr) return 0;
    size_t length = 0;  // a loop, not memchr: the text may be a shorter array than the bound
    while (length < kLogTextSize - 1 && text[length] != '\0') ++length;
    return length;
}

// A null string is stored with this length and formats as the C library formats a null "%s".
inline constexpr uint16_t kNullString = 0xFFFF;

template <class T>
size_t storedSize(const T&) {
    return sizeof(T);
}
inline size_t storedSize(const char* const& text) { return 2 + (text == nullptr ? 0 : stringLength(text) + 1); }

template <class T>
unsigned char* store(unsigned char* out, const T& value) {
    std::memcpy(out, &value, sizeof(T));
    return out + sizeof(T);
}
inline unsigned char* store(unsigned char* out, const char* const& text) {
    uint16_t length = text == nullptr ? kNullString : static_cast<uint16_t>(stringLength(text));
    std::memcpy(out, &length, 2);
    out += 2;
    if (text == nullptr) return out;
    std::memcpy(out, text, length);
    out[length] = '\0';
    return out + length + 1;
}

template <class T>
T load(const unsigned char*& in) {
    if constexpr (std::is_same_v<T, const char*>) {
        uint16_t length = 0;
        std::memcpy(&length, in, 2);
        in += 2;
        if (length == kNullString) return nullptr;
        const char* text = reinterpret_cast<const char*>(in);
        in += length + 1;
        return text;
    } else {
        T value{};
        std::memcpy(&value, in, sizeof(T));
        in += sizeof(T);
        return value;
    }
}

// One stored argument as the plain formatter sees it.
struct PlainArg {
    Kind kind;
    union {
        long long integer;
        unsigned long long unsignedInteger;
        const char* text;
    };
};

template <class T>
PlainArg plainArg(const T& value) {
    PlainArg arg{};
    arg.kind = kindOf<T>();
    if constexpr (std::is_same_v<T, const char*>) {
        arg.text = value;
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        arg.integer = value;
    } else if constexpr (std::is_integral_v<T>) {
        arg.unsignedInteger = value;
    } else {
        arg.kind = Kind::Bad;  // formatted by the C library
    }
    return arg;
}

// Formats format with args into text (kLogTextSize bytes) when it holds only conversions without
// flags, width, precision or a short length (%d %i %u %x %X %c %s and their l, ll, z, j forms, %%),
// exactly as snprintf would, and sets *length; false, with text unspecified, for anything else.
// Defined in platform/log_text.cpp.
bool formatPlain(const char* format, const PlainArg* args, size_t count, char* text, size_t* length);

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
// The writer's (and the synchronous path's) formatting of one entry: the checked format with the
// stored values, exactly as the caller's printf would have made it.
template <class... Types>
size_t formatStored(const char* format, const unsigned char* args, char* text) {
    (void)args;
    std::tuple<Types...> values{load<Types>(args)...};  // braces: loaded left to right
    return std::apply(
        [&](auto... value) {
            const PlainArg plain[sizeof...(Types) + 1] = {plainArg(value)..., PlainArg{}};
            size_t length = 0;
            if (formatPlain(format, plain, sizeof...(Types), text, &length)) return length;
            int n = std::snprintf(text, kLogTextSize, format, value...);
            if (n < 0) {
                text[0] = '\0';
                return size_t{0};
            }
            return std::min(static_cast<size_t>(n), kLogTextSize - 1);
        },
        values);
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace logtext

// A log text of the system's own: its printf format and the types its arguments have.
template <class... Types>
struct LogText {
    const char* format;
    consteval LogText(const char* text) : format(text) {  // NOLINT: constants are made from literals
        constexpr logtext::Kind kinds[sizeof...(Types) + 1] = {logtext::kindOf<Types>()..., logtext::Kind::Bad};
        if (!logtext::formatTakes(text, kinds, sizeof...(Types))) throw "the format does not take these types";
    }
};

// Most bytes a checked text's arguments take in an entry (some thirteen strings).
inline constexpr size_t kLogMaxArgBytes = 3584;

// Where an entry's bytes go: the writer's per-thread buffer, or a buffer on the caller's stack that
// is formatted and written at once. Defined in platform/log_writer.cpp.
struct LogEntrySpace {
    unsigned char* bytes;  // where the arguments go
    size_t tagBytes;
    bool queued;
};
LogEntrySpace beginLogEntry(unsigned char* local, const char* tag, size_t argBytes);
void endLogEntry(const LogEntrySpace& space, const char* tag, LogFormatFn format, const char* formatText,
                 size_t argBytes);

}  // namespace yat

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
// One progress line of a checked text, routed as yatProgress routes its lines (platform/log.h).
template <class... Types, class... Passed>
void yatProgress(const yat::LogText<Types...>& text, const Passed&... args) {
    static_assert(sizeof...(Types) == sizeof...(Passed), "the log text takes another number of arguments");
    static_assert((yat::logtext::accepts<Types, Passed>() && ...), "an argument does not fit the log text's type");
    yatProgress(text.format, static_cast<Types>(args)...);
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace yat {

// Formats a checked text into text (kLogTextSize bytes) on the caller's thread, as the writer would,
// and returns its length: for the log's own lines, which are written under the file's lock.
template <class... Types, class... Passed>
size_t formatLogText(char* text, const LogText<Types...>& logText, const Passed&... args) {
    static_assert(sizeof...(Types) == sizeof...(Passed), "the log text takes another number of arguments");
    static_assert((logtext::accepts<Types, Passed>() && ...), "an argument does not fit the log text's type");
    unsigned char stored[(size_t{16} + ... + logtext::kMaxStored<Types>)];
    unsigned char* out = stored;
    ((out = logtext::store(out, static_cast<Types>(args))), ...);
    (void)out;
    return logtext::formatStored<Types...>(logText.format, stored, text);
}

}  // namespace yat

// Appends one entry of a checked text (see above). Arguments are checked against the text's types.
template <class... Types, class... Passed>
void yatLog(const char* tag, const yat::LogText<Types...>& text, const Passed&... args) {
    static_assert(sizeof...(Types) == sizeof...(Passed), "the log text takes another number of arguments");
    static_assert((yat::logtext::accepts<Types, Passed>() && ...), "an argument does not fit the log text's type");
    static_assert((size_t{0} + ... + yat::logtext::kMaxStored<Types>) <= yat::kLogMaxArgBytes, "too many arguments");
    if (!loggingEnabled()) return;
    size_t argBytes = (size_t{0} + ... + yat::logtext::storedSize(static_cast<Types>(args)));
    unsigned char local[(size_t{16} + ... + yat::logtext::kMaxStored<Types>)];
    yat::LogEntrySpace space = yat::beginLogEntry(local, tag, argBytes);
    unsigned char* out = space.bytes;
    ((out = yat::logtext::store(out, static_cast<Types>(args))), ...);
    (void)out;
    yat::endLogEntry(space, tag, &yat::logtext::formatStored<Types...>, text.format, argBytes);
}
