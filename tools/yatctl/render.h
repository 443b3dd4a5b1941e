#pragma once
// The human form of a yatctl document: objects become aligned "label  value" lines, nested objects
// indented blocks under their label, arrays of flat objects aligned tables, arrays of nested objects
// one block per element. Labels come from the member names ("powerOnHours" -> "Power on hours");
// a member named "result" shows its code with the code's name ("ok" for 0).

#include <string>

#include "yatctl/subcommand.h"

namespace yatctl {

std::string renderText(const Document& doc);

// "powerOnHours" -> "Power on hours", "fruNumber" -> "FRU number".
std::string labelFor(const std::string& key);

}  // namespace yatctl
