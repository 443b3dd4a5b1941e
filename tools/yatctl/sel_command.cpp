// yatctl sel: the SP's system event log of each node, read with getFirstLogEntry and getNextLogEntry
// until the library reports the end (11), shown newest last; `--erase --yes` clears it (eraseLog).

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstring>

#include "yat/event_log_records.h"
#include "yat/result_codes.h"
#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

// An SP that never reports the end must not keep yatctl reading forever.
constexpr size_t kMostEntries = 10000;

// A text field of the record, never read past its array.
template <size_t N>
std::string field(const char (&text)[N]) {
    return std::string(text, strnlen(text, N));
}

struct LogRead {
    int32_t result = 0;  // 0 when the read reached the end of the log
    Document entries = Document::array();
};

// The log of node, newest last (the SP hands out the newest entry first).
LogRead readLog(Session& session, uint32_t node) {
    cDeviceLib& library = session.library();
    LogRead read;
    std::vector<Document> rows;
    LogEntryInfo entry{};
    int32_t result = library.getFirstLogEntry(static_cast<int32_t>(node), &entry);
    while (result == ERR_SUCCESS && rows.size() < kMostEntries) {
        rows.push_back(Document{{"date", field(entry.dateText)},
                                {"time", field(entry.timeText)},
                                {"label", field(entry.label)},
                                {"message", field(entry.message)},
                                {"timestamp", field(entry.timestamp)},
                                {"entryByte", entry.entryByte}});
        entry = LogEntryInfo{};
        result = library.getNextLogEntry(static_cast<int32_t>(node), &entry);
    }
    read.result = result == ERR_EMPTY || result == ERR_SUCCESS ? ERR_SUCCESS : session.check(result);
    std::reverse(rows.begin(), rows.end());
    for (Document& row : rows) read.entries.push_back(std::move(row));
    return read;
}

class SelCommand final : public Subcommand {
public:
    std::string name() const override { return "sel"; }
    std::string description() const override {
        return "The SP's system event log (newest last); --erase --yes clears it";
    }
    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.add_flag("--erase", erase_, "Clear the log of the node (or of every node)");
        app.add_flag("--yes", yes_, "Confirm --erase");
    }
    void validate(Session& session) override {
        node_.validate(session);
        if (erase_ && !yes_) throw UsageError("sel --erase clears the SP's event log for good: add --yes to confirm");
        if (yes_ && !erase_) throw UsageError("--yes confirms --erase and needs it");
    }

    void run(Session& session, Document& doc) override {
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            Document entry{{"node", node}};
            if (erase_) {
                entry["eraseResult"] = session.check(session.library().eraseLog(static_cast<int32_t>(node)));
            }
            LogRead read = readLog(session, node);
            entry["result"] = read.result;
            entry["count"] = read.entries.size();
            entry["entries"] = read.entries;
            nodes.push_back(entry);
        }
        // The tables show what a reader scans for; --json keeps every field.
        if (!session.options().json) {
            for (Document& node : nodes) {
                for (Document& row : node["entries"]) {
                    row.erase("timestamp");
                    row.erase("entryByte");
                }
            }
        }
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        Document rows = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            LogRead read = readLog(session, node);
            Document row{{"node", node}, {"entries", read.entries.size()}};
            if (read.result != 0) row["result"] = read.result;
            if (!read.entries.empty()) {
                const Document& newest = read.entries.back();
                row["newest"] = newest["date"].get<std::string>() + " " + newest["time"].get<std::string>() + " " +
                                newest["message"].get<std::string>();
            }
            rows.push_back(row);
        }
        doc["eventLog"] = rows;
    }

private:
    NodeOption node_;
    bool erase_ = false;
    bool yes_ = false;
};

}  // namespace

std::unique_ptr<Subcommand> makeSelCommand() { return std::make_unique<SelCommand>(); }

}  // namespace yatctl
