// yatctl health: per node, the library's system-health value (checkSystemHealth) and the sensors that
// need a look (from discovery and a polling round, as `sensors` shows them). A node is "attention"
// when the SP holds a system-health code or a sensor is at warning or worse (a supply failed, a fan
// stopped, a temperature above its warning limit), or its SP answered nothing during discovery.
// The value handed for code 113 is 1 and for code 107 is 2, so the value names which one decided.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

#include "yat/device_lib.h"
#include "yatctl/node_option.h"
#include "yatctl/sensor_survey.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr int32_t kValue113 = 1;
constexpr int32_t kValue107 = 2;

const char* systemHealthWord(int32_t value) {
    switch (value) {
        case 0: return "normal";
        case kValue113: return "code 113 active";
        case kValue107: return "code 107 active";
        default: return "unknown";
    }
}

Document nodeHealth(Session& session, uint32_t node, bool human) {
    int32_t value = 0;
    int32_t result =
        session.check(session.library().checkSystemHealth(static_cast<int32_t>(node), &value, kValue113, kValue107));
    std::vector<std::string> attention = attentionList(sharedSurvey(session), static_cast<int32_t>(node), false);
    bool fine = result == 0 && value == 0 && attention.empty();
    Document doc{{"node", node}, {"health", fine ? "normal" : "attention"}};
    doc["systemHealth"] = result == 0 ? systemHealthWord(value) : "not readable";
    if (!human) {
        doc["value"] = value;
        doc["result"] = result;
        doc["attention"] = attention;
        return doc;
    }
    std::string joined;
    for (const std::string& item : attention) joined += (joined.empty() ? "" : ", ") + item;
    doc["attention"] = attention.empty() ? "none" : joined;
    return doc;
}

class HealthCommand final : public Subcommand {
public:
    std::string name() const override { return "health"; }
    std::string description() const override {
        return "Per node: the system health and the sensors that need attention";
    }
    void addOptions(CLI::App& app) override { node_.add(app); }
    void validate(Session& session) override { node_.validate(session); }

    void run(Session& session, Document& doc) override {
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) nodes.push_back(nodeHealth(session, node, !session.options().json));
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        Document nodes = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            nodes.push_back(nodeHealth(session, node, !session.options().json));
        }
        doc["health"] = nodes;
    }

private:
    NodeOption node_;
};

}  // namespace

std::unique_ptr<Subcommand> makeHealthCommand() { return std::make_unique<HealthCommand>(); }

}  // namespace yatctl
