// yatctl alerts: the global remote-alert settings and the twelve out-of-band alert recipients;
// `alerts set R` changes one recipient. Passwords are read from standard input (--password-stdin),
// never from the command line, and never shown.

#include <CLI/CLI.hpp>

#include "yat/device_lib.h"
#include "yatctl/config_options.h"
#include "yatctl/node_option.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr uint32_t kRecipients = 12;
constexpr int32_t kNotProvided = 1;  // the library's result for an operation it does not provide

Document remoteAlerts(Session& session, uint32_t node) {
    int32_t first = 0, second = 0, third = 0, flag = 0;
    uint8_t smtpFlag = 0;
    int32_t result = session.library().getRemoteAlertConfiguration(static_cast<int32_t>(node), &first, &second, &third,
                                                                   &flag, &smtpFlag);
    if (result == kNotProvided) return Document{{"result", result}, {"available", false}};
    session.check(result);
    Document doc{{"result", result}};
    if (result != 0) return doc;
    doc["alertSetting5"] = first;
    doc["alertSetting4"] = second;
    doc["alertSetting3"] = third;
    doc["remoteAlerts"] = flag != 0;
    doc["smtpFlag"] = smtpFlag != 0;
    return doc;
}

Document recipient(Session& session, uint32_t node, uint32_t instance) {
    int32_t type = 0;
    char description[80] = {};
    char destination[80] = {};
    char host[80] = {};
    char userId[80] = {};
    int32_t available = 0;
    int32_t flags = 0;
    int32_t result = session.check(session.library().getOOBAlertConfiguration(
        static_cast<int32_t>(node), instance, &type, description, nullptr, destination, nullptr, host, nullptr, userId,
        nullptr, nullptr, &available, &flags));
    Document row{{"recipient", instance}, {"result", result}};
    if (result != 0) return row;
    row["type"] = type;
    row["typeName"] = recipientTypeWord(type);
    row["enabled"] = (flags & 1) != 0;
    row["selectiveAlerts"] = (flags & 2) != 0;
    row["description"] = bufferText(description, sizeof description);
    row["destination"] = bufferText(destination, sizeof destination);
    row["host"] = bufferText(host, sizeof host);
    row["userId"] = bufferText(userId, sizeof userId);
    return row;
}

class AlertsCommand final : public Subcommand {
public:
    std::string name() const override { return "alerts"; }
    std::string description() const override { return "Remote-alert settings and the twelve alert recipients"; }

    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.require_subcommand(0, 1);
        set_ = app.add_subcommand("set", "Change one alert recipient (0-11)");
        set_->add_option("recipient", recipient_, "Recipient number (0-11)")->required();
        target_.add(*set_);
        set_->add_option("--type", type_, "Alert type (1 clears the entry, 2-10)");
        set_->add_option("--description", description_, "Description (at most 63 characters)");
        set_->add_option("--destination", destination_, "Destination (at most 49 characters)");
        set_->add_option("--host", host_, "Host (types 8, 9; at most 63 characters)");
        set_->add_option("--user", userId_, "User ID (types 4, 8, 9; at most 63 characters)");
        set_->add_flag("--password-stdin", passwordStdin_, "Read the password (types 3, 4, 8, 9) from standard input");
        set_->add_option("--enabled", enabled_, "Entry on or off");
        set_->add_option("--selective", selective_, "Selective alert notification on or off");
    }
    void validate(Session& session) override { node_.validate(session); }

    void run(Session& session, Document& doc) override {
        if (set_->parsed()) return runSet(session, doc);
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            Document entry{{"node", node}};
            entry["remoteAlerts"] = remoteAlerts(session, node);
            Document rows = Document::array();
            for (uint32_t instance = 0; instance < kRecipients; ++instance)
                rows.push_back(recipient(session, node, instance));
            entry["recipients"] = rows;
            nodes.push_back(entry);
        }
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        // Per node: enabled and configured recipients ("7/10"), or the first failing read's result.
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            int configured = 0;
            int enabled = 0;
            Document cell;
            for (uint32_t instance = 0; instance < kRecipients && cell.is_null(); ++instance) {
                Document row = recipient(session, node, instance);
                if (row["result"] != 0) {
                    cell = row["result"];
                } else if (row["type"] != 1) {
                    ++configured;
                    if (row["enabled"] == true) ++enabled;
                }
            }
            if (cell.is_null()) cell = std::to_string(enabled) + "/" + std::to_string(configured);
            accessRow(doc, node)["alerts"] = cell;
        }
    }

private:
    void runSet(Session& session, Document& doc) {
        if (recipient_ >= kRecipients)
            throw UsageError("recipient " + std::to_string(recipient_) + ": expected 0 to 11");
        uint32_t node = target_.value(session);
        std::optional<bool> enabled = onOff("--enabled", enabled_);
        std::optional<bool> selective = onOff("--selective", selective_);
        int32_t changed = (enabled ? 1 : 0) | (selective ? 2 : 0);
        int32_t flags = (enabled.value_or(false) ? 1 : 0) | (selective.value_or(false) ? 2 : 0);
        if (!type_ && changed == 0 && !description_ && !destination_ && !host_ && !userId_ && !passwordStdin_) {
            throw UsageError("alerts set: nothing to change");
        }
        std::optional<std::string> password;
        if (passwordStdin_) password = readSecretLine("Alert password", kPasswordCapacity);
        int32_t type = type_.value_or(0);
        auto text = [](const std::optional<std::string>& value) { return value ? value->c_str() : nullptr; };
        int32_t result = session.check(session.library().setOOBAlertConfiguration(
            static_cast<int32_t>(node), recipient_, type_ ? &type : nullptr, text(description_), text(destination_),
            text(host_), text(userId_), text(password), changed != 0 ? &changed : nullptr,
            changed != 0 ? &flags : nullptr));
        doc["node"] = node;
        doc["recipient"] = recipient_;
        doc["result"] = result;
        if (result == 0) doc["settings"] = recipient(session, node, recipient_);
    }

    NodeOption node_;
    CLI::App* set_ = nullptr;
    TargetNode target_;
    uint32_t recipient_ = 0;
    std::optional<int32_t> type_;
    std::optional<std::string> description_;
    std::optional<std::string> destination_;
    std::optional<std::string> host_;
    std::optional<std::string> userId_;
    bool passwordStdin_ = false;
    std::optional<std::string> enabled_;
    std::optional<std::string> selective_;
};

}  // namespace

std::unique_ptr<Subcommand> makeAlertsCommand() { return std::make_unique<AlertsCommand>(); }

}  // namespace yatctl
