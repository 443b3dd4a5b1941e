// yatctl login-policy: the SP's login setting ("4.1.1.14"); `login-policy set V` changes it.

#include <CLI/CLI.hpp>

#include "yat/device_lib.h"
#include "yatctl/config_options.h"
#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

Document loginSetting(Session& session, uint32_t node) {
    int32_t value = 0;
    int32_t result = session.check(session.library().getLoginPolicyValue(static_cast<int32_t>(node), &value));
    Document doc{{"node", node}, {"result", result}};
    if (result == 0) doc["value"] = value;
    return doc;
}

class LoginPolicyCommand final : public Subcommand {
public:
    std::string name() const override { return "login-policy"; }
    std::string description() const override { return "The SP's login setting"; }

    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.require_subcommand(0, 1);
        set_ = app.add_subcommand("set", "Change the login setting");
        set_->add_option("value", value_, "New value (0-255)")->required()->check(CLI::Range(0, 255));
        target_.add(*set_);
    }
    void validate(Session& session) override { node_.validate(session); }

    void run(Session& session, Document& doc) override {
        if (set_->parsed()) {
            uint32_t node = target_.value(session);
            int32_t result = session.check(session.library().setLoginPolicyValue(static_cast<int32_t>(node), value_));
            doc["node"] = node;
            doc["result"] = result;
            doc["setting"] = loginSetting(session, node);
            return;
        }
        Document rows = Document::array();
        for (uint32_t node : node_.nodes(session)) rows.push_back(loginSetting(session, node));
        doc["nodes"] = rows;
    }

    void addToReport(Session& session, Document& doc) override {
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            accessRow(doc, node)["login"] = reportCell(loginSetting(session, node), "value");
        }
    }

private:
    NodeOption node_;
    CLI::App* set_ = nullptr;
    TargetNode target_;
    int32_t value_ = 0;
};

}  // namespace

std::unique_ptr<Subcommand> makeLoginPolicyCommand() { return std::make_unique<LoginPolicyCommand>(); }

}  // namespace yatctl
