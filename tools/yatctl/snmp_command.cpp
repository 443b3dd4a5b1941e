// yatctl snmp: the SNMP agent (switches and texts) and the three communities; `snmp set` changes the
// agent settings, `snmp community C` a community. Community names are read from standard input
// (--name-stdin), never from the command line, and shown only as set or not, with their length.

#include <CLI/CLI.hpp>

#include "yat/device_lib.h"
#include "yatctl/config_options.h"
#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr uint32_t kCommunities = 3;

Document agent(Session& session, uint32_t node) {
    char textA[64] = {};
    char textB[64] = {};
    int32_t available = 0;
    int32_t flags = 0;
    int32_t result = session.check(session.library().getSNMPConfiguration(static_cast<int32_t>(node), textA, nullptr,
                                                                          textB, nullptr, &available, &flags));
    Document doc{{"result", result}};
    if (result != 0) return doc;
    doc["v1Enabled"] = (flags & 1) != 0;
    doc["thirdSwitch"] = (flags & 2) != 0;
    doc["trapsEnabled"] = (flags & 4) != 0;
    doc["textA"] = bufferText(textA, sizeof textA);
    doc["textB"] = bufferText(textB, sizeof textB);
    return doc;
}

Document community(Session& session, uint32_t node, uint32_t instance) {
    cDeviceLib& library = session.library();
    char name[32] = {};
    int32_t access = 0;
    int32_t result = session.check(
        library.getSNMPCommunityConfiguration(static_cast<int32_t>(node), instance, name, nullptr, &access));
    Document row{{"community", instance}, {"result", result}};
    if (result != 0) return row;
    // A community name is a secret: shown as set or not and its length, never as text.
    size_t length = bufferText(name, sizeof name).size();
    row["name"] = length != 0 ? "(set)" : "(none)";
    row["nameLength"] = length;
    row["access"] = access;
    for (uint32_t ip = 0; ip < 3; ++ip) {
        char address[80] = {};
        int32_t read =
            session.check(library.getSNMPCommunityIP(static_cast<int32_t>(node), instance, ip, address, nullptr));
        row["address" + std::to_string(ip + 1)] =
            read == 0 ? Document(bufferText(address, sizeof address)) : Document(read);
    }
    return row;
}

class SnmpCommand final : public Subcommand {
public:
    std::string name() const override { return "snmp"; }
    std::string description() const override { return "SNMP agent switches and texts, and the three communities"; }

    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.require_subcommand(0, 1);
        set_ = app.add_subcommand("set", "Change the agent's switches and texts");
        target_.add(*set_);
        set_->add_option("--text-a", textA_, "SNMP text A (at most 47 characters)");
        set_->add_option("--text-b", textB_, "SNMP text B (at most 47 characters)");
        set_->add_option("--traps", traps_, "Traps on or off");
        set_->add_option("--v1", v1_, "Version 1 agent on or off");
        community_ = app.add_subcommand("community", "Change one community (0-2)");
        community_->add_option("instance", instance_, "Community number (0-2)")->required();
        communityTarget_.add(*community_);
        community_->add_flag("--name-stdin", nameStdin_, "Read the community name from standard input");
        community_->add_option("--access", access_, "Access type (0-255)")->check(CLI::Range(0, 255));
        for (int i = 0; i < 3; ++i) {
            community_->add_option("--address" + std::to_string(i + 1), addresses_[i],
                                   "Host address " + std::to_string(i + 1) + " (at most 63 characters)");
        }
    }
    void validate(Session& session) override { node_.validate(session); }

    void run(Session& session, Document& doc) override {
        if (set_->parsed()) return runSet(session, doc);
        if (community_->parsed()) return runCommunity(session, doc);
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            Document entry{{"node", node}};
            entry["agent"] = agent(session, node);
            Document rows = Document::array();
            for (uint32_t instance = 0; instance < kCommunities; ++instance)
                rows.push_back(community(session, node, instance));
            entry["communities"] = rows;
            nodes.push_back(entry);
        }
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            Document read = agent(session, node);
            Document& row = accessRow(doc, node);
            row["snmpV1"] = reportCell(read, "v1Enabled");
            row["traps"] = reportCell(read, "trapsEnabled");
        }
    }

private:
    void runSet(Session& session, Document& doc) {
        uint32_t node = target_.value(session);
        std::optional<bool> traps = onOff("--traps", traps_);
        std::optional<bool> v1 = onOff("--v1", v1_);
        uint8_t changed = static_cast<uint8_t>((traps ? 4 : 0) | (v1 ? 1 : 0));
        if (changed == 0 && !textA_ && !textB_) throw UsageError("snmp set: nothing to change");
        uint8_t flags = static_cast<uint8_t>((traps.value_or(false) ? 4 : 0) | (v1.value_or(false) ? 1 : 0));
        int32_t result = session.check(session.library().setSNMPConfiguration(
            static_cast<int32_t>(node), textA_ ? textA_->c_str() : nullptr, textB_ ? textB_->c_str() : nullptr,
            changed != 0 ? &changed : nullptr, changed != 0 ? &flags : nullptr));
        doc["node"] = node;
        doc["result"] = result;
        if (result == 0) doc["agent"] = agent(session, node);
    }

    void runCommunity(Session& session, Document& doc) {
        if (instance_ >= kCommunities) throw UsageError("community " + std::to_string(instance_) + ": expected 0 to 2");
        uint32_t node = communityTarget_.value(session);
        bool anyAddress = addresses_[0] || addresses_[1] || addresses_[2];
        if (!nameStdin_ && !access_ && !anyAddress) throw UsageError("snmp community: nothing to change");
        std::optional<std::string> name;
        if (nameStdin_) name = readSecretLine("Community name", kCommunityNameCapacity);
        cDeviceLib& library = session.library();
        doc["node"] = node;
        doc["community"] = instance_;
        int32_t result = 0;
        if (name || access_) {
            uint8_t access = static_cast<uint8_t>(access_.value_or(0));
            result = session.check(library.setSNMPCommunityConfiguration(
                static_cast<int32_t>(node), instance_, name ? name->c_str() : nullptr, access_ ? &access : nullptr));
        }
        for (uint32_t ip = 0; ip < 3 && result == 0; ++ip) {
            if (!addresses_[ip]) continue;
            result = session.check(
                library.setSNMPCommunityIP(static_cast<int32_t>(node), instance_, ip, addresses_[ip]->c_str()));
        }
        doc["result"] = result;
        if (result == 0) doc["settings"] = community(session, node, instance_);
    }

    NodeOption node_;
    CLI::App* set_ = nullptr;
    CLI::App* community_ = nullptr;
    TargetNode target_;
    TargetNode communityTarget_;
    std::optional<std::string> textA_;
    std::optional<std::string> textB_;
    std::optional<std::string> traps_;
    std::optional<std::string> v1_;
    uint32_t instance_ = 0;
    bool nameStdin_ = false;
    std::optional<int32_t> access_;
    std::optional<std::string> addresses_[3];
};

}  // namespace

std::unique_ptr<Subcommand> makeSnmpCommand() { return std::make_unique<SnmpCommand>(); }

}  // namespace yatctl
