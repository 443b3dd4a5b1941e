// The log file in a folder others can write to: links, FIFOs and files of other users are never
// written through, rotation never follows a link, and a full disk leaves only whole lines.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "kit/log_reader.h"
#include "kit/scoped_settings.h"
#include "platform/log.h"
#include "platform/runtime.h"

namespace {

namespace fs = std::filesystem;
using yattest::LogCapture;
using yattest::SettingsScope;
using yattest::writeFile;

// Reopens the log of capture with what is in its folder now, with limit as the rotation size.
void reopen(SettingsScope& settings, uint64_t limit) {
    settings.change([limit](RuntimeSettings& s) { s.logMaxBytes = limit; });
    closeLog();
    initLog(kLogFileName);
}

// When the name cannot be moved and no rotation file can be made in its place (here folders that
// cannot be removed or replaced hold the rotation names), the log says so once and keeps every line in
// the one file.
TEST(LogFileSafety, RotationThatCannotBeMadeIsLoggedOnceAndLosesNothing) {
    SettingsScope settings;
    LogCapture log;
    closeLog();
    const std::string base = log.dir() + "/" + kLogFileName;
    for (const char* rotation : {".1", ".2", ".3"}) fs::create_directories(base + rotation + "/inside");
    reopen(settings, 1024);
    for (int i = 0; i < 100; ++i) yatLog("rotate", "entry %03d with some padding to fill the file", i);
    flushLog();
    EXPECT_EQ(log.texts("rotate").size(), 100u);
    std::vector<std::string> said = log.texts("log");
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("cannot rotate"), std::string::npos) << said[0];
    EXPECT_TRUE(fs::is_directory(base + ".1/inside"));
}

#ifndef _WIN32

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What is put in place of libyat.log before the library opens it.
enum class Planted { kLinkToAFile, kLinkToNothing, kFifoWithAReader };

class PlantedLog : public ::testing::TestWithParam<Planted> {};

// Nothing reaches what the link points at or whoever reads the FIFO, and the library goes on.
TEST_P(PlantedLog, IsNeverWrittenThrough) {
    SettingsScope settings;
    LogCapture log;
    closeLog();
    const std::string path = log.dir() + "/" + kLogFileName;
    const std::string victim = log.dir() + "/victim";
    fs::remove(path);
    int reader = -1;
    switch (GetParam()) {
        case Planted::kLinkToAFile:
            writeFile(victim, "someone's data\n");
            ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
            break;
        case Planted::kLinkToNothing: ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0); break;
        case Planted::kFifoWithAReader:
            // With a reader an open for writing would not block: it would stream the log to the reader.
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
            ASSERT_GE(reader, 0);
            break;
    }
    initLog(kLogFileName);
    for (int i = 0; i < 20; ++i) yatLog("planted", "entry %d", i);
    flushLog();
    closeLog();
    switch (GetParam()) {
        case Planted::kLinkToAFile:
            EXPECT_EQ(contentOf(victim), "someone's data\n");
            EXPECT_TRUE(fs::is_symlink(path));
            break;
        case Planted::kLinkToNothing: EXPECT_FALSE(fs::exists(victim)) << "created through the link"; break;
        case Planted::kFifoWithAReader: {
            char buffer[256];
            EXPECT_LE(::read(reader, buffer, sizeof buffer), 0) << "log lines went into the FIFO";
            ::close(reader);
            break;
        }
    }
    fs::remove(path);
    initLog(kLogFileName);  // a regular file again: logging resumes
    yatLog("planted", "after");
    EXPECT_TRUE(log.has("planted", "after"));
}

INSTANTIATE_TEST_SUITE_P(Files, PlantedLog,
                         ::testing::Values(Planted::kLinkToAFile, Planted::kLinkToNothing, Planted::kFifoWithAReader),
                         [](const ::testing::TestParamInfo<Planted>& info) {
                             switch (info.param) {
                                 case Planted::kLinkToAFile: return "LinkToAFile";
                                 case Planted::kLinkToNothing: return "LinkToNothing";
                                 case Planted::kFifoWithAReader: return "FifoWithAReader";
                             }
                             return "Unknown";
                         });

// A FIFO without a reader would block an ordinary open for ever, while the log lock is held.
TEST(LogFileSafety, FifoWithoutAReaderDoesNotBlockTheOpen) {
    LogCapture log;
    closeLog();
    const std::string path = log.dir() + "/" + kLogFileName;
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    initLog(kLogFileName);
    yatLog("fifo", "dropped");
    closeLog();
    EXPECT_TRUE(fs::is_fifo(path));
}

// Another user's file under the log's name (a shared folder) is left alone.
TEST(LogFileSafety, FileOfAnotherUserIsNotWritten) {
    LogCapture log;
    closeLog();
    const std::string path = log.dir() + "/" + kLogFileName;
    writeFile(path, "another user's log\n");
    if (::chown(path.c_str(), 4321, 4321) != 0) GTEST_SKIP() << "only root can give a file to another user";
    initLog(kLogFileName);
    yatLog("owner", "not here");
    flushLog();
    closeLog();
    EXPECT_EQ(contentOf(path), "another user's log\n");
}

// Links planted under the rotation names are replaced, never followed: their targets keep their data.
TEST(LogFileSafety, RotationNeverFollowsLinkedRotations) {
    SettingsScope settings;
    LogCapture log;
    closeLog();
    const std::string base = log.dir() + "/" + kLogFileName;
    for (int i = 1; i <= 3; ++i) {
        std::string victim = log.dir() + "/victim" + std::to_string(i);
        writeFile(victim, "victim data\n");
        ASSERT_EQ(::symlink(victim.c_str(), (base + "." + std::to_string(i)).c_str()), 0);
    }
    reopen(settings, 1024);
    for (int i = 0; i < 100; ++i) yatLog("rotate", "entry %03d with some padding to fill the file", i);
    flushLog();
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(contentOf(log.dir() + "/victim" + std::to_string(i)), "victim data\n") << i;
        EXPECT_FALSE(fs::is_symlink(base + "." + std::to_string(i))) << i;
    }
    EXPECT_TRUE(log.has("rotate", "entry 099 with some padding to fill the file"));
}

// A full disk (here a file size limit) ends the file with the last whole line: the next line after
// space came back starts on a line of its own.
TEST(LogFileSafety, FullDiskLeavesOnlyWholeLines) {
    LogCapture log;
    yatLog("full", "before");
    flushLog();
    const std::string path = log.path();
    const auto before = fs::file_size(path);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child writes synchronously; SIGXFSZ would end it at the limit instead of failing the write.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = before + 1000;
        setrlimit(RLIMIT_FSIZE, &limit);
        for (int i = 0; i < 50; ++i) yatLog("full", "child entry %02d %s", i, std::string(60, 'z').c_str());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    std::string content = contentOf(path);
    ASSERT_GT(content.size(), before);
    EXPECT_EQ(content.back(), '\n') << "ends mid-line";
    initLog(kLogFileName);
    yatLog("full", "after");
    const std::regex line(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{6}Z \[T\d+\] full\t.*$)");
    std::istringstream lines(contentOf(log.path()));
    for (std::string text; std::getline(lines, text);) EXPECT_TRUE(std::regex_match(text, line)) << text;
    EXPECT_TRUE(log.has("full", "after"));
}

#endif

}  // namespace
