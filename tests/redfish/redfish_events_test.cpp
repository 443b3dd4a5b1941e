// yat-redfishd's EventService without a socket: which sink reports become which Redfish events, the
// stream clients' bounded queues, the subscriptions' bodies and the delivery retries; and the address
// checks of the network resources.

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>

#include "redfish/events.h"
#include "redfish/network.h"
#include "yat/codes.h"

namespace {

using namespace redfish;
using namespace std::chrono_literals;

int32_t voltSlot(float volts) {
    int32_t slot;
    std::memcpy(&slot, &volts, sizeof slot);
    return slot;
}

struct Report {
    const char* name;
    int32_t sensorClass, libraryNode, sensor, reading, code;
    SensorNaming naming;
    const char* messageId;  // "" when no event is due
    const char* origin;
    std::vector<std::string> args;
};

class RedfishEventTranslation : public testing::TestWithParam<Report> {};

TEST_P(RedfishEventTranslation, GivesTheRegistryMessage) {
    const Report& r = GetParam();
    EventTranslator translator;
    std::optional<EventMessage> message =
        translator.translate(r.sensorClass, r.libraryNode, r.sensor, r.reading, r.code, r.naming);
    if (std::string(r.messageId).empty()) {
        EXPECT_FALSE(message.has_value());
        return;
    }
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->messageId, r.messageId);
    EXPECT_EQ(message->origin, r.origin);
    EXPECT_EQ(message->args, r.args);
    EXPECT_NE(message->message.find(r.args[0]), std::string::npos) << message->message;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, RedfishEventTranslation,
    testing::Values(
        Report{"FanStops",
               yat::kClassFan,
               1,
               5,
               0,
               yat::kStatusCritical,
               {"Fan2", "Fan 2"},
               "SensorEvent.1.0.0.ReadingCritical",
               "/redfish/v1/Chassis/0/Sensors/Fan2",
               {"Fan 2", "0", "RPM"}},
        Report{"TemperatureWarns",
               yat::kClassTemperature,
               2,
               3,
               82,
               yat::kStatusWarning,
               {"CPU1Temperature", "CPU 1 temperature"},
               "SensorEvent.1.0.0.ReadingWarning",
               "/redfish/v1/Chassis/1/Sensors/CPU1Temperature",
               {"CPU 1 temperature", "82", "Cel"}},
        Report{"VoltageLow",
               yat::kClassVoltage,
               1,
               1,
               voltSlot(2.95f),
               yat::kStatusVoltageLow,
               {"Voltage1", "Voltage 1"},
               "SensorEvent.1.0.0.ReadingCritical",
               "/redfish/v1/Chassis/0/Sensors/Voltage1",
               {"Voltage 1", "2.95", "V"}},
        Report{"SupplyFails",
               yat::kClassPowerSupply,
               2,
               2,
               0,
               yat::kStatusSupplyFailed,
               {"PowerSupply2", "Power supply 2"},
               "ResourceEvent.1.3.0.ResourceStatusChangedCritical",
               "/redfish/v1/Chassis/1/PowerSubsystem/PowerSupplies/PowerSupply2",
               {"Power supply 2", "Critical"}},
        Report{"Dasd",
               yat::kClassNodeEvent,
               2,
               3,
               0,
               yat::kReportDasdEvent,
               {},
               "ResourceEvent.1.3.0.ResourceErrorsDetected",
               "/redfish/v1/Systems/1",
               {"Drive 3", "DASD alert"}},
        Report{"Pfa",
               yat::kClassNodeEvent,
               1,
               0,
               0,
               yat::kReportPfaEvent,
               {},
               "ResourceEvent.1.3.0.ResourceErrorsDetected",
               "/redfish/v1/Systems/0",
               {"Status", "predictive failure alert"}},
        Report{"ProcessorHot",
               yat::kClassNodeEvent,
               1,
               1,
               0,
               yat::kStatusProcessorHot,
               {},
               "ResourceEvent.1.3.0.ResourceStatusChangedCritical",
               "/redfish/v1/Systems/0",
               {"Node 0 processor", "Critical"}},
        Report{"UnnamedSensor",
               yat::kClassFan,
               1,
               9,
               0,
               yat::kStatusCritical,
               {},
               "SensorEvent.1.0.0.ReadingCritical",
               "/redfish/v1/Chassis/0/Sensors",
               {"Node 0 sensor 9", "0", "RPM"}},
        Report{"NormalFirstReport", yat::kClassFan, 1, 5, 4000, yat::kStatusNormal, {"Fan2", "Fan 2"}, "", "", {}},
        Report{"UnreadStatus", yat::kClassFan, 1, 5, 0, yat::kStatusUnknown, {"Fan2", "Fan 2"}, "", "", {}},
        Report{"Discovery", yat::kClassFan, 1, 5, 5, yat::kReportDiscovered, {"Fan2", "Fan 2"}, "", "", {}},
        Report{"UnknownNodeCode", yat::kClassNodeEvent, 1, 0, 0, 99, {}, "", "", {}}),
    [](const testing::TestParamInfo<Report>& info) { return std::string(info.param.name); });

TEST(RedfishEventTranslation, OnlyAChangeOfSeverityIsAnEvent) {
    EventTranslator translator;
    SensorNaming supply{"PowerSupply1", "Power supply 1"};
    auto report = [&](int32_t code) { return translator.translate(yat::kClassPowerSupply, 1, 1, 0, code, supply); };
    EXPECT_FALSE(report(yat::kStatusNormal));
    ASSERT_TRUE(report(yat::kStatusCritical));
    EXPECT_FALSE(report(yat::kStatusSupplyFailed));  // the same severity in other words
    EXPECT_FALSE(report(yat::kStatusUnknown));       // a failed read forgets nothing
    std::optional<EventMessage> back = report(yat::kStatusNormal);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->messageId, "ResourceEvent.1.3.0.ResourceStatusChangedOK");
    // Node events repeat: each is news.
    EXPECT_TRUE(translator.translate(yat::kClassNodeEvent, 1, 0, 0, yat::kReportPfaEvent, {}));
    EXPECT_TRUE(translator.translate(yat::kClassNodeEvent, 1, 0, 0, yat::kReportPfaEvent, {}));
}

EventMessage someEvent(const std::string& origin = "/redfish/v1/Systems/0") {
    return EventMessage{"ResourceEvent.1.3.0.ResourceErrorsDetected", "m", {"Status", "x"}, "Warning", origin};
}

TEST(RedfishEventHub, StreamsRecordsAndDropsAClientThatDoesNotRead) {
    EventHub hub([](const std::string&, const std::string&) { return true; }, 0);
    std::unique_ptr<EventHub::StreamClient> reader = hub.openStream();
    std::unique_ptr<EventHub::StreamClient> idle = hub.openStream();
    ASSERT_TRUE(reader && idle);
    EXPECT_EQ(reader->next(0ms), std::string());  // nothing yet
    for (size_t i = 0; i <= EventHub::kMostQueuedPerClient; ++i) {
        hub.publish(someEvent());  // never waits for the idle client
        std::optional<std::string> text = reader->next(0ms);
        ASSERT_TRUE(text && text->rfind("id: " + std::to_string(i + 1) + "\ndata: {", 0) == 0) << *text;
        ASSERT_EQ(text->substr(text->size() - 2), "\n\n");
        Json record = Json::parse(text->substr(text->find("data: ") + 6));
        EXPECT_EQ(record["Events"][0]["OriginOfCondition"]["@odata.id"], "/redfish/v1/Systems/0");
        EXPECT_EQ(record["Events"][0]["EventId"], std::to_string(i + 1));
    }
    EXPECT_FALSE(idle->next(0ms).has_value());  // dropped: its stream ends
    hub.stop();
    EXPECT_FALSE(reader->next(1h).has_value());  // at once
}

TEST(RedfishEventHub, BoundsTheStreamClients) {
    EventHub hub([](const std::string&, const std::string&) { return true; }, 0);
    std::vector<std::unique_ptr<EventHub::StreamClient>> clients;
    for (size_t i = 0; i < EventHub::kMostStreamClients; ++i) clients.push_back(hub.openStream());
    EXPECT_EQ(hub.openStream(), nullptr);
    clients.pop_back();
    EXPECT_NE(hub.openStream(), nullptr);
    hub.stop();
    EXPECT_EQ(hub.openStream(), nullptr);
}

// A destination that refuses the first `refusals` posts, and lets a test wait for a number of posts.
class FakeDestination {
public:
    explicit FakeDestination(int refusals) : refusals_(refusals) {}
    Poster poster() {
        return [this](const std::string& destination, const std::string& body) {
            std::lock_guard<std::mutex> lock(mutex_);
            posts_.emplace_back(destination, Json::parse(body));
            changed_.notify_all();
            return static_cast<int>(posts_.size()) > refusals_;
        };
    }
    std::vector<std::pair<std::string, Json>> waitFor(size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, 30s, [&] { return posts_.size() >= count; });
        return posts_;
    }

private:
    int refusals_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<std::string, Json>> posts_;
};

std::string subscribe(EventHub& hub, const Json& body) {
    Reply reply = hub.handle("POST", "/redfish/v1/EventService/Subscriptions", body.dump());
    EXPECT_EQ(reply.status, 201) << reply.body.dump();
    EXPECT_EQ(reply.headers.size(), 1u);
    return reply.headers.empty() || reply.headers[0].first != "Location" ? "" : reply.headers[0].second;
}

TEST(RedfishEventHub, RetriesADeliveryAndKeepsTheSubscriptionAfterGivingUp) {
    struct Case {
        int refusals;
        size_t posts;
        const char* health;
    };
    for (Case c : {Case{2, 3, "OK"}, Case{100, 1 + EventHub::kDeliveryRetryAttempts, "Warning"}}) {
        FakeDestination destination(c.refusals);
        EventHub hub(destination.poster(), 0);
        std::string location = subscribe(hub, {{"Destination", "http://127.0.0.1:9/in"}, {"Context", "ctx"}});
        EXPECT_EQ(location, "/redfish/v1/EventService/Subscriptions/1");
        hub.publish(someEvent());
        auto posts = destination.waitFor(c.posts);
        ASSERT_EQ(posts.size(), c.posts);
        EXPECT_EQ(posts.back().first, "http://127.0.0.1:9/in");
        EXPECT_EQ(posts.back().second["Context"], "ctx");
        EXPECT_EQ(posts.back().second, posts.front().second);  // the same record each time
        // After its last post the delivery thread only notes the outcome: stop() waits for that.
        hub.stop();
        EXPECT_EQ(destination.waitFor(0).size(), c.posts);  // no post after the last retry
        Reply member = hub.handle("GET", location, "");
        EXPECT_EQ(member.status, 200);  // kept, also after giving an event up
        EXPECT_EQ(member.body["Status"]["Health"], c.health);
    }
}

TEST(RedfishEventHub, FiltersByRegistryPrefixAndEventType) {
    FakeDestination destination(0);
    EventHub hub(destination.poster(), 0);
    subscribe(hub, {{"Destination", "https://sensors.example/x"}, {"RegistryPrefixes", {"SensorEvent"}}});
    subscribe(hub, {{"Destination", "http://status.example/"}, {"EventTypes", {"StatusChange"}}});
    hub.publish(someEvent());  // a ResourceEvent alert: for neither
    hub.publish(EventMessage{"SensorEvent.1.0.0.ReadingCritical", "m", {"Fan 1", "0", "RPM"}, "Critical", "/f"});
    hub.publish(EventMessage{"ResourceEvent.1.3.0.ResourceStatusChangedOK", "m", {"PSU", "OK"}, "OK", "/p"});
    auto posts = destination.waitFor(2);
    hub.stop();
    ASSERT_EQ(destination.waitFor(0).size(), 2u);
    EXPECT_EQ(posts[0].first, "https://sensors.example/x");
    EXPECT_EQ(posts[0].second["Events"][0]["MessageId"], "SensorEvent.1.0.0.ReadingCritical");
    EXPECT_EQ(posts[0].second["Events"][0]["EventType"], "Alert");
    EXPECT_EQ(posts[1].first, "http://status.example/");
    EXPECT_EQ(posts[1].second["Events"][0]["EventType"], "StatusChange");
}

struct BadSubscription {
    const char* name;
    std::string body;
    const char* messageId;
};

class RedfishBadSubscription : public testing::TestWithParam<BadSubscription> {};

TEST_P(RedfishBadSubscription, AnswersTheBaseMessage) {
    EventHub hub([](const std::string&, const std::string&) { return true; }, 0);
    Reply reply = hub.handle("POST", "/redfish/v1/EventService/Subscriptions", GetParam().body);
    EXPECT_EQ(reply.status, 400);
    EXPECT_EQ(reply.body["error"]["code"], std::string(kBaseRegistry) + "." + GetParam().messageId);
    EXPECT_TRUE(reply.headers.empty());
    EXPECT_EQ(hub.handle("GET", "/redfish/v1/EventService/Subscriptions", "").body["Members@odata.count"], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, RedfishBadSubscription,
    testing::Values(
        BadSubscription{"NotJson", "{", "MalformedJSON"},
        BadSubscription{"NoDestination", R"({"Context":"x"})", "PropertyMissing"},
        BadSubscription{"DestinationNumber", R"({"Destination":5})", "PropertyValueTypeError"},
        BadSubscription{"OtherScheme", R"({"Destination":"ftp://h/x"})", "PropertyValueFormatError"},
        BadSubscription{"NoHost", R"({"Destination":"http:///x"})", "PropertyValueFormatError"},
        BadSubscription{"Blank", R"({"Destination":"http://h/a b"})", "PropertyValueFormatError"},
        BadSubscription{"LongDestination", R"({"Destination":"http://h/)" + std::string(600, 'a') + "\"}",
                        "PropertyValueFormatError"},
        BadSubscription{"Snmp", R"({"Destination":"http://h/","Protocol":"SNMPv2c"})", "PropertyValueNotInList"},
        BadSubscription{"EventType", R"({"Destination":"http://h/","EventTypes":["Other"]})", "PropertyValueNotInList"},
        BadSubscription{"Prefixes", R"({"Destination":"http://h/","RegistryPrefixes":"Base"})",
                        "PropertyValueTypeError"},
        BadSubscription{"Unknown", R"({"Destination":"http://h/","Colour":1})", "PropertyUnknown"}),
    [](const testing::TestParamInfo<BadSubscription>& info) { return std::string(info.param.name); });

TEST(RedfishEventHub, BoundsAndDeletesSubscriptions) {
    EventHub hub([](const std::string&, const std::string&) { return true; }, 0);
    Json body{{"Destination", "http://127.0.0.1:1/"}};
    for (size_t i = 0; i < EventHub::kMostSubscriptions; ++i) subscribe(hub, body);
    EXPECT_EQ(hub.handle("POST", "/redfish/v1/EventService/Subscriptions", body.dump()).status, 503);
    EXPECT_EQ(hub.handle("DELETE", "/redfish/v1/EventService/Subscriptions/3", "").status, 204);
    EXPECT_EQ(hub.handle("GET", "/redfish/v1/EventService/Subscriptions/3", "").status, 404);
    EXPECT_EQ(hub.handle("DELETE", "/redfish/v1/EventService/Subscriptions/3", "").status, 404);
    EXPECT_EQ(subscribe(hub, body), "/redfish/v1/EventService/Subscriptions/9");
    Reply service = hub.handle("PATCH", "/redfish/v1/EventService", "{}");
    EXPECT_EQ(service.status, 405);
    EXPECT_EQ(service.allow, "GET, HEAD");
    EXPECT_EQ(hub.handle("GET", "/redfish/v1/EventService/Nothing", "").status, 404);
}

TEST(RedfishNetwork, ChecksAddressesAndMasks) {
    for (const char* good : {"0.0.0.0", "10.1.2.3", "255.255.255.255", "192.168.70.1"})
        EXPECT_TRUE(isIPv4Address(good));
    for (const char* bad : {"", "10.1.2", "10.1.2.3.4", "10.1.2.256", "10.01.2.3", "10.1..3", "a.b.c.d", "10.1.2.3 ",
                            "-1.1.1.1", "1.2.3.1000"})
        EXPECT_FALSE(isIPv4Address(bad)) << bad;
    for (const char* good : {"255.255.255.0", "255.255.0.0", "255.255.255.252", "0.0.0.0", "255.255.255.255"})
        EXPECT_TRUE(isSubnetMask(good)) << good;
    for (const char* bad : {"255.0.255.0", "255.255.255.1", "0.255.255.255", "255.255.256.0"})
        EXPECT_FALSE(isSubnetMask(bad)) << bad;
}

}  // namespace
