// yatctl info: node count, SP type, system state, watchdog timers and firmware levels, read through
// the library's operations.

#include <CLI/CLI.hpp>

#include "yat/system_info_records.h"
#include "yatctl/node_option.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

struct FirmwareItem {
    int32_t kind;
    const char* name;
};

// The firmware items the library reads without an extra value.
constexpr FirmwareItem kFirmwareItems[] = {
    {0, "BIOS"},
    {1, "BIOS backup"},
    {2, "IPMI controller"},
    {4, "SP firmware"},
};

Document systemState(Session& session, uint32_t node) {
    SystemStateInfo info{};
    int32_t result = session.check(session.library().getSystemState(static_cast<int32_t>(node), &info));
    Document state{{"result", result}};
    if (result == 0) {
        state["state"] = info.sysState;
        state["powerOn"] = info.powerStatusOn != 0;
        state["powerOnHours"] = info.powerOnHours;
        state["restartCount"] = info.restartCount;
    }
    return state;
}

Document watchdogs(Session& session, uint32_t node) {
    WatchdogTimersInfo info{};
    int32_t result = session.check(session.library().getWatchogTimers(static_cast<int32_t>(node), &info));
    Document timers{{"result", result}};
    if (result == 0) {
        // -1: the SP could not give that timer.
        auto value = [](int32_t v) { return v < 0 ? Document(nullptr) : Document(v); };
        timers["postWatchdog"] = value(info.postWatchdog);
        timers["loaderWatchdog"] = value(info.loaderWatchdog);
        timers["osWatchdog"] = value(info.osWatchdog);
        timers["powerOffDelay"] = value(info.powerOffDelay);
    }
    return timers;
}

Document firmware(Session& session, uint32_t node, const FirmwareItem& item) {
    FirmwareInfo info;
    int32_t result = session.check(session.library().getFirmwareData(static_cast<int32_t>(node), item.kind, &info, 0));
    Document row{{"kind", item.kind}, {"item", item.name}, {"result", result}};
    if (result != 0) return row;
    if (item.kind == 2) {
        row["revision"] = info.revision;
        row["manufacturerId"] = info.manufacturerId;
        row["productId"] = info.productId;
        return row;
    }
    row["buildId"] = info.buildId;
    row["buildDate"] = info.buildDate;
    row["revision"] = info.revision;
    if (item.kind == 0 || item.kind == 1) row["serialNumber"] = info.serialNumber;
    return row;
}

class InfoCommand final : public Subcommand {
public:
    std::string name() const override { return "info"; }
    std::string description() const override {
        return "Node count, SP type, system state, watchdog timers and firmware levels";
    }
    void addOptions(CLI::App& app) override { node_.add(app); }
    void validate(Session& session) override { node_.validate(session); }

    void run(Session& session, Document& doc) override {
        cDeviceLib& library = session.library();
        doc["nodeCount"] = library.getNodeCount();
        int32_t type = 0;
        int32_t result = session.check(library.getSPType(&type));
        doc["spType"] = Document{{"result", result}, {"type", type}, {"name", spTypeWord(type)}};
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            Document entry{{"node", node}};
            entry["systemState"] = systemState(session, node);
            entry["watchdogs"] = watchdogs(session, node);
            Document items = Document::array();
            for (const FirmwareItem& item : kFirmwareItems) items.push_back(firmware(session, node, item));
            entry["firmware"] = items;
            nodes.push_back(entry);
        }
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        Document system = Document::array();
        Document levels = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            Document row{{"node", node}};
            Document state = systemState(session, node);
            Document timers = watchdogs(session, node);
            // Short column names: the report fits one screen.
            struct Column {
                const char* from;
                const char* to;
            };
            if (state["result"] != 0) row["stateResult"] = state["result"];
            for (Column column : {Column{"state", "state"}, Column{"powerOn", "powerOn"},
                                  Column{"powerOnHours", "hours"}, Column{"restartCount", "restarts"}}) {
                if (state.contains(column.from)) row[column.to] = state[column.from];
            }
            if (timers["result"] != 0) row["watchdogResult"] = timers["result"];
            for (Column column : {Column{"postWatchdog", "post"}, Column{"loaderWatchdog", "loader"},
                                  Column{"osWatchdog", "os"}, Column{"powerOffDelay", "offDelay"}}) {
                if (timers.contains(column.from)) row[column.to] = timers[column.from];
            }
            system.push_back(row);
            for (const FirmwareItem& item : kFirmwareItems) {
                Document entry = firmware(session, node, item);
                for (const char* key : {"kind", "serialNumber", "manufacturerId", "productId"}) entry.erase(key);
                Document line{{"node", node}};
                line.update(entry);
                levels.push_back(line);
            }
        }
        doc["system"] = system;
        doc["firmware"] = levels;
    }

private:
    NodeOption node_;
};

}  // namespace

std::unique_ptr<Subcommand> makeInfoCommand() { return std::make_unique<InfoCommand>(); }

}  // namespace yatctl
