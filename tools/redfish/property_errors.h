#pragma once
// The Base registry answers to the properties of a body whose shape a PropertyRule table cannot state
// (nested objects, arrays), for the resources that check such bodies themselves.

#include <string>

#include "redfish/protocol.h"
#include "redfish/resources.h"

namespace redfish {

inline Reply malformedJson() {
    return errorReply(400, "MalformedJSON",
                      "The request body submitted was malformed JSON and could not be parsed by the receiving "
                      "service.");
}

// messageId one of PropertyValueTypeError, PropertyValueNotInList, PropertyValueFormatError,
// PropertyValueOutOfRange; key the property's name (a path for nested ones, "DHCPv4/DHCPEnabled").
inline Reply propertyValueError(const char* messageId, const std::string& key, const Json& value) {
    std::string what =
        std::string(messageId) == "PropertyValueTypeError"    ? "is of a different type than the property can accept."
        : std::string(messageId) == "PropertyValueNotInList"  ? "is not in the list of acceptable values."
        : std::string(messageId) == "PropertyValueOutOfRange" ? "is not in the supported range of acceptable values."
                                                              : "is not a format that the property can accept.";
    return errorReply(400, messageId, "The value '" + value.dump() + "' for the property " + key + " " + what,
                      {value.dump(), key});
}

inline Reply propertyUnknown(const std::string& key) {
    return errorReply(400, "PropertyUnknown",
                      "The property " + key + " is not in the list of valid properties for the resource.", {key});
}

inline Reply propertyNotWritable(const std::string& key) {
    return errorReply(400, "PropertyNotWritable",
                      "The property " + key + " is a read only property and cannot be assigned a value.", {key});
}

}  // namespace redfish
