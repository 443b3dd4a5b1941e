// Byte and text helpers, the bounded reader, the root directory and the run-time settings.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kit/log_reader.h"
#include "kit/scoped_settings.h"
#include "platform/log.h"
#include "platform/byte_reader.h"
#include "platform/runtime.h"
#include "platform/text.h"
#include "platform/utils.h"

namespace {

using yattest::SettingsScope;

TEST(Utils, BytesToStringWritesTwoUpperCaseDigitsPerByte) {
    const uint8_t bytes[20] = {0x00, 0x01, 0xAB, 0xCD, 0xEF, 0x10, 0x7F, 0x80, 0x99, 0xFF,
                               0x5A, 0xA5, 0x0F, 0xF0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    char text[40];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(bytesToString(bytes, 0, 16, text), 0);
    EXPECT_STREQ(text, "0001ABCDEF107F8099FF5AA50FF01234");
    EXPECT_EQ(text[33], '#');  // 32 digits and the terminator, nothing more

    EXPECT_EQ(bytesToString(bytes, 16, 4, text), 0);
    EXPECT_STREQ(text, "56789ABC");
}

TEST(Utils, HexTextToNumberReadsCountDigitsOfEitherCase) {
    EXPECT_EQ(_httoi("1aF", 3), 0x1AFu);
    EXPECT_EQ(_httoi("ff", 1), 0xFu);
    EXPECT_EQ(_httoi("DeadBeef", 8), 0xDEADBEEFu);
    EXPECT_EQ(_httoi("12zz", 4), 0x12u);  // stops at the first non-digit
    EXPECT_EQ(_httoi("7", 5), 7u);        // and at the terminator
    EXPECT_EQ(_httoi("12", 0), 0u);
    EXPECT_EQ(_httoi(nullptr, 2), 0u);
}

TEST(Utils, BufferReadersUseTheNamedByteOrder) {
    const uint8_t buffer[] = {0xEE, 0x34, 0x12, 0x78, 0x56, 0xEE};
    EXPECT_EQ(getUShortFromBufferLSBFirst(buffer, 1), 0x1234u);
    EXPECT_EQ(getULongFromBufferLSBFirst(buffer, 1), 0x56781234u);
    EXPECT_EQ(getULongFromBufferMSBFirst(buffer, 1), 0x34127856u);
}

TEST(ByteReader, ReadsInsideAndMarksReadsPastTheEnd) {
    const uint8_t data[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    ByteReader reader(data, sizeof data);
    EXPECT_EQ(reader.u8(4), 0x05);
    EXPECT_EQ(reader.u16le(0), 0x0201);
    EXPECT_EQ(reader.u16be(0), 0x0102);
    EXPECT_EQ(reader.u32le(1), 0x05040302u);
    EXPECT_EQ(reader.u32be(1), 0x02030405u);
    EXPECT_TRUE(reader.has(1, 4));
    EXPECT_FALSE(reader.has(2, 4));
    EXPECT_FALSE(reader.has(6, 0));
    EXPECT_FALSE(reader.overrun());

    EXPECT_EQ(reader.u32le(2), 0u);
    EXPECT_TRUE(reader.overrun());

    ByteReader again(data, sizeof data);
    EXPECT_EQ(again.u8(5), 0);
    EXPECT_TRUE(again.overrun());
    ByteReader huge(data, sizeof data);
    EXPECT_EQ(huge.u16le(SIZE_MAX), 0);  // no wrap-around of offset + count
    EXPECT_TRUE(huge.overrun());
}

TEST(ByteReader, TextsAndCopiesStopAtTheEnd) {
    const uint8_t data[] = {'a', 'b', 0, 'c', 'd', 'e'};
    ByteReader reader(data, sizeof data);
    EXPECT_EQ(reader.text(0, 10), "ab");
    EXPECT_EQ(reader.text(3, 2), "cd");
    EXPECT_FALSE(reader.overrun());
    EXPECT_EQ(reader.text(3, 10), "cde");
    EXPECT_TRUE(reader.overrun());

    ByteReader chars(data, sizeof data);
    EXPECT_EQ(chars.chars(1, 3), std::string("b\0c", 3));
    EXPECT_EQ(chars.chars(4, 5), "de");
    EXPECT_TRUE(chars.overrun());

    ByteReader copier(data, sizeof data);
    uint8_t out[8];
    std::memset(out, 0xAA, sizeof out);
    EXPECT_EQ(copier.copy(4, 8, out), 2u);
    EXPECT_EQ(out[0], 'd');
    EXPECT_EQ(out[1], 'e');
    EXPECT_EQ(out[2], 0xAA);
    EXPECT_EQ(copier.copy(9, 1, out), 0u);
    EXPECT_EQ(copier.copy(0, 2, nullptr), 0u);

    ByteReader empty(nullptr, 100);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.u8(0), 0);
    EXPECT_TRUE(empty.overrun());
}

TEST(Text, CopiesAreCutToTheCapacityAndTerminated) {
    char dest[6];
    std::memset(dest, '#', sizeof dest);
    copyText(dest, 4, "abcdef");
    EXPECT_STREQ(dest, "abc");
    EXPECT_EQ(dest[4], '#');
    copyText(dest, sizeof dest, nullptr);
    EXPECT_STREQ(dest, "");

    const unsigned char source[] = {'x', 'y', 'z', 'w'};  // no terminator
    copyBoundedText(dest, source, 3);
    EXPECT_STREQ(dest, "xyz");
    EXPECT_EQ(boundedString(source, 4), "xyzw");
    EXPECT_EQ(boundedString(reinterpret_cast<const unsigned char*>("ab\0cd"), 5), "ab");
}

TEST(RootDirectory, EndsInOneSeparator) {
    SettingsScope settings;
    char buffer[256];
    auto rootFor = [&](const std::string& setting) {
        settings.change([&](RuntimeSettings& s) { s.rootDir = setting; });
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(getRootDirectory(buffer), 0);
        return std::string(buffer);
    };
    const std::string separator = pathSeparator();  // '/' on Linux, '\\' on Windows
    EXPECT_EQ(rootFor("/opt/yat"), "/opt/yat" + separator);
    EXPECT_EQ(rootFor("/opt/yat/"), "/opt/yat/");  // either separator already ending it is kept
    EXPECT_EQ(rootFor("C:\\yat\\"), "C:\\yat\\");
    EXPECT_EQ(rootFor(""), "." + separator);  // the current directory, never the top of the file system

    std::string longRoot = rootFor(std::string(300, 'r'));
    EXPECT_EQ(longRoot.size(), 255u);
    EXPECT_EQ(longRoot.back(), separator[0]);

    EXPECT_EQ(getRootDirectory(nullptr), 1);
}

// Sets environment variables for one test and takes them away again.
class Environment {
public:
    ~Environment() {
        for (const std::string& name : names_) yattest::setEnvironment(name.c_str(), nullptr);
    }
    void set(const char* name, const char* value) {
        yattest::setEnvironment(name, value);
        names_.push_back(name);
    }

private:
    std::vector<std::string> names_;
};

TEST(RuntimeSettings, EnvironmentIsReadWithBadValuesKeepingDefaults) {
    SettingsScope settings;
    {
        Environment env;
        env.set("YAT_LOG_DIR", "/var/log/yat");
        env.set("YAT_ROOT_DIR", "/opt/yat");
        env.set("YAT_LOG_MAX_BYTES", "4096");
        env.set("YAT_SLEEP_SCALE", "0.5");
        env.set("YAT_LOG", "off");
        loadRuntimeSettings();
        RuntimeSettings loaded = runtimeSettings();
        EXPECT_EQ(loaded.logDir, "/var/log/yat");
        EXPECT_EQ(loaded.rootDir, "/opt/yat");
        EXPECT_EQ(loaded.logMaxBytes, 4096u);
        EXPECT_DOUBLE_EQ(loaded.sleepScale, 0.5);
        EXPECT_FALSE(loaded.logEnabled);
        EXPECT_FALSE(loggingEnabled());
    }
    {
        Environment env;
        env.set("YAT_LOG_MAX_BYTES", "100");  // below the smallest sensible file
        env.set("YAT_SLEEP_SCALE", "-1");
        loadRuntimeSettings();
        RuntimeSettings loaded = runtimeSettings();
        EXPECT_EQ(loaded.logMaxBytes, 8u * 1024 * 1024);
        EXPECT_DOUBLE_EQ(loaded.sleepScale, 1.0);
        EXPECT_TRUE(loaded.logEnabled);

        env.set("YAT_LOG_MAX_BYTES", "12abc");
        env.set("YAT_SLEEP_SCALE", "fast");
        loadRuntimeSettings();
        EXPECT_EQ(runtimeSettings().logMaxBytes, 8u * 1024 * 1024);
        EXPECT_DOUBLE_EQ(runtimeSettings().sleepScale, 1.0);
    }
}

struct SettingText {
    const char* variable;
    const char* text;
    double expected;  // the value in force afterwards (the default when the text is refused)
};

class SettingRange : public ::testing::TestWithParam<SettingText> {};

// Values outside the documented ranges keep the default: a zero scale would make the polling spin, a
// huge one would make closing take hours, and a log limit that wraps to 2^64-1 would never rotate.
TEST_P(SettingRange, ValueOutsideTheRangeKeepsTheDefault) {
    SettingsScope settings;
    Environment env;
    env.set(GetParam().variable, GetParam().text);
    loadRuntimeSettings();
    RuntimeSettings loaded = runtimeSettings();
    double value = std::string(GetParam().variable) == "YAT_SLEEP_SCALE" ? loaded.sleepScale
                                                                         : static_cast<double>(loaded.logMaxBytes);
    EXPECT_DOUBLE_EQ(value, GetParam().expected);
}

constexpr double kDefaultLogBytes = 8.0 * 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingRange,
    ::testing::Values(SettingText{"YAT_SLEEP_SCALE", "0", 1.0}, SettingText{"YAT_SLEEP_SCALE", "-0", 1.0},
                      SettingText{"YAT_SLEEP_SCALE", "0.00001", 1.0}, SettingText{"YAT_SLEEP_SCALE", "0.0001", 0.0001},
                      SettingText{"YAT_SLEEP_SCALE", "10", 10.0}, SettingText{"YAT_SLEEP_SCALE", "1000", 1.0},
                      SettingText{"YAT_SLEEP_SCALE", "nan", 1.0}, SettingText{"YAT_SLEEP_SCALE", "inf", 1.0},
                      SettingText{"YAT_SLEEP_SCALE", "1e-3", 0.001},
                      SettingText{"YAT_LOG_MAX_BYTES", "-1", kDefaultLogBytes},
                      SettingText{"YAT_LOG_MAX_BYTES", "18446744073709551615", kDefaultLogBytes},
                      SettingText{"YAT_LOG_MAX_BYTES", "99999999999999999999", kDefaultLogBytes},
                      SettingText{"YAT_LOG_MAX_BYTES", "+4096", kDefaultLogBytes},
                      SettingText{"YAT_LOG_MAX_BYTES", " 4096", kDefaultLogBytes},
                      SettingText{"YAT_LOG_MAX_BYTES", "1023", kDefaultLogBytes},
                      SettingText{"YAT_LOG_MAX_BYTES", "1024", 1024.0},
                      SettingText{"YAT_LOG_MAX_BYTES", "1073741824", 1073741824.0},
                      SettingText{"YAT_LOG_MAX_BYTES", "1073741825", kDefaultLogBytes}),
    [](const ::testing::TestParamInfo<SettingText>& info) {
        std::string name = std::string(info.param.variable).substr(4) + "_" + std::to_string(info.index) + "_";
        for (const char* c = info.param.text; *c != '\0'; ++c) {
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        }
        return name;
    });

TEST(RuntimeSettings, RefusedValueIsLoggedOnceWhenTheLogOpens) {
    SettingsScope settings;
    {
        Environment env;
        env.set("YAT_SLEEP_SCALE", "0");
        env.set("YAT_LOG_MAX_BYTES", "-1");
        loadRuntimeSettings();
    }
    yattest::LogCapture log;  // opens the log
    initLog(kLogFileName);    // a later open says nothing more
    EXPECT_EQ(
        log.texts("settings"),
        (std::vector<std::string>{"YAT_LOG_MAX_BYTES \"-1\" is not a number from 1024 to 1073741824; using 8388608",
                                  "YAT_SLEEP_SCALE \"0\" is not a number from 0.0001 to 10; using 1"}));
}

TEST(RuntimeSettings, SettingsInPlaceAreNotUndoneByALaterOpen) {
    SettingsScope settings;
    Environment env;
    env.set("YAT_LOG_DIR", "/from/environment");
    settings.change([](RuntimeSettings& s) { s.logDir = "/set/by/test"; });
    ensureRuntimeSettings();
    EXPECT_EQ(runtimeSettings().logDir, "/set/by/test");
}

TEST(Sleep, HookReceivesUnscaledMillisecondsAndWaitsAreScaled) {
    SettingsScope settings;
    settings.change([](RuntimeSettings& s) { s.sleepScale = 0.001; });
    EXPECT_EQ(scaledWait(2000).count(), 2000);  // 2000 ms at 0.001 is 2000 microseconds
    EXPECT_EQ(scaledWait(30000).count(), 30000);

    static std::vector<uint32_t> slept;
    slept.clear();
    setSleepHook([](uint32_t ms) { slept.push_back(ms); });
    yatSleep(10000);
    yatSleep(2000);
    setSleepHook(nullptr);
    EXPECT_EQ(slept, (std::vector<uint32_t>{10000, 2000}));

    settings.change([](RuntimeSettings& s) { s.sleepScale = 1000.0; });
    auto longest = scaledWait(UINT64_MAX);  // clamped, no overflow
    EXPECT_GT(longest.count(), 0);
    EXPECT_LE(longest, std::chrono::hours(24 * 366));
}

}  // namespace
