// The EventService of yat-redfishd (see events.h).

#include "redfish/events.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>

#include "redfish/protocol.h"
#include "sim/json_field.h"
#include "yat/codes.h"
#include "yatctl/sensor_words.h"

namespace redfish {

namespace {

constexpr const char* kSubscriptionsPath = "/redfish/v1/EventService/Subscriptions";
constexpr size_t kMostDestination = 512;
constexpr size_t kMostContext = 256;
const char* const kHealthWords[] = {"OK", "Warning", "Critical"};

std::string chassisPath(int32_t node) { return "/redfish/v1/Chassis/" + std::to_string(node); }
std::string systemPath(int32_t node) { return "/redfish/v1/Systems/" + std::to_string(node); }

// ResourceEvent's status change messages: "The health of resource `%1` has changed to %2."
EventMessage statusChanged(int level, const std::string& resource, std::string origin) {
    static const char* const kIds[] = {"ResourceStatusChangedOK", "ResourceStatusChangedWarning",
                                       "ResourceStatusChangedCritical"};
    return EventMessage{std::string(kResourceEventRegistry) + "." + kIds[level],
                        "The health of resource `" + resource + "` has changed to " + kHealthWords[level] + ".",
                        {resource, kHealthWords[level]},
                        kHealthWords[level],
                        std::move(origin)};
}

// ResourceEvent's "The resource property %1 has detected errors of type '%2'."
EventMessage errorsDetected(const std::string& property, const std::string& type, std::string origin) {
    return EventMessage{std::string(kResourceEventRegistry) + ".ResourceErrorsDetected",
                        "The resource property " + property + " has detected errors of type '" + type + "'.",
                        {property, type},
                        "Warning",
                        std::move(origin)};
}

// SensorEvent's reading messages for a sensor whose status entered a range.
EventMessage readingMessage(int level, const SensorNaming& naming, const std::string& reading, const char* units,
                            std::string origin) {
    static const char* const kIds[] = {"SensorReadingNormalRange", "ReadingWarning", "ReadingCritical"};
    static const char* const kRanges[] = {"normal", "warning", "critical"};
    return EventMessage{std::string(kSensorEventRegistry) + "." + kIds[level],
                        "Sensor '" + naming.name + "' reading of " + reading + " (" + units + ") is in the " +
                            kRanges[level] + " range.",
                        {naming.name, reading, units},
                        kHealthWords[level],
                        std::move(origin)};
}

std::string readingText(int32_t sensorClass, int32_t slot) {
    if (sensorClass != yat::kClassVoltage) return std::to_string(slot);
    float volts;
    std::memcpy(&volts, &slot, sizeof volts);
    if (!std::isfinite(volts)) return "unknown";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(volts));
    return text;
}

// A JSON array of texts, each one of `allowed`; its values in `out`.
std::optional<Reply> textList(const std::string& key, const Json& value, const std::vector<std::string>& allowed,
                              std::vector<std::string>& out) {
    if (!value.is_array() || value.size() > allowed.size() * 2) {
        return propertyValueError("PropertyValueTypeError", key, value);
    }
    for (const Json& item : value) {
        if (!item.is_string() || std::find(allowed.begin(), allowed.end(), item.get<std::string>()) == allowed.end())
            return propertyValueError("PropertyValueNotInList", key, item);
        out.push_back(item.get<std::string>());
    }
    return std::nullopt;
}

}  // namespace

std::string eventType(const EventMessage& message) {
    return message.messageId.find(".ResourceStatusChanged") != std::string::npos ? "StatusChange" : "Alert";
}

std::optional<EventMessage> EventTranslator::translate(int32_t sensorClass, int32_t libraryNode, int32_t sensor,
                                                       std::optional<int32_t> reading, int32_t code,
                                                       const SensorNaming& naming) {
    int32_t node = yatctl::shownNode(libraryNode);
    if (code == yat::kReportDiscovered || node < 0) return std::nullopt;
    std::string nodeName = "Node " + std::to_string(node);
    if (sensorClass == yat::kClassNodeEvent) {
        switch (code) {
            case yat::kReportDasdEvent:
                return errorsDetected("Drive " + std::to_string(sensor), "DASD alert", systemPath(node));
            case yat::kReportPfaEvent: return errorsDetected("Status", "predictive failure alert", systemPath(node));
            case yat::kReportVoltageEvent:
                return statusChanged(1, nodeName + " voltages", chassisPath(node) + "/Sensors");
            case yat::kReportFanEvent:
                return statusChanged(1, nodeName + " fans", chassisPath(node) + "/ThermalSubsystem");
            case yat::kStatusProcessorHot: return statusChanged(2, nodeName + " processor", systemPath(node));
            case yat::kStatusProcessorNormal: return statusChanged(0, nodeName + " processor", systemPath(node));
            default: return std::nullopt;
        }
    }
    if (sensorClass < yat::kClassTemperature || sensorClass > yat::kClassPowerSupply) return std::nullopt;
    if (code == yat::kStatusUnknown) return std::nullopt;  // a read that failed tells nothing new
    int level = std::clamp(yatctl::statusSeverity(sensorClass, code), 0, 2);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto key = std::make_tuple(sensorClass, libraryNode, sensor);
        auto known = lastStatus_.find(key);
        int before = known == lastStatus_.end() ? 0 : known->second;
        if (known == lastStatus_.end() && lastStatus_.size() < kMostSensors) lastStatus_.emplace(key, level);
        if (known != lastStatus_.end()) known->second = level;
        if (before == level) return std::nullopt;
    }
    std::string name = naming.name.empty() ? nodeName + " sensor " + std::to_string(sensor) : naming.name;
    if (sensorClass == yat::kClassPowerSupply) {
        std::string origin = naming.id.empty() ? chassisPath(node) + "/PowerSubsystem"
                                               : chassisPath(node) + "/PowerSubsystem/PowerSupplies/" + naming.id;
        return statusChanged(level, name, origin);
    }
    static const char* const kUnits[] = {"", "Cel", "V", "RPM"};
    std::string origin =
        naming.id.empty() ? chassisPath(node) + "/Sensors" : chassisPath(node) + "/Sensors/" + naming.id;
    return readingMessage(level, SensorNaming{naming.id, name},
                          reading ? readingText(sensorClass, *reading) : std::string("unknown"), kUnits[sensorClass],
                          origin);
}

EventHub::EventHub(Poster poster, double timeScale) : poster_(std::move(poster)), timeScale_(timeScale) {
    delivery_ = std::thread([this] { deliveryLoop(); });
}

EventHub::~EventHub() { stop(); }

void EventHub::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (delivery_.joinable()) delivery_.join();
}

void EventHub::publish(const EventMessage& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    Pending event{nextEventId_++, isoNow(), message};
    std::string text = "id: " + std::to_string(event.id) + "\ndata: " + jsonText(eventRecord(event, "")) + "\n\n";
    for (StreamClient* client : clients_) {
        if (client->dropped_) continue;
        if (client->queue_.size() >= kMostQueuedPerClient) {
            // A client that does not read is let go rather than holding events (or the sink) back.
            client->dropped_ = true;
            client->queue_.clear();
            std::cerr << "yat-redfishd: an event stream client did not keep up and is dropped\n";
            continue;
        }
        client->queue_.push_back(text);
    }
    if (!subscriptions_.empty()) {
        if (pending_.size() >= kMostPending) {
            pending_.pop_front();
            if (givenUp_++ % 100 == 0)
                std::cerr << "yat-redfishd: event delivery is behind; the oldest waiting events are given up\n";
        }
        pending_.push_back(std::move(event));
    }
    changed_.notify_all();
}

std::unique_ptr<EventHub::StreamClient> EventHub::openStream() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || clients_.size() >= kMostStreamClients) return nullptr;
    std::unique_ptr<StreamClient> client(new StreamClient(*this));
    clients_.push_back(client.get());
    return client;
}

EventHub::StreamClient::~StreamClient() {
    std::lock_guard<std::mutex> lock(hub_.mutex_);
    hub_.clients_.erase(std::remove(hub_.clients_.begin(), hub_.clients_.end(), this), hub_.clients_.end());
}

std::optional<std::string> EventHub::StreamClient::next(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(hub_.mutex_);
    hub_.changed_.wait_for(lock, wait, [this] { return hub_.stopping_ || dropped_ || !queue_.empty(); });
    if (hub_.stopping_ || dropped_) return std::nullopt;
    if (queue_.empty()) return std::string();
    std::string text = std::move(queue_.front());
    queue_.pop_front();
    return text;
}

bool EventHub::waitUnlessStopped(std::chrono::milliseconds delay) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !changed_.wait_for(lock, delay, [this] { return stopping_; });
}

void EventHub::deliveryLoop() {
    for (;;) {
        Pending event;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_) return;
            event = std::move(pending_.front());
            pending_.pop_front();
        }
        deliver(event);
    }
}

// Each subscription that wants the event gets it in one POST, retried kDeliveryRetryAttempts times
// with waits doubling from kDeliveryRetryIntervalSeconds. A destination that still refuses keeps its
// subscription (a listener that restarts gets the next events); the loss is logged and counted.
void EventHub::deliver(const Pending& event) {
    std::vector<Subscription> targets;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string prefix = event.message.messageId.substr(0, event.message.messageId.find('.'));
        for (const Subscription& s : subscriptions_) {
            bool typeWanted = s.eventTypes.empty() || std::find(s.eventTypes.begin(), s.eventTypes.end(),
                                                                eventType(event.message)) != s.eventTypes.end();
            bool prefixWanted =
                s.registryPrefixes.empty() ||
                std::find(s.registryPrefixes.begin(), s.registryPrefixes.end(), prefix) != s.registryPrefixes.end();
            if (typeWanted && prefixWanted) targets.push_back(s);
        }
    }
    for (const Subscription& s : targets) {
        std::string body = jsonText(eventRecord(event, s.context));
        bool taken = false;
        auto delay = std::chrono::duration<double, std::milli>(kDeliveryRetryIntervalSeconds * 1000.0 * timeScale_);
        for (int attempt = 0; attempt <= kDeliveryRetryAttempts && !taken; ++attempt) {
            if (attempt > 0) {
                if (!waitUnlessStopped(std::chrono::duration_cast<std::chrono::milliseconds>(delay))) return;
                delay *= 2;
            }
            taken = poster_(s.destination, body);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        auto current = std::find_if(subscriptions_.begin(), subscriptions_.end(),
                                    [&s](const Subscription& c) { return c.id == s.id; });
        if (current == subscriptions_.end()) continue;  // deleted meanwhile
        if (taken) {
            ++current->delivered;
        } else {
            ++current->failed;
            std::cerr << "yat-redfishd: event " << event.id << " not delivered to subscription " << s.id << " ("
                      << yatsim::printableExcerpt(s.destination, 128) << ") after " << kDeliveryRetryAttempts
                      << " retries; the subscription stays\n";
        }
    }
}

Json EventHub::eventRecord(const Pending& event, const std::string& context) {
    Json message{{"EventId", std::to_string(event.id)},
                 {"EventType", eventType(event.message)},
                 {"EventTimestamp", event.timestamp},
                 {"Severity", event.message.severity},
                 {"MessageSeverity", event.message.severity},
                 {"Message", event.message.message},
                 {"MessageId", event.message.messageId},
                 {"MessageArgs", event.message.args},
                 {"OriginOfCondition", {{"@odata.id", event.message.origin}}}};
    return Json{{"@odata.type", "#Event.v1_7_0.Event"},
                {"Id", std::to_string(event.id)},
                {"Name", "Event"},
                {"Context", context},
                {"Events", Json::array({message})}};
}

bool EventHub::serves(const std::string& path) {
    std::vector<std::string> parts = splitPath(path);
    return parts.size() >= 3 && parts[0] == "redfish" && parts[1] == "v1" && parts[2] == "EventService";
}

Json EventHub::eventService() const {
    return Json{{"@odata.id", kEventServicePath},
                {"@odata.type", "#EventService.v1_9_0.EventService"},
                {"Id", "EventService"},
                {"Name", "Event Service"},
                {"ServiceEnabled", true},
                {"Status", {{"State", "Enabled"}, {"Health", "OK"}}},
                {"DeliveryRetryAttempts", kDeliveryRetryAttempts},
                {"DeliveryRetryIntervalSeconds", kDeliveryRetryIntervalSeconds},
                {"EventFormatTypes", Json::array({"Event"})},
                {"EventTypesForSubscription", Json::array({"Alert", "StatusChange"})},
                {"RegistryPrefixes", Json::array({"ResourceEvent", "SensorEvent"})},
                {"ServerSentEventUri", kEventStreamPath},
                {"Subscriptions", {{"@odata.id", kSubscriptionsPath}}}};
}

Json EventHub::subscriptionDoc(const Subscription& s) const {
    Json doc{{"@odata.id", std::string(kSubscriptionsPath) + "/" + s.id},
             {"@odata.type", "#EventDestination.v1_13_0.EventDestination"},
             {"Id", s.id},
             {"Name", "Event subscription " + s.id},
             {"Destination", s.destination},
             {"Protocol", "Redfish"},
             {"Context", s.context},
             {"SubscriptionType", "RedfishEvent"},
             {"EventFormatType", "Event"},
             {"Status", {{"State", "Enabled"}, {"Health", s.failed == 0 ? "OK" : "Warning"}}}};
    if (!s.eventTypes.empty()) doc["EventTypes"] = s.eventTypes;
    if (!s.registryPrefixes.empty()) doc["RegistryPrefixes"] = s.registryPrefixes;
    return doc;
}

Reply EventHub::subscribe(const std::string& body) {
    Json request = Json::parse(body, nullptr, false);
    if (request.is_discarded() || !request.is_object()) return malformedJson();
    Subscription s;
    bool hasDestination = false;
    for (const auto& [key, value] : request.items()) {
        if (key == "Destination") {
            if (!value.is_string()) return propertyValueError("PropertyValueTypeError", key, value);
            s.destination = value.get<std::string>();
            bool scheme = s.destination.rfind("http://", 0) == 0 || s.destination.rfind("https://", 0) == 0;
            bool printable =
                std::all_of(s.destination.begin(), s.destination.end(), [](char c) { return c > ' ' && c < 0x7f; });
            size_t host = s.destination.find("//") + 2;  // where the host begins
            if (!scheme || !printable || s.destination.size() > kMostDestination || host >= s.destination.size() ||
                s.destination[host] == '/')
                return propertyValueError("PropertyValueFormatError", key, value);
            hasDestination = true;
        } else if (key == "Protocol") {
            if (value != "Redfish") return propertyValueError("PropertyValueNotInList", key, value);
        } else if (key == "Context") {
            if (!value.is_string()) return propertyValueError("PropertyValueTypeError", key, value);
            if (value.get<std::string>().size() > kMostContext)
                return propertyValueError("PropertyValueFormatError", key, value);
            s.context = value.get<std::string>();
        } else if (key == "EventTypes") {
            if (auto refused = textList(key, value, {"Alert", "StatusChange"}, s.eventTypes)) return *refused;
        } else if (key == "RegistryPrefixes") {
            if (auto refused = textList(key, value, {"ResourceEvent", "SensorEvent"}, s.registryPrefixes))
                return *refused;
        } else {
            return propertyUnknown(key);
        }
    }
    if (!hasDestination) {
        return errorReply(400, "PropertyMissing",
                          "The property Destination is a required property and must be included in the request.",
                          {"Destination"});
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (subscriptions_.size() >= kMostSubscriptions) {
        return errorReply(503, "ServiceTemporarilyUnavailable",
                          "The service is temporarily unavailable.  Retry in 60 seconds.", {"60"});
    }
    s.id = std::to_string(nextSubscriptionId_++);
    subscriptions_.push_back(s);
    Reply created;
    created.status = 201;
    created.headers.emplace_back("Location", std::string(kSubscriptionsPath) + "/" + s.id);
    created.body = subscriptionDoc(s);
    return created;
}

Reply EventHub::handle(const std::string& method, const std::string& path, const std::string& body) {
    std::vector<std::string> p = splitPath(path);
    if (!serves(path)) return resourceNotFound(p);
    bool read = method == "GET" || method == "HEAD";
    Reply r;
    if (p.size() == 3) {
        if (!read) return methodNotAllowed("GET, HEAD");
        r.body = eventService();
        r.allow = "GET, HEAD";
        return r;
    }
    if (p.size() == 4 && p[3] == "SSE") return methodNotAllowed("GET");  // the stream's GET is not served here
    if (p.size() > 5 || p[3] != "Subscriptions") return resourceNotFound(p);
    if (p.size() == 4) {
        r.allow = "GET, HEAD, POST";
        if (method == "POST") return subscribe(body);
        if (!read) return methodNotAllowed("GET, HEAD, POST");
        std::lock_guard<std::mutex> lock(mutex_);
        Json members = Json::array();
        for (const Subscription& s : subscriptions_)
            members.push_back(Json{{"@odata.id", std::string(kSubscriptionsPath) + "/" + s.id}});
        r.body = collectionOf("#EventDestinationCollection.EventDestinationCollection", "Event subscriptions",
                              kSubscriptionsPath, members);
        return r;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = std::find_if(subscriptions_.begin(), subscriptions_.end(),
                              [&p](const Subscription& s) { return s.id == p[4]; });
    if (found == subscriptions_.end()) return resourceNotFound(p);
    r.allow = "GET, HEAD, DELETE";
    if (method == "DELETE") {
        subscriptions_.erase(found);
        r.status = 204;
        r.body = nullptr;
        return r;
    }
    if (!read) return methodNotAllowed("GET, HEAD, DELETE");
    r.body = subscriptionDoc(*found);
    return r;
}

}  // namespace redfish
