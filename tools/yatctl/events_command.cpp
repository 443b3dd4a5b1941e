// yatctl events: the event configuration of each node as the library builds it (initEvents, then
// getEventConfiguration for every event instance): instance, type, description and enable state.
// `events enable NODE INSTANCE` and `events disable NODE INSTANCE` change one entry's enable state
// (the second form of getEventConfiguration) and show the entry as the SP then reports it.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>

#include "yat/device_lib.h"
#include "yat/result_codes.h"
#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

// More instances than the alert table has rows: the list of a node ends well before.
constexpr uint32_t kMaxInstances = 256;
constexpr size_t kDescriptionSize = 64;

// One entry; nothing when the node has no entry at instance.
std::optional<Document> entryRow(cDeviceLib& library, uint32_t node, uint32_t instance, bool human) {
    int32_t type = 0;
    int32_t size = 0;
    char description[kDescriptionSize + 1] = {};
    int32_t result = library.getEventConfiguration(node, instance, &type, description, &size, nullptr);
    if (result == ERR_INVALID_INDEX || result == ERR_NO_DEVICE) return std::nullopt;
    description[kDescriptionSize] = '\0';
    uint8_t enabled = 0;
    if (result == ERR_SUCCESS)
        result = library.getEventConfiguration(node, instance, nullptr, nullptr, nullptr, &enabled);
    Document row{{"node", node}, {"instance", instance}, {"type", type}, {"description", description}};
    if (human) {
        row["enabled"] = result == ERR_SUCCESS ? (enabled != 0 ? "yes" : "no") : "unknown";
    } else {
        row["enabled"] = result == ERR_SUCCESS ? Document(enabled != 0) : Document(nullptr);
        row["result"] = result;
    }
    return row;
}

class EventsCommand final : public Subcommand {
public:
    std::string name() const override { return "events"; }
    std::string description() const override {
        return "Event configuration per node (instance, type, description, enabled); enable or disable one";
    }

    void addOptions(CLI::App& app) override {
        node_.add(app);
        for (auto& [action, value] : {std::pair{"enable", &enable_}, std::pair{"disable", &disable_}}) {
            CLI::App* sub = app.add_subcommand(
                action, std::string(action) == "enable" ? "Enables one event instance" : "Disables one event instance");
            sub->add_option("node", value->node, "Node (0-based)")->required();
            sub->add_option("instance", value->instance, "Event instance (0-based, as listed)")->required();
            value->app = sub;
        }
        app.require_subcommand(0, 1);
    }

    void validate(Session& session) override {
        node_.validate(session);
        for (const Change* change : {&enable_, &disable_}) {
            if (change->app->parsed() && change->node >= session.nodeCount()) {
                throw UsageError("node " + std::to_string(change->node) + ": the scenario has nodes 0 to " +
                                 std::to_string(session.nodeCount() - 1));
            }
        }
    }

    void run(Session& session, Document& doc) override {
        cDeviceLib& library = session.library();
        bool human = !session.options().json;
        int32_t init = session.check(library.initEvents());
        if (init != ERR_SUCCESS) doc["initResult"] = init;
        const Change* change = enable_.app->parsed() ? &enable_ : disable_.app->parsed() ? &disable_ : nullptr;
        if (change != nullptr) {
            uint8_t value = change == &enable_ ? 1 : 0;
            int32_t result = session.check(library.getEventConfiguration(change->node, change->instance, &value));
            doc["action"] = change == &enable_ ? "enable" : "disable";
            doc["result"] = result;
            std::optional<Document> row = entryRow(library, change->node, change->instance, human);
            if (row) doc["event"] = *row;
            return;
        }
        Document rows = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            for (uint32_t instance = 0; instance < kMaxInstances; ++instance) {
                std::optional<Document> row = entryRow(library, node, instance, human);
                if (!row) break;
                rows.push_back(*row);
            }
        }
        doc["events"] = rows;
    }

private:
    struct Change {
        uint32_t node = 0;
        uint32_t instance = 0;
        CLI::App* app = nullptr;
    };
    NodeOption node_;
    Change enable_;
    Change disable_;
};

}  // namespace

std::unique_ptr<Subcommand> makeEventsCommand() { return std::make_unique<EventsCommand>(); }

}  // namespace yatctl
