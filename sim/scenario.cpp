#include "sim/scenario.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "sim/sections/sections.h"

namespace yatsim {

namespace {

constexpr const char* kDefaultSource = "(default scenario)";

void loadNode(const Field& field, NodeState& node) {
    std::vector<std::string_view> names{"inherit"};
    for (const SectionLoader& section : nodeSections()) names.push_back(section.name);
    for (const std::string& key : field.keys()) {
        if (std::find(names.begin(), names.end(), key) != names.end()) continue;
        std::string list;
        for (std::string_view name : names) list += (list.empty() ? "" : ", ") + std::string(name);
        throw ScenarioError("", field.path() + "." + printableExcerpt(key, 40), "unknown section; expected one of: " + list);
    }
    for (const SectionLoader& section : nodeSections()) section.load(field[section.name], node);
}

// A list of timeline entries, in time order.
std::vector<TimelineEntry> loadTimeline(const Field& timeline, size_t nodeCount) {
    std::vector<TimelineEntry> entries;
    for (size_t i = 0; i < timeline.size(); ++i) {
        Field entry = timeline.at(i);
        entry.expectObject({"at", "node", "event", "data", "supply", "backplane", "drive", "version", "condition",
                            "timeStamp", "sequence", "errorCode", "chassis", "memcard", "dimm", "fan", "rpm",
                            "supplyState", "voltage", "centivolts", "cpu", "hot"});
        TimelineEntry item;
        item.atMs = entry["at"].integer(0, 24ull * 3600 * 1000);
        item.node = static_cast<uint32_t>(entry["node"].integer(0, nodeCount - 1));
        item.event = loadEvent(entry);
        entries.push_back(std::move(item));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TimelineEntry& a, const TimelineEntry& b) { return a.atMs < b.atMs; });
    return entries;
}

Scenario parseDocument(const nlohmann::json& document, const std::string& source) {
    Field root(&document, "");
    if (!document.is_object()) root.fail("expected a JSON object");
    root.expectObject({"description", "nodes", "timeline", "demoTimeline", "faults"});

    Scenario scenario;
    scenario.source = source;
    scenario.description = root["description"].text(200, "");

    Field nodes = root["nodes"];
    if (nodes.size() < 1 || nodes.size() > kMaxNodes) {
        nodes.fail("expected an array of 1 to " + std::to_string(kMaxNodes) + " node objects");
    }
    // A node may start from an earlier node's document ("inherit": index) and change members of it.
    std::vector<nlohmann::json> merged;
    for (size_t i = 0; i < nodes.size(); ++i) {
        Field node = nodes.at(i);
        if (!node.present() || !node.json()->is_object()) node.fail("expected a node object");
        nlohmann::json effective = *node.json();
        if (node["inherit"].present()) {
            if (i == 0) node["inherit"].fail("expected no inherit in the first node");
            size_t base = node["inherit"].integer(0, i - 1);
            effective = merged[base];
            effective.merge_patch(*node.json());
            effective.erase("inherit");
        }
        merged.push_back(std::move(effective));
    }
    for (size_t i = 0; i < merged.size(); ++i) {
        NodeState& node = scenario.nodes.emplace_back(static_cast<uint32_t>(i));
        loadNode(Field(&merged[i], nodes.at(i).path()), node);
    }

    scenario.timeline = loadTimeline(root["timeline"], scenario.nodes.size());
    scenario.demoTimeline = loadTimeline(root["demoTimeline"], scenario.nodes.size());

    scenario.faults = loadFaultPlan(root["faults"]);
    return scenario;
}

}  // namespace

Scenario parseScenario(std::string_view text, const std::string& source) {
    nlohmann::json document;
    try {
        // Containers deeper than kMaxNesting are refused while parsing: everything after the parser
        // (copies, merges, messages) may then walk the document recursively.
        document = nlohmann::json::parse(text, [](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
            bool opens = event == nlohmann::json::parse_event_t::object_start ||
                         event == nlohmann::json::parse_event_t::array_start;
            if (opens && static_cast<size_t>(depth) >= kMaxNesting) {
                throw ScenarioError("", "", "not JSON: nested deeper than " + std::to_string(kMaxNesting) + " levels");
            }
            return true;
        });
    } catch (const nlohmann::json::exception& error) {
        // A syntax error or a number too large for a double: "[json.exception.parse_error.101] parse
        // error at line 1, column 2: ...", "[json.exception.out_of_range.406] number overflow parsing
        // '1e999'". Keep what follows the id.
        std::string what = error.what();
        size_t bracket = what.find("] ");
        if (bracket != std::string::npos) what = what.substr(bracket + 2);
        // The message quotes the input it stopped at: shown printable and cut to a line.
        throw ScenarioError(source, "", "not JSON: " + printableExcerpt(what, 160));
    } catch (const ScenarioError& error) {
        throw error.withSource(source);
    }
    try {
        return parseDocument(document, source);
    } catch (const ScenarioError& error) {
        throw error.withSource(source);
    }
}

Scenario loadScenarioFile(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) throw ScenarioError(path, "", "is a folder, not a scenario file");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw ScenarioError(path, "", std::string("cannot open: ") + std::strerror(errno));
    // Read in pieces up to one byte past the cap, so that an endless source (a device, a pipe) ends too.
    std::string text;
    char piece[65536];
    while (text.size() <= kMaxScenarioBytes && file.read(piece, sizeof piece).gcount() > 0) {
        text.append(piece, static_cast<size_t>(file.gcount()));
    }
    if (file.bad()) throw ScenarioError(path, "", "cannot read");
    if (text.size() > kMaxScenarioBytes) {
        throw ScenarioError(path, "", "larger than " + std::to_string(kMaxScenarioBytes >> 20) + " MiB; not a scenario");
    }
    return parseScenario(text, path);
}

Scenario defaultScenario() { return parseScenario(defaultScenarioText(), kDefaultSource); }

}  // namespace yatsim
