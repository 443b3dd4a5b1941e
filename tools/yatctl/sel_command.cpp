// yatctl sel: the SP's system event log of each node, read with getFirstLogEntry and getNextLogEntry
// until the library reports the end (11), shown newest last; `--erase --yes` clears it (eraseLog).

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>

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

// Trailing blanks go (labels are padded to 8 characters).
std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text;
}

// "mm/dd/yyyy" and "hh:mm:ss" as the SP's clock gives them, taken as UTC, in ISO 8601: UTC
// ("2008-03-14T07:05:00Z") or, with local, the local time with its offset ("...+01:00"). Texts that
// are not a date and a time stay as they are.
std::string isoTime(const std::string& date, const std::string& time, bool local) {
    std::tm tm{};
    char end = 0;
    if (std::sscanf(date.c_str(), "%2d/%2d/%4d%c", &tm.tm_mon, &tm.tm_mday, &tm.tm_year, &end) != 3 ||
        std::sscanf(time.c_str(), "%2d:%2d:%2d%c", &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &end) != 3 || tm.tm_mon < 1 ||
        tm.tm_mon > 12 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 || tm.tm_min > 59 || tm.tm_sec > 60 ||
        tm.tm_hour < 0 || tm.tm_min < 0 || tm.tm_sec < 0) {
        return trimmed(date + " " + time);
    }
    tm.tm_mon -= 1;
    tm.tm_year -= 1900;
    char text[48];
    if (!local) {
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
        return text;
    }
    std::time_t seconds = timegm(&tm);
    std::tm here{};
    localtime_r(&seconds, &here);
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &here);
    std::string iso = text;
    if (iso.size() >= 5) iso.insert(iso.size() - 2, ":");  // +0100 -> +01:00
    return iso;
}

struct LogRead {
    int32_t result = 0;  // 0 when the read reached the end of the log
    Document entries = Document::array();
};

// The log of node, newest last (the SP hands out the newest entry first), numbered from 1 (the oldest).
LogRead readLog(Session& session, uint32_t node, bool local) {
    cDeviceLib& library = session.library();
    LogRead read;
    std::vector<Document> rows;
    LogEntryInfo entry{};
    int32_t result = library.getFirstLogEntry(static_cast<int32_t>(node), &entry);
    while (result == ERR_SUCCESS && rows.size() < kMostEntries) {
        rows.push_back(Document{{"record", 0},
                                {"time", isoTime(field(entry.dateText), field(entry.timeText), local)},
                                {"label", trimmed(field(entry.label))},
                                {"message", trimmed(field(entry.message))},
                                {"spTimestamp", field(entry.timestamp)},
                                {"entryByte", entry.entryByte}});
        entry = LogEntryInfo{};
        result = library.getNextLogEntry(static_cast<int32_t>(node), &entry);
    }
    read.result = result == ERR_EMPTY || result == ERR_SUCCESS ? ERR_SUCCESS : session.check(result);
    std::reverse(rows.begin(), rows.end());
    int32_t record = 0;
    for (Document& row : rows) {
        row["record"] = ++record;
        read.entries.push_back(std::move(row));
    }
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
        app.add_option("--tail", tail_, "Only the newest N entries of each node")->check(CLI::Range(1, 1000000));
        app.add_flag("--local", local_, "Times in the local time zone (default: UTC)");
        info_ = app.add_subcommand("info", "Per node: how many entries, the oldest and the newest");
    }
    void validate(Session& session) override {
        node_.validate(session);
        if (erase_ && !yes_) throw UsageError("sel --erase clears the SP's event log for good: add --yes to confirm");
        if (yes_ && !erase_) throw UsageError("--yes confirms --erase and needs it");
        if (erase_ && info_->parsed()) throw UsageError("sel info only reads: leave out --erase");
    }

    void run(Session& session, Document& doc) override {
        Document nodes = Document::array();
        if (info_->parsed()) {
            for (uint32_t node : node_.nodes(session)) nodes.push_back(summary(session, node, false));
            doc["nodes"] = nodes;
            return;
        }
        for (uint32_t node : node_.nodes(session)) {
            Document entry{{"node", node}};
            if (erase_) {
                entry["eraseResult"] = session.check(session.library().eraseLog(static_cast<int32_t>(node)));
            }
            LogRead read = readLog(session, node, local_);
            entry["result"] = read.result;
            entry["count"] = read.entries.size();
            if (tail_ && read.entries.size() > *tail_) {
                read.entries.erase(read.entries.begin(), read.entries.end() - static_cast<std::ptrdiff_t>(*tail_));
            }
            entry["entries"] = read.entries;
            nodes.push_back(entry);
        }
        // The tables show what a reader scans for; --json keeps every field.
        if (!session.options().json) {
            for (Document& node : nodes) {
                for (Document& row : node["entries"]) {
                    row.erase("spTimestamp");
                    row.erase("entryByte");
                }
            }
        }
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        Document rows = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) rows.push_back(summary(session, node, true));
        doc["eventLog"] = rows;
    }

private:
    // A node's log in one row: entries, the oldest and the newest (brief: the newest with its message).
    Document summary(Session& session, uint32_t node, bool brief) const {
        LogRead read = readLog(session, node, local_);
        Document row{{"node", node}, {"entries", read.entries.size()}};
        if (read.result != 0) row["result"] = read.result;
        if (read.entries.empty()) return row;
        const Document& oldest = read.entries.front();
        const Document& newest = read.entries.back();
        if (brief) {
            row["newest"] = newest["time"].get<std::string>() + " " + newest["message"].get<std::string>();
        } else {
            row["oldest"] = oldest["time"];
            row["newest"] = newest["time"];
        }
        return row;
    }

    NodeOption node_;
    CLI::App* info_ = nullptr;
    std::optional<size_t> tail_;
    bool local_ = false;
    bool erase_ = false;
    bool yes_ = false;
};

}  // namespace

std::unique_ptr<Subcommand> makeSelCommand() { return std::make_unique<SelCommand>(); }

}  // namespace yatctl
