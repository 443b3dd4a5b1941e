// yatctl health: the library's system-health value per node (checkSystemHealth) and the event codes
// the node's SP holds as active ("2.7.4", read through the comm device as the library reads it).
// The value handed for code 113 is 1 and for code 107 is 2, so the value names which one decided.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdint>
#include <string>

#include "commands/sp_cmd.h"
#include "events/event_config_wire.h"
#include "events/system_health.h"
#include "yat/device_lib.h"
#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr int32_t kValue113 = 1;
constexpr int32_t kValue107 = 2;

const char* healthWord(int32_t value) {
    switch (value) {
        case 0: return "normal";
        case kValue113: return "code 113 active";
        case kValue107: return "code 107 active";
        default: return "unknown";
    }
}

std::string hexCode(uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", code);
    return text;
}

std::string codeMeaning(uint32_t code) {
    if (code > eventwire::kCpuHotCodeBase && code <= eventwire::kCpuHotCodeBase + 0xFF) {
        return "processor " + std::to_string(code - eventwire::kCpuHotCodeBase) + " hot";
    }
    if (code == eventwire::kHealthCode113 || code == eventwire::kHealthCode107) return "system health";
    if (code == eventwire::kMemoryPfaCode) return "memory PFA";
    return "";
}

struct ActiveCodes {
    int32_t result = ERR_SUCCESS;  // or ERR_BAD_ANSWER when the list could not be read to its end
    std::vector<uint32_t> codes;
};

// The node's active codes: a get, then get next while the SP answers status 0, at most
// eventwire::kMaxCodeGroups groups.
ActiveCodes readActiveCodes(Session& session, uint32_t node) {
    ActiveCodes active;
    cSPCmd command;
    uint8_t type = wire::kGet;
    for (int32_t group = 0; group <= eventwire::kMaxCodeGroups; ++group, type = wire::kGetNext) {
        command.buildSPCommand(eventwire::kActiveCodesCommand, type, nullptr, nullptr, 0, 0);
        if (command.send(&session.comm(), static_cast<int32_t>(node)) != ERR_SUCCESS ||
            command.answerType() != wire::kAnswer) {
            active.result = ERR_BAD_ANSWER;
            return active;
        }
        if (command.answerStatus() != SpStatus::kOk) {
            active.result =
                command.answerStatus() == SpStatus{eventwire::kCodesEndStatus} ? ERR_SUCCESS : ERR_BAD_ANSWER;
            return active;
        }
        ByteReader data = command.answerReader();
        EventCodeGroup codes = decodeEventCodes(data.data(), data.size());
        active.codes.insert(active.codes.end(), codes.codes.begin(), codes.codes.end());
    }
    active.result = ERR_BAD_ANSWER;
    return active;
}

Document nodeHealth(Session& session, uint32_t node, bool human, bool brief) {
    int32_t value = 0;
    int32_t result =
        session.check(session.library().checkSystemHealth(static_cast<int32_t>(node), &value, kValue113, kValue107));
    ActiveCodes active = readActiveCodes(session, node);
    Document doc{{"node", node}};
    doc["health"] = result == 0 ? healthWord(value) : "not readable";
    if (!human) {
        doc["value"] = value;
        doc["result"] = result;
    }
    if (human && active.codes.empty()) {
        doc["activeCodes"] = "none";
    } else if (brief) {
        // One line per node: the codes as a list (a text in the human form).
        Document codes = Document::array();
        std::string line;
        for (uint32_t code : active.codes) {
            codes.push_back(hexCode(code));
            line += (line.empty() ? "" : " ") + hexCode(code);
        }
        doc["activeCodes"] = human ? Document(line) : codes;
    }
    if (brief) return doc;
    Document codes = Document::array();
    for (uint32_t code : active.codes) {
        Document row{{"code", hexCode(code)}, {"meaning", codeMeaning(code)}};
        if (!human) row["value"] = code;
        codes.push_back(row);
    }
    if (!(human && active.codes.empty())) doc["activeCodes"] = codes;
    if (active.result != 0) {
        doc["activeCodesResult"] = active.result;
        session.markFailed();
    }
    return doc;
}

class HealthCommand final : public Subcommand {
public:
    std::string name() const override { return "health"; }
    std::string description() const override { return "System health per node and the SP's active event codes"; }
    void addOptions(CLI::App& app) override { node_.add(app); }
    void validate(Session& session) override { node_.validate(session); }

    void run(Session& session, Document& doc) override {
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session))
            nodes.push_back(nodeHealth(session, node, !session.options().json, false));
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        Document nodes = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            nodes.push_back(nodeHealth(session, node, !session.options().json, true));
        }
        doc["health"] = nodes;
    }

private:
    NodeOption node_;
};

}  // namespace

std::unique_ptr<Subcommand> makeHealthCommand() { return std::make_unique<HealthCommand>(); }

}  // namespace yatctl
