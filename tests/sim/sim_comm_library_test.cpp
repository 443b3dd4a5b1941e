// libyat_simcomm.so: the simulator's comm device behind its two C entry points, as an agent built
// against the installed package uses it.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/libyat.h"
#include "kit/log_reader.h"
#include "sim/comm_library/sim_comm.h"
#include "yat/result_codes.h"

namespace {

TEST(SimCommLibrary, OpensTheBuiltInScenarioAndTheLibraryRunsOverIt) {
    yattest::LogCapture log;
    char error[64] = "stale";
    cBusComm* comm = yatSimCommOpen(nullptr, error, sizeof error);
    ASSERT_NE(comm, nullptr);
    EXPECT_STREQ(error, "");
    EXPECT_EQ(comm->getNodeCount(), 2u);

    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, comm), ERR_SUCCESS);
    cDeviceLib* host = lib;
    int32_t type = -1;
    EXPECT_EQ(host->getSPType(&type), ERR_SUCCESS);
    EXPECT_EQ(type, 7);
    closeLibrary();
    yatSimCommClose(comm);
}

TEST(SimCommLibrary, EmptyPathMeansTheBuiltInScenario) {
    cBusComm* comm = yatSimCommOpen("", nullptr, 0);
    ASSERT_NE(comm, nullptr);
    EXPECT_EQ(comm->getNodeCount(), 2u);
    yatSimCommClose(comm);
}

struct BadOpen {
    const char* name;
    size_t errorSize;  // buffer is 32 bytes; the reason is cut to errorSize - 1
};

class SimCommLibraryBadScenario : public ::testing::TestWithParam<BadOpen> {};

// A missing scenario gives null and the reason, cut to the buffer and terminated; no buffer, or a
// zero size, is left alone.
TEST_P(SimCommLibraryBadScenario, FailsWithTheReasonBoundedToTheBuffer) {
    char error[32];
    std::memset(error, 'x', sizeof error);
    size_t size = GetParam().errorSize;
    EXPECT_EQ(yatSimCommOpen("/nonexistent/scenario.json", size > 0 ? error : nullptr, size), nullptr);
    if (size == 0) return;
    size_t length = std::strlen(error);
    EXPECT_LT(length, size);
    if (size > 1) {
        EXPECT_GT(length, 0u);
    }
    if (size < sizeof error) {
        EXPECT_EQ(error[size], 'x');  // nothing written past the given size
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SimCommLibraryBadScenario,
                         ::testing::Values(BadOpen{"NoBuffer", 0}, BadOpen{"OneByte", 1}, BadOpen{"Eight", 8},
                                           BadOpen{"Whole", 32}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimCommLibrary, ClosingNullIsHarmless) { yatSimCommClose(nullptr); }

}  // namespace
