// The header-only helpers of the host headers: result code names and the version. They add nothing
// to the library's exports (frame.ExportsExactlyTheTwoEntryPoints checks the built library).

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "yat/result_codes.h"
#include "yat/result_names.h"
#include "yat/version.h"

namespace {

struct NamedCode {
    int32_t code;
    const char* name;
};

// Every ERR_ code of yat/result_codes.h with its own identifier, read from the header when the build
// is configured: a code added there without a name here fails.
constexpr NamedCode kEveryResultCode[] = {
#include "result_code_table.inc"
};

static_assert(yat::resultName(ERR_BAD_ANSWER)[0] == 'E', "usable in constant expressions");

TEST(HostHelpers, EveryResultCodeIsNamedByItsIdentifier) {
    ASSERT_GE(std::size(kEveryResultCode), 14u);
    std::set<std::string> names;
    for (const NamedCode& entry : kEveryResultCode) {
        EXPECT_STREQ(yat::resultName(entry.code), entry.name) << "code " << entry.code;
        names.insert(yat::resultName(entry.code));
    }
    EXPECT_EQ(names.size(), std::size(kEveryResultCode)) << "two codes share a name";
}

TEST(HostHelpers, UnknownResultCodesGiveAnEmptyNameNeverNull) {
    for (int32_t code : {-1, 6, 10, 16, 238, 1000, INT32_MIN, INT32_MAX}) {
        const char* name = yat::resultName(code);
        ASSERT_NE(name, nullptr) << code;
        EXPECT_STREQ(name, "") << code;
    }
}

TEST(HostHelpers, VersionTextNumbersAndTheBuiltLibraryAgree) {
    std::string numbers = std::to_string(yat::kVersion.major) + "." + std::to_string(yat::kVersion.minor) + "." +
                          std::to_string(yat::kVersion.patch);
    EXPECT_EQ(numbers, yat::kVersionText);
    EXPECT_STREQ(YAT_VERSION_TEXT, yat::kVersionText);
    static_assert(YAT_VERSION == YAT_MAKE_VERSION(YAT_VERSION_MAJOR, YAT_VERSION_MINOR, YAT_VERSION_PATCH));
    static_assert(YAT_MAKE_VERSION(0, 10, 0) > YAT_MAKE_VERSION(0, 9, 9));
    static_assert(YAT_MAKE_VERSION(1, 0, 0) > YAT_MAKE_VERSION(0, 99, 99));
#ifndef _WIN32
    // The build takes its version from the header: libyat.so.<major>.<minor>.<patch>.
    std::string library = YAT_SHARED_LIBRARY_PATH;
    std::string suffix = std::string("/libyat.so.") + yat::kVersionText;
    ASSERT_GE(library.size(), suffix.size());
    EXPECT_EQ(library.substr(library.size() - suffix.size()), suffix) << library;
#endif
}

}  // namespace
