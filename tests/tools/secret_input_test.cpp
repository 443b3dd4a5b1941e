// Secrets read from standard input: one line, bounded by the field's capacity, refused at once when
// longer (an endless source included), holding a NUL byte, or missing.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "yatctl/config_options.h"
#include "yatctl/session.h"

namespace {

struct SecretCase {
    const char* name;
    std::string input;
    std::string secret;   // what is read, when accepted
    const char* refusal;  // a word of the message, or nullptr when accepted
    size_t leftUnread;    // input the reader must not have taken
};

class SecretInput : public ::testing::TestWithParam<SecretCase> {};

TEST_P(SecretInput, IsReadWithinTheCapacity) {
    const SecretCase& c = GetParam();
    std::istringstream in(c.input);
    if (c.refusal == nullptr) {
        EXPECT_EQ(yatctl::readSecretFrom(in, "Password", 15), c.secret);
    } else {
        try {
            yatctl::readSecretFrom(in, "Password", 15);
            ADD_FAILURE() << "accepted";
        } catch (const yatctl::UsageError& error) {
            std::string message = error.what();
            EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
            EXPECT_EQ(message.find("ABCDEFGHIJKLMNOP"), std::string::npos) << "the secret is in the message";
        }
    }
    std::string rest(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(rest.size(), c.leftUnread);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SecretInput,
    ::testing::Values(SecretCase{"Line", "s3cret\nnext", "s3cret", nullptr, 4},
                      SecretCase{"CrLf", "s3cret\r\n", "s3cret", nullptr, 0},
                      SecretCase{"NoLineEnd", "s3cret", "s3cret", nullptr, 0},
                      SecretCase{"Empty", "\n", "", nullptr, 0},
                      SecretCase{"FullCapacity", "ABCDEFGHIJKLMNO\r\n", "ABCDEFGHIJKLMNO", nullptr, 0},
                      SecretCase{"OneTooMany", "ABCDEFGHIJKLMNOP\n", "", "longer than 15 characters", 0},
                      SecretCase{"Endless", "ABCDEFGHIJKLMNOPQ" + std::string(100000, 'x'), "",
                                 "longer than 15 characters", 100000},
                      SecretCase{"Nul", std::string("ab\0cd\n", 6), "", "NUL byte", 3},
                      SecretCase{"Nothing", "", "", "nothing on standard input", 0}),
    [](const ::testing::TestParamInfo<SecretCase>& info) { return std::string(info.param.name); });

}  // namespace
