// Sessions and the request gate (see sessions.h).

#include "redfish/sessions.h"

#include <ctime>

#include "redfish/protocol.h"
#include "sim/dotted.h"

namespace redfish {

namespace {

constexpr const char* kSessionServicePath = "/redfish/v1/SessionService";
constexpr const char* kSessionsPath = "/redfish/v1/SessionService/Sessions";
constexpr size_t kTokenBytes = 32;
constexpr size_t kIdBytes = 8;

Reply noValidSession() {
    return errorReply(401, "NoValidSession", "There is no valid session established with the implementation.");
}

}  // namespace

void SessionStore::expire(Clock::time_point now) {
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        it = now - it->second.lastUse >= timeout_ ? sessions_.erase(it) : std::next(it);
    }
}

std::optional<std::pair<std::string, SessionStore::Session>> SessionStore::open(const std::string& user, Role role,
                                                                                const std::string& origin,
                                                                                Clock::time_point now) {
    std::string token = randomHex(kTokenBytes);
    Session session{randomHex(kIdBytes), user, role, origin, isoNow(), now};
    std::lock_guard<std::mutex> lock(mutex_);
    expire(now);
    if (sessions_.size() >= kMost) return std::nullopt;
    sessions_[sha256Hex(token)] = session;
    return std::make_pair(token, session);
}

std::optional<SessionStore::Session> SessionStore::use(const std::string& token, Clock::time_point now) {
    std::string digest = sha256Hex(token);
    std::lock_guard<std::mutex> lock(mutex_);
    expire(now);
    auto found = sessions_.find(digest);
    if (found == sessions_.end()) return std::nullopt;
    found->second.lastUse = now;
    return found->second;
}

std::optional<SessionStore::Session> SessionStore::find(const std::string& id, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    expire(now);
    for (const auto& [digest, session] : sessions_) {
        if (session.id == id) return session;
    }
    return std::nullopt;
}

std::vector<SessionStore::Session> SessionStore::list(Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    expire(now);
    std::vector<Session> all;
    for (const auto& [digest, session] : sessions_) all.push_back(session);
    return all;
}

bool SessionStore::close(const std::string& id) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        if (it->second.id == id) {
            sessions_.erase(it);
            return true;
        }
    }
    return false;
}

std::chrono::seconds SessionStore::timeout() {
    std::lock_guard<std::mutex> lock(mutex_);
    return timeout_;
}

void SessionStore::setTimeout(std::chrono::seconds timeout) {
    std::lock_guard<std::mutex> lock(mutex_);
    timeout_ = timeout;
}

std::optional<Role> Gate::login(const std::string& name, const std::string& password, const std::string& address) {
    std::optional<Role> role;
    if (!limiter_.blocked(address)) role = users_.check(name, password);
    if (!role) {
        limiter_.failed(address);
        std::lock_guard<std::mutex> lock(logMutex_);
        log_ << "yat-redfishd: failed login as " << yatsim::printableExcerpt(name, 64) << " from " << address
             << std::endl;
        return std::nullopt;
    }
    limiter_.succeeded(address);
    return role;
}

std::optional<Caller> Gate::authenticate(const Request& request, Reply* refusal) {
    *refusal = noValidSession();
    if (!request.token.empty()) {
        std::optional<SessionStore::Session> session = sessions_.use(request.token);
        if (!session) return std::nullopt;
        return Caller{session->user, session->role, session->id};
    }
    std::optional<Credentials> credentials = basicCredentials(request.authorization);
    if (!credentials) return std::nullopt;
    std::optional<Role> role = login(credentials->name, credentials->password, request.address);
    if (!role) return std::nullopt;
    return Caller{credentials->name, *role, ""};
}

std::optional<Reply> Gate::answer(const Request& request) {
    std::vector<std::string> parts = splitPath(request.path);
    bool ours = parts.size() >= 3 && parts[0] == "redfish" && parts[1] == "v1" && parts[2] == "SessionService";
    if (ours && parts.size() == 4 && parts[3] == "Sessions" && request.method == "POST") return openSession(request);
    if (isPublic(request.path)) return std::nullopt;
    Reply refusal;
    std::optional<Caller> caller = authenticate(request, &refusal);
    if (!caller) return refusal;
    if (ours) return sessionService(request, &*caller, parts);
    if (!holds(caller->role, Service::required(request.method, request.path))) return insufficientPrivilege();
    return std::nullopt;
}

Json Gate::sessionServiceResource() {
    return Json{{"@odata.id", kSessionServicePath},
                {"@odata.type", "#SessionService.v1_1_9.SessionService"},
                {"Id", "SessionService"},
                {"Name", "Session Service"},
                {"ServiceEnabled", true},
                {"SessionTimeout", sessions_.timeout().count()},
                {"Status", {{"State", "Enabled"}, {"Health", "OK"}}},
                {"Sessions", {{"@odata.id", kSessionsPath}}}};
}

Json Gate::sessionResource(const SessionStore::Session& session) {
    return Json{{"@odata.id", std::string(kSessionsPath) + "/" + session.id},
                {"@odata.type", "#Session.v1_6_0.Session"},
                {"Id", session.id},
                {"Name", "User Session"},
                {"UserName", session.user},
                {"Password", nullptr},
                {"SessionType", "Redfish"},
                {"ClientOriginIPAddress", session.origin},
                {"CreatedTime", session.created}};
}

Reply Gate::openSession(const Request& request) {
    static const std::vector<PropertyRule> kRules = {{"UserName", ValueKind::String, {}, 1, 256},
                                                     {"Password", ValueKind::String, {}, 0, 1024}};
    Json template_{{"Id", ""}, {"Name", ""}, {"SessionType", ""}, {"ClientOriginIPAddress", ""}, {"CreatedTime", ""}};
    CheckedBody checked = checkBody(request.body, kRules, template_, {"UserName", "Password"});
    if (checked.error) return *checked.error;
    const std::string& name = checked.request["UserName"].get_ref<const std::string&>();
    std::optional<Role> role = login(name, checked.request["Password"].get<std::string>(), request.address);
    if (!role) return noValidSession();
    std::optional<std::pair<std::string, SessionStore::Session>> opened = sessions_.open(name, *role, request.address);
    if (!opened) {
        return errorReply(503, "SessionLimitExceeded",
                          "The session establishment failed due to the number of simultaneous sessions exceeding the "
                          "limit of the implementation.");
    }
    Reply r;
    r.status = 201;
    r.body = sessionResource(opened->second);
    r.headers.emplace_back("X-Auth-Token", opened->first);
    r.headers.emplace_back("Location", r.body["@odata.id"].get<std::string>());
    return r;
}

Reply Gate::sessionService(const Request& request, const Caller* caller, const std::vector<std::string>& parts) {
    const std::string& method = request.method;
    bool reading = method == "GET" || method == "HEAD";
    Reply r;
    if (parts.size() == 3) {
        r.allow = "GET, HEAD, PATCH";
        if (reading) {
            r.body = sessionServiceResource();
            return r;
        }
        if (method != "PATCH") return methodNotAllowed(r.allow);
        if (!holds(caller->role, Privilege::ConfigureManager)) return insufficientPrivilege();
        Json current = sessionServiceResource();
        if (!request.ifMatch.empty() && !etagMatches(request.ifMatch, etagOf(current))) return preconditionFailed();
        static const std::vector<PropertyRule> kRules = {
            {"SessionTimeout", ValueKind::Integer, {}, SessionStore::kLeastTimeout, SessionStore::kMostTimeout}};
        CheckedBody checked = checkBody(request.body, kRules, current);
        if (checked.error) return *checked.error;
        sessions_.setTimeout(std::chrono::seconds(checked.request["SessionTimeout"].get<int64_t>()));
        r.body = sessionServiceResource();
        return r;
    }
    if (parts[3] != "Sessions" || parts.size() > 5) return resourceNotFound(parts);
    bool administrator = caller->role == Role::Administrator;
    if (parts.size() == 4) {
        if (!reading) return methodNotAllowed("GET, HEAD, POST");
        r.allow = "GET, HEAD, POST";
        // An Administrator sees every session, anyone else their own.
        Json members = Json::array();
        for (const SessionStore::Session& s : sessions_.list()) {
            if (administrator || s.user == caller->name) {
                members.push_back(Json{{"@odata.id", std::string(kSessionsPath) + "/" + s.id}});
            }
        }
        r.body = collectionOf("#SessionCollection.SessionCollection", "Session Collection", kSessionsPath, members);
        return r;
    }
    std::optional<SessionStore::Session> session = sessions_.find(parts[4]);
    if (!session) return resourceNotFound(parts);
    if (!administrator && session->user != caller->name) return insufficientPrivilege();
    r.allow = "GET, HEAD, DELETE";
    if (reading) {
        r.body = sessionResource(*session);
        return r;
    }
    if (method != "DELETE") return methodNotAllowed(r.allow);
    sessions_.close(session->id);
    return successReply();
}

}  // namespace redfish
