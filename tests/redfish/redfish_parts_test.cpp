// yat-redfishd's parts that need no socket: the users file, password checks, Basic credentials, the
// listen address, the failed-login limit, the words and times the resources are built from, the
// property checks, ETags and @odata.context, the sessions and the request gate.

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include <sstream>

#include "redfish/http_front.h"
#include "redfish/protocol.h"
#include "redfish/resources.h"
#include "redfish/sessions.h"
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

// The property table: each fault answers 400 with its Base message id, the first fault found.
struct BodyFault {
    const char* name;
    std::string body;
    const char* messageId;
};

class RedfishBodyFaults : public testing::TestWithParam<BodyFault> {};

TEST_P(RedfishBodyFaults, AnswerTheirMessage) {
    static const std::vector<PropertyRule> rules = {{"Flag", ValueKind::Boolean},
                                                    {"Colour", ValueKind::String, {"Red", "Off"}},
                                                    {"Name", ValueKind::String, {}, 1, 15, true},
                                                    {"Seconds", ValueKind::Integer, {}, 30, 86400}};
    Json resource{{"Id", "1"}, {"Flag", false}, {"Serial", "X"}};
    CheckedBody checked = checkBody(GetParam().body, rules, resource, {"Flag"});
    ASSERT_TRUE(checked.error);
    EXPECT_EQ(checked.error->status, 400);
    EXPECT_EQ(checked.error->body["error"]["@Message.ExtendedInfo"][0]["MessageId"],
              std::string(kBaseRegistry) + "." + GetParam().messageId);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RedfishBodyFaults,
    testing::Values(BodyFault{"Malformed", "{\"Flag\": tru", "MalformedJSON"},
                    BodyFault{"NotAnObject", "[true]", "MalformedJSON"},
                    BodyFault{"Unknown", R"({"Flag": true, "Size": 1})", "PropertyUnknown"},
                    BodyFault{"ReadOnly", R"({"Serial": "Y"})", "PropertyNotWritable"},
                    BodyFault{"BoolAsText", R"({"Flag": "true"})", "PropertyValueTypeError"},
                    BodyFault{"FractionForInteger", R"({"Flag": true, "Seconds": 30.5})", "PropertyValueTypeError"},
                    BodyFault{"NotInList", R"({"Flag": true, "Colour": "Blue"})", "PropertyValueNotInList"},
                    BodyFault{"TooLong", R"({"Flag": true, "Name": "sixteen-letters!"})", "PropertyValueError"},
                    BodyFault{"Empty", R"({"Flag": true, "Name": ""})", "PropertyValueError"},
                    BodyFault{"ControlCharacter", R"({"Flag": true, "Name": "a\tb"})", "PropertyValueError"},
                    BodyFault{"BelowRange", R"({"Flag": true, "Seconds": 29})", "PropertyValueError"},
                    BodyFault{"AboveRange", R"({"Flag": true, "Seconds": 18446744073709551615})", "PropertyValueError"},
                    BodyFault{"Missing", R"({"Colour": "Red"})", "PropertyMissing"}),
    [](const testing::TestParamInfo<BodyFault>& info) { return info.param.name; });

TEST(RedfishProtocol, GoodBodyPassesWhole) {
    std::vector<PropertyRule> rules = {{"Flag", ValueKind::Boolean}, {"Seconds", ValueKind::Integer, {}, 30, 60}};
    CheckedBody checked = checkBody(R"({"Flag": false, "Seconds": 60})", rules, Json::object());
    ASSERT_FALSE(checked.error);
    EXPECT_EQ(checked.request["Seconds"], 60);
}

TEST(RedfishProtocol, ContextAndEtag) {
    Reply reply;
    reply.body = Json{{"@odata.id", "/redfish/v1/Chassis/0"}, {"@odata.type", "#Chassis.v1_23_0.Chassis"}, {"Id", "0"}};
    std::string etag = etagOf(reply.body);
    decorate(reply);
    EXPECT_EQ(reply.body.begin().key(), "@odata.context");
    EXPECT_EQ(reply.body["@odata.context"], "/redfish/v1/$metadata#Chassis.Chassis");
    EXPECT_EQ(reply.body["@odata.etag"], etag);
    ASSERT_EQ(reply.headers.size(), 1u);
    EXPECT_EQ(reply.headers[0], std::make_pair(std::string("ETag"), etag));
    EXPECT_EQ(etagOf(reply.body), etag);  // the decorated body has the same ETag
    EXPECT_TRUE(etag.rfind("W/\"", 0) == 0);
    EXPECT_TRUE(etagMatches(etag, etag));
    EXPECT_TRUE(etagMatches("W/\"other\", " + etag, etag));
    EXPECT_TRUE(etagMatches("*", etag));
    EXPECT_FALSE(etagMatches("W/\"other\"", etag));
    reply.body["Id"] = "1";
    EXPECT_NE(etagOf(reply.body), etag);

    Reply collection;
    collection.body = Json{{"@odata.type", "#ChassisCollection.ChassisCollection"}, {"Members", Json::array()}};
    decorate(collection);
    EXPECT_EQ(collection.body["@odata.context"], "/redfish/v1/$metadata#ChassisCollection.ChassisCollection");
    EXPECT_FALSE(collection.body.contains("@odata.etag"));
    EXPECT_TRUE(collection.headers.empty());
    Reply refused = errorReply(404, "ResourceNotFound", "gone");
    decorate(refused);
    EXPECT_FALSE(refused.body.contains("@odata.context"));
}

TEST(RedfishProtocol, SpTextsThatAreNotUtf8AreSentWithReplacements) {
    // An SP's log message, account name or serial number is bytes; one in Latin-1 must not fail the
    // answer that carries it (nor its ETag).
    Reply reply;
    reply.body = Json{{"@odata.type", "#LogEntry.v1_15_0.LogEntry"},
                      {"Message", std::string("Temp \xb0"
                                              "C high")}};
    decorate(reply);
    EXPECT_EQ(Json::parse(jsonText(reply.body))["Message"],
              "Temp \xef\xbf\xbd"
              "C high");
    EXPECT_TRUE(reply.body.contains("@odata.etag"));
}

TEST(RedfishSessions, TokensOpenUseExpireAndClose) {
    SessionStore store;
    auto start = SessionStore::Clock::now();
    auto opened = store.open("a", Role::Operator, "10.0.0.1", start);
    ASSERT_TRUE(opened);
    const auto& [token, session] = *opened;
    EXPECT_EQ(token.size(), 64u);
    EXPECT_EQ(token.find(session.id), std::string::npos);
    ASSERT_TRUE(store.use(token, start + std::chrono::seconds(1700)));
    // Idle time counts from the last use.
    EXPECT_TRUE(store.use(token, start + std::chrono::seconds(3400)));
    EXPECT_FALSE(store.use(token + "0", start + std::chrono::seconds(3400)));
    EXPECT_FALSE(store.use(token, start + std::chrono::seconds(3400) + SessionStore::kDefaultTimeout));
    EXPECT_FALSE(store.find(session.id, start + std::chrono::seconds(3400) + SessionStore::kDefaultTimeout));

    auto again = store.open("a", Role::Operator, "10.0.0.1", start);
    ASSERT_TRUE(again);
    EXPECT_NE(again->first, token);
    EXPECT_TRUE(store.close(again->second.id));
    EXPECT_FALSE(store.use(again->first, start));
    EXPECT_FALSE(store.close(again->second.id));

    store.setTimeout(std::chrono::seconds(30));
    for (size_t i = 0; i < SessionStore::kMost; ++i) ASSERT_TRUE(store.open("b", Role::ReadOnly, "", start));
    EXPECT_FALSE(store.open("b", Role::ReadOnly, "", start));                            // bounded
    EXPECT_TRUE(store.open("b", Role::ReadOnly, "", start + std::chrono::seconds(30)));  // the idle ones expired
    EXPECT_EQ(store.list(start + std::chrono::seconds(30)).size(), 1u);
}

// The gate over a users file of an Administrator and a ReadOnly user, with its log.
class RedfishGate : public testing::Test {
protected:
    Authenticator users{parseUsers("root:Administrator:" + secretHash() + "\nwatch:ReadOnly:" + secretHash())};
    SessionStore sessions;
    LoginLimiter limiter;
    std::ostringstream log;
    Gate gate{users, sessions, limiter, log};

    std::optional<Reply> ask(const std::string& method, const std::string& path, const std::string& token,
                             const std::string& body = "") {
        return gate.answer(Request{method, path, body, "", token, "", "10.1.1.1"});
    }
    // A session's token and its path.
    std::pair<std::string, std::string> login(const std::string& name) {
        std::optional<Reply> r = ask("POST", "/redfish/v1/SessionService/Sessions", "",
                                     Json{{"UserName", name}, {"Password", "s3cret: with colon"}}.dump());
        EXPECT_TRUE(r && r->status == 201);
        std::string token, location;
        for (const auto& [header, value] : r->headers) (header == "X-Auth-Token" ? token : location) = value;
        EXPECT_EQ(location, r->body["@odata.id"]);
        EXPECT_TRUE(r->body["Password"].is_null());
        return {token, location};
    }
};

TEST_F(RedfishGate, SessionsByOwnerOrAdministrator) {
    auto [watchToken, watchPath] = login("watch");
    auto [rootToken, rootPath] = login("root");
    EXPECT_FALSE(ask("GET", "/redfish/v1/Chassis", watchToken));  // goes on to the resources
    EXPECT_EQ(ask("PATCH", "/redfish/v1/Chassis/0", watchToken)->status, 403);
    EXPECT_EQ(ask("POST", "/redfish/v1/AccountService/Accounts", watchToken)->status, 403);
    EXPECT_FALSE(ask("POST", "/redfish/v1/AccountService/Accounts", rootToken));
    EXPECT_EQ(ask("GET", rootPath, watchToken)->status, 403);
    EXPECT_EQ(ask("GET", watchPath, rootToken)->body["UserName"], "watch");
    EXPECT_EQ(ask("GET", "/redfish/v1/SessionService/Sessions", watchToken)->body["Members@odata.count"], 1);
    EXPECT_EQ(ask("GET", "/redfish/v1/SessionService/Sessions", rootToken)->body["Members@odata.count"], 2);
    EXPECT_EQ(ask("PATCH", "/redfish/v1/SessionService", watchToken, R"({"SessionTimeout": 60})")->status, 403);
    EXPECT_EQ(ask("PATCH", "/redfish/v1/SessionService", rootToken, R"({"SessionTimeout": 60})")->status, 200);
    EXPECT_EQ(sessions.timeout(), std::chrono::seconds(60));
    EXPECT_EQ(ask("DELETE", watchPath, watchToken)->status, 200);
    EXPECT_EQ(ask("GET", "/redfish/v1/Chassis", watchToken)->status, 401);
    EXPECT_EQ(ask("GET", "/redfish/v1/Chassis", "")->status, 401);
    EXPECT_FALSE(ask("GET", "/redfish/v1", ""));  // the service root stays open
}

TEST_F(RedfishGate, FailedSessionLoginIsLimitedAndLoggedWithoutPassword) {
    for (int i = 0; i < LoginLimiter::kMostFailures; ++i) {
        std::optional<Reply> r = ask("POST", "/redfish/v1/SessionService/Sessions", "",
                                     R"({"UserName": "root", "Password": "hunter2-guess"})");
        EXPECT_EQ(r->status, 401);
    }
    EXPECT_NE(log.str().find("failed login as root from 10.1.1.1"), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find("hunter2"), std::string::npos);
    // Blocked now: even the right password is not checked.
    std::optional<Reply> r = ask("POST", "/redfish/v1/SessionService/Sessions", "",
                                 R"({"UserName": "root", "Password": "s3cret: with colon"})");
    EXPECT_EQ(r->status, 401);
    EXPECT_EQ(ask("POST", "/redfish/v1/SessionService/Sessions", "", R"({"UserName": "root"})")->status, 400);
}

}  // namespace
