// yatctl accounts: the twelve login accounts; `accounts set N` changes one. Passwords are read from
// standard input (--password-stdin), never from the command line, and never shown.

#include <CLI/CLI.hpp>

#include "yat/device_lib.h"
#include "yatctl/config_options.h"
#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr uint32_t kAccounts = 12;

const char* statusName(int32_t status) {
    switch (status) {
        case 1: return "in use";
        case 3: return "free";
        default: return "unknown";
    }
}

Document account(Session& session, uint32_t node, uint32_t instance) {
    int32_t status = 0;
    int32_t authority = 0;
    char description[32] = {};
    int32_t bitmap = 0;
    char userId[32] = {};
    int32_t result = session.check(session.library().getUserAccount(static_cast<int32_t>(node), instance, &status,
                                                                    &authority, description, nullptr, &bitmap, nullptr,
                                                                    userId, nullptr, nullptr));
    Document row{{"account", instance}, {"result", result}};
    if (result != 0) return row;
    row["status"] = statusName(status);
    row["userId"] = bufferText(userId, sizeof userId);
    if (status == 1) {
        row["authority"] = bufferText(description, sizeof description);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08x", static_cast<uint32_t>(bitmap));
        row["bitmap"] = hex;
    }
    return row;
}

class AccountsCommand final : public Subcommand {
public:
    std::string name() const override { return "accounts"; }
    std::string description() const override { return "The twelve login accounts"; }

    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.require_subcommand(0, 1);
        set_ = app.add_subcommand("set", "Change one account (0-11)");
        set_->add_option("account", account_, "Account number (0-11)")->required();
        target_.add(*set_);
        set_->add_flag("--free", free_, "Free the account (before a new --user, if given)");
        set_->add_option("--user", userId_, "User ID (at most 15 characters)");
        set_->add_option("--authority", authority_, "admin, readonly or custom")
            ->check(CLI::IsMember({"admin", "readonly", "custom"}));
        set_->add_option("--bitmap", bitmap_, "Custom authority bitmap (with --authority custom)");
        set_->add_flag("--password-stdin", passwordStdin_, "Read the new password from standard input");
    }
    void validate(Session& session) override {
        node_.validate(session);
        if (!set_->parsed()) return;
        if (account_ >= kAccounts) throw UsageError("account " + std::to_string(account_) + ": expected 0 to 11");
        if (bitmap_ && authority_ != "custom") throw UsageError("--bitmap needs --authority custom");
        if (authority_ == "custom" && !bitmap_) throw UsageError("--authority custom needs --bitmap");
        if (!free_ && !userId_ && !authority_ && !passwordStdin_) throw UsageError("accounts set: nothing to change");
    }

    void run(Session& session, Document& doc) override {
        if (set_->parsed()) return runSet(session, doc);
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            Document rows = Document::array();
            for (uint32_t instance = 0; instance < kAccounts; ++instance)
                rows.push_back(account(session, node, instance));
            nodes.push_back(Document{{"node", node}, {"accounts", rows}});
        }
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        // Per node: the user IDs of the accounts in use, or the first failing read's result.
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            std::string users;
            Document cell;
            for (uint32_t instance = 0; instance < kAccounts && cell.is_null(); ++instance) {
                Document row = account(session, node, instance);
                if (row["result"] != 0) {
                    cell = row["result"];
                } else if (row["status"] == "in use") {
                    users += (users.empty() ? "" : ",") + row["userId"].get<std::string>();
                }
            }
            accessRow(doc, node)["users"] = cell.is_null() ? Document(users) : cell;
        }
    }

private:
    void runSet(Session& session, Document& doc) {
        uint32_t node = target_.value(session);
        std::optional<std::string> password;
        if (passwordStdin_) password = readSecretLine("New password", kPasswordCapacity);
        int32_t status = 3;
        int32_t authority = 0;
        if (authority_) authority = *authority_ == "admin" ? 1 : *authority_ == "readonly" ? 3 : 4;
        int32_t bitmap = static_cast<int32_t>(bitmap_.value_or(0));
        int32_t result = session.check(session.library().setUserAccount(
            static_cast<int32_t>(node), account_, free_ ? &status : nullptr, authority_ ? &authority : nullptr,
            bitmap_ ? &bitmap : nullptr, userId_ ? userId_->c_str() : nullptr, password ? password->c_str() : nullptr));
        doc["node"] = node;
        doc["account"] = account_;
        doc["result"] = result;
        if (result == 0) doc["settings"] = account(session, node, account_);
    }

    NodeOption node_;
    CLI::App* set_ = nullptr;
    TargetNode target_;
    uint32_t account_ = 0;
    bool free_ = false;
    std::optional<std::string> userId_;
    std::optional<std::string> authority_;
    std::optional<uint32_t> bitmap_;
    bool passwordStdin_ = false;
};

}  // namespace

std::unique_ptr<Subcommand> makeAccountsCommand() { return std::make_unique<AccountsCommand>(); }

}  // namespace yatctl
