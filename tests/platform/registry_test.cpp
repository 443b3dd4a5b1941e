// The registry-data file reader.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <fstream>
#include <string>

#include "kit/scoped_settings.h"
#include "platform/registry.h"

namespace {

class FileRegistry : public cRegistry {
public:
    explicit FileRegistry(const std::string& path) : cRegistry(path.c_str()) {}
    using cRegistry::CloseRegData;
};

const char* const kSample =
    "Windows Registry Editor Version 5.00\r\n"
    "\"Orphan\"=dword:00000001\r\n"
    "\r\n"
    "; the LED panel\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro\\Vigilor\\glint]\r\n"
    "\"Count\"=dword:0000001f\r\n"
    "\"Name\"=\"Front \\\"panel\\\" C:\\\\path\"\r\n"
    ";\"Hidden\"=dword:00000002\r\n"
    "  \"Indented\"=DWORD:0000ABCD  \r\n"
    "\r\n"
    "[SOFTWARE\\Zentro\\Vigilor\\glint\\LED1]\r\n"
    "\"Label\"=\"CPU\"\r\n"
    "\"Empty\"=\"\"\r\n"
    "\"BadDigits\"=dword:0000001g\r\n"
    "\"TooLong\"=dword:123456789\r\n"
    "\"Unterminated\"=\"abc\r\n"
    "[SOFTWARE\\Zentro\\Vigilor\\glint-old]\r\n"
    "\"Old\"=dword:00000003\r\n"
    "[SOFTWARE\\Other\\Sub]\r\n"
    "[Broken\r\n"
    "\"AfterBroken\"=dword:00000004\r\n";

std::string writeFile(const yattest::TempDir& dir, const std::string& name, const std::string& bytes) {
    std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

uint32_t number(const cRegistry& reg, const char* key, const char* name, bool* found) {
    uint32_t value = 0xDEADBEEF;
    uint32_t size = sizeof value;
    *found = reg.GetRegInfo(key, name, &size, &value);
    if (*found) {
        EXPECT_EQ(size, 4u);
    }
    return value;
}

class Registry : public ::testing::Test {
protected:
    yattest::TempDir dir;
    FileRegistry reg{writeFile(dir, "kdxreg.ini", kSample)};
};

TEST_F(Registry, KeysExistWithOrWithoutRootPrefixAndInAnyCase) {
    EXPECT_TRUE(reg.isOpen());
    EXPECT_TRUE(reg.CheckRegTree("SOFTWARE\\Zentro\\Vigilor\\glint"));
    EXPECT_TRUE(reg.CheckRegTree("HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro\\Vigilor\\glint"));
    EXPECT_TRUE(reg.CheckRegTree("hkey_local_machine\\software\\ZENTRO\\vigilor\\GLINT\\led1"));
    EXPECT_TRUE(reg.CheckRegTree("HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro\\Vigilor\\glint\\LED1"));
    EXPECT_FALSE(reg.CheckRegTree("SOFTWARE\\Zentro\\Vigilor\\glint\\LED2"));
    EXPECT_FALSE(reg.CheckRegTree("SOFTWARE\\Zentro\\Vig"));  // a part of a name is no key
    EXPECT_FALSE(reg.CheckRegTree(nullptr));
}

TEST_F(Registry, KeyWithOnlySubkeysExistsEvenWhenASiblingSortsBetween) {
    // "SOFTWARE\Zentro\Vigilor" has no section of its own; "glint-old" sorts before "glint\LED1".
    EXPECT_TRUE(reg.CheckRegTree("SOFTWARE\\Zentro\\Vigilor"));
    EXPECT_TRUE(reg.CheckRegTree("SOFTWARE\\Zentro"));
    EXPECT_TRUE(reg.CheckRegTree("SOFTWARE\\Other"));
}

TEST_F(Registry, NumbersAreReadAsFourBytes) {
    bool found = false;
    EXPECT_EQ(number(reg, "SOFTWARE\\Zentro\\Vigilor\\glint", "Count", &found), 0x1Fu);
    EXPECT_TRUE(found);
    EXPECT_EQ(number(reg, "HKEY_LOCAL_MACHINE\\software\\zentro\\vigilor\\glint", "count", &found), 0x1Fu);
    EXPECT_TRUE(found);
    EXPECT_EQ(number(reg, "SOFTWARE\\Zentro\\Vigilor\\glint", "Indented", &found), 0xABCDu);
    EXPECT_TRUE(found);
    EXPECT_EQ(number(reg, "SOFTWARE\\Zentro\\Vigilor\\glint-old", "Old", &found), 3u);
    EXPECT_TRUE(found);
}

TEST_F(Registry, CommentsMalformedValuesAndValuesOutsideSectionsAreSkipped) {
    bool found = true;
    number(reg, "SOFTWARE\\Zentro\\Vigilor\\glint", "Hidden", &found);
    EXPECT_FALSE(found);
    number(reg, "SOFTWARE\\Zentro\\Vigilor\\glint\\LED1", "BadDigits", &found);
    EXPECT_FALSE(found);
    number(reg, "SOFTWARE\\Zentro\\Vigilor\\glint\\LED1", "TooLong", &found);
    EXPECT_FALSE(found);
    number(reg, "SOFTWARE\\Zentro\\Vigilor\\glint\\LED1", "Unterminated", &found);
    EXPECT_FALSE(found);
    number(reg, "", "Orphan", &found);
    EXPECT_FALSE(found);
    number(reg, "Broken", "AfterBroken", &found);
    EXPECT_FALSE(found);
    number(reg, "SOFTWARE\\Other\\Sub", "AfterBroken", &found);  // a broken section line ends the section
    EXPECT_FALSE(found);
}

TEST_F(Registry, TextsAreCopiedWithTerminatorAndEscapes) {
    const std::string expected = "Front \"panel\" C:\\path";
    char text[64];
    uint32_t size = sizeof text;
    ASSERT_TRUE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint", "NAME", &size, text));
    EXPECT_EQ(size, expected.size() + 1);
    EXPECT_STREQ(text, expected.c_str());

    size = sizeof text;
    ASSERT_TRUE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint\\LED1", "Empty", &size, text));
    EXPECT_EQ(size, 1u);
    EXPECT_STREQ(text, "");
}

TEST_F(Registry, TooSmallBufferWritesNothingAndTellsTheSizeNeeded) {
    char text[4];
    std::memset(text, 'z', sizeof text);
    uint32_t size = sizeof text;  // "CPU" needs exactly 4
    ASSERT_TRUE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint\\LED1", "Label", &size, text));
    EXPECT_STREQ(text, "CPU");

    std::memset(text, 'z', sizeof text);
    size = 3;
    EXPECT_FALSE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint\\LED1", "Label", &size, text));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::string(text, 4), "zzzz");

    uint32_t value = 7;
    size = 3;
    EXPECT_FALSE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint", "Count", &size, &value));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, 7u);
}

TEST_F(Registry, MissingItemsAndNullArgumentsGiveFalse) {
    uint32_t value = 0;
    uint32_t size = sizeof value;
    EXPECT_FALSE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint", "Nothing", &size, &value));
    EXPECT_FALSE(reg.GetRegInfo("SOFTWARE\\Nothing", "Count", &size, &value));
    EXPECT_FALSE(reg.GetRegInfo(nullptr, "Count", &size, &value));
    EXPECT_FALSE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint", nullptr, &size, &value));
    EXPECT_FALSE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint", "Count", nullptr, &value));
    EXPECT_FALSE(reg.GetRegInfo("SOFTWARE\\Zentro\\Vigilor\\glint", "Count", &size, nullptr));
}

TEST_F(Registry, ClosingForgetsTheData) {
    reg.CloseRegData();
    EXPECT_FALSE(reg.isOpen());
    EXPECT_FALSE(reg.CheckRegTree("SOFTWARE\\Zentro\\Vigilor\\glint"));
}

TEST(RegistryFile, MissingFileIsNotOpenAndHoldsNothing) {
    yattest::TempDir dir;
    FileRegistry reg(dir.file("absent.ini"));
    EXPECT_FALSE(reg.isOpen());
    EXPECT_FALSE(reg.CheckRegTree("SOFTWARE"));
}

TEST(RegistryFile, Utf16AndUtf8ExportsAreRead) {
    yattest::TempDir dir;
    const std::string text = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro]\r\n\"Count\"=dword:00000005\r\n";

    std::string utf16 = "\xFF\xFE";
    for (char c : text) {
        utf16 += c;
        utf16 += '\0';
    }
    FileRegistry wide(writeFile(dir, "wide.ini", utf16));
    bool found = false;
    EXPECT_EQ(number(wide, "SOFTWARE\\Zentro", "Count", &found), 5u);
    EXPECT_TRUE(found);

    FileRegistry marked(writeFile(dir, "bom.ini", "\xEF\xBB\xBF" + text));
    EXPECT_EQ(number(marked, "SOFTWARE\\Zentro", "Count", &found), 5u);
    EXPECT_TRUE(found);
}

TEST(RegistryFile, ReadsUpToFourMebibytes) {
    yattest::TempDir dir;
    const size_t limit = 4u * 1024 * 1024;
    const std::string section = "[SOFTWARE\\Zentro]\r\n\"Count\"=dword:00000005\r\n";
    std::string filler(limit - section.size(), ';');
    filler[0] = '\n';
    filler.back() = '\n';
    bool found = false;
    FileRegistry inside(writeFile(dir, "inside.ini", filler + section));
    EXPECT_EQ(number(inside, "SOFTWARE\\Zentro", "Count", &found), 5u);
    EXPECT_TRUE(found);
    FileRegistry beyond(writeFile(dir, "beyond.ini", filler + ";" + section));  // the last byte is cut
    number(beyond, "SOFTWARE\\Zentro", "Count", &found);
    EXPECT_FALSE(found);
}

}  // namespace

// The largest single allocation while counting is on (the regression below: each registry read once
// allocated a buffer of the whole limit, megabytes for a file of a few hundred bytes).
namespace {
std::atomic<bool> countingAllocations{false};
std::atomic<size_t> largestAllocation{0};
}  // namespace

// Replaced allocation functions pair malloc with free; the compiler cannot see that they match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
    if (countingAllocations.load(std::memory_order_relaxed)) {
        size_t seen = largestAllocation.load();
        while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {
        }
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace {

TEST(RegistryFile, SmallFileIsReadWithoutALimitSizedBuffer) {
    yattest::TempDir dir;
    std::string path = writeFile(dir, "kdxreg.ini", kSample);
    largestAllocation = 0;
    countingAllocations = true;
    { FileRegistry reg(path); }
    countingAllocations = false;
    EXPECT_LT(largestAllocation.load(), 64u * 1024);
}

}  // namespace
