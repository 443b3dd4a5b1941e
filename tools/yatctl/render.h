#pragma once
// The human form of a yatctl document: objects become aligned "label  value" lines, nested objects
// indented blocks under their label, arrays of flat objects aligned tables, arrays of nested objects
// one block per element. Labels come from the member names ("powerOnHours" -> "Power on hours");
// a member named "result" shows its code with the code's name ("ok" for 0).
//
// Texts in a document may come from the SP (VPD and firmware texts) and hold any bytes. Both forms
// stay usable and safe on a terminal whatever they hold: bytes that are not valid UTF-8 become
// U+FFFD in JSON and '?' in the human form, and the human form shows control characters as '?'.

#include <string>

#include "yatctl/subcommand.h"

namespace yatctl {

std::string renderText(const Document& doc);

// The JSON form (indented by 2), never failing on a text that is not valid UTF-8.
std::string renderJson(const Document& doc);

// "powerOnHours" -> "Power on hours", "fruNumber" -> "FRU number".
std::string labelFor(const std::string& key);

}  // namespace yatctl
