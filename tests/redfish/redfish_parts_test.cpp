// yat-redfishd's parts that need no socket: the users file, password checks, Basic credentials, the
// listen address, the failed-login limit, and the words and times the resources are built from.

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "redfish/http_front.h"
#include "redfish/resources.h"
#include "redfish/users.h"

namespace {

using namespace redfish;

// One yescrypt hash for every test (hashing costs a tenth of a second).
const std::string& secretHash() {
    static const std::string hash = hashPassword("s3cret: with colon");
    return hash;
}

TEST(RedfishUsers, ParsesRolesAndSkipsComments) {
    std::vector<User> users =
        parseUsers("# users\n\nroot:Administrator:" + secretHash() + "\r\nops:Operator:" + secretHash() +
                   "\nwatch:ReadOnly:" + secretHash() + "\n");
    ASSERT_EQ(users.size(), 3u);
    EXPECT_EQ(users[0].role, Role::Administrator);
    EXPECT_EQ(users[1].role, Role::Operator);
    EXPECT_EQ(users[2].name, "watch");
    EXPECT_EQ(users[0].hash, secretHash());  // the \r of a CRLF line is not part of the hash
}

struct BadUsers {
    const char* name;
    std::string text;
    const char* words;
};

class RedfishBadUsers : public testing::TestWithParam<BadUsers> {};

TEST_P(RedfishBadUsers, RefusedWithLineAndReason) {
    try {
        parseUsers(GetParam().text);
        FAIL() << "accepted";
    } catch (const UsersError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().words), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RedfishBadUsers,
    testing::Values(BadUsers{"NoHash", "a:Administrator\n", "line 1: expected NAME:ROLE:HASH"},
                    BadUsers{"UnknownRole", "a:Root:" + secretHash(), "role must be"},
                    BadUsers{"PlainPassword", "a:ReadOnly:hunter2", "not a yescrypt"},
                    BadUsers{"WeakHash", "a:ReadOnly:$1$abcdefgh$0123456789012345678901", "not a yescrypt"},
                    BadUsers{"EmptyName", ":ReadOnly:" + secretHash(), "name of 1 to 64"},
                    BadUsers{"Twice", "a:ReadOnly:" + secretHash() + "\n#\na:Operator:" + secretHash(),
                             "line 3: user a is given twice"}),
    [](const testing::TestParamInfo<BadUsers>& info) { return info.param.name; });

TEST(RedfishUsers, FileMustBePrivateAndHoldAUser) {
    std::string path = testing::TempDir() + "redfish-users";
    std::ofstream(path) << "a:ReadOnly:" << secretHash() << "\n";
    chmod(path.c_str(), 0640);
    EXPECT_THROW(loadUsers(path), UsersError);  // the group may read it
    chmod(path.c_str(), 0600);
    EXPECT_EQ(loadUsers(path).size(), 1u);
    std::ofstream(path) << "# nobody\n";
    EXPECT_THROW(loadUsers(path), UsersError);
    EXPECT_THROW(loadUsers(path + "-missing"), UsersError);
    std::remove(path.c_str());
}

TEST(RedfishUsers, PasswordsCheckedAgainstTheHash) {
    std::vector<User> users = parseUsers("a:Operator:" + secretHash());
    EXPECT_EQ(authenticate(users, "a", "s3cret: with colon"), Role::Operator);
    EXPECT_EQ(authenticate(users, "a", "s3cret"), std::nullopt);
    EXPECT_EQ(authenticate(users, "b", "s3cret: with colon"), std::nullopt);
    EXPECT_EQ(authenticate(users, "a", std::string("s3cret: with colon\0x", 20)), std::nullopt);
    EXPECT_NE(hashPassword("same"), hashPassword("same"));  // a fresh salt each time
}

TEST(RedfishUsers, AuthenticatorRemembersSuccessesForAWhileOnly) {
    Authenticator users(parseUsers("a:ReadOnly:" + secretHash()));
    auto start = Authenticator::Clock::now();
    EXPECT_EQ(users.check("a", "s3cret: with colon", start), Role::ReadOnly);
    EXPECT_EQ(users.check("a", "s3cret: with colon", start + std::chrono::seconds(1)), Role::ReadOnly);
    EXPECT_EQ(users.check("a", "wrong", start + std::chrono::seconds(1)), std::nullopt);
    EXPECT_EQ(users.check("a", "s3cret: with colon", start + Authenticator::kRemember * 2), Role::ReadOnly);
}

TEST(RedfishUsers, RolesHoldTheirPrivileges) {
    EXPECT_TRUE(holds(Role::ReadOnly, Privilege::Login));
    EXPECT_FALSE(holds(Role::ReadOnly, Privilege::ConfigureComponents));
    EXPECT_TRUE(holds(Role::Operator, Privilege::ConfigureComponents));
    EXPECT_FALSE(holds(Role::Operator, Privilege::ConfigureManager));
    EXPECT_TRUE(holds(Role::Administrator, Privilege::ConfigureManager));
    EXPECT_EQ(Service::required("GET", "/redfish/v1/Chassis/0"), Privilege::Login);
    EXPECT_EQ(Service::required("PATCH", "/redfish/v1/Chassis/0/"), Privilege::ConfigureComponents);
    EXPECT_EQ(Service::required("PATCH", "/redfish/v1/Managers/0"), Privilege::ConfigureManager);
    EXPECT_EQ(Service::required("DELETE", "/redfish/v1/Chassis/0"), Privilege::ConfigureManager);
}

TEST(RedfishHttp, BasicCredentials) {
    std::optional<Credentials> c = basicCredentials("Basic YWRtaW46cDpx");  // admin:p:q
    ASSERT_TRUE(c);
    EXPECT_EQ(c->name, "admin");
    EXPECT_EQ(c->password, "p:q");
    EXPECT_EQ(basicCredentials("Basic YTo=")->password, "");  // a:
    for (const char* bad : {"", "Basic", "Basic ", "Bearer YWRtaW46cDpx", "Basic YWRtaW4=", "Basic YW=RtaW46",
                            "Basic YWRtaW46c", "Basic ****"}) {
        EXPECT_FALSE(basicCredentials(bad)) << bad;
    }
}

TEST(RedfishHttp, ListenAddresses) {
    EXPECT_EQ(parseListen("127.0.0.1:8443").host, "127.0.0.1");
    EXPECT_EQ(parseListen("127.0.0.1:8443").port, 8443);
    EXPECT_EQ(parseListen("[::1]:0").host, "::1");
    for (const char* bad : {"127.0.0.1", ":80", "host:", "host:65536", "host:-1", "::1:80", "[::1]80", "h:8x"}) {
        EXPECT_THROW(parseListen(bad), std::invalid_argument) << bad;
    }
    for (const char* loop : {"127.0.0.1", "127.8.0.2", "::1", "localhost"}) EXPECT_TRUE(isLoopback(loop)) << loop;
    for (const char* open : {"0.0.0.0", "10.0.0.1", "::", "example.org", "128.0.0.1"}) {
        EXPECT_FALSE(isLoopback(open)) << open;
    }
    EXPECT_TRUE(isPublic("/redfish/v1/"));
    EXPECT_TRUE(isPublic("/redfish/v1/$metadata"));
    EXPECT_FALSE(isPublic("/redfish/v1/Chassis"));
}

TEST(RedfishHttp, FailedLoginsBlockAnAddressForTheWindow) {
    LoginLimiter limiter;
    auto start = LoginLimiter::Clock::now();
    for (int i = 0; i < LoginLimiter::kMostFailures; ++i) {
        EXPECT_FALSE(limiter.blocked("10.0.0.1", start));
        limiter.failed("10.0.0.1", start);
    }
    EXPECT_TRUE(limiter.blocked("10.0.0.1", start + std::chrono::seconds(1)));
    EXPECT_FALSE(limiter.blocked("10.0.0.2", start));
    EXPECT_FALSE(limiter.blocked("10.0.0.1", start + LoginLimiter::kWindow));
    for (size_t i = 0; i < LoginLimiter::kMostClients + 10; ++i) limiter.failed(std::to_string(i), start);
    limiter.failed("10.0.0.3", start);  // still counted when the table is full
}

TEST(RedfishResources, WordsAndTimes) {
    EXPECT_EQ(sensorId("CPU 1 temperature"), "CPU1Temperature");
    EXPECT_EQ(sensorId("Drive backplane temperature 1"), "DriveBackplaneTemperature1");
    EXPECT_EQ(isoTime("20240229235958.000000+000"), "2024-02-29T23:59:58+00:00");
    EXPECT_EQ(isoTime("1999110208"), "");
    EXPECT_EQ(isoTime("2024x229235958.000000+000"), "");
    EXPECT_EQ(splitPath("//redfish/v1//Chassis/"), (std::vector<std::string>{"redfish", "v1", "Chassis"}));
    Reply error = errorReply(404, "ResourceNotFound", "gone", {"Resource", "/x"});
    EXPECT_EQ(error.body["error"]["@Message.ExtendedInfo"][0]["MessageId"], "Base.1.16.0.ResourceNotFound");
    EXPECT_EQ(error.body["error"]["@Message.ExtendedInfo"][0]["MessageArgs"][1], "/x");
}

}  // namespace
