#pragma once
// The HTTP side of yat-redfishd that does not need a socket: the listen address, Basic credentials,
// which paths need no login, the $metadata document, and the failed-login limit.

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace redfish {

struct ListenAddress {
    std::string host;  // without brackets ("::1")
    int port = 0;      // 0: any free port
};

// "ADDRESS:PORT", "[V6ADDRESS]:PORT" (std::invalid_argument with the reason otherwise).
ListenAddress parseListen(const std::string& text);
// 127.0.0.0/8, ::1 and "localhost".
bool isLoopback(const std::string& host);

struct Credentials {
    std::string name, password;
};
// The name and password of an "Authorization: Basic ..." header, or nothing when it is not one.
std::optional<Credentials> basicCredentials(const std::string& header);

// The service root, /redfish, $metadata and the OData service document answer without a login.
bool isPublic(const std::string& path);

// The CSDL document at /redfish/v1/$metadata: the schemas the served resources use.
const std::string& metadataDocument();

// Failed logins per client address: after kMostFailures within kWindow, that address is refused
// without a password check until the window has passed. Thread-safe; bounded (kMostClients).
class LoginLimiter {
public:
    static constexpr int kMostFailures = 5;
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr size_t kMostClients = 4096;

    using Clock = std::chrono::steady_clock;
    bool blocked(const std::string& address, Clock::time_point now = Clock::now());
    void failed(const std::string& address, Clock::time_point now = Clock::now());
    void succeeded(const std::string& address);

private:
    struct Record {
        int failures = 0;
        Clock::time_point first{};
    };
    std::mutex mutex_;
    std::map<std::string, Record> records_;
};

}  // namespace redfish
