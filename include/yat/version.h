#pragma once
// The version of the host headers an agent is built with: the library's version that shipped them.
// The build reads its version from here, so the shared library, its SONAME (libyat.so.<major>), the
// CMake package and the pkg-config files all carry these numbers. The major number changes only
// with the binary interface; an agent built against major N runs on any libyat.so.N.
// Header only: the library exports nothing beyond openLibrary and closeLibrary.

#define YAT_VERSION_MAJOR 0
#define YAT_VERSION_MINOR 1
#define YAT_VERSION_PATCH 0

// One number for preprocessor tests: #if YAT_VERSION >= YAT_MAKE_VERSION(0, 2, 0).
#define YAT_MAKE_VERSION(major, minor, patch) ((major)*10000 + (minor)*100 + (patch))
#define YAT_VERSION YAT_MAKE_VERSION(YAT_VERSION_MAJOR, YAT_VERSION_MINOR, YAT_VERSION_PATCH)

#define YAT_VERSION_TEXT_(major, minor, patch) #major "." #minor "." #patch
#define YAT_VERSION_TEXT_OF_(major, minor, patch) YAT_VERSION_TEXT_(major, minor, patch)
// "0.1.0"
#define YAT_VERSION_TEXT YAT_VERSION_TEXT_OF_(YAT_VERSION_MAJOR, YAT_VERSION_MINOR, YAT_VERSION_PATCH)

namespace yat {

struct Version {
    int major;
    int minor;
    int patch;
};

constexpr Version kVersion{YAT_VERSION_MAJOR, YAT_VERSION_MINOR, YAT_VERSION_PATCH};
constexpr const char* kVersionText = YAT_VERSION_TEXT;

}  // namespace yat
