#pragma once
// The parts of the Redfish protocol every resource shares: the checks of a PATCH or POST body
// against a table of the properties a resource takes, the @odata.context and ETag of an answer, and
// the common replies.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "redfish/resources.h"

namespace redfish {

enum class ValueKind { Boolean, String, Integer };

// One property a resource takes in a PATCH or POST. Strings: the accepted values (none: any text of
// `least` to `most` bytes, `most` 0 for no limit; with `ascii` only printable ASCII characters).
// Integers: from `least` to `most`.
struct PropertyRule {
    std::string name;
    ValueKind kind = ValueKind::String;
    std::vector<std::string> accepted{};
    int64_t least = 0;
    int64_t most = 0;
    bool ascii = false;
};

// A request body after its checks: the object, or the 400 answer of the first fault.
struct CheckedBody {
    Json request = Json::object();
    std::optional<Reply> error;
};

// Parses body and checks each property against rules: malformed JSON or not an object
// (MalformedJSON), a property the rules do not name (PropertyNotWritable when resource has it,
// PropertyUnknown otherwise), a value of another type (PropertyValueTypeError), a string not among
// the accepted ones (PropertyValueNotInList), a text or number out of its range (PropertyValueError),
// a name of `required` missing (PropertyMissing), and an empty object (PropertyMissing of the first
// rule's name).
CheckedBody checkBody(const std::string& body, const std::vector<PropertyRule>& rules, const Json& resource,
                      const std::vector<std::string>& required = {});

// The weak ETag of a resource's body (W/"…", from a SHA-256 of the body without @odata.etag and
// @odata.context).
std::string etagOf(const Json& body);
// Whether an If-Match header value lets a change of a resource with that ETag go ahead ("*", or a
// list of ETags that holds it).
bool etagMatches(const std::string& ifMatch, const std::string& etag);

// Adds what an answer of 2xx carries besides the resource itself: @odata.context from @odata.type
// on resources and collections, and on a single resource @odata.etag and the ETag header.
void decorate(Reply& reply);

// A collection resource of members (their links).
Json collectionOf(const std::string& type, const std::string& name, const std::string& base, const Json& members);

// The common replies: 200 with the Base Success message, 500 InternalError, 412 PreconditionFailed,
// 403 InsufficientPrivilege, 405 with the methods the resource takes, 404 ResourceNotFound.
Reply successReply();
Reply internalError();
Reply preconditionFailed();
Reply insufficientPrivilege();
Reply methodNotAllowed(const std::string& allow);
// 404 ResourceNotFound for the path of parts.
Reply resourceNotFound(const std::vector<std::string>& parts);

// The Base registry's 400 answers to a body's faults, for checkBody and for the resources whose
// bodies a rule table cannot describe (nested objects, arrays) and that check them themselves. key is
// the property's name, a path for a nested one ("DHCPv4/DHCPEnabled"); a value is shown bounded.
Reply malformedJson();
Reply propertyUnknown(const std::string& key);
Reply propertyNotWritable(const std::string& key);
Reply propertyMissing(const std::string& key);
// messageId one of PropertyValueTypeError, PropertyValueNotInList, PropertyValueFormatError,
// PropertyValueOutOfRange.
Reply propertyValueError(const char* messageId, const std::string& key, const Json& value);

// A body as sent: compact JSON. Texts from the SP are bytes, not always UTF-8: a byte that is not
// valid UTF-8 is sent as U+FFFD instead of failing the whole answer.
std::string jsonText(const Json& body);

// The time now as ISO 8601 in UTC ("2026-12-08T22:10:37+00:00").
std::string isoNow();

// The lower-case hex SHA-256 of text.
std::string sha256Hex(const std::string& text);
// count random bytes (OpenSSL's generator) as lower-case hex; std::runtime_error when it fails.
std::string randomHex(size_t count);

}  // namespace redfish
