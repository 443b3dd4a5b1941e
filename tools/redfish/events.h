#pragma once
// The EventService of yat-redfishd: what the library's sensor sink reports, turned into Redfish Event
// records, handed to the clients of the server-sent event stream and pushed to the subscriptions'
// destinations.
//
// EventTranslator turns one reportSensor call into an event message (or none: a reading that did
// not change the sensor's status, a discovery). EventHub holds the stream clients' queues and the
// subscriptions, and runs the one delivery thread that posts events to the destinations; publish
// never blocks and never waits for a client or a destination. Nothing here knows HTTP: the stream's
// socket is written by the caller (see EventHub::StreamClient), and a destination is reached through
// the Poster the hub is given.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "redfish/resources.h"

namespace redfish {

inline constexpr const char* kEventServicePath = "/redfish/v1/EventService";
inline constexpr const char* kEventStreamPath = "/redfish/v1/EventService/SSE";
inline constexpr const char* kSensorEventRegistry = "SensorEvent.1.0.0";
inline constexpr const char* kResourceEventRegistry = "ResourceEvent.1.3.0";

// One event message of the Events array of a Redfish Event record, without its EventId and
// EventTimestamp (EventHub sets them).
struct EventMessage {
    std::string messageId;  // with its registry prefix and version ("SensorEvent.1.0.0.ReadingCritical")
    std::string message;
    std::vector<std::string> args;
    std::string severity;  // "OK", "Warning", "Critical"
    std::string origin;    // the @odata.id of the resource the condition is of
};

// What names a sensor in an event: its Redfish Id and its name (SensorEntry's id and name).
struct SensorNaming {
    std::string id, name;
};

// Translates reportSensor calls. A sensor's event comes when its status differs from the one last
// reported (the first report of a sensor counts from normal); a node's event (class 5) comes every
// time. Thread-safe (the library's event and polling threads call at once); remembers at most
// kMostSensors sensors.
class EventTranslator {
public:
    static constexpr size_t kMostSensors = 4096;

    // sensorClass, libraryNode, sensor, code as reportSensor got them; reading the first value
    // (the reading's 32-bit slot, a float for voltages), naming the sensor's (empty for class 5).
    std::optional<EventMessage> translate(int32_t sensorClass, int32_t libraryNode, int32_t sensor,
                                          std::optional<int32_t> reading, int32_t code, const SensorNaming& naming);

private:
    std::mutex mutex_;
    std::map<std::tuple<int32_t, int32_t, int32_t>, int32_t> lastStatus_;
};

// Delivers one event record body to a destination: true when the destination took it (2xx).
// Called on the delivery thread only.
using Poster = std::function<bool(const std::string& destination, const std::string& body)>;

struct Subscription {
    std::string id, destination, context;
    std::vector<std::string> eventTypes, registryPrefixes;  // empty: all
    uint64_t delivered = 0, failed = 0;                     // events taken, and given up after all retries
};

class EventHub {
public:
    static constexpr size_t kMostStreamClients = 4;  // below the server's worker threads
    static constexpr size_t kMostQueuedPerClient = 64;
    static constexpr size_t kMostSubscriptions = 8;
    static constexpr size_t kMostPending = 256;  // events waiting for the delivery thread
    static constexpr int kDeliveryRetryAttempts = 3;
    static constexpr int kDeliveryRetryIntervalSeconds = 2;

    // timeScale multiplies every retry wait (YAT_SLEEP_SCALE). The delivery thread starts here.
    EventHub(Poster poster, double timeScale);
    ~EventHub();  // stop()
    EventHub(const EventHub&) = delete;
    EventHub& operator=(const EventHub&) = delete;

    // Stamps the message (EventId, EventTimestamp) and hands it to every stream client and to the
    // delivery thread. Never blocks on a client or a destination: a stream client whose queue is
    // full is dropped, and when kMostPending events wait for delivery the oldest is given up (logged).
    void publish(const EventMessage& message);

    // A reader of the event stream: next() gives the next record's text ("id: N\ndata: {...}\n\n"),
    // waiting at most `wait`; "" when none came; nothing when the client is to end (dropped for a
    // full queue, or the hub stopping). The destructor leaves the hub.
    class StreamClient {
    public:
        ~StreamClient();
        StreamClient(const StreamClient&) = delete;
        StreamClient& operator=(const StreamClient&) = delete;
        std::optional<std::string> next(std::chrono::milliseconds wait);

    private:
        friend class EventHub;
        explicit StreamClient(EventHub& hub) : hub_(hub) {}
        EventHub& hub_;
        std::deque<std::string> queue_;
        bool dropped_ = false;
    };
    // A new stream client, or null when kMostStreamClients are open or the hub has stopped.
    std::unique_ptr<StreamClient> openStream();

    // The EventService resources: the service, Subscriptions and its members (GET, POST on the
    // collection, DELETE on a member). path without the query string. A 201 carries the new member's
    // path in a Location header.
    Reply handle(const std::string& method, const std::string& path, const std::string& body);
    static bool serves(const std::string& path);

    // Ends the stream clients and the delivery thread (events still pending are given up). Idempotent.
    void stop();

private:
    struct Pending {
        uint64_t id;
        std::string timestamp;
        EventMessage message;
    };
    void deliveryLoop();
    void deliver(const Pending& event);
    bool waitUnlessStopped(std::chrono::milliseconds delay);
    Json eventService() const;
    Json subscriptionDoc(const Subscription& s) const;
    Reply subscribe(const std::string& body);
    static Json eventRecord(const Pending& event, const std::string& context);

    Poster poster_;
    double timeScale_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    uint64_t nextEventId_ = 1, nextSubscriptionId_ = 1, givenUp_ = 0;
    std::vector<StreamClient*> clients_;
    std::vector<Subscription> subscriptions_;
    std::deque<Pending> pending_;
    std::thread delivery_;
};

// The EventType a message is sent with (and a subscription's EventTypes choose): "StatusChange" for a
// resource's health change, "Alert" for the others.
std::string eventType(const EventMessage& message);

// The current UTC time as ISO 8601 ("2026-12-08T22:14:03+00:00").
std::string isoNow();

}  // namespace redfish
