// The Redfish resources over the library's operations (see resources.h).

#include "redfish/resources.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

#include "redfish/protocol.h"
#include "redfish/network.h"
#include "yat/codes.h"
#include "yat/event_log_records.h"
#include "yat/result_codes.h"
#include "yat/system_info_records.h"
#include "yat/vpd_records.h"
#include "yatctl/sensor_words.h"

namespace redfish {

namespace {

constexpr const char* kRoot = "/redfish/v1";
// An SP that never reports the end of its log must not keep a request reading forever.
constexpr size_t kMostLogEntries = 10000;

std::string text(const char* chars, size_t size) { return std::string(chars, strnlen(chars, size)); }

Json link(const std::string& id) { return Json{{"@odata.id", id}}; }

std::string nodePath(const char* collection, int32_t node) {
    return std::string(kRoot) + "/" + collection + "/" + std::to_string(node);
}

// A value of a sensor's 32-bit slot: a float for voltages (to hundredths of a volt), an integer else.
double slotValue(int32_t sensorClass, int32_t slot) {
    if (sensorClass != yat::kClassVoltage) return slot;
    float volts;
    std::memcpy(&volts, &slot, sizeof volts);
    return std::round(static_cast<double>(volts) * 100.0) / 100.0;
}

// Health words in order of severity.
int severity(const std::string& health) { return health == "Critical" ? 2 : health == "Warning" ? 1 : 0; }
const char* healthWord(int level) { return level >= 2 ? "Critical" : level == 1 ? "Warning" : "OK"; }

// What getSensorStatus told of one sensor.
struct SensorRead {
    bool read = false;
    int32_t status = 0;
    Json reading = nullptr;       // null: none (a supply, or not read)
    yatctl::SensorLimits limits;  // as yatctl shows them
    Json health = nullptr;        // "OK", "Warning", "Critical", or null when unknown
};

SensorRead readSensor(cDeviceLib& library, const SensorEntry& entry) {
    SensorRead r;
    int32_t status = 0, reading = 0, lower = 0, upper = 0;
    if (library.getSensorStatus(entry.sensorClass, entry.libraryNode, entry.sensor, &status, &reading, &lower,
                                &upper) != ERR_SUCCESS)
        return r;
    r.read = true;
    r.status = status;
    // A status not checked yet has no health to tell.
    if (status != yat::kStatusUnknown) r.health = healthWord(yatctl::statusSeverity(entry.sensorClass, status));
    if (entry.sensorClass != yat::kClassPowerSupply) {
        r.reading = slotValue(entry.sensorClass, reading);
        r.limits = yatctl::sensorLimits(entry.sensorClass, slotValue(entry.sensorClass, lower),
                                        slotValue(entry.sensorClass, upper));
    }
    return r;
}

// Status of a sensor: Enabled with its health, Absent for a supply that is not there, and
// UnavailableOffline when it could not be read.
Json sensorStatus(const SensorRead& r) {
    if (!r.read) return Json{{"State", "UnavailableOffline"}, {"Health", nullptr}};
    if (r.status == yat::kStatusNotPresent) return Json{{"State", "Absent"}, {"Health", nullptr}};
    return Json{{"State", "Enabled"}, {"Health", r.health}};
}

// The thresholds of a sensor: its limits as yatctl shows them, warnings as cautions.
Json thresholds(const SensorRead& r) {
    Json t = Json::object();
    auto put = [&t](const char* name, const std::optional<double>& value) {
        if (value) t[name] = Json{{"Reading", *value}};
    };
    put("LowerCaution", r.limits.lowerWarning);
    put("LowerCritical", r.limits.lowerCritical);
    put("UpperCaution", r.limits.upperWarning);
    put("UpperCritical", r.limits.upperCritical);
    return t;
}

// A limit for the older Thermal and Power resources.
void putLimit(Json& member, const char* name, const std::optional<double>& value) {
    if (value) member[name] = *value;
}

const char* readingType(int32_t sensorClass) {
    switch (sensorClass) {
        case yat::kClassTemperature: return "Temperature";
        case yat::kClassVoltage: return "Voltage";
        case yat::kClassFan: return "Rotational";
        default: return nullptr;
    }
}

const char* readingUnits(int32_t sensorClass) {
    switch (sensorClass) {
        case yat::kClassTemperature: return "Cel";
        case yat::kClassVoltage: return "V";
        case yat::kClassFan: return "RPM";
        default: return nullptr;
    }
}

}  // namespace

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string sensorId(const std::string& name) {
    std::string id;
    bool upper = false;
    for (char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            upper = true;
            continue;
        }
        id += upper && !id.empty() ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        upper = false;
    }
    return id;
}

std::string isoTime(const std::string& timestamp) {
    if (timestamp.size() < 14 || !std::all_of(timestamp.begin(), timestamp.begin() + 14,
                                              [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
        return "";
    const std::string& t = timestamp;
    return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2) + "T" + t.substr(8, 2) + ":" + t.substr(10, 2) +
           ":" + t.substr(12, 2) + "+00:00";
}

Reply errorReply(int status, const std::string& messageId, const std::string& message,
                 const std::vector<std::string>& args) {
    std::string id = std::string(kBaseRegistry) + "." + messageId;
    Json info{{"@odata.type", "#Message.v1_1_1.Message"},
              {"MessageId", id},
              {"Message", message},
              {"MessageArgs", args},
              {"Severity", status >= 500 ? "Critical" : "Warning"},
              {"Resolution", status == 401   ? "Provide valid credentials and resubmit the request."
                             : status == 403 ? "Resubmit the request as a user with the needed privilege."
                             : status == 404 ? "Provide a valid resource identifier and resubmit the request."
                                             : "Correct the request and resubmit it."}};
    Reply reply;
    reply.status = status;
    reply.body = Json{{"error", {{"code", id}, {"message", message}, {"@Message.ExtendedInfo", Json::array({info})}}}};
    return reply;
}

Service::Service(cDeviceLib& library, std::vector<SensorEntry> sensors)
    : library_(library),
      sensors_(std::move(sensors)),
      nodeCount_(static_cast<int32_t>(std::min<uint32_t>(library.getNodeCount(), 64))) {}

Privilege Service::required(const std::string& method, const std::string& path) {
    if (method == "GET" || method == "HEAD") return Privilege::Login;
    std::vector<std::string> parts = splitPath(path);
    if (method == "PATCH" && parts.size() == 4 && parts[2] == "Chassis") return Privilege::ConfigureComponents;
    if (parts.size() >= 3 && parts[2] == "AccountService") return Privilege::ConfigureUsers;
    return Privilege::ConfigureManager;
}

int32_t Service::nodeOf(const std::string& part) const {
    if (part.empty() || part.size() > 3 ||
        !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    if (part.size() > 1 && part[0] == '0') return -1;
    int32_t node = std::stoi(part);
    return node < nodeCount_ ? node : -1;
}

const SensorEntry* Service::findSensor(int32_t node, const std::string& id) const {
    for (const SensorEntry& e : sensors_) {
        if (yatctl::shownNode(e.libraryNode) == node && e.id == id) return &e;
    }
    return nullptr;
}

Reply Service::handle(const std::string& method, const std::string& path, const std::string& body,
                      const std::string& ifMatch) {
    std::vector<std::string> parts = splitPath(path);
    std::lock_guard<std::mutex> lock(mutex_);
    if (method == "PATCH" && !ifMatch.empty()) {
        Reply current = route("GET", parts, "");
        if (current.status == 200 && !etagMatches(ifMatch, etagOf(current.body))) return preconditionFailed();
    }
    return route(method, parts, body);
}

Reply Service::route(const std::string& method, const std::vector<std::string>& parts, const std::string& body) {
    if (parts.size() >= 3 && parts[0] == "redfish" && parts[1] == "v1" && parts[2] == "AccountService") {
        return accountService(method, parts, body);
    }
    // Systems/{node}/LogServices/SEL/Actions/LogService.ClearLog: erases the node's log.
    if (parts.size() == 8 && parts[2] == "Systems" && parts[4] == "LogServices" && parts[5] == "SEL" &&
        parts[6] == "Actions" && parts[7] == "LogService.ClearLog" && nodeOf(parts[3]) >= 0) {
        if (method != "POST") return methodNotAllowed("POST");
        if (library_.eraseLog(nodeOf(parts[3])) != ERR_SUCCESS) return internalError();
        return successReply();
    }
    Reply found = get(parts);
    if (found.status == 404) return found;
    // Managers/{node}/NetworkProtocol and Managers/{node}/EthernetInterfaces/{iface} (network.h).
    bool network = parts.size() >= 5 && parts[2] == "Managers" &&
                   (parts.size() == 5 ? parts[4] == "NetworkProtocol" : parts.size() == 6);
    bool patchable = (parts.size() == 4 && parts[2] == "Chassis") || network;
    found.allow = patchable ? "GET, HEAD, PATCH" : "GET, HEAD";
    if (method == "GET" || method == "HEAD") return found;
    if (method == "PATCH" && network) {
        int32_t node = nodeOf(parts[3]);
        std::optional<Reply> refused = parts.size() == 5
                                           ? patchNetworkProtocol(library_, node, body)
                                           : patchEthernetInterface(library_, node, std::stoi(parts[5]), body);
        Reply changed = refused ? *refused : get(parts);
        changed.allow = found.allow;
        return changed;
    }
    if (method == "PATCH" && patchable) {
        Reply changed = patch(parts, body, found.body);
        changed.allow = found.allow;
        return changed;
    }
    return methodNotAllowed(found.allow);
}

Reply Service::get(const std::vector<std::string>& p) {
    auto notFound = [&p]() { return resourceNotFound(p); };
    Reply r;
    size_t n = p.size();
    if (n == 0 || p[0] != "redfish") return notFound();
    if (n == 1) {
        r.body = Json{{"v1", std::string(kRoot) + "/"}};
        return r;
    }
    if (p[1] != "v1") return notFound();
    if (n == 2) {
        r.body = serviceRoot();
        return r;
    }
    if (n == 3 && p[2] == "odata") {
        r.body = odataDocument();
        return r;
    }
    static const std::vector<std::pair<std::string, std::string>> kCollections = {
        {"Chassis", "#ChassisCollection.ChassisCollection"},
        {"Systems", "#ComputerSystemCollection.ComputerSystemCollection"},
        {"Managers", "#ManagerCollection.ManagerCollection"}};
    auto kind = std::find_if(kCollections.begin(), kCollections.end(), [&](const auto& c) { return c.first == p[2]; });
    if (kind == kCollections.end()) return notFound();
    if (n == 3) {
        r.body =
            collection(kind->second, kind->first + " Collection", std::string(kRoot) + "/" + kind->first, nodeCount_);
        return r;
    }
    int32_t node = nodeOf(p[3]);
    if (node < 0) return notFound();
    const std::string& what = p[2];
    if (what == "Chassis") {
        if (n == 4)
            r.body = chassis(node);
        else if (n == 5 && p[4] == "Sensors")
            r.body = sensorsCollection(node);
        else if (n == 5 && p[4] == "Thermal")
            r.body = thermal(node);
        else if (n == 5 && p[4] == "Power")
            r.body = power(node);
        else if (n == 6 && p[4] == "Sensors") {
            const SensorEntry* entry = findSensor(node, p[5]);
            if (entry == nullptr) return notFound();
            r.body = sensor(*entry);
        } else if (n >= 5 && n <= 7 && (p[4] == "ThermalSubsystem" || p[4] == "PowerSubsystem")) {
            bool thermal = p[4] == "ThermalSubsystem";
            const char* members = thermal ? "Fans" : "PowerSupplies";
            if (n == 5) {
                r.body = subsystem(node, thermal);
            } else if (p[5] != members) {
                return notFound();
            } else if (n == 6) {
                r.body = subsystemMembers(node, thermal);
            } else {
                const SensorEntry* entry = findSensor(node, p[6]);
                int32_t wanted = thermal ? yat::kClassFan : yat::kClassPowerSupply;
                if (entry == nullptr || entry->sensorClass != wanted) return notFound();
                r.body = subsystemMember(*entry);
            }
        } else
            return notFound();
        return r;
    }
    if (what == "Systems") {
        if (n == 4)
            r.body = system(node);
        else if (n == 5 && p[4] == "LogServices")
            r.body = logServices(node);
        else if (n == 6 && p[4] == "LogServices" && p[5] == "SEL")
            r.body = selService(node);
        else if (n == 7 && p[4] == "LogServices" && p[5] == "SEL" && p[6] == "Entries")
            return selEntries(node, nullptr);
        else if (n == 8 && p[4] == "LogServices" && p[5] == "SEL" && p[6] == "Entries") {
            Reply entry = selEntries(node, &p[7]);
            return entry.status == 404 ? notFound() : entry;
        } else
            return notFound();
        return r;
    }
    if (n == 4) {
        r.body = manager(node);
        return r;
    }
    if (n == 5 && p[4] == "NetworkProtocol") {
        r.body = networkProtocol(library_, node);
        return r;
    }
    if (p[4] != "EthernetInterfaces" || n > 6) return notFound();
    std::vector<int32_t> interfaces = ethernetInterfaces(node);
    if (n == 5) {
        std::string base = nodePath("Managers", node) + "/EthernetInterfaces";
        Json members = Json::array();
        for (int32_t iface : interfaces) members.push_back(link(base + "/" + std::to_string(iface)));
        r.body = collectionOf("#EthernetInterfaceCollection.EthernetInterfaceCollection", "Ethernet interfaces", base,
                              members);
        return r;
    }
    auto iface =
        std::find_if(interfaces.begin(), interfaces.end(), [&](int32_t i) { return std::to_string(i) == p[5]; });
    if (iface == interfaces.end()) return notFound();
    r.body = ethernetInterface(node, *iface);
    addStaticAddresses(r.body);
    return r;
}

Reply Service::patch(const std::vector<std::string>& p, const std::string& body, const Json& resource) {
    static const std::vector<PropertyRule> kRules = {{"LocationIndicatorActive", ValueKind::Boolean},
                                                     {"IndicatorLED", ValueKind::String, {"Lit", "Off"}}};
    CheckedBody checked = checkBody(body, kRules, resource);
    if (checked.error) return *checked.error;
    int32_t node = nodeOf(p[3]);
    int32_t state = 0;
    for (const auto& [key, value] : checked.request.items()) {
        state = key == "IndicatorLED" ? (value == "Lit" ? 1 : 0) : (value.get<bool>() ? 1 : 0);
    }
    if (library_.setBluelightStatus(node, state) != ERR_SUCCESS) return internalError();
    Reply r;
    r.body = chassis(node);
    return r;
}

Json Service::serviceRoot() {
    return Json{{"@odata.id", kRoot},
                {"@odata.type", "#ServiceRoot.v1_16_0.ServiceRoot"},
                {"Id", "RootService"},
                {"Name", "Root Service"},
                {"RedfishVersion", kRedfishVersion},
                {"Chassis", link(std::string(kRoot) + "/Chassis")},
                {"Systems", link(std::string(kRoot) + "/Systems")},
                {"Managers", link(std::string(kRoot) + "/Managers")},
                {"EventService", link(std::string(kRoot) + "/EventService")},
                {"AccountService", link(std::string(kRoot) + "/AccountService")},
                {"SessionService", link(std::string(kRoot) + "/SessionService")},
                {"Links", Json{{"Sessions", link(std::string(kRoot) + "/SessionService/Sessions")}}}};
}

Json Service::odataDocument() {
    Json values = Json::array();
    for (const char* name : {"Chassis", "Systems", "Managers", "AccountService", "SessionService"}) {
        values.push_back(Json{{"name", name}, {"kind", "Singleton"}, {"url", std::string(kRoot) + "/" + name}});
    }
    return Json{{"@odata.id", std::string(kRoot) + "/odata"},
                {"@odata.type", "#ODataService"},
                {"@odata.context", std::string(kRoot) + "/$metadata"},
                {"value", values}};
}

Json Service::collection(const std::string& type, const std::string& name, const std::string& base, int32_t count) {
    Json members = Json::array();
    for (int32_t i = 0; i < count; ++i) members.push_back(link(base + "/" + std::to_string(i)));
    return collectionOf(type, name, base, members);
}

Json Service::chassis(int32_t node) {
    std::string id = nodePath("Chassis", node);
    Json c{{"@odata.id", id},
           {"@odata.type", "#Chassis.v1_23_0.Chassis"},
           {"Id", std::to_string(node)},
           {"Name", "Node " + std::to_string(node) + " chassis"},
           {"ChassisType", "RackMount"}};
    MachineVPDInfo vpd{};
    if (library_.getMachineVPD(node, &vpd) == ERR_SUCCESS) {
        c["Model"] = text(vpd.machineType, sizeof vpd.machineType) + "-" + text(vpd.model, sizeof vpd.model);
        c["SerialNumber"] = text(vpd.serialNumber, sizeof vpd.serialNumber);
    }
    SystemStateInfo state{};
    if (library_.getSystemState(node, &state) == ERR_SUCCESS) c["PowerState"] = state.powerStatusOn != 0 ? "On" : "Off";
    int32_t light = 0;
    if (library_.getBluelightStatus(node, &light) == ERR_SUCCESS) {
        c["LocationIndicatorActive"] = light != 0;
        c["IndicatorLED"] = light == 0 ? "Off" : light == 1 ? "Lit" : "Blinking";
    }
    c["Status"] = Json{{"State", "Enabled"}, {"Health", healthRollup(node)}};
    c["Sensors"] = link(id + "/Sensors");
    c["Thermal"] = link(id + "/Thermal");
    c["Power"] = link(id + "/Power");
    c["ThermalSubsystem"] = link(id + "/ThermalSubsystem");
    c["PowerSubsystem"] = link(id + "/PowerSubsystem");
    c["Links"] = Json{{"ComputerSystems", Json::array({link(nodePath("Systems", node))})},
                      {"ManagedBy", Json::array({link(nodePath("Managers", node))})}};
    return c;
}

Json Service::sensorsCollection(int32_t node) {
    std::string base = nodePath("Chassis", node) + "/Sensors";
    Json members = Json::array();
    for (const SensorEntry& e : sensors_) {
        if (yatctl::shownNode(e.libraryNode) == node) members.push_back(link(base + "/" + e.id));
    }
    return collectionOf("#SensorCollection.SensorCollection", "Sensors", base, members);
}

Json Service::sensor(const SensorEntry& e) {
    SensorRead r = readSensor(library_, e);
    Json s{{"@odata.id", nodePath("Chassis", yatctl::shownNode(e.libraryNode)) + "/Sensors/" + e.id},
           {"@odata.type", "#Sensor.v1_7_0.Sensor"},
           {"Id", e.id},
           {"Name", e.name}};
    if (const char* type = readingType(e.sensorClass)) {
        s["ReadingType"] = type;
        s["Reading"] = r.reading;
        s["ReadingUnits"] = readingUnits(e.sensorClass);
        Json t = thresholds(r);
        if (!t.empty()) s["Thresholds"] = t;
    }
    s["PhysicalContext"] = e.kind == "cpu"               ? "CPU"
                           : e.kind == "fan"             ? "Fan"
                           : e.kind == "power_supply"    ? "PowerSupply"
                           : e.kind == "drive_backplane" ? "Backplane"
                                                         : "SystemBoard";
    s["Status"] = sensorStatus(r);
    return s;
}

Json Service::thermal(int32_t node) {
    return legacy(node, "Thermal", "#Thermal.v1_7_1.Thermal", {yat::kClassTemperature, "Temperatures"},
                  {yat::kClassFan, "Fans"});
}

Json Service::power(int32_t node) {
    return legacy(node, "Power", "#Power.v1_7_1.Power", {yat::kClassPowerSupply, "PowerSupplies"},
                  {yat::kClassVoltage, "Voltages"});
}

Json Service::legacy(int32_t node, const char* name, const char* type, std::pair<int32_t, const char*> first,
                     std::pair<int32_t, const char*> second) {
    std::string id = nodePath("Chassis", node) + "/" + name;
    Json doc{{"@odata.id", id}, {"@odata.type", type}, {"Id", name}, {"Name", name}};
    doc[first.second] = Json::array();
    doc[second.second] = Json::array();
    for (const SensorEntry& e : sensors_) {
        if (yatctl::shownNode(e.libraryNode) != node) continue;
        if (e.sensorClass != first.first && e.sensorClass != second.first) continue;
        SensorRead r = readSensor(library_, e);
        const char* array = e.sensorClass == first.first ? first.second : second.second;
        Json& list = doc[array];
        std::string member = std::to_string(list.size());
        Json m{{"@odata.id", id + "#/" + array + "/" + member},
               {"MemberId", member},
               {"Name", e.name},
               {"Status", sensorStatus(r)}};
        switch (e.sensorClass) {
            case yat::kClassTemperature:
                m["ReadingCelsius"] = r.reading;
                putLimit(m, "UpperThresholdNonCritical", r.limits.upperWarning);
                putLimit(m, "UpperThresholdCritical", r.limits.upperCritical);
                break;
            case yat::kClassFan:
                m["Reading"] = r.reading;
                m["ReadingUnits"] = "RPM";
                putLimit(m, "LowerThresholdCritical", r.limits.lowerCritical);
                break;
            case yat::kClassVoltage:
                m["ReadingVolts"] = r.reading;
                putLimit(m, "LowerThresholdCritical", r.limits.lowerCritical);
                putLimit(m, "UpperThresholdCritical", r.limits.upperCritical);
                break;
            default: break;
        }
        list.push_back(m);
    }
    return doc;
}

// ThermalSubsystem and PowerSubsystem: the newer resources for the fans and the supplies.
Json Service::subsystem(int32_t node, bool thermal) {
    std::string id = nodePath("Chassis", node) + (thermal ? "/ThermalSubsystem" : "/PowerSubsystem");
    Json doc{{"@odata.id", id},
             {"@odata.type",
              thermal ? "#ThermalSubsystem.v1_2_0.ThermalSubsystem" : "#PowerSubsystem.v1_1_0.PowerSubsystem"},
             {"Id", thermal ? "ThermalSubsystem" : "PowerSubsystem"},
             {"Name", thermal ? "Thermal subsystem" : "Power subsystem"}};
    doc[thermal ? "Fans" : "PowerSupplies"] = link(id + (thermal ? "/Fans" : "/PowerSupplies"));
    int level = 0;
    int32_t wanted = thermal ? yat::kClassFan : yat::kClassPowerSupply;
    for (const SensorEntry& e : sensors_) {
        if (yatctl::shownNode(e.libraryNode) != node || e.sensorClass != wanted) continue;
        SensorRead r = readSensor(library_, e);
        if (r.health.is_string()) level = std::max(level, severity(r.health.get<std::string>()));
    }
    doc["Status"] = Json{{"State", "Enabled"}, {"HealthRollup", healthWord(level)}};
    return doc;
}

Json Service::subsystemMembers(int32_t node, bool thermal) {
    std::string base =
        nodePath("Chassis", node) + (thermal ? "/ThermalSubsystem/Fans" : "/PowerSubsystem/PowerSupplies");
    int32_t wanted = thermal ? yat::kClassFan : yat::kClassPowerSupply;
    Json members = Json::array();
    for (const SensorEntry& e : sensors_) {
        if (yatctl::shownNode(e.libraryNode) == node && e.sensorClass == wanted)
            members.push_back(link(base + "/" + e.id));
    }
    return collectionOf(thermal ? "#FanCollection.FanCollection" : "#PowerSupplyCollection.PowerSupplyCollection",
                        thermal ? "Fans" : "Power supplies", base, members);
}

Json Service::subsystemMember(const SensorEntry& e) {
    bool fan = e.sensorClass == yat::kClassFan;
    std::string chassisId = nodePath("Chassis", yatctl::shownNode(e.libraryNode));
    SensorRead r = readSensor(library_, e);
    Json doc{{"@odata.id", chassisId + (fan ? "/ThermalSubsystem/Fans/" : "/PowerSubsystem/PowerSupplies/") + e.id},
             {"@odata.type", fan ? "#Fan.v1_4_0.Fan" : "#PowerSupply.v1_5_1.PowerSupply"},
             {"Id", e.id},
             {"Name", e.name}};
    if (fan) {
        doc["SpeedPercent"] = Json{{"SpeedRPM", r.reading}, {"DataSourceUri", chassisId + "/Sensors/" + e.id}};
    }
    doc["Status"] = sensorStatus(r);
    return doc;
}

std::string Service::healthRollup(int32_t node) {
    int level = 0;
    for (const SensorEntry& e : sensors_) {
        if (yatctl::shownNode(e.libraryNode) != node) continue;
        SensorRead r = readSensor(library_, e);
        if (r.health.is_string()) level = std::max(level, severity(r.health.get<std::string>()));
    }
    // The system health value: 0 normal, another value an active health event of the SP.
    int32_t health = 0;
    if (library_.checkSystemHealth(node, &health, 1, 2) == ERR_SUCCESS && health != 0) level = std::max(level, 1);
    return healthWord(level);
}

Json Service::system(int32_t node) {
    std::string id = nodePath("Systems", node);
    Json s{{"@odata.id", id},
           {"@odata.type", "#ComputerSystem.v1_20_0.ComputerSystem"},
           {"Id", std::to_string(node)},
           {"Name", "Node " + std::to_string(node)},
           {"SystemType", "Physical"}};
    MachineVPDInfo vpd{};
    if (library_.getMachineVPD(node, &vpd) == ERR_SUCCESS) {
        s["Model"] = text(vpd.machineType, sizeof vpd.machineType) + "-" + text(vpd.model, sizeof vpd.model);
        s["SerialNumber"] = text(vpd.serialNumber, sizeof vpd.serialNumber);
        std::string uuid = text(vpd.uuid, sizeof vpd.uuid);
        if (uuid.size() == 32) {
            std::transform(uuid.begin(), uuid.end(), uuid.begin(), [](char c) { return std::tolower(c); });
            s["UUID"] = uuid.substr(0, 8) + "-" + uuid.substr(8, 4) + "-" + uuid.substr(12, 4) + "-" +
                        uuid.substr(16, 4) + "-" + uuid.substr(20);
        }
    }
    SystemStateInfo state{};
    if (library_.getSystemState(node, &state) == ERR_SUCCESS) s["PowerState"] = state.powerStatusOn != 0 ? "On" : "Off";
    FirmwareInfo bios;
    if (library_.getFirmwareData(node, 0, &bios, 0) == ERR_SUCCESS) {
        s["BiosVersion"] = bios.revision.empty() ? bios.buildId : bios.revision;
    }
    std::string health = healthRollup(node);
    s["Status"] = Json{{"State", "Enabled"}, {"Health", health}, {"HealthRollup", health}};
    s["LogServices"] = link(id + "/LogServices");
    // The SP can neither override the boot source nor reset or power the system: both are present
    // and empty, which clients that require them (sushy among them) read as "nothing offered".
    s["Boot"] = Json::object();
    s["Actions"] = Json::object();
    s["Links"] = Json{{"Chassis", Json::array({link(nodePath("Chassis", node))})},
                      {"ManagedBy", Json::array({link(nodePath("Managers", node))})}};
    return s;
}

Json Service::logServices(int32_t node) {
    std::string base = nodePath("Systems", node) + "/LogServices";
    return collectionOf("#LogServiceCollection.LogServiceCollection", "Log Services", base,
                        Json::array({link(base + "/SEL")}));
}

Json Service::selService(int32_t node) {
    std::string id = nodePath("Systems", node) + "/LogServices/SEL";
    return Json{{"@odata.id", id},
                {"@odata.type", "#LogService.v1_4_0.LogService"},
                {"Id", "SEL"},
                {"Name", "System Event Log"},
                {"LogEntryType", "SEL"},
                {"Status", {{"State", "Enabled"}, {"Health", "OK"}}},
                {"Entries", link(id + "/Entries")},
                {"Actions", {{"#LogService.ClearLog", {{"target", id + "/Actions/LogService.ClearLog"}}}}}};
}

// The SP hands out its newest entry first; entries are numbered from 1 for the oldest, so an entry
// keeps its Id while newer ones arrive.
Reply Service::selEntries(int32_t node, const std::string* entryId) {
    std::string base = nodePath("Systems", node) + "/LogServices/SEL/Entries";
    std::vector<Json> entries;
    auto entry = std::make_unique<LogEntryInfo>();
    int32_t result = library_.getFirstLogEntry(node, entry.get());
    while (result == ERR_SUCCESS && entries.size() < kMostLogEntries) {
        std::string created = isoTime(text(entry->timestamp, sizeof entry->timestamp));
        Json e{{"@odata.type", "#LogEntry.v1_15_0.LogEntry"},
               {"Name", "SEL entry"},
               {"EntryType", "SEL"},
               {"Message", text(entry->message, sizeof entry->message)}};
        if (!created.empty()) e["Created"] = created;
        entries.push_back(std::move(e));
        *entry = LogEntryInfo{};
        result = library_.getNextLogEntry(node, entry.get());
    }
    if (result != ERR_SUCCESS && result != ERR_EMPTY) {
        return errorReply(500, "InternalError",
                          "The request failed due to an internal service error.  The service is still operational.");
    }
    std::reverse(entries.begin(), entries.end());
    Json members = Json::array();
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string id = std::to_string(i + 1);
        Json e{{"@odata.id", base + "/" + id}, {"Id", id}};
        e.update(entries[i]);
        if (entryId != nullptr && *entryId == id) {
            Reply r;
            r.body = e;
            return r;
        }
        members.push_back(e);
    }
    Reply r;
    if (entryId != nullptr) {
        r.status = 404;
        return r;
    }
    r.body = collectionOf("#LogEntryCollection.LogEntryCollection", "System Event Log Entries", base, members);
    return r;
}

// The SP's interfaces are numbered from 1; those that answer getDHCPEnable, up to the first that
// does not (at most kMostInterfaces).
std::vector<int32_t> Service::ethernetInterfaces(int32_t node) {
    constexpr int32_t kMostInterfaces = 8;
    std::vector<int32_t> interfaces;
    for (int32_t iface = 1; iface <= kMostInterfaces; ++iface) {
        int32_t dhcp = 0;
        if (library_.getDHCPEnable(node, iface, &dhcp) != ERR_SUCCESS) break;
        interfaces.push_back(iface);
    }
    return interfaces;
}

Json Service::ethernetInterface(int32_t node, int32_t iface) {
    std::string number = std::to_string(iface);
    Json doc{{"@odata.id", nodePath("Managers", node) + "/EthernetInterfaces/" + number},
             {"@odata.type", "#EthernetInterface.v1_10_0.EthernetInterface"},
             {"Id", number},
             {"Name", "SP interface " + number}};
    int32_t dhcp = 0;
    if (library_.getDHCPEnable(node, iface, &dhcp) == ERR_SUCCESS) doc["DHCPv4"] = Json{{"DHCPEnabled", dhcp != 0}};
    // The texts in use: the DHCP-assigned ones while a lease is held (source 1), else the static ones.
    char address[16] = {}, mask[16] = {}, gateway[16] = {};
    int32_t source = 0;
    if (library_.getIPConfigInfo(node, iface, address, mask, gateway, &source) == ERR_SUCCESS) {
        doc["IPv4Addresses"] = Json::array({Json{{"Address", text(address, sizeof address)},
                                                 {"SubnetMask", text(mask, sizeof mask)},
                                                 {"Gateway", text(gateway, sizeof gateway)},
                                                 {"AddressOrigin", source == 1 ? "DHCP" : "Static"}}});
        doc["Status"] = Json{{"State", "Enabled"}, {"Health", "OK"}};
    } else {
        doc["Status"] = Json{{"State", "UnavailableOffline"}, {"Health", nullptr}};
    }
    return doc;
}

Json Service::manager(int32_t node) {
    std::string id = nodePath("Managers", node);
    Json m{{"@odata.id", id},
           {"@odata.type", "#Manager.v1_17_0.Manager"},
           {"Id", std::to_string(node)},
           {"Name", "Service processor of node " + std::to_string(node)},
           {"ManagerType", "BMC"}};
    FirmwareInfo sp;
    if (library_.getFirmwareData(node, 4, &sp, 0) == ERR_SUCCESS) {
        m["FirmwareVersion"] = sp.revision.empty() ? sp.buildId : sp.revision;
        m["Status"] = Json{{"State", "Enabled"}, {"Health", "OK"}};
    } else {
        m["Status"] = Json{{"State", "UnavailableOffline"}, {"Health", nullptr}};
    }
    m["EthernetInterfaces"] = link(id + "/EthernetInterfaces");
    m["NetworkProtocol"] = link(id + "/NetworkProtocol");
    m["Links"] = Json{{"ManagerForServers", Json::array({link(nodePath("Systems", node))})},
                      {"ManagerForChassis", Json::array({link(nodePath("Chassis", node))})}};
    return m;
}

}  // namespace redfish
