// yatctl password-policy: the SP's password policy; `password-policy set` changes the given items.

#include <CLI/CLI.hpp>

#include "yat/device_lib.h"
#include "yatctl/config_options.h"
#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

Document policy(Session& session, uint32_t node) {
    uint8_t forceChange = 0;
    int32_t ageLimit = 0;
    int32_t reusePeriod = 0;
    uint8_t userPwdReq = 0;
    int32_t result = session.check(session.library().getPasswordInformation(static_cast<int32_t>(node), &forceChange,
                                                                            &ageLimit, &reusePeriod, &userPwdReq));
    Document doc{{"node", node}, {"result", result}};
    if (result != 0) return doc;
    doc["forceChange"] = forceChange != 0;
    doc["ageLimitDays"] = ageLimit;
    doc["reusePeriod"] = reusePeriod;
    doc["passwordRequired"] = userPwdReq != 0;
    return doc;
}

class PasswordPolicyCommand final : public Subcommand {
public:
    std::string name() const override { return "password-policy"; }
    std::string description() const override { return "The SP's password policy"; }

    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.require_subcommand(0, 1);
        set_ = app.add_subcommand("set", "Change the given policy items");
        target_.add(*set_);
        set_->add_option("--force-change", forceChange_, "Force a password change at first login: on or off");
        set_->add_option("--age-limit", ageLimit_, "Password age limit in days (0-365)");
        set_->add_option("--reuse-period", reusePeriod_, "Password reuse period");
        set_->add_option("--password-required", userPwdReq_, "A password is required: on or off");
    }
    void validate(Session& session) override { node_.validate(session); }

    void run(Session& session, Document& doc) override {
        if (set_->parsed()) {
            uint32_t node = target_.value(session);
            std::optional<bool> force = onOff("--force-change", forceChange_);
            std::optional<bool> required = onOff("--password-required", userPwdReq_);
            if (!force && !required && !ageLimit_ && !reusePeriod_)
                throw UsageError("password-policy set: nothing to change");
            uint8_t forceByte = force.value_or(false) ? 1 : 0;
            uint8_t requiredByte = required.value_or(false) ? 1 : 0;
            int32_t age = ageLimit_.value_or(0);
            int32_t reuse = reusePeriod_.value_or(0);
            // One call per item: the library's result is the last item's, and each item's own
            // outcome is what a user needs to see.
            cDeviceLib& library = session.library();
            int32_t target = static_cast<int32_t>(node);
            Document items = Document::array();
            auto item = [&](const char* name, int32_t result) {
                items.push_back(Document{{"item", name}, {"result", session.check(result)}});
            };
            if (force)
                item("forceChange", library.setPasswordInformation(target, &forceByte, nullptr, nullptr, nullptr));
            if (ageLimit_)
                item("ageLimitDays", library.setPasswordInformation(target, nullptr, &age, nullptr, nullptr));
            if (reusePeriod_)
                item("reusePeriod", library.setPasswordInformation(target, nullptr, nullptr, &reuse, nullptr));
            if (required)
                item("passwordRequired",
                     library.setPasswordInformation(target, nullptr, nullptr, nullptr, &requiredByte));
            doc["node"] = node;
            doc["items"] = items;
            doc["policy"] = policy(session, node);
            return;
        }
        Document rows = Document::array();
        for (uint32_t node : node_.nodes(session)) rows.push_back(policy(session, node));
        doc["nodes"] = rows;
    }

    void addToReport(Session& session, Document& doc) override {
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            Document read = policy(session, node);
            Document& row = accessRow(doc, node);
            row["pwAgeDays"] = reportCell(read, "ageLimitDays");
            row["pwReuse"] = reportCell(read, "reusePeriod");
        }
    }

private:
    NodeOption node_;
    CLI::App* set_ = nullptr;
    TargetNode target_;
    std::optional<std::string> forceChange_;
    std::optional<int32_t> ageLimit_;
    std::optional<int32_t> reusePeriod_;
    std::optional<std::string> userPwdReq_;
};

}  // namespace

std::unique_ptr<Subcommand> makePasswordPolicyCommand() { return std::make_unique<PasswordPolicyCommand>(); }

}  // namespace yatctl
