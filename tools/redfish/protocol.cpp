// The shared protocol parts of the Redfish resources (see protocol.h).

#include "redfish/protocol.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace redfish {

namespace {

// A value as a message argument: texts without their quotes, other values as JSON (bounded, as it
// comes from the client).
std::string shown(const Json& value) {
    std::string text = value.is_string() ? value.get<std::string>() : jsonText(value);
    if (text.size() > 64) text = text.substr(0, 64) + "...";
    return text;
}

bool printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

bool ofKind(const Json& value, ValueKind kind) {
    switch (kind) {
        case ValueKind::Boolean: return value.is_boolean();
        case ValueKind::Integer: return value.is_number_integer();
        default: return value.is_string();
    }
}

// The fault of one property's value, or nothing.
std::optional<Reply> valueFault(const PropertyRule& rule, const Json& value) {
    const std::string& key = rule.name;
    if (!ofKind(value, rule.kind)) {
        return propertyValueError("PropertyValueTypeError", key, value);
    }
    if (rule.kind == ValueKind::String && !rule.accepted.empty()) {
        if (std::find(rule.accepted.begin(), rule.accepted.end(), value.get<std::string>()) == rule.accepted.end()) {
            return propertyValueError("PropertyValueNotInList", key, value);
        }
        return std::nullopt;
    }
    bool inRange = true;
    if (rule.kind == ValueKind::String) {
        const std::string& text = value.get_ref<const std::string&>();
        auto size = static_cast<int64_t>(text.size());
        inRange = (!rule.ascii || printable(text)) && size >= rule.least && (rule.most == 0 || size <= rule.most);
    } else if (rule.kind == ValueKind::Integer) {
        inRange = value.is_number_unsigned() ? value.get<uint64_t>() <= static_cast<uint64_t>(rule.most) &&
                                                   static_cast<int64_t>(value.get<uint64_t>()) >= rule.least
                                             : value.get<int64_t>() >= rule.least && value.get<int64_t>() <= rule.most;
    }
    if (!inRange) {
        return errorReply(400, "PropertyValueError", "The value provided for the property " + key + " is not valid.",
                          {key});
    }
    return std::nullopt;
}

}  // namespace

Reply malformedJson() {
    return errorReply(400, "MalformedJSON",
                      "The request body submitted was malformed JSON and could not be parsed by the receiving "
                      "service.");
}

Reply propertyUnknown(const std::string& key) {
    return errorReply(400, "PropertyUnknown",
                      "The property " + key + " is not in the list of valid properties for the resource.", {key});
}

Reply propertyNotWritable(const std::string& key) {
    return errorReply(400, "PropertyNotWritable",
                      "The property " + key + " is a read only property and cannot be assigned a value.", {key});
}

Reply propertyMissing(const std::string& key) {
    return errorReply(400, "PropertyMissing",
                      "The property " + key + " is a required property and must be included in the request.", {key});
}

Reply propertyValueError(const char* messageId, const std::string& key, const Json& value) {
    std::string id = messageId;
    const char* what = id == "PropertyValueTypeError"    ? "is of a different type than the property can accept."
                       : id == "PropertyValueNotInList"  ? "is not in the list of acceptable values."
                       : id == "PropertyValueOutOfRange" ? "is not in the supported range of acceptable values."
                                                         : "is not a format that the property can accept.";
    return errorReply(400, id, "The value '" + shown(value) + "' for the property " + key + " " + what,
                      {shown(value), key});
}

CheckedBody checkBody(const std::string& body, const std::vector<PropertyRule>& rules, const Json& resource,
                      const std::vector<std::string>& required) {
    CheckedBody checked;
    Json request = Json::parse(body, nullptr, false);
    if (request.is_discarded() || !request.is_object()) {
        checked.error = malformedJson();
        return checked;
    }
    for (const auto& [key, value] : request.items()) {
        auto rule = std::find_if(rules.begin(), rules.end(), [&key](const PropertyRule& r) { return r.name == key; });
        if (rule == rules.end()) {
            std::string name = key.size() > 64 ? key.substr(0, 64) + "..." : key;
            checked.error =
                resource.is_object() && resource.contains(key) ? propertyNotWritable(name) : propertyUnknown(name);
            return checked;
        }
        if ((checked.error = valueFault(*rule, value))) return checked;
    }
    for (const std::string& name : required) {
        if (!request.contains(name)) {
            checked.error = propertyMissing(name);
            return checked;
        }
    }
    if (request.empty() && !rules.empty()) {
        checked.error = propertyMissing(rules.front().name);
        return checked;
    }
    checked.request = std::move(request);
    return checked;
}

std::string jsonText(const Json& body) { return body.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string isoNow() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S+00:00", &utc);
    return text;
}

std::string sha256Hex(const std::string& text) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(text.data(), text.size(), out, &size, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
    static const char* const kHex = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += kHex[out[i] >> 4];
        hex += kHex[out[i] & 0xF];
    }
    return hex;
}

std::string randomHex(size_t count) {
    std::string bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count)) != 1) {
        throw std::runtime_error("no random bytes");
    }
    static const char* const kHex = "0123456789abcdef";
    std::string hex;
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0xF];
    }
    return hex;
}

std::string etagOf(const Json& body) {
    Json plain = body;
    if (plain.is_object()) {
        plain.erase("@odata.etag");
        plain.erase("@odata.context");
    }
    return "W/\"" + sha256Hex(jsonText(plain)).substr(0, 16) + "\"";
}

bool etagMatches(const std::string& ifMatch, const std::string& etag) {
    // A comma-separated list; each entry compared whole after trimming blanks.
    size_t start = 0;
    while (start <= ifMatch.size()) {
        size_t end = ifMatch.find(',', start);
        if (end == std::string::npos) end = ifMatch.size();
        std::string entry = ifMatch.substr(start, end - start);
        entry.erase(0, entry.find_first_not_of(" \t"));
        entry.erase(entry.find_last_not_of(" \t") + 1);
        if (entry == "*" || entry == etag) return true;
        start = end + 1;
    }
    return false;
}

void decorate(Reply& reply) {
    if (reply.status < 200 || reply.status > 299 || !reply.body.is_object()) return;
    auto type = reply.body.find("@odata.type");
    if (type == reply.body.end() || !type->is_string() || reply.body.contains("@odata.context")) return;
    // "#Chassis.v1_23_0.Chassis" -> Chassis.Chassis; "#ChassisCollection.ChassisCollection" as it is.
    const std::string& name = type->get_ref<const std::string&>();
    size_t dot = name.find('.');
    size_t last = name.rfind('.');
    if (name.size() < 2 || name[0] != '#' || dot == std::string::npos) return;
    std::string context = "/redfish/v1/$metadata#" + name.substr(1, dot - 1) + "." + name.substr(last + 1);
    bool single = name.find("Collection.") == std::string::npos;
    Json decorated = Json::object();
    decorated["@odata.context"] = context;
    std::string etag = single ? etagOf(reply.body) : "";
    for (auto& [key, value] : reply.body.items()) decorated[key] = std::move(value);
    if (single) {
        decorated["@odata.etag"] = etag;
        reply.headers.emplace_back("ETag", etag);
    }
    reply.body = std::move(decorated);
}

Json collectionOf(const std::string& type, const std::string& name, const std::string& base, const Json& members) {
    return Json{{"@odata.id", base},
                {"@odata.type", type},
                {"Name", name},
                {"Members@odata.count", members.size()},
                {"Members", members}};
}

Reply successReply() {
    Reply done;
    done.body = Json{{"@Message.ExtendedInfo", Json::array({Json{{"@odata.type", "#Message.v1_1_1.Message"},
                                                                 {"MessageId", std::string(kBaseRegistry) + ".Success"},
                                                                 {"Message", "The request completed successfully."},
                                                                 {"MessageArgs", Json::array()},
                                                                 {"Severity", "OK"},
                                                                 {"Resolution", "None."}}})}};
    return done;
}

Reply internalError() {
    return errorReply(500, "InternalError",
                      "The request failed due to an internal service error.  The service is still operational.");
}

Reply preconditionFailed() {
    return errorReply(412, "PreconditionFailed",
                      "The ETag supplied did not match the ETag required to change this resource.");
}

Reply insufficientPrivilege() {
    return errorReply(403, "InsufficientPrivilege",
                      "There are insufficient privileges for the account or credentials associated with the current "
                      "session to perform the requested operation.");
}

Reply methodNotAllowed(const std::string& allow) {
    Reply refused = errorReply(405, "OperationNotAllowed", "The HTTP method is not allowed on this resource.");
    refused.allow = allow;
    return refused;
}

Reply resourceNotFound(const std::vector<std::string>& parts) {
    std::string path;
    for (const std::string& part : parts) path += "/" + part;
    if (path.size() > 256) path = path.substr(0, 256) + "...";
    return errorReply(404, "ResourceNotFound",
                      "The requested resource of type Resource named '" + path + "' was not found.",
                      {"Resource", path});
}

}  // namespace redfish
