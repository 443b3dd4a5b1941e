// The log file: line format, rotation, serialised appends, forged entries, dumps, logging off.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "kit/log_reader.h"
#include "kit/scoped_settings.h"
#include "platform/log.h"
#include "platform/runtime.h"

namespace {

namespace fs = std::filesystem;
using yattest::LogCapture;
using yattest::SettingsScope;

std::vector<std::string> fileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

const std::regex kLineFormat(R"(^(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})\.\d{6}Z \[T\d+\] ([^\t]*)\t(.*)$)");

TEST(Log, LineHoldsUtcTimeThreadTagAndText) {
    LogCapture log;
    std::time_t before = std::time(nullptr);
    yatLog("cSPCmd::buildSPCommand", "value [%d] text [%s]", 7, "abc");
    std::time_t after = std::time(nullptr);

    std::vector<std::string> lines = fileLines(log.path());
    ASSERT_EQ(lines.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, kLineFormat)) << lines[0];
    EXPECT_EQ(m[7], "cSPCmd::buildSPCommand");
    EXPECT_EQ(m[8], "value [7] text [abc]");

    std::tm utc{};
    utc.tm_year = std::stoi(m[1]) - 1900;
    utc.tm_mon = std::stoi(m[2]) - 1;
    utc.tm_mday = std::stoi(m[3]);
    utc.tm_hour = std::stoi(m[4]);
    utc.tm_min = std::stoi(m[5]);
    utc.tm_sec = std::stoi(m[6]);
#ifdef _WIN32
    std::time_t stamped = _mkgmtime(&utc);
#else
    std::time_t stamped = timegm(&utc);
#endif
    // time() reads a coarse clock that can trail the stamp's clock across a second boundary.
    EXPECT_GE(stamped, before);
    EXPECT_LE(stamped, after + 1);
}

TEST(Log, TextIsCutToTheFormatBuffer) {
    LogCapture log;
    std::string longText(400, 'q');
    yatLog("tag", "%s", longText.c_str());
    std::vector<yattest::LogEntry> entries = log.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, std::string(kLogTextSize - 1, 'q'));
}

TEST(Log, ControlCharactersCannotForgeAnEntry) {
    LogCapture log;
    yatLog("tag", "%s", "first\n2026-01-01 00:00:00.000000Z [T1] forged\tentry\r\n");
    addLogItemToFile(kLogFileName, "ta\ng", "x\x01y");

    std::vector<std::string> lines = fileLines(log.path());
    ASSERT_EQ(lines.size(), 2u);
    std::vector<yattest::LogEntry> entries = log.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].tag, "tag");
    EXPECT_EQ(entries[0].text, "first 2026-01-01 00:00:00.000000Z [T1] forged entry");
    EXPECT_EQ(entries[1].tag, "ta g");
    EXPECT_EQ(entries[1].text, "x y");
}

TEST(Log, RotatesAtMaxBytesKeepingThreeOldFiles) {
    SettingsScope settings;
    LogCapture log;
    settings.change([](RuntimeSettings& s) { s.logMaxBytes = 1024; });
    closeLog();  // the limit is read when the file is opened
    initLog(kLogFileName);

    const int count = 200;
    const std::string padding(40, 'x');
    for (int i = 0; i < count; ++i) yatLog("rotate", "entry %04d %s", i, padding.c_str());

    const std::string base = log.path();
    std::vector<std::string> order = {base + ".3", base + ".2", base + ".1", base};
    for (const std::string& file : order) {
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_LE(fs::file_size(file), 1024u) << file;
    }
    EXPECT_FALSE(fs::exists(base + ".4"));

    // Oldest to newest, the kept entries are one unbroken run that ends with the last entry.
    std::vector<int> numbers;
    for (const std::string& file : order) {
        for (const std::string& line : fileLines(file)) {
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, kLineFormat)) << line;
            numbers.push_back(std::stoi(std::string(m[8]).substr(6, 4)));
        }
    }
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers.back(), count - 1);
    for (size_t i = 1; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], numbers[i - 1] + 1);
    EXPECT_GT(numbers.size(), 30u);  // four files' worth, not just the current one
}

TEST(Log, AppendsFromTwoThreadsStayWholeLines) {
    LogCapture log;
    const int perThread = 2000;
    auto writer = [&](char name) {
        const std::string body(100, name);
        for (int i = 0; i < perThread; ++i) yatLog("thread", "%c %05d %s", name, i, body.c_str());
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();

    std::vector<std::string> lines = fileLines(log.path());
    ASSERT_EQ(lines.size(), 2u * perThread);
    int next[2] = {0, 0};
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, kLineFormat)) << line;
        std::string text = m[8];
        ASSERT_EQ(text.size(), 108u) << text;
        char name = text[0];
        ASSERT_TRUE(name == 'a' || name == 'b') << text;
        EXPECT_EQ(text.substr(8), std::string(100, name));
        int& expected = next[name - 'a'];
        EXPECT_EQ(std::stoi(text.substr(2, 5)), expected);  // each thread's entries keep their order
        ++expected;
    }
    EXPECT_EQ(next[0], perThread);
    EXPECT_EQ(next[1], perThread);
}

TEST(Log, DumpIsBoundedAndSixteenBytesPerLine) {
    LogCapture log;
    uint8_t data[1000];
    for (size_t i = 0; i < sizeof data; ++i) data[i] = static_cast<uint8_t>(i);

    EXPECT_EQ(dumpdata(data, sizeof data), static_cast<int32_t>(kDumpMaxBytes));
    std::vector<std::string> texts = log.texts("dumpdata");
    ASSERT_EQ(texts.size(), kDumpMaxBytes / 16);
    EXPECT_EQ(texts.front(), "0000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
    EXPECT_EQ(texts.back(), "00f0: F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF");

    log.clear();
    EXPECT_EQ(dumpdata(data + 16, 20), 20);
    texts = log.texts("dumpdata");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], "0010: 20 21 22 23");

    log.clear();
    EXPECT_EQ(dumpdata(nullptr, 16), 0);
    EXPECT_TRUE(log.entries().empty());
}

TEST(Log, OffWritesNoFileAtAll) {
    SettingsScope settings;
    LogCapture log;
    closeLog();
    fs::remove(log.path());
    settings.change([](RuntimeSettings& s) { s.logEnabled = false; });

    initLog(kLogFileName);
    yatLog("tag", "text %d", 1);
    addLogItemToFile(kLogFileName, "tag", "text");
    EXPECT_EQ(dumpdata("abc", 3), 0);
    EXPECT_FALSE(fs::exists(log.path()));
}

}  // namespace
