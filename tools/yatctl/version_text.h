#pragma once
// What `yatctl --version` prints.

#include <string>

namespace yatctl {

// yatctl's version, the library version and SONAME it loads, and the comm device it opens the
// library with; one item a line.
std::string versionText();

}  // namespace yatctl
