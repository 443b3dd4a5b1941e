// Secrets never reach libyat.log: every operation that carries a user password, an alert password or
// a community string runs against the simulator, successfully and failing, and the log file is then
// searched for each secret.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "frame/libyat.h"
#include "kit/log_reader.h"
#include "platform/log.h"
#include "sim/sim_bus_comm.h"
#include "yat/result_codes.h"

namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(Secrets, NoPasswordOrCommunityStringReachesTheLog) {
    yattest::LogCapture log;
    yatsim::SimBusComm comm;
    cLibYAT* lib = nullptr;
    ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
    cDeviceLib* host = lib;

    const char* userPassword = "Uq7pW2zK";
    const char* community = "Cm9tXv4e";
    const char* alertPasswords[] = {"Ap3type3", "Ap4type4", "Ap8type8", "Ap9type9"};

    int32_t status = 3;
    int32_t authority = 1;
    EXPECT_EQ(host->setUserAccount(0, 6, &status, &authority, nullptr, "newuser", userPassword), ERR_SUCCESS);
    EXPECT_EQ(host->setUserAccount(1, 0, nullptr, nullptr, nullptr, nullptr, userPassword), ERR_SUCCESS);
    uint8_t access = 1;
    EXPECT_EQ(host->setSNMPCommunityConfiguration(0, 2, community, &access), ERR_SUCCESS);
    char read[32] = {};
    EXPECT_EQ(host->getSNMPCommunityConfiguration(0, 2, read, nullptr, nullptr), ERR_SUCCESS);
    EXPECT_STREQ(read, community);
    int32_t types[] = {3, 4, 8, 9};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(host->setOOBAlertConfiguration(0, 9, &types[i], "paged", "5550100", "relay", "user",
                                                 alertPasswords[i], nullptr, nullptr),
                  ERR_SUCCESS)
            << types[i];
    }
    // Refused by the SP (access type out of range) after the name was written.
    uint8_t badAccess = 200;
    EXPECT_EQ(host->setSNMPCommunityConfiguration(1, 0, community, &badAccess), ERR_BAD_ANSWER);
    closeLibrary();
    closeLog();  // flushes the writer

    std::string text = fileText(log.path());
    ASSERT_FALSE(text.empty());
    for (const char* secret :
         {userPassword, community, alertPasswords[0], alertPasswords[1], alertPasswords[2], alertPasswords[3]}) {
        EXPECT_EQ(text.find(secret), std::string::npos) << secret;
    }
    // The requests were built; only their data were withheld.
    EXPECT_NE(text.find("<9 bytes withheld>"), std::string::npos);
}

}  // namespace
