// The queued log writer: order under concurrent loggers, rotation with nothing lost, drain at close,
// back-pressure, synchronous mode, progress-line routing, UTF-8 cleaning, file permissions, forks.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
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

// Lines of a file as they are now, without asking the writer to flush.
std::vector<std::string> rawLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string textOf(const std::string& line) {
    size_t tab = line.find('\t');
    return tab == std::string::npos ? std::string() : line.substr(tab + 1);
}

// Runs loggers threads, each logging count entries "w<thread> <n>" under tag.
void logFromThreads(int loggers, int count, const char* tag) {
    std::vector<std::thread> threads;
    for (int t = 0; t < loggers; ++t) {
        threads.emplace_back([t, count, tag] {
            for (int i = 0; i < count; ++i) yatLog(tag, "w%d %d", t, i);
        });
    }
    for (std::thread& thread : threads) thread.join();
}

// Checks that every logger's entries are all there, each exactly once and in order.
void expectEveryThreadInOrder(const std::vector<std::string>& texts, int loggers, int count) {
    std::map<int, int> next;
    for (const std::string& text : texts) {
        int thread = -1;
        int n = -1;
        if (std::sscanf(text.c_str(), "w%d %d", &thread, &n) != 2) continue;
        ASSERT_EQ(n, next[thread]) << "thread " << thread << " out of order or lost";
        next[thread] = n + 1;
    }
    for (int t = 0; t < loggers; ++t) EXPECT_EQ(next[t], count) << "thread " << t;
}

TEST(LogWriter, FourLoggersKeepTheirOwnOrderAndLoseNothing) {
    LogCapture log;
    logFromThreads(4, 2000, "order");
    expectEveryThreadInOrder(log.texts("order"), 4, 2000);
}

TEST(LogWriter, RotationUnderConcurrentLoadLosesNoLine) {
    SettingsScope settings;
    LogCapture log;
    settings.change([](RuntimeSettings& s) { s.logMaxBytes = 16 * 1024; });
    closeLog();  // the limit is read when the file is opened
    initLog(kLogFileName);
    logFromThreads(4, 120, "rotate");
    const std::string base = log.path();
    ASSERT_TRUE(fs::exists(base + ".1"));
    std::vector<std::string> texts;
    for (const std::string& file : {base + ".3", base + ".2", base + ".1", base}) {
        if (!fs::exists(file)) continue;
        EXPECT_LE(fs::file_size(file), 16u * 1024) << file;
        for (const std::string& line : rawLines(file)) {
            if (line.find("] rotate\t") != std::string::npos) texts.push_back(textOf(line));
        }
    }
    EXPECT_EQ(texts.size(), 480u);
    expectEveryThreadInOrder(texts, 4, 120);
}

// A reader holding the file open (a log viewer, a tail, another process) must not stop the rotation:
// on Windows such a handle keeps the file from being renamed, and the file must still turn over at
// the limit with nothing lost.
TEST(LogWriter, RotatesWhileAReaderHoldsTheFileOpen) {
    SettingsScope settings;
    LogCapture log;
    settings.change([](RuntimeSettings& s) { s.logMaxBytes = 4 * 1024; });
    closeLog();
    initLog(kLogFileName);
    yatLog("held", "w0 0");
    const std::string base = log.path();
    std::ifstream reader(base);
    ASSERT_TRUE(reader.is_open());
    for (int i = 1; i < 100; ++i) yatLog("held", "w0 %d", i);
    flushLog();
    ASSERT_TRUE(fs::exists(base + ".1"));
    std::vector<std::string> texts;
    for (const std::string& file : {base + ".3", base + ".2", base + ".1", base}) {
        if (!fs::exists(file)) continue;
        EXPECT_LE(fs::file_size(file), 4u * 1024) << file;
        for (const std::string& line : rawLines(file)) texts.push_back(textOf(line));
    }
    expectEveryThreadInOrder(texts, 1, 100);
    std::string first;
    EXPECT_TRUE(std::getline(reader, first));  // the reader's handle still reads
    reader.close();
    closeLog();
}

// A thread that logs faster than the writer formats finds its buffer full again and again, and its
// buffer grows while it logs: the entries of the old and the new buffers all come, in order.
TEST(LogWriter, AStreamFasterThanTheWriterLosesNothingWhileItsBufferGrows) {
    SettingsScope settings;
    LogCapture log;
    settings.change([](RuntimeSettings& s) { s.logMaxBytes = uint64_t{64} * 1024 * 1024; });
    closeLog();
    initLog(kLogFileName);
    logFromThreads(2, 100000, "stream");
    expectEveryThreadInOrder(log.texts("stream"), 2, 100000);
    closeLog();
}

TEST(LogWriter, TinyQueueMakesCallersWaitAndTheWaitsAreLoggedAtRotation) {
    SettingsScope settings;
    LogCapture log;
    settings.change([](RuntimeSettings& s) { s.logMaxBytes = 64 * 1024; });
    closeLog();
    setLogQueueBytes(1);  // one longest line: nearly every append waits
    initLog(kLogFileName);
    uint64_t waitsBefore = logQueueWaits();
    logFromThreads(2, 1500, "tiny");
    setLogQueueBytes(kLogQueueBytes);
    EXPECT_GT(logQueueWaits(), waitsBefore);
    const std::string base = log.path();
    std::vector<std::string> texts;
    bool waitsLogged = false;
    for (const std::string& file : {base + ".3", base + ".2", base + ".1", base}) {
        for (const std::string& line : rawLines(file)) {
            texts.push_back(textOf(line));
            waitsLogged = waitsLogged || line.find("] log\tcallers waited ") != std::string::npos;
        }
    }
    expectEveryThreadInOrder(texts, 2, 1500);
    EXPECT_TRUE(waitsLogged);
    closeLog();
}

TEST(LogWriter, StopDrainsTheQueueAndEndsTheThread) {
    LogCapture log;
    for (int i = 0; i < 500; ++i) yatLog("drain", "entry %d", i);
    EXPECT_TRUE(logWriterRunning());
    stopLogWriter();
    EXPECT_FALSE(logWriterRunning());
    std::vector<std::string> lines = rawLines(log.dir() + "/" + kLogFileName);
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(textOf(lines.back()), "entry 499");
    // After the stop entries are written at once, and no thread comes back until the next initLog.
    yatLog("drain", "after stop");
    EXPECT_FALSE(logWriterRunning());
    EXPECT_EQ(textOf(rawLines(log.dir() + "/" + kLogFileName).back()), "after stop");
}

TEST(LogWriter, StopWhileOthersLogLosesNothingAndLeavesNoThread) {
    LogCapture log;
    std::thread loggers([] { logFromThreads(3, 400, "race"); });
    stopLogWriter();
    loggers.join();
    EXPECT_FALSE(logWriterRunning());
    expectEveryThreadInOrder(log.texts("race"), 3, 400);
}

TEST(LogWriter, SyncModeWritesOnTheCallersThread) {
    SettingsScope settings;
    LogCapture log;
    stopLogWriter();
    settings.change([](RuntimeSettings& s) { s.logSync = true; });
    initLog(kLogFileName);
    yatLog("sync", "at once");
    EXPECT_FALSE(logWriterRunning());
    std::vector<std::string> lines = rawLines(log.dir() + "/" + kLogFileName);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(textOf(lines[0]), "at once");
}

TEST(LogWriter, FileIsCreatedForOwnerAndGroupOnly) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no permission bits: the file takes its folder's inherited permissions";
#else
    LogCapture log;
    mode_t old = umask(0);
    closeLog();
    fs::remove(log.dir() + "/" + kLogFileName);
    initLog(kLogFileName);
    umask(old);
    yatLog("mode", "x");
    struct stat info {};
    ASSERT_EQ(stat(log.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
#endif
}

TEST(LogWriter, VanishedFolderDropsEntriesWithoutHarm) {
    LogCapture log;
    yatLog("gone", "before");
    stopLogWriter();
    closeLog();
    fs::remove_all(log.dir());
    initLog(kLogFileName);
    for (int i = 0; i < 100; ++i) yatLog("gone", "while missing %d", i);
    flushLog();
    EXPECT_FALSE(fs::exists(log.dir()));
    fs::create_directories(log.dir());  // the destructor expects it back
}

TEST(LogWriter, ForkedChildWritesSynchronously) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no fork: a new process starts without the parent's log state";
#else
    LogCapture log;
    yatLog("fork", "parent before");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        yatLog("fork", "from the child");
        _exit(logWriterRunning() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(log.has("fork", "from the child"));
    EXPECT_EQ(log.countText("parent before"), 1u);
#endif
}

struct CleanCase {
    const char* name;
    std::string raw;
    std::string written;
};

class LogCleaning : public ::testing::TestWithParam<CleanCase> {};

TEST_P(LogCleaning, TextIsValidUtf8WithoutControls) {
    LogCapture log;
    yatLog("clean", "%s", GetParam().raw.c_str());
    EXPECT_EQ(log.texts("clean"), std::vector<std::string>{GetParam().written});
}

INSTANTIATE_TEST_SUITE_P(Bytes, LogCleaning,
                         ::testing::Values(CleanCase{"Ascii", "plain [1]", "plain [1]"},
                                           CleanCase{"LoneHighBytes", "a\x9b[2Jb\xff", "a\\x9B[2Jb\\xFF"},
                                           CleanCase{"ValidUtf8Kept",
                                                     "44 \xc2\xb0"
                                                     "C \xe2\x82\xac \xf0\x9f\x94\xa5",
                                                     "44 \xc2\xb0"
                                                     "C \xe2\x82\xac \xf0\x9f\x94\xa5"},
                                           CleanCase{"C1ControlIsABlank",
                                                     "a\xc2\x9b"
                                                     "b",
                                                     "a b"},
                                           CleanCase{"OverlongSlash", "\xc0\xaf", "\\xC0\\xAF"},
                                           CleanCase{"Surrogate", "\xed\xa0\x80", "\\xED\\xA0\\x80"},
                                           CleanCase{"CutSequence", "x\xe2\x82", "x\\xE2\\x82"},
                                           CleanCase{"ControlsAreBlanks", "a\x1b[31mb\x7f", "a [31mb "}),
                         [](const ::testing::TestParamInfo<CleanCase>& info) { return std::string(info.param.name); });

struct StdoutCase {
    StdoutMode mode;
    bool printed;
    bool logged;
};

class ProgressLines : public ::testing::TestWithParam<StdoutCase> {};

TEST_P(ProgressLines, FollowYatStdout) {
    SettingsScope settings;
    LogCapture log;
    settings.change([](RuntimeSettings& s) { s.stdoutMode = GetParam().mode; });
    ::testing::internal::CaptureStdout();
    yatProgress("fan reading failed for sensor [%d]\n", 3);
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out == "fan reading failed for sensor [3]\n", GetParam().printed) << out;
    EXPECT_EQ(out.empty(), !GetParam().printed);
    EXPECT_EQ(log.has("stdout", "fan reading failed for sensor [3]"), GetParam().logged);
}

INSTANTIATE_TEST_SUITE_P(Modes, ProgressLines,
                         ::testing::Values(StdoutCase{StdoutMode::On, true, false},
                                           StdoutCase{StdoutMode::Off, false, false},
                                           StdoutCase{StdoutMode::Log, false, true}));

struct ModeText {
    const char* text;
    StdoutMode mode;
};

class StdoutSetting : public ::testing::TestWithParam<ModeText> {};

TEST_P(StdoutSetting, TextGivesMode) {
    EXPECT_EQ(stdoutModeFromText(GetParam().text, StdoutMode::On), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(Texts, StdoutSetting,
                         ::testing::Values(ModeText{"on", StdoutMode::On}, ModeText{"off", StdoutMode::Off},
                                           ModeText{"log", StdoutMode::Log}, ModeText{"LOG", StdoutMode::On},
                                           ModeText{"", StdoutMode::On}, ModeText{nullptr, StdoutMode::On}));

}  // namespace
