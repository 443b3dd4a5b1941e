// Reading input files: only regular files, never blocking on a FIFO, bounded.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "kit/scoped_settings.h"
#include "platform/regular_file.h"

namespace {

using yat::FileRead;
using yat::Links;
using yattest::TempDir;
using yattest::writeFile;

TEST(RegularFile, ReadsUpToTheLimitAndTellsALargerFile) {
    TempDir dir;
    const std::string path = dir.path() + "/data";
    struct Case {
        std::string content;
        size_t limit;
        FileRead outcome;
        std::string kept;
    };
    const std::string big(40000, 'x');  // more than one read piece
    for (const Case& c : {Case{"", 4, FileRead::kRead, ""}, Case{"abcd", 4, FileRead::kRead, "abcd"},
                          Case{"abcde", 4, FileRead::kTooLarge, "abcd"}, Case{big, big.size(), FileRead::kRead, big},
                          Case{big, 20000, FileRead::kTooLarge, big.substr(0, 20000)}}) {
        writeFile(path, c.content);
        std::string content = "old";
        EXPECT_EQ(yat::readRegularFile(path, c.limit, content), c.outcome) << c.content.size() << "/" << c.limit;
        EXPECT_EQ(content, c.kept);
    }
}

TEST(RegularFile, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    std::string content = "old";
    EXPECT_EQ(yat::readRegularFile(dir.path() + "/absent", 10, content), FileRead::kMissing);
    EXPECT_EQ(content, "");
    EXPECT_EQ(yat::readRegularFile(dir.path() + "/absent/below", 10, content), FileRead::kMissing);
    EXPECT_EQ(yat::readRegularFile(dir.path(), 10, content), FileRead::kNotRegular);
#ifndef _WIN32
    // A FIFO with no writer would block an ordinary open for ever.
    const std::string fifo = dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(yat::readRegularFile(fifo, 10, content), FileRead::kNotRegular);
    EXPECT_EQ(yat::readRegularFile("/dev/zero", 10, content), FileRead::kNotRegular);

    const std::string target = dir.path() + "/target";
    const std::string link = dir.path() + "/link";
    writeFile(target, "linked");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_EQ(yat::readRegularFile(link, 10, content, Links::kFollow), FileRead::kRead);
    EXPECT_EQ(content, "linked");
    EXPECT_EQ(yat::readRegularFile(link, 10, content, Links::kRefuse), FileRead::kNotRegular);
    EXPECT_EQ(content, "");
#endif
}

}  // namespace
