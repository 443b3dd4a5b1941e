// The command object's layout: two operations in its table, then its size field and the 4096-byte
// buffer, as the subclasses of other components expect.

#include <gtest/gtest.h>

#include "commands/sp_cmd.h"
#include "kit/abi_probe.h"

namespace {

using yattest::kVptr;
using yattest::offsetIn;

struct AfterSPCmd : cSPCmd {
    virtual void added() {}
};

struct SPCmdLayout : cSPCmd {
    void check() const {
        EXPECT_EQ(offsetIn<cSPCmd>(*this, origCmdSize), kVptr + 0);
        EXPECT_EQ(offsetIn<cSPCmd>(*this, cmdBuffer), kVptr + 4);
        EXPECT_EQ(sizeof cmdBuffer, 4096u);
    }
};

TEST(SPCmdLayout, TwoOperationsThenTheFields) {
    EXPECT_SLOT(cSPCmd, buildCommand, 0);
    EXPECT_SLOT(cSPCmd, getCommandData, 1);
    EXPECT_EQ(yattest::slotOf(&AfterSPCmd::added), 2);
    SPCmdLayout().check();
}

}  // namespace
