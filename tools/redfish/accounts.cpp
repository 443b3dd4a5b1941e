// AccountService: the login accounts of the SP of node Service::kAccountsNode, numbered 0-11 as
// yatctl's accounts command numbers them, over getUserAccount and setUserAccount.
//
// Roles and the SP's authority: an SP account is an administrator, read-only, or of a custom
// authority (a bitmap of the SP's own whose bits have no Redfish privileges to map to). They are the
// roles Administrator, ReadOnly and Custom; an account can be made Administrator or ReadOnly, and
// any other RoleId (Operator, which the SP has no authority for, and Custom, which needs a bitmap)
// is refused. The SP has no disabled state: an account is enabled when it has a user name, Enabled
// false is refused (DELETE frees the account), and the slots without a user name are listed with
// Enabled false so that a client sees all twelve. Passwords are written only; the SP keeps 15
// characters of a password and of a user name, and a longer one is refused rather than cut.

#include <cstdio>
#include <cstring>
#include <optional>

#include "redfish/protocol.h"
#include "redfish/resources.h"
#include "yat/codes.h"
#include "yat/result_codes.h"

namespace redfish {

namespace {

constexpr uint32_t kAccountCount = 12;
constexpr int64_t kSpTextMost = 15;  // the SP's longest user name and password
constexpr const char* kAccountsBase = "/redfish/v1/AccountService/Accounts";
constexpr const char* kRolesBase = "/redfish/v1/AccountService/Roles";

// The roles, with the standard roles' privileges; Custom stands for the SP's custom authority.
struct RoleEntry {
    const char* id;
    std::vector<std::string> privileges;
    bool predefined;
};
const std::vector<RoleEntry>& roles() {
    static const std::vector<RoleEntry> table = {
        {"Administrator",
         {"Login", "ConfigureManager", "ConfigureUsers", "ConfigureSelf", "ConfigureComponents"},
         true},
        {"Operator", {"Login", "ConfigureSelf", "ConfigureComponents"}, true},
        {"ReadOnly", {"Login", "ConfigureSelf"}, true},
        {"Custom", {}, false}};
    return table;
}

const char* roleOfAuthority(int32_t authority) {
    switch (authority) {
        case yat::kAccountAdministrator: return "Administrator";
        case yat::kAccountReadOnly: return "ReadOnly";
        default: return "Custom";
    }
}

// What one account read told.
struct SpAccount {
    int32_t result = ERR_SUCCESS;
    bool inUse = false;
    std::string userName;
    int32_t authority = 0;
    uint32_t bitmap = 0;
};

// Reads the status and user ID in one call, the authority and bitmap in another: when the authority
// read falls back to DIALIN_FLAGS the library reads nothing after it.
SpAccount readAccount(cDeviceLib& library, uint32_t number) {
    SpAccount a;
    int32_t status = 0;
    char userId[32] = {};
    a.result = library.getUserAccount(Service::kAccountsNode, number, &status, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, userId, nullptr, nullptr);
    if (a.result != ERR_SUCCESS) return a;
    a.inUse = status == yat::kAccountInUse;
    a.userName = std::string(userId, strnlen(userId, sizeof userId));
    if (!a.inUse) return a;
    int32_t bitmap = 0;
    a.result = library.getUserAccount(Service::kAccountsNode, number, nullptr, &a.authority, nullptr, nullptr, &bitmap,
                                      nullptr, nullptr, nullptr, nullptr);
    a.bitmap = static_cast<uint32_t>(bitmap);
    return a;
}

// An account number in a path part ("0" to "11"), or nothing.
std::optional<uint32_t> accountNumber(const std::string& part) {
    if (part.empty() || part.size() > 2 || part.find_first_not_of("0123456789") != std::string::npos ||
        (part.size() > 1 && part[0] == '0'))
        return std::nullopt;
    auto number = static_cast<uint32_t>(std::stoul(part));
    if (number >= kAccountCount) return std::nullopt;
    return number;
}

Json roleResource(const RoleEntry& role) {
    Json r{{"@odata.id", std::string(kRolesBase) + "/" + role.id},
           {"@odata.type", "#Role.v1_3_1.Role"},
           {"Id", role.id},
           {"Name", std::string(role.id) + " role"},
           {"RoleId", role.id},
           {"IsPredefined", role.predefined},
           {"AssignedPrivileges", role.privileges}};
    if (!role.predefined) {
        r["Description"] =
            "The SP's custom authority: a bitmap of the SP's own per account, with no Redfish privileges to map to.";
    }
    return r;
}

// The writable properties of an account (a POST takes the same).
const std::vector<PropertyRule>& accountRules() {
    static const std::vector<PropertyRule> rules = {{"UserName", ValueKind::String, {}, 1, kSpTextMost, true},
                                                    {"Password", ValueKind::String, {}, 1, kSpTextMost, true},
                                                    {"RoleId", ValueKind::String, {"Administrator", "ReadOnly"}},
                                                    {"Enabled", ValueKind::Boolean}};
    return rules;
}

Reply accountFailure(int32_t result) {
    if (result == ERR_INVALID_PARAMETER) {
        return errorReply(400, "GeneralError",
                          "The SP refused the change of the account (result 12); items before the refused one may "
                          "have been written.");
    }
    return internalError();
}

}  // namespace

Reply Service::accountService(const std::string& method, const std::vector<std::string>& p, const std::string& body) {
    const size_t n = p.size();
    auto notFound = [&p]() { return resourceNotFound(p); };
    bool reading = method == "GET" || method == "HEAD";
    Reply r;
    if (n == 3) {
        if (!reading) return methodNotAllowed("GET, HEAD");
        r.allow = "GET, HEAD";
        r.body = Json{
            {"@odata.id", "/redfish/v1/AccountService"},
            {"@odata.type", "#AccountService.v1_13_0.AccountService"},
            {"Id", "AccountService"},
            {"Name", "Account Service"},
            {"Description", "The login accounts of the service processor of node " + std::to_string(kAccountsNode) +
                                "; this service's own users are those of its users file."},
            {"ServiceEnabled", true},
            {"MinPasswordLength", 1},
            {"MaxPasswordLength", kSpTextMost},
            {"Status", {{"State", "Enabled"}, {"Health", "OK"}}},
            {"Accounts", {{"@odata.id", kAccountsBase}}},
            {"Roles", {{"@odata.id", kRolesBase}}}};
        return r;
    }
    if (p[3] == "Roles") {
        if (n > 5) return notFound();
        if (!reading) return methodNotAllowed("GET, HEAD");
        r.allow = "GET, HEAD";
        Json members = Json::array();
        for (const RoleEntry& role : roles()) {
            if (n == 5 && p[4] == role.id) {
                r.body = roleResource(role);
                return r;
            }
            members.push_back(Json{{"@odata.id", std::string(kRolesBase) + "/" + role.id}});
        }
        if (n == 5) return notFound();
        r.body = collectionOf("#RoleCollection.RoleCollection", "Roles Collection", kRolesBase, members);
        return r;
    }
    if (p[3] != "Accounts" || n > 5) return notFound();
    if (n == 4) {
        if (method == "POST") return createAccount(body);
        if (!reading) return methodNotAllowed("GET, HEAD, POST");
        r.allow = "GET, HEAD, POST";
        Json members = Json::array();
        for (uint32_t i = 0; i < kAccountCount; ++i) {
            members.push_back(Json{{"@odata.id", std::string(kAccountsBase) + "/" + std::to_string(i)}});
        }
        r.body = collectionOf("#ManagerAccountCollection.ManagerAccountCollection", "Accounts Collection",
                              kAccountsBase, members);
        return r;
    }
    std::optional<uint32_t> number = accountNumber(p[4]);
    if (!number) return notFound();
    Reply result = reading              ? account(*number)
                   : method == "PATCH"  ? changeAccount(*number, body)
                   : method == "DELETE" ? deleteAccount(*number)
                                        : methodNotAllowed("");
    result.allow = "GET, HEAD, PATCH, DELETE";
    return result;
}

Reply Service::account(uint32_t number) {
    SpAccount a = readAccount(library_, number);
    if (a.result != ERR_SUCCESS) return internalError();
    std::string id = std::to_string(number);
    const char* role = a.inUse ? roleOfAuthority(a.authority) : "ReadOnly";
    Reply r;
    r.body = Json{{"@odata.id", std::string(kAccountsBase) + "/" + id},
                  {"@odata.type", "#ManagerAccount.v1_10_0.ManagerAccount"},
                  {"Id", id},
                  {"Name", "User Account"},
                  {"UserName", a.userName},
                  {"Password", nullptr},
                  {"RoleId", role},
                  {"Enabled", a.inUse},
                  {"Locked", false}};
    if (a.inUse && a.authority == yat::kAccountCustom) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08x", a.bitmap);
        r.body["Description"] = std::string("Custom SP authority, bitmap ") + hex;
    }
    r.body["Links"] = Json{{"Role", {{"@odata.id", std::string(kRolesBase) + "/" + role}}}};
    return r;
}

Reply Service::changeAccount(uint32_t number, const std::string& body) {
    Reply current = account(number);
    if (current.status != 200) return current;
    CheckedBody checked = checkBody(body, accountRules(), current.body);
    if (checked.error) return *checked.error;
    const Json& request = checked.request;
    bool inUse = current.body["Enabled"].get<bool>();
    if (request.contains("Enabled") && !request["Enabled"].get<bool>()) {
        return errorReply(400, "PropertyValueNotInList",
                          "The value 'false' for the property Enabled is not in the list of acceptable values.",
                          {"false", "Enabled"});
    }
    if (!inUse && !request.contains("UserName")) {
        return errorReply(400, "PropertyMissing",
                          "The property UserName is a required property and must be included in the request.",
                          {"UserName"});
    }
    if (request.contains("UserName")) {
        const std::string& name = request["UserName"].get_ref<const std::string&>();
        for (uint32_t other = 0; other < kAccountCount; ++other) {
            if (other == number) continue;
            SpAccount a = readAccount(library_, other);
            if (a.result != ERR_SUCCESS) return internalError();
            if (a.inUse && a.userName == name) {
                return errorReply(409, "ResourceAlreadyExists",
                                  "The requested resource of type ManagerAccount with the property UserName with the "
                                  "value " +
                                      name + " already exists.",
                                  {"ManagerAccount", "UserName", name});
            }
        }
    }
    int32_t authority = 0;
    if (request.contains("RoleId")) {
        authority = request["RoleId"] == "Administrator" ? yat::kAccountAdministrator : yat::kAccountReadOnly;
    }
    std::string name = request.value("UserName", std::string());
    std::string password = request.value("Password", std::string());
    int32_t result =
        library_.setUserAccount(kAccountsNode, number, nullptr, request.contains("RoleId") ? &authority : nullptr,
                                nullptr, request.contains("UserName") ? name.c_str() : nullptr,
                                request.contains("Password") ? password.c_str() : nullptr);
    std::fill(password.begin(), password.end(), '\0');
    if (result != ERR_SUCCESS) return accountFailure(result);
    return account(number);
}

Reply Service::createAccount(const std::string& body) {
    Json blank{{"Id", ""}, {"Name", ""}, {"Locked", false}, {"Links", nullptr}};
    CheckedBody checked = checkBody(body, accountRules(), blank, {"UserName", "Password", "RoleId"});
    if (checked.error) return *checked.error;
    std::optional<uint32_t> slot;
    for (uint32_t number = 0; number < kAccountCount && !slot; ++number) {
        SpAccount a = readAccount(library_, number);
        if (a.result != ERR_SUCCESS) return internalError();
        if (!a.inUse) slot = number;
    }
    if (!slot) {
        return errorReply(400, "CreateLimitReachedForResource",
                          "The create operation failed because the resource has reached the limit of possible "
                          "resources.");
    }
    Reply made = changeAccount(*slot, body);
    if (made.status != 200) {
        // Nothing half made stays behind: the slot is freed again.
        int32_t free = yat::kAccountFree;
        (void)library_.setUserAccount(kAccountsNode, *slot, &free, nullptr, nullptr, nullptr, nullptr);
        return made;
    }
    made.status = 201;
    made.headers.emplace_back("Location", made.body["@odata.id"].get<std::string>());
    return made;
}

Reply Service::deleteAccount(uint32_t number) {
    int32_t free = yat::kAccountFree;
    int32_t result = library_.setUserAccount(kAccountsNode, number, &free, nullptr, nullptr, nullptr, nullptr);
    if (result != ERR_SUCCESS) return accountFailure(result);
    return successReply();
}

}  // namespace redfish
