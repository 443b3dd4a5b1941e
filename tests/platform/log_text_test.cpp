// Checked log texts: the build-time checks of formats and arguments, the writer's formatting against
// the C library's and its cleaning of texts (queued and YAT_LOG=sync), the merge of several threads'
// buffers in call order, and nothing lost when four threads log at full speed across rotations.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "kit/log_reader.h"
#include "kit/scoped_settings.h"
#include "platform/log.h"
#include "platform/log_text.h"

namespace {

using yat::LogText;
using yat::logtext::accepts;
using yat::logtext::formatTakes;
using yat::logtext::Kind;

// A format must take exactly the declared types; "*" widths, "%n" and cut strings are refused.
template <size_t N>
consteval bool takes(const char* format, const Kind (&kinds)[N]) {
    return formatTakes(format, kinds, N - 1);
}
constexpr Kind kIntString[] = {Kind::Int, Kind::String, Kind::Bad};
constexpr Kind kNone[] = {Kind::Bad};
constexpr Kind kLongs[] = {Kind::Long, Kind::UnsignedLongLong, Kind::Bad};
static_assert(takes("node [%d] name [%s]", kIntString));
static_assert(takes("%05d%% of [%-8s]", kIntString));
static_assert(takes("100%% plain", kNone));
static_assert(takes("%ld %llx", kLongs));
static_assert(!takes("node [%s] name [%d]", kIntString));
static_assert(!takes("node [%d]", kIntString));
static_assert(!takes("node [%d] [%s] [%d]", kIntString));
static_assert(!takes("%*d %s", kIntString));
static_assert(!takes("%d %.4s", kIntString));
static_assert(!takes("%n %s", kIntString));
static_assert(!takes("%ld %lx", kLongs));

// A call's argument must fit the declared type.
static_assert(accepts<int, int>() && accepts<int, uint8_t>() && accepts<int, bool>() && accepts<int, char>());
static_assert(accepts<unsigned, int32_t>() && accepts<long long, int64_t>() && accepts<double, float>());
static_assert(accepts<const char*, char[8]>() && accepts<const char*, char*>());
static_assert(accepts<const void*, int*>());
static_assert(!accepts<int, int64_t>() && !accepts<int, double>() && !accepts<int, const char*>());
static_assert(!accepts<double, int>() && !accepts<const char*, int>() && !accepts<const char*, unsigned char*>());
static_assert(!accepts<const void*, int>());

// One text logged through a checked constant, and what the C library makes of it.
struct FormatCase {
    const char* name;
    std::function<void()> log;
    std::string expected;
};

template <class... Types, class... Args>
FormatCase formatCase(const char* name, const LogText<Types...>& text, Args... args) {
    char expected[kLogTextSize];
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
    std::snprintf(expected, sizeof expected, text.format, static_cast<Types>(args)...);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return {name, [&text, args...] { yatLog("checked", text, args...); }, expected};
}

constexpr LogText<int, unsigned, const char*> kMixed{"node [%d] mask [%x] name [%s]"};
constexpr LogText<long long, unsigned long long, int> kWide{"%lld %llu %c"};
constexpr LogText<int, double, const char*> kPadded{"[%5d] [%-6.2f] [%8s] [%%]"};
constexpr LogText<> kPlain{"no arguments, 100%% plain"};
constexpr LogText<const char*, const char*> kStrings{"[%s] [%s]"};
constexpr LogText<unsigned, int> kHex{"0x%04X %+d"};
constexpr LogText<const char*> kBare{"%s"};
using U64 = unsigned long long;
constexpr LogText<U64, U64, U64, U64, U64, U64, U64, U64> kDecimals{"%llu %llu %llu %llu %llu %llu %llu %llu"};
constexpr LogText<U64, U64, U64, U64, unsigned> kHexes{"%llx %llX %llx %llX %x"};
constexpr LogText<const char*, unsigned long long> kCutDecimal{"[%s] %llu"};
constexpr LogText<const char*, unsigned> kCutHex{"[%s] %X"};
const std::string kLong(400, 'y');
const std::string kCutBeforeE(250, 'y');  // "[" + 250 + "] [" leaves one byte of the two of e-acute

// One text the line cleans, with the text the file shows.
template <class... Types, class... Args>
FormatCase cleanCase(const char* name, std::string expected, const LogText<Types...>& text, Args... args) {
    return {name, [&text, args...] { yatLog("checked", text, args...); }, std::move(expected)};
}

std::vector<FormatCase> formatCases() {
    return {
        formatCase("Mixed", kMixed, -7, 0xBEEFu, "psu one"),
        formatCase("Extremes", kWide, LLONG_MIN, ULLONG_MAX, 'Z'),
        formatCase("Negative", kMixed, INT_MIN, 0u, ""),
        formatCase("Padded", kPadded, 42, 3.14159, "ab"),
        formatCase("Plain", kPlain),
        formatCase("NullString", kStrings, static_cast<const char*>(nullptr), "after"),
        formatCase("CutAt255", kStrings, kLong.c_str(), "never seen"),
        formatCase("Flags", kHex, 0xABu, 5),
        // Each count of digits, from one to the most.
        formatCase("DecimalDigits", kDecimals, 0ULL, 9ULL, 10ULL, 99ULL, 100ULL, 12345ULL, 9999999999999999999ULL,
                   10000000000000000000ULL),
        formatCase("HexDigits", kHexes, 0ULL, 0xFULL, 0x10ULL, ULLONG_MAX, 0xABCu),
        // A number at the end of the room keeps its leading digits.
        formatCase("DecimalCutAt255", kCutDecimal, kCutBeforeE.c_str(), ULLONG_MAX),
        formatCase("HexCutAt255", kCutHex, kCutBeforeE.c_str(), 0xFEDCBA98u),
        // Texts the line cleans (the writer formats into the line and cleans it there).
        cleanCase("ControlCharacters", "[a b c] [x y]", kStrings, "a\tb\nc", "x\x01y"),
        cleanCase("Utf8AndBadBytes", "[\xC3\xA9 \\xFF\\xC3] [z]", kStrings, "\xC3\xA9 \xFF\xC3", "z"),
        cleanCase("TrailingLineBreaks", "tail", kBare, "tail\r\n"),
        cleanCase("CutInsideACharacter", "[" + kCutBeforeE + "] [\\xC3", kStrings, kCutBeforeE.c_str(), "\xC3\xA9"),
    };
}

class CheckedText : public ::testing::TestWithParam<bool> {};

TEST_P(CheckedText, WritesWhatTheCLibraryFormats) {
    yattest::SettingsScope settings;
    yattest::LogCapture log;
    if (GetParam()) {
        stopLogWriter();
        settings.change([](RuntimeSettings& s) { s.logSync = true; });
        initLog(kLogFileName);
    }
    std::vector<FormatCase> cases = formatCases();
    for (const FormatCase& c : cases) c.log();
    std::vector<std::string> texts = log.texts("checked");
    ASSERT_EQ(texts.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(texts[i], cases[i].expected) << cases[i].name;
}
INSTANTIATE_TEST_SUITE_P(Modes, CheckedText, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Sync" : "Queued"; });

constexpr LogText<int, int> kStep{"w%d %d"};

// Each entry made by a new thread after the previous thread ended: the file keeps the call order
// although every entry sits in a buffer of its own.
TEST(CheckedTextOrder, EntriesOfSuccessiveThreadsKeepTheirCallOrder) {
    yattest::LogCapture log;
    for (int i = 0; i < 40; ++i) std::thread([i] { yatLog("handoff", kStep, 0, i); }).join();
    std::vector<std::string> texts = log.texts("handoff");
    ASSERT_EQ(texts.size(), 40u);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(texts[static_cast<size_t>(i)], "w0 " + std::to_string(i));
}

// Four threads at full speed across several rotations: every entry is in one of the files exactly
// once, and each thread's entries are in its order.
TEST(CheckedTextOrder, FourThreadsAtFullSpeedAcrossRotationsLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kEach = 4000;
    yattest::SettingsScope settings;
    yattest::LogCapture log;
    settings.change([](RuntimeSettings& s) { s.logMaxBytes = 256 * 1024; });
    closeLog();  // the limit is read when the file is opened
    initLog(kLogFileName);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i) yatLog("full", kStep, t, i);
        });
    }
    for (std::thread& thread : threads) thread.join();
    const std::string base = log.path();
    ASSERT_TRUE(std::filesystem::exists(base + ".2"));
    std::map<int, int> next;
    int lines = 0;
    for (const std::string& file : {base + ".3", base + ".2", base + ".1", base}) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            size_t tab = line.find("] full\t");
            if (tab == std::string::npos) continue;
            int thread = -1;
            int n = -1;
            ASSERT_EQ(std::sscanf(line.c_str() + tab + 7, "w%d %d", &thread, &n), 2) << line;
            ASSERT_EQ(n, next[thread]) << "thread " << thread << " lost or reordered an entry";
            next[thread] = n + 1;
            ++lines;
        }
    }
    EXPECT_EQ(lines, kThreads * kEach);
    closeLog();
}

}  // namespace
