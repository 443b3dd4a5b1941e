#pragma once
// The Redfish resources yat-redfishd serves, built on each request from the library's operations:
// the service root, the Chassis (sensors, the fans and supplies in ThermalSubsystem and
// PowerSubsystem and in the older Thermal and Power, the locator light), the
// Systems (power state, health rollup, the system event log) and the Managers (firmware level,
// the SP's Ethernet interfaces).
// Nodes are numbered from 0 as yatctl's --node numbers them; sensors carry yatctl's names.
//
// Nothing here knows HTTP: a request is a method, a path and a body, the answer a status, a JSON
// body and the methods the resource allows. One request at a time goes to the library (a mutex), so
// the answers of concurrent clients never interleave SP commands of one resource.

#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "yat/device_lib.h"

namespace redfish {

using Json = nlohmann::ordered_json;

// The schema versions served (the DMTF 2023.1 bundle); collections carry no version.
inline constexpr const char* kRedfishVersion = "1.17.0";
inline constexpr const char* kBaseRegistry = "Base.1.16.0";

struct Reply {
    int status = 200;
    Json body = Json::object();
    std::string allow;  // the methods the resource takes, for the Allow header ("" when none was found)
    std::vector<std::pair<std::string, std::string>> headers{};  // more headers (ETag, Location, X-Auth-Token)
};

// A Redfish error body with one @Message.ExtendedInfo entry of the Base registry (messageId without
// the registry prefix, e.g. "ResourceNotFound").
Reply errorReply(int status, const std::string& messageId, const std::string& message,
                 const std::vector<std::string>& args = {});

// What a resource needs of the caller: reading, changing components (the locator light), the
// manager, or the SP's login accounts.
enum class Privilege { Login, ConfigureComponents, ConfigureManager, ConfigureUsers };

// One sensor found by discovery, with its fixed facts.
struct SensorEntry {
    int32_t libraryNode = 0;  // the library's sensor key node (node + 1)
    int32_t sensorClass = 0;
    int32_t sensor = 0;
    std::string name, id, kind;  // yatctl's name, the name as a Redfish Id, yatctl's kind word
};

class Service {
public:
    Service(cDeviceLib& library, std::vector<SensorEntry> sensors);

    // The privilege a method on a path needs (Login for reads, ConfigureComponents for PATCH on a
    // chassis, ConfigureManager for any other change).
    size_t sensorCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sensors_.size();
    }
    // The sensors to serve from now on.
    void setSensors(std::vector<SensorEntry> sensors) {
        std::lock_guard<std::mutex> lock(mutex_);
        sensors_ = std::move(sensors);
    }

    static Privilege required(const std::string& method, const std::string& path);

    // Answers a request. path without the query string; body as received (PATCH, POST); ifMatch the
    // If-Match header of a PATCH ("" when none): a PATCH goes ahead only when it holds the resource's
    // ETag (412 otherwise).
    Reply handle(const std::string& method, const std::string& path, const std::string& body,
                 const std::string& ifMatch = "");

    // The node whose SP's login accounts AccountService serves.
    static constexpr int32_t kAccountsNode = 0;

private:
    Reply route(const std::string& method, const std::vector<std::string>& parts, const std::string& body);
    Reply get(const std::vector<std::string>& parts);
    Reply patch(const std::vector<std::string>& parts, const std::string& body, const Json& resource);

    // AccountService, its Accounts (the SP's login accounts) and Roles (accounts.cpp).
    Reply accountService(const std::string& method, const std::vector<std::string>& parts, const std::string& body);
    Reply account(uint32_t number);
    Reply changeAccount(uint32_t number, const std::string& body);
    Reply createAccount(const std::string& body);
    Reply deleteAccount(uint32_t number);

    Json serviceRoot();
    Json odataDocument();
    Json collection(const std::string& type, const std::string& name, const std::string& base, int32_t count);
    Json chassis(int32_t node);
    Json sensorsCollection(int32_t node);
    Json sensor(const SensorEntry& entry);
    Json thermal(int32_t node);
    Json power(int32_t node);
    // The older Thermal and Power resources: the node's sensors of two classes in two arrays.
    Json legacy(int32_t node, const char* name, const char* type, std::pair<int32_t, const char*> first,
                std::pair<int32_t, const char*> second);
    Json subsystem(int32_t node, bool thermal);
    Json subsystemMembers(int32_t node, bool thermal);
    Json subsystemMember(const SensorEntry& entry);
    Json system(int32_t node);
    Json logServices(int32_t node);
    Json selService(int32_t node);
    Reply selEntries(int32_t node, const std::string* entryId);
    Json manager(int32_t node);
    std::vector<int32_t> ethernetInterfaces(int32_t node);
    Json ethernetInterface(int32_t node, int32_t iface);

    const SensorEntry* findSensor(int32_t node, const std::string& id) const;
    // The worst health of the node's sensors and its system health ("OK", "Warning", "Critical").
    std::string healthRollup(int32_t node);
    // The node number in a path part ("0"), or -1 when it names no node.
    int32_t nodeOf(const std::string& part) const;

    cDeviceLib& library_;
    std::vector<SensorEntry> sensors_;
    int32_t nodeCount_;
    std::mutex mutex_;
};

// Splits a path into its parts without empty ones ("/redfish/v1/" -> {"redfish", "v1"}).
std::vector<std::string> splitPath(const std::string& path);

// The Id a sensor's name gets ("CPU 1 temperature" -> "CPU1Temperature").
std::string sensorId(const std::string& name);

// An SP log timestamp "yyyymmddhhmmss.000000+000" as ISO 8601 ("yyyy-mm-ddThh:mm:ss+00:00"), or "" when
// it is not of that form.
std::string isoTime(const std::string& timestamp);

}  // namespace redfish
