// The users file and password checks (see users.h), with Debian's libcrypt: crypt_gensalt_ra for a
// yescrypt salt and crypt_r to hash and to check.

#include "redfish/users.h"

#include <crypt.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>

namespace redfish {

namespace {

constexpr size_t kMaxFile = 1024 * 1024;
constexpr size_t kMaxPassword = 1024;  // longer passwords are refused before hashing

// A hash of a crypt method that is fit for passwords: yescrypt ($y$), bcrypt ($2b$, $2y$), or
// SHA-512 crypt ($6$).
bool knownHash(const std::string& hash) {
    for (const char* prefix : {"$y$", "$2b$", "$2y$", "$6$", "$gy$"}) {
        if (hash.rfind(prefix, 0) == 0 && hash.size() > std::strlen(prefix) + 8) return true;
    }
    return false;
}

std::optional<Role> roleOf(const std::string& word) {
    if (word == "Administrator") return Role::Administrator;
    if (word == "Operator") return Role::Operator;
    if (word == "ReadOnly") return Role::ReadOnly;
    return std::nullopt;
}

// crypt_r of password with setting (a hash, or a salt), or "" when libcrypt refuses.
std::string cryptText(const std::string& password, const std::string& setting) {
    auto data = std::make_unique<crypt_data>();
    std::memset(data.get(), 0, sizeof(crypt_data));
    const char* out = crypt_r(password.c_str(), setting.c_str(), data.get());
    std::string result = out != nullptr && out[0] != '*' ? out : "";
    explicit_bzero(data.get(), sizeof(crypt_data));
    return result;
}

// Compares without stopping at the first difference.
bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

}  // namespace

const char* roleName(Role role) {
    switch (role) {
        case Role::Administrator: return "Administrator";
        case Role::Operator: return "Operator";
        default: return "ReadOnly";
    }
}

bool holds(Role role, Privilege privilege) {
    switch (privilege) {
        case Privilege::Login: return true;
        case Privilege::ConfigureComponents: return role != Role::ReadOnly;
        // ConfigureManager and ConfigureUsers
        default: return role == Role::Administrator;
    }
}

std::vector<User> parseUsers(const std::string& text) {
    std::vector<User> users;
    std::set<std::string> names;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::string where = "line " + std::to_string(number) + ": ";
        size_t first = line.find(':');
        size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) throw UsersError(where + "expected NAME:ROLE:HASH");
        User user;
        user.name = line.substr(0, first);
        std::string role = line.substr(first + 1, second - first - 1);
        user.hash = line.substr(second + 1);
        if (user.name.empty() || user.name.size() > 64) throw UsersError(where + "a name of 1 to 64 characters");
        std::optional<Role> known = roleOf(role);
        if (!known) throw UsersError(where + "role must be Administrator, Operator or ReadOnly");
        user.role = *known;
        if (!knownHash(user.hash)) {
            throw UsersError(where + "the hash is not a yescrypt, bcrypt or SHA-512 crypt hash (see hash-password)");
        }
        if (!names.insert(user.name).second) throw UsersError(where + "user " + user.name + " is given twice");
        users.push_back(std::move(user));
    }
    return users;
}

std::vector<User> loadUsers(const std::string& path) {
    // The checks are made on the open descriptor, so the file read is the file checked; opened
    // without blocking, a FIFO put in its place is refused instead of waited on.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw UsersError(std::string("cannot read it: ") + std::strerror(errno));
    std::unique_ptr<int, void (*)(int*)> closer(&fd, [](int* open) { ::close(*open); });
    struct stat info {};
    if (::fstat(fd, &info) != 0) throw UsersError(std::string("cannot read it: ") + std::strerror(errno));
    if (!S_ISREG(info.st_mode)) throw UsersError("not a regular file");
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        throw UsersError("group or others may read or write it; make it private (chmod 600)");
    }
    if (static_cast<size_t>(info.st_size) > kMaxFile) throw UsersError("larger than 1 MiB");
    std::string text;
    char piece[4096];
    for (;;) {
        ssize_t got = ::read(fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw UsersError(std::string("cannot read it: ") + std::strerror(errno));
        if (got == 0) break;
        text.append(piece, static_cast<size_t>(got));
        if (text.size() > kMaxFile) throw UsersError("larger than 1 MiB");
    }
    std::vector<User> users = parseUsers(text);
    if (users.empty()) throw UsersError("holds no user");
    return users;
}

std::optional<Role> authenticate(const std::vector<User>& users, const std::string& name, const std::string& password) {
    if (password.size() > kMaxPassword || password.find('\0') != std::string::npos) return std::nullopt;
    const User* found = nullptr;
    for (const User& user : users) {
        if (user.name == name) found = &user;
    }
    // An unknown name still costs one hash, against the first user's setting.
    const std::string& hash = found != nullptr ? found->hash : users.front().hash;
    std::string computed = cryptText(password, hash);
    if (found == nullptr || computed.empty() || !sameText(computed, found->hash)) return std::nullopt;
    return found->role;
}

Authenticator::Authenticator(std::vector<User> users) : users_(std::move(users)), salt_(32, '\0') {
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt_.data()), static_cast<int>(salt_.size())) != 1) {
        throw std::runtime_error("no random bytes for the login memory");
    }
}

std::string Authenticator::digest(const std::string& name, const std::string& password) const {
    std::string input = salt_ + name + '\0' + password;
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(input.data(), input.size(), out, &size, EVP_sha256(), nullptr) != 1) size = 0;
    explicit_bzero(input.data(), input.size());
    return std::string(reinterpret_cast<const char*>(out), size);
}

std::optional<Role> Authenticator::check(const std::string& name, const std::string& password, Clock::time_point now) {
    std::string key = digest(name, password);
    if (!key.empty()) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = remembered_.find(key);
        if (found != remembered_.end() && now - found->second.second < kRemember) return found->second.first;
        if (found != remembered_.end()) remembered_.erase(found);
    }
    std::optional<Role> role = authenticate(users_, name, password);
    if (role && !key.empty()) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (remembered_.size() >= kMost) {
            for (auto it = remembered_.begin(); it != remembered_.end();) {
                it = now - it->second.second >= kRemember ? remembered_.erase(it) : std::next(it);
            }
            if (remembered_.size() >= kMost) remembered_.erase(remembered_.begin());
        }
        remembered_[key] = {*role, now};
    }
    return role;
}

std::string hashPassword(const std::string& password) {
    if (password.size() > kMaxPassword) throw std::runtime_error("the password is longer than 1024 characters");
    char* salt = crypt_gensalt_ra("$y$", 0, nullptr, 0);
    if (salt == nullptr) throw std::runtime_error(std::string("no yescrypt salt: ") + std::strerror(errno));
    std::string setting = salt;
    std::free(salt);
    std::string hash = cryptText(password, setting);
    if (hash.empty()) throw std::runtime_error("libcrypt could not hash the password");
    return hash;
}

}  // namespace redfish
