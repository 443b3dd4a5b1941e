#pragma once
// Sessions and the gate every request passes: SessionStore keeps the sessions POST .../Sessions
// opens (X-Auth-Token), Gate authenticates a request (Basic or X-Auth-Token), checks the caller's
// privilege for the resource, and answers the SessionService resources itself. No socket here.

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "redfish/http_front.h"
#include "redfish/resources.h"
#include "redfish/users.h"

namespace redfish {

// The sessions: a token (32 random bytes as hex) is handed out once and kept only as its SHA-256
// digest; a session ends on DELETE or when it has not been used for the session timeout. At most
// kMost at once (expired ones are dropped first). Thread-safe.
class SessionStore {
public:
    static constexpr size_t kMost = 64;
    static constexpr std::chrono::seconds kDefaultTimeout{1800};
    static constexpr int64_t kLeastTimeout = 30, kMostTimeout = 86400;  // seconds, as SessionTimeout takes them
    using Clock = std::chrono::steady_clock;

    struct Session {
        std::string id;  // random, not derived from the token
        std::string user;
        Role role = Role::ReadOnly;
        std::string origin;   // the client's address
        std::string created;  // ISO 8601
        Clock::time_point lastUse{};
    };

    // A new session's token and record, or nothing when kMost sessions are open.
    std::optional<std::pair<std::string, Session>> open(const std::string& user, Role role, const std::string& origin,
                                                        Clock::time_point now = Clock::now());
    // The session of a token, its idle time restarted; nothing for an unknown or expired token.
    std::optional<Session> use(const std::string& token, Clock::time_point now = Clock::now());
    std::optional<Session> find(const std::string& id, Clock::time_point now = Clock::now());
    std::vector<Session> list(Clock::time_point now = Clock::now());
    bool close(const std::string& id);

    std::chrono::seconds timeout();
    void setTimeout(std::chrono::seconds timeout);

private:
    void expire(Clock::time_point now);  // with mutex_ held

    std::mutex mutex_;
    std::chrono::seconds timeout_ = kDefaultTimeout;
    std::map<std::string, Session> sessions_;  // token digest -> session
};

// What the gate needs of an HTTP request.
struct Request {
    std::string method, path, body;
    std::string authorization, token, ifMatch;  // the Authorization, X-Auth-Token and If-Match headers
    std::string address;                        // the client's
};

// Who made a request.
struct Caller {
    std::string name;
    Role role = Role::ReadOnly;
    std::string sessionId;  // "" under Basic authentication
};

class Gate {
public:
    // Failed logins are written to log ("yat-redfishd: failed login as NAME from ADDRESS"), never
    // with the password.
    Gate(Authenticator& users, SessionStore& sessions, LoginLimiter& limiter, std::ostream& log)
        : users_(users), sessions_(sessions), limiter_(limiter), log_(log) {}

    // The answer the gate gives itself (a refusal, or a SessionService resource), or nothing when
    // the request goes on to the resources.
    std::optional<Reply> answer(const Request& request);

private:
    // The caller, or the 401 answer.
    std::optional<Caller> authenticate(const Request& request, Reply* refusal);
    std::optional<Role> login(const std::string& name, const std::string& password, const std::string& address);
    Reply sessionService(const Request& request, const Caller* caller, const std::vector<std::string>& parts);
    Reply openSession(const Request& request);
    Json sessionResource(const SessionStore::Session& session);
    Json sessionServiceResource();

    Authenticator& users_;
    SessionStore& sessions_;
    LoginLimiter& limiter_;
    std::ostream& log_;
    std::mutex logMutex_;
};

}  // namespace redfish
