#include "yatctl/version_text.h"

#include "yat/version.h"

namespace yatctl {

std::string versionText() {
    std::string text = "yatctl " YAT_VERSION_TEXT "\n";
    // yatctl is built with the library's host headers of the same version: it loads a library whose
    // major number (its SONAME) matches.
    text += "libyat " YAT_VERSION_TEXT " (SONAME " YAT_LIBRARY_SONAME ")\n";
    // The comm device yatctl opens the library with.
    text += "comm device: the simulator (the scenario of --scenario, or the built-in two-node server)";
    return text;
}

}  // namespace yatctl
