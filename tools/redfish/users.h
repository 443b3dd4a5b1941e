#pragma once
// The users yat-redfishd lets in: a file of one line per user, "NAME:ROLE:HASH", ROLE one of
// Administrator, Operator, ReadOnly and HASH a crypt(3) hash (yescrypt as hash-password prints it, or
// bcrypt). Blank lines and lines starting with '#' are skipped. The file holds password hashes, so
// it must be a regular file that only its owner can read or write.

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "redfish/resources.h"

namespace redfish {

enum class Role { ReadOnly, Operator, Administrator };

// The Redfish name of a role, and whether it holds a privilege (the standard roles' privileges:
// ReadOnly logs in, Operator also configures components, Administrator also the manager and the
// users).
const char* roleName(Role role);
bool holds(Role role, Privilege privilege);

struct User {
    std::string name;
    Role role = Role::ReadOnly;
    std::string hash;
};

// A users file that cannot be used: what is wrong, with the line number where there is one.
class UsersError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The users of a file's text (UsersError on a malformed line, an unknown role, a hash that is not
// of a known crypt method, or a name given twice).
std::vector<User> parseUsers(const std::string& text);

// Reads the users file (UsersError when it cannot be read, is not a regular file, can be read by
// group or others, or holds no user).
std::vector<User> loadUsers(const std::string& path);

// The role of name when password matches its hash; nothing otherwise. Takes as long for an
// unknown name as for a known one with a wrong password.
std::optional<Role> authenticate(const std::vector<User>& users, const std::string& name, const std::string& password);

// authenticate with a memory of recent successes: a yescrypt check costs about a tenth of a second,
// and Basic authentication sends the password with every request. Only a salted SHA-256 digest of
// name and password is kept (never the password), for kRemember after the check, at most kMost
// entries. Thread-safe.
class Authenticator {
public:
    static constexpr std::chrono::seconds kRemember{300};
    static constexpr size_t kMost = 256;
    using Clock = std::chrono::steady_clock;

    explicit Authenticator(std::vector<User> users);
    std::optional<Role> check(const std::string& name, const std::string& password,
                              Clock::time_point now = Clock::now());

private:
    std::string digest(const std::string& name, const std::string& password) const;

    const std::vector<User> users_;
    std::string salt_;  // random, per process
    std::mutex mutex_;
    std::map<std::string, std::pair<Role, Clock::time_point>> remembered_;  // digest -> role, when checked
};

// A yescrypt hash of password with a fresh salt (std::runtime_error when libcrypt cannot make one).
std::string hashPassword(const std::string& password);

}  // namespace redfish
