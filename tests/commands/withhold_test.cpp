// The withhold mark: a command object carrying a secret never shows its data bytes in the log.

#include <gtest/gtest.h>

#include <string>

#include "commands/sp_cmd.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"

namespace {

using yattest::Bytes;

TEST(Withhold, DumpsShowOnlyTheByteCountOfRequestAndAnswer) {
    yattest::LogCapture log;
    yattest::FakeComm comm;
    comm.answer("4.1.4.1.2", {'e', 'c', 'h', 'o'});
    const uint8_t secret[] = {'s', 'e', 'c', 'r', 'e', 't', 0};
    const uint8_t account = 1;
    cSPCmd command;
    command.withholdData();
    ASSERT_NE(command.buildSPCommand("4.1.4.x.2", 0, &account, secret, 1, 7), nullptr);
    EXPECT_EQ(command.dumpData("tag"), 0);
    ASSERT_EQ(command.send(&comm, 0), 0u);
    EXPECT_EQ(command.dumpData("tag"), 0);
    EXPECT_EQ(comm.requests()[0].data, Bytes(secret, secret + 7));  // the SP still gets the bytes
    EXPECT_EQ(log.texts("tag"), (std::vector<std::string>{"<7 bytes withheld>", "<4 bytes withheld>"}));
    EXPECT_TRUE(log.has("cSPCmd::BuildCommandBuffer", "<7 bytes withheld>"));
    EXPECT_TRUE(log.texts("dumpdata").empty());
}

TEST(Withhold, WithoutTheMarkDataAreDumped) {
    yattest::LogCapture log;
    cSPCmd command;
    const uint8_t data[] = {0xAB, 0xCD};
    ASSERT_NE(command.buildSPCommand("4.1.1.9", 0, nullptr, data, 0, 2), nullptr);
    EXPECT_EQ(command.dumpData("tag"), 2);
    EXPECT_EQ(log.texts("dumpdata"), (std::vector<std::string>{"0000: AB CD"}));
    EXPECT_EQ(log.countText("<2 bytes withheld>"), 0u);
}

}  // namespace
