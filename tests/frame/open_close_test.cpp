// openLibrary / closeLibrary: the use count, the one shared object and the log lines of each case.

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "platform/log.h"

namespace {

using yattest::FakeComm;
using yattest::LogEntry;
using Line = std::pair<std::string, std::string>;  // tag, text

constexpr const char* kOpen = "cLibYAT::OpenLib";
constexpr const char* kCtor = "cLibYAT::cLibYAT";

class OpenClose : public ::testing::Test {
protected:
    void TearDown() override {
        // Leave the process Closed for the next test whatever happened here.
        while (closeLibrary() > 0) {
        }
    }
    // The lines appear in this order (other lines may come between them).
    ::testing::AssertionResult loggedInOrder(const std::vector<Line>& expected) const {
        std::vector<LogEntry> entries = log.entries();
        size_t next = 0;
        for (const LogEntry& entry : entries) {
            if (next < expected.size() && entry.tag == expected[next].first && entry.text == expected[next].second) {
                ++next;
            }
        }
        if (next == expected.size()) return ::testing::AssertionSuccess();
        std::string dump;
        for (const LogEntry& entry : entries) dump += "  " + entry.tag + " | " + entry.text + "\n";
        return ::testing::AssertionFailure()
               << "missing [" << expected[next].first << " | " << expected[next].second << "] in:\n"
               << dump;
    }
    size_t destructions() const { return log.countText("destructor called"); }

    yattest::LogCapture log;
};

TEST_F(OpenClose, ThreeOpensShareOneObjectAndTheLastCloseDestroysIt) {
    FakeComm comm(2);
    cLibYAT* objects[3] = {};
    for (cLibYAT*& object : objects) EXPECT_EQ(openLibrary(&object, &comm), ERR_SUCCESS);
    ASSERT_NE(objects[0], nullptr);
    EXPECT_EQ(objects[1], objects[0]);
    EXPECT_EQ(objects[2], objects[0]);
    EXPECT_TRUE(objects[0]->libOk());
    EXPECT_EQ(objects[0]->comm(), &comm);
    EXPECT_EQ(log.countText("about to create lib device"), 1u);
    EXPECT_EQ(log.countText("The SP Device was opened, number nodes is [2] again"), 3u);

    EXPECT_EQ(closeLibrary(), 2);
    EXPECT_EQ(destructions(), 0u);
    EXPECT_EQ(closeLibrary(), 1);
    EXPECT_EQ(destructions(), 0u);
    EXPECT_EQ(closeLibrary(), 0);
    EXPECT_EQ(destructions(), 1u);
    EXPECT_TRUE(loggedInOrder({
        {"cSPDev::Release", "cSPDev::Release() being called with a counter value of [3]"},
        {"cSPDev::Release", "cSPDev::Release() being called with a counter value of [2]"},
        {"cSPDev::Release", "cSPDev::Release() being called with a counter value of [1]"},
        {"cSPDev::Release()", "called and releasing pointer"},
        {"cLibYAT::~cLibYAT", "destructor called"},
    }));
}

TEST_F(OpenClose, AcceptedDeviceLogsConstructionAndNodeCount) {
    FakeComm comm(3);
    cLibYAT* object = nullptr;
    ASSERT_EQ(openLibrary(&object, &comm), ERR_SUCCESS);
    EXPECT_TRUE(loggedInOrder({
        {"openlibrary", "about to try to create library"},
        {kOpen, "got mutex and now about to check instancecounter"},
        {kOpen, "about to create lib device"},
        {kCtor, "The comm device is not null, deviceID = [99] and DEVSP = [99]"},
        {kCtor, "setting lib_ok to true"},
        {kOpen, "The SP Device was opened and lib_ok is [1]"},
        {kOpen, "about to return"},
        {kOpen, "The SP Device was opened, number nodes is [3] again"},
    }));
    EXPECT_EQ(closeLibrary(), 0);
    EXPECT_TRUE(loggedInOrder({{"openlibrary", "about to try to release library"}}));
}

TEST_F(OpenClose, NullDeviceIsRejectedAfterConstructionAndDestruction) {
    cLibYAT* object = reinterpret_cast<cLibYAT*>(0x1);
    EXPECT_EQ(openLibrary(&object, nullptr), ERR_NO_RESOURCE);
    EXPECT_EQ(object, nullptr);
    EXPECT_TRUE(loggedInOrder({
        {kOpen, "got mutex and now about to check instancecounter"},
        {kOpen, "about to create lib device"},
        {kCtor, "The comm device was null"},
        {kOpen, "The SP Device was opened and lib_ok is [0]"},
        {"cSPDev::OpenLib", " -- The SP Device was Released"},
        {"cLibYAT::~cLibYAT", "destructor called"},
        {kOpen, "about to return"},
    }));
    EXPECT_EQ(log.countText("setting lib_ok to false"), 0u);
    EXPECT_EQ(destructions(), 1u);
    EXPECT_EQ(closeLibrary(), 0);  // still Closed
}

TEST_F(OpenClose, DeviceIdsNextToTheSpDeviceAreRejected) {
    for (int32_t id : {98, 100}) {
        SCOPED_TRACE(id);
        log.clear();
        FakeComm comm(1, id);
        cLibYAT* object = reinterpret_cast<cLibYAT*>(0x1);
        EXPECT_EQ(openLibrary(&object, &comm), ERR_NO_RESOURCE);
        EXPECT_EQ(object, nullptr);
        EXPECT_TRUE(comm.requests().empty());
        EXPECT_TRUE(loggedInOrder({
            {kOpen, "about to create lib device"},
            {kCtor, "The comm device is not null, deviceID = [" + std::to_string(id) + "] and DEVSP = [99]"},
            {kCtor, "setting lib_ok to false"},
            {kOpen, "The SP Device was opened and lib_ok is [0]"},
            {"cSPDev::OpenLib", " -- The SP Device was Released"},
            {"cLibYAT::~cLibYAT", "destructor called"},
            {kOpen, "about to return"},
        }));
        EXPECT_EQ(log.countText("setting lib_ok to true"), 0u);
        EXPECT_EQ(closeLibrary(), 0);
    }
}

TEST_F(OpenClose, RejectedOpenAsksNoNodeCount) {
    FakeComm comm(1, 98);
    cLibYAT* object = nullptr;
    EXPECT_EQ(openLibrary(&object, &comm), ERR_NO_RESOURCE);
    for (const LogEntry& entry : log.entries()) {
        EXPECT_EQ(entry.text.find("number nodes is"), std::string::npos) << entry.text;
    }
}

TEST_F(OpenClose, NullOutCreatesNothing) {
    FakeComm comm;
    EXPECT_EQ(openLibrary(nullptr, &comm), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(comm.requests().empty());
    EXPECT_EQ(log.countText("about to create lib device"), 0u);
    EXPECT_EQ(destructions(), 0u);
    // Nothing is counted either: one open and one close bring the library back to Closed.
    cLibYAT* object = nullptr;
    ASSERT_EQ(openLibrary(&object, &comm), ERR_SUCCESS);
    EXPECT_EQ(closeLibrary(), 0);
    EXPECT_EQ(destructions(), 1u);
}

TEST_F(OpenClose, CloseWithoutOpenIsHarmless) {
    EXPECT_EQ(closeLibrary(), 0);
    EXPECT_EQ(closeLibrary(), 0);
    EXPECT_TRUE(loggedInOrder({
        {"cSPDev::Release", "cSPDev::Release() being called with a counter value of [0]"},
        {"cSPDev::Release()", "called and releasing pointer"},
    }));
    EXPECT_EQ(destructions(), 0u);

    FakeComm comm;
    cLibYAT* object = nullptr;
    EXPECT_EQ(openLibrary(&object, &comm), ERR_SUCCESS);
    EXPECT_NE(object, nullptr);
    EXPECT_EQ(closeLibrary(), 0);
}

TEST_F(OpenClose, LaterOpenWithAWrongDeviceGetsTheExistingObject) {
    FakeComm first(2);
    FakeComm other(5, 98);
    cLibYAT* a = nullptr;
    cLibYAT* b = nullptr;
    ASSERT_EQ(openLibrary(&a, &first), ERR_SUCCESS);
    EXPECT_EQ(openLibrary(&b, &other), ERR_SUCCESS);
    EXPECT_EQ(b, a);
    EXPECT_EQ(a->comm(), &first);  // still bound to the first device
    EXPECT_TRUE(other.requests().empty());
    EXPECT_EQ(log.countText("The SP Device was opened, number nodes is [2] again"), 2u);
    EXPECT_EQ(closeLibrary(), 1);
    EXPECT_EQ(closeLibrary(), 0);
}

TEST_F(OpenClose, SilentSpStillOpens) {
    FakeComm unknown;  // answers every command with status 0xFF
    cLibYAT* object = nullptr;
    EXPECT_EQ(openLibrary(&object, &unknown), ERR_SUCCESS);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->libOk());
    EXPECT_EQ(closeLibrary(), 0);

    FakeComm broken;
    for (int n = 1; n <= 200; ++n) broken.failNth(n, 1);  // no transport at all
    EXPECT_EQ(openLibrary(&object, &broken), ERR_SUCCESS);
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->libOk());
    EXPECT_EQ(closeLibrary(), 0);
}

TEST_F(OpenClose, TwoHostThreadsOpenAndCloseConcurrently) {
    FakeComm comm(2);
    std::atomic<int> failures{0};
    auto host = [&] {
        for (int i = 0; i < 50; ++i) {
            cLibYAT* object = nullptr;
            if (openLibrary(&object, &comm) != ERR_SUCCESS || object == nullptr) {
                ++failures;
                continue;
            }
            if (static_cast<cDeviceLib*>(object)->getNodeCount() != 2) ++failures;
            if (closeLibrary() < 0) ++failures;
        }
    };
    std::thread a(host);
    std::thread b(host);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(closeLibrary(), 0);  // every open was matched: nothing left open
    EXPECT_EQ(log.countText("about to create lib device"), destructions());
}

TEST_F(OpenClose, TheLastCloseDrainsTheLogAndEndsItsWriter) {
    FakeComm comm(2);
    cLibYAT* first = nullptr;
    cLibYAT* second = nullptr;
    ASSERT_EQ(openLibrary(&first, &comm), ERR_SUCCESS);
    ASSERT_EQ(openLibrary(&second, &comm), ERR_SUCCESS);
    EXPECT_TRUE(logWriterRunning());
    EXPECT_EQ(closeLibrary(), 1);
    EXPECT_TRUE(logWriterRunning());  // one use is left
    EXPECT_EQ(closeLibrary(), 0);
    EXPECT_FALSE(logWriterRunning());
    // Everything up to the destructor is in the file without a flush.
    std::ifstream in(log.dir() + "/" + kLogFileName);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(content.find("\tdestructor called\n"), std::string::npos);
}

}  // namespace
